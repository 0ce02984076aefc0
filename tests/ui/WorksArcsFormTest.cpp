#include "ConstructionExample.h"
#include "SchemeBuilder.h"
#include "ScriptedDialogs.h"
#include "UiTestSupport.h"

#include "model/WorkList.h"
#include "ui/Analyser.h"
#include "ui/CircuitForm.h"
#include "ui/WorksArcsForm.h"

#include <QAction>
#include <QDate>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLocale>
#include <QScrollBar>
#include <QTableView>
#include <QTest>

#include <array>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

using TRow = std::array<std::string, 3>;
using TTable = std::vector<TRow>;

const TRow Header = {"Дуга", "Название работы", "Длительность"};

class WorksArcs : public TUiTest {
protected:
    void SetUp() override {
        Analyser = std::make_unique<TAnalyser>(List, Sign, Dialogs);
        Form = std::make_unique<TArcWorkForm>(*Analyser);
    }
    void TearDown() override {
        Form.reset();
        Analyser.reset();
        TUiTest::TearDown();
    }

    TTable Table() const {
        TTable Rows;
        for (int Row = 0; Row < Form->RowCount(); ++Row)
            Rows.push_back({Form->Cell(0, Row).toStdString(), Form->Cell(1, Row).toStdString(),
                            Form->Cell(2, Row).toStdString()});
        return Rows;
    }
    // The number of the event an arc of work Work leaves and enters.
    std::string LabelOfWork(int Work) const {
        const TCircuitEngine& Engine = *Analyser->Current()->Engine;
        for (const THandle h : EventsOf(Engine))
            for (const TMultitudeElement& Arc : *DataOf(Engine, h).Arcs)
                if (Arc.Key == Work)
                    return std::to_string(DataOf(Engine, h).Number) + " - " +
                           std::to_string(DataOf(Engine, static_cast<THandle>(Arc.Value)).Number);
        return {};
    }

    TWorkList List;
    TScriptedDialogs Dialogs;
    std::int32_t Sign = -1;
    std::unique_ptr<TAnalyser> Analyser;
    std::unique_ptr<TArcWorkForm> Form;
};

TEST_F(WorksArcs, StartsWithTheHeaderAsItsFixedRowAboveTheOtherWindows) {
    EXPECT_EQ(Form->windowTitle(), QStringLiteral("Работы-Дуги"));
    EXPECT_TRUE(Form->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(Form->windowType(), Qt::Tool);
    EXPECT_FALSE(Form->isVisible());
    EXPECT_EQ(Form->size(), QSize(355, 81));
    EXPECT_TRUE(Form->HeaderFixed());
    EXPECT_EQ(Table(), TTable{Header});
    EXPECT_EQ(Form->SG->model()->columnCount(), 9);
    EXPECT_EQ(Form->Cell(8, 0), QStringLiteral("Свободный резерв"));
    EXPECT_EQ(Form->SG->columnWidth(0), 54);
    EXPECT_EQ(Form->SG->columnWidth(1), 198);
    // No caption is cut ("Длительн…").
    const QFontMetrics Metrics(Form->SG->font());
    for (int Column = 0; Column < 9; ++Column)
        EXPECT_GE(Form->SG->columnWidth(Column),
                  Metrics.horizontalAdvance(Form->Cell(Column, 0)) + 12)
            << Column;
    EXPECT_EQ(Form->SG->editTriggers(), QAbstractItemView::NoEditTriggers);
}

TEST_F(WorksArcs, WithFewerThanTwoWorksTheHeaderIsTheOnlyRowAndScrollsLikeAnyOther) {
    List.AddWork(TWorkData{"A", 1, {}}, true);
    EXPECT_FALSE(Form->HeaderFixed());
    EXPECT_EQ(Table(), TTable{Header});
    EXPECT_EQ(Form->SG->model()->rowCount(), 1);
    List.Clear();
    EXPECT_EQ(Table(), TTable{Header});
}

TEST_F(WorksArcs, TwoIndependentWorksAreTwoArcsBetweenTheSameEvents) {
    EnterScheme(List, {{"A", 1.5L, {}}, {"B", 2, {}}});
    EXPECT_EQ(Table(), (TTable{Header, {"1 - 2", "A", "1.5"}, {"1 - 2", "B", "2"}}));
    EXPECT_EQ(Form->SG->rowHeight(1), 16);
}

TEST_F(WorksArcs, AChainEndsEachLabelWhereTheNextBegins) {
    EnterScheme(List, {{"A", 3, {}}, {"B", 4, {0}}});
    EXPECT_EQ(Table(), (TTable{Header, {"1 - 2", "A", "3"}, {"2 - 3", "B", "4"}}));
}

TEST_F(WorksArcs, ParallelArcsShareTheirLabel) {
    // B and K follow A and nothing follows either: they run between the same
    // two events.
    EnterScheme(List, {{"A", 1, {}}, {"B", 2, {0}}, {"K", 3, {0}}});
    EXPECT_EQ(Table(),
              (TTable{Header, {"1 - 2", "A", "1"}, {"2 - 3", "B", "2"}, {"2 - 3", "K", "3"}}));
}

TEST_F(WorksArcs, EveryWorkIsOneRowLevelByLevelAndNoFictiveArcIsListed) {
    FillConstructionExample(List);
    const TTable Rows = Table();
    ASSERT_EQ(Rows.size(), 14u);
    EXPECT_EQ(Rows.front(), Header);
    std::set<std::string> Names;
    int LastStart = 0;
    for (std::size_t r = 1; r < Rows.size(); ++r) {
        Names.insert(Rows[r][1]);
        int Work = -1;
        for (int i = 0; i < List.Count(); ++i)
            if (List.GetWork(i).Name == Rows[r][1])
                Work = i;
        ASSERT_GE(Work, 0) << Rows[r][1];
        EXPECT_EQ(Rows[r][0], LabelOfWork(Work)) << Rows[r][1];
        // Events are numbered level by level, and so the rows come.
        const int Start = std::stoi(Rows[r][0]);
        EXPECT_GE(Start, LastStart) << "row " << r;
        LastStart = Start;
    }
    EXPECT_EQ(Names.size(), 13u);
}

TEST_F(WorksArcs, EachRowGoesOnWithTheWorksScheduleAndCriticalRowsAreRed) {
    FillConstructionExample(List);
    const auto RowOf = [this](const char* Name) {
        for (int Row = 1; Row < Form->RowCount(); ++Row)
            if (Form->Cell(1, Row) == QString::fromUtf8(Name))
                return Row;
        return -1;
    };
    const auto Schedule = [this](int Row) {
        QStringList Texts;
        for (int Column = 3; Column < 9; ++Column)
            Texts << Form->Cell(Column, Row);
        return Texts.join(' ');
    };
    const auto Red = [this](int Row) { return Form->RowRed(Row); };
    // Roof and plumbing run beside the longer electrical works.
    const int Roof = RowOf("Устройство кровли");
    const int Electrical = RowOf("Электромонтажные работы");
    const int Plumbing = RowOf("Сантехнические работы");
    EXPECT_EQ(Schedule(Roof), QStringLiteral("27 32 28 33 1 1"));
    EXPECT_EQ(Schedule(Plumbing), QStringLiteral("27 32 28 33 1 1"));
    EXPECT_EQ(Schedule(Electrical), QStringLiteral("27 33 27 33 0 0"));
    EXPECT_EQ(Schedule(RowOf("Гидроизоляция фундамента")),
              QStringLiteral("13 14.5 32.5 34 19.5 8.5"));
    EXPECT_FALSE(Red(Roof));
    EXPECT_FALSE(Red(Plumbing));
    EXPECT_TRUE(Red(Electrical));
    EXPECT_TRUE(Red(RowOf("Сдача объекта")));
    // Every column and row fits in the window as it opens.
    EXPECT_FALSE(Form->SG->horizontalScrollBar()->isVisible());
    EXPECT_GE(Form->height(), 16 * 14);
}

TEST_F(WorksArcs, AChangedDurationIsShownFromTheRebuiltNetwork) {
    EnterScheme(List, {{"A", 2, {}}, {"B", 1, {0}}});
    List.GetWork(0).Duration = 2.25L;
    List.Changed(0, ckWork);
    EXPECT_EQ(Table()[1], (TRow{"1 - 2", "A", "2.25"}));

    const QLocale Before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    List.Changed(0, ckWork);
    QLocale::setDefault(Before);
    EXPECT_EQ(Table()[1], (TRow{"1 - 2", "A", "2,25"}));
}

TEST_F(WorksArcs, AContourLeavesTheHeaderAloneAndRaisesNothing) {
    // Only a damaged file brings a contour; then there is no network to list.
    List.AddWork(TWorkData{"A", 1, {}}, true);
    List.AddWork(TWorkData{"B", 1, {}}, true);
    List.GetWork(0).Links[1] = LinkDirect;
    List.GetWork(1).Links[0] = LinkDirect;
    EXPECT_NO_THROW(List.Changed(0, ckScheme));
    ASSERT_TRUE(List.HasContour);
    EXPECT_EQ(Analyser->Current()->Engine->Circuit, nullptr);
    EXPECT_EQ(Table(), TTable{Header});
}

TEST_F(WorksArcs, TheGridStaysOnePixelShortOfTheClientArea) {
    Form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
    EXPECT_EQ(Form->SG->geometry(), QRect(0, 0, 354, 80));
    Form->resize(400, 300);
    QCoreApplication::processEvents();
    EXPECT_EQ(Form->SG->geometry(), QRect(0, 0, 399, 299));
}

// A table the user has enlarged keeps that size when it is closed and
// refilled; one never touched fits itself to its rows.
TEST_F(WorksArcs, AWindowTheUserHasResizedKeepsItsSizeThroughRefills) {
    EnterScheme(List, {{"A", 2, {}}, {"B", 1, {0}}});
    const QSize Fitted = Form->size();
    Form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
    EXPECT_FALSE(Form->UserSized());
    Form->resize(700, 650);
    Form->hide();
    List.GetWork(1).Duration = 4;
    List.Changed(1, ckWork);
    EXPECT_EQ(Form->size(), QSize(700, 650));
    EXPECT_NE(Fitted, QSize(700, 650));
}

} // namespace

namespace {

TEST_F(WorksArcs, WithACalendarStartsAndFinishesAreDatesOrDayNumbersAsChosen) {
    Form->SetList(&List);
    EnterScheme(List, {{"A", 1, {}}, {"B", 2, {0}}});
    EXPECT_FALSE(Form->ShowsDates());
    EXPECT_EQ(Form->Cell(3, 2), QStringLiteral("1"));
    TCalendar Calendar;
    Calendar.Start = TCivilDate::FromYmd(2027, 3, 1); // a Monday
    ASSERT_TRUE(List.SetCalendar(Calendar));
    ASSERT_TRUE(Form->ShowsDates());
    const auto At = [](int Day, int Hour) {
        return QLocale().toString(QDate(2027, 3, Day), QLocale::ShortFormat) +
               QStringLiteral(" %1:00").arg(Hour, 2, 10, QLatin1Char('0'));
    };
    // A runs Monday 08:00 to 17:00, B from Tuesday morning to Wednesday
    // evening; both are critical, so late equals early.
    EXPECT_EQ(Form->Cell(3, 1), At(1, 8));
    EXPECT_EQ(Form->Cell(4, 1), At(1, 17));
    EXPECT_EQ(Form->Cell(3, 2), At(2, 8));
    EXPECT_EQ(Form->Cell(6, 2), At(3, 17));
    EXPECT_EQ(Form->Cell(7, 2), QStringLiteral("0"));
    Form->DatesAction->setChecked(false);
    EXPECT_FALSE(Form->ShowsDates());
    EXPECT_EQ(Form->Cell(3, 2), QStringLiteral("1"));
}

} // namespace
