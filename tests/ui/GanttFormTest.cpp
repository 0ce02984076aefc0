// The Gantt chart window: it fills from the analyser's result, follows the
// calendar, and a picked row is the work the main window selects.

#include "ConstructionExample.h"
#include "ScriptedDialogs.h"
#include "UiTestSupport.h"

#include "model/WorkList.h"
#include "network/Analysis.h"
#include "ui/Analyser.h"
#include "ui/GanttForm.h"
#include "ui/Levelling.h"
#include "ui/LoadView.h"

#include <QAction>
#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QLocale>
#include <QScrollBar>
#include <QSignalSpy>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

class GanttWindow : public TUiTest {
protected:
    void SetUp() override {
        Analyser = std::make_unique<TAnalyser>(List, Sign, Dialogs);
        Form = std::make_unique<TGanttForm>(List, *Analyser, Dialogs, nullptr);
        Form->show();
    }
    void TearDown() override {
        Form.reset();
        Analyser.reset();
        TUiTest::TearDown();
    }

    TWorkList List;
    TScriptedDialogs Dialogs;
    std::int32_t Sign = -1;
    std::unique_ptr<TAnalyser> Analyser;
    std::unique_ptr<TGanttForm> Form;

    // Levelling runs on a thread of its own; its result comes as an event.
    void WaitForLevelling() {
        QElapsedTimer Clock;
        Clock.start();
        while (Form->Levelling().Running() && Clock.elapsed() < 20000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::processEvents();
    }
};

TEST_F(GanttWindow, FillsFromTheAnalysisAndFollowsTheCalendar) {
    EXPECT_EQ(Form->windowTitle(), QStringLiteral("Диаграмма Ганта"));
    EXPECT_EQ(Form->Chart(), nullptr);
    Form->hide();
    FillConstructionExample(List);
    // Made when shown, not at every change while hidden.
    EXPECT_EQ(Form->Chart(), nullptr);
    Form->show();
    ASSERT_NE(Form->Chart(), nullptr);
    EXPECT_EQ(Form->Chart()->RowCount(), List.Count());
    EXPECT_FALSE(Form->Chart()->Clock());
    EXPECT_TRUE(Form->RowText(0).contains(QStringLiteral("Раннее начало: 0")));

    TCalendar Calendar;
    Calendar.Start = TCivilDate::FromYmd(2027, 3, 1);
    ASSERT_TRUE(List.SetCalendar(Calendar));
    ASSERT_TRUE(Form->Chart()->Clock());
    EXPECT_TRUE(Form->RowText(0).contains(
        QStringLiteral("Раннее начало: %1 08:00")
            .arg(QLocale().toString(QDate(2027, 3, 1), QLocale::ShortFormat))))
        << Form->RowText(0).toStdString();

    // By early start the rows follow the schedule, ties in list order.
    Form->SortAction->setChecked(true);
    const TSchedule& Schedule = Analyser->Current()->View().Schedule;
    for (int Row = 1; Row < Form->Chart()->RowCount(); ++Row)
        EXPECT_LE(Schedule.Works[Form->Chart()->WorkOfRow(Row - 1)].EarlyStart,
                  Schedule.Works[Form->Chart()->WorkOfRow(Row)].EarlyStart);

    const double Before = Form->Zoom();
    Form->ZoomInAction->trigger();
    EXPECT_GT(Form->Zoom(), Before);
    // The bars scroll as far as the chart reaches, at any zoom.
    for (double Zoom : {60.0, 5.0}) {
        Form->SetZoom(Zoom, 100);
        EXPECT_EQ(Form->View->horizontalScrollBar()->maximum(),
                  std::max(0, Form->Chart()->Size().width() - Form->View->viewport()->width()))
            << Zoom;
    }
}

TEST_F(GanttWindow, APickedRowIsTheWorkTheMainWindowSelects) {
    FillConstructionExample(List);
    QSignalSpy Clicked(Form.get(), &TGanttForm::WorkClicked);
    Form->SortAction->setChecked(true);
    const int Work = Form->Chart()->WorkOfRow(3);
    Form->ClickRow(3);
    ASSERT_EQ(Clicked.count(), 1);
    EXPECT_EQ(Clicked.at(0).at(0).toInt(), Work);
    EXPECT_EQ(Form->SelectedWork(), Work);
    Form->SelectWork(5);
    EXPECT_EQ(Form->SelectedWork(), 5);
    EXPECT_EQ(Clicked.count(), 1);
}

} // namespace

TEST_F(GanttWindow, LevellingShowsTheLevelledBarsAndALoadWithinTheAvailability) {
    FillConstructionExample(List);
    ASSERT_NE(Form->Load(), nullptr);
    ASSERT_EQ(Form->Load()->BandCount(), 2);
    // The early schedule asks for more workers than there are.
    EXPECT_FALSE(Form->Load()->OverSpans(0).empty());
    EXPECT_FALSE(Form->LevelledAction->isEnabled());

    Form->LevelAction->trigger();
    WaitForLevelling();
    ASSERT_TRUE(Form->Chart()->Levelled());
    EXPECT_TRUE(Form->LevelledAction->isChecked());
    EXPECT_EQ(Form->StatusText(),
              QStringLiteral("Выровненный график: продолжительность 46, по критическому "
                             "пути 42"));
    for (int Band = 0; Band < Form->Load()->BandCount(); ++Band)
        EXPECT_TRUE(Form->Load()->OverSpans(Band).empty()) << Band;
    // Some work waits: its bar stands right of its critical-path ghost.
    bool Moved = false;
    for (int Work = 0; Work < List.Count(); ++Work)
        Moved = Moved || Form->Chart()->Bar(Work).left() > Form->Chart()->GhostBar(Work).left();
    EXPECT_TRUE(Moved);
    // Ctrl and the wheel over the load chart zoom its axis and the bars'.
    const double Zoom = Form->Zoom();
    QWheelEvent Wheel(QPointF(200, 10), QPointF(200, 10), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::ControlModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(Form->LoadView->viewport(), &Wheel);
    EXPECT_GT(Form->Zoom(), Zoom);
    // The load chart is saved with the bars.
    const QSize Whole = StackedSize(*Form->Chart(), Form->Load());
    EXPECT_EQ(Whole.height(), Form->Chart()->Size().height() + Form->Load()->Size().height());

    // A change makes the levelled schedule stale: the bars are the early ones
    // again, and the window says why.
    TDemands Fewer;
    Fewer.Set(0, 1);
    ASSERT_TRUE(List.SetDemands(0, Fewer));
    EXPECT_FALSE(Form->Chart()->Levelled());
    EXPECT_TRUE(Form->EarlyAction->isChecked());
    EXPECT_EQ(Form->StatusText(), QStringLiteral("Выровненный график устарел: схема изменилась"));

    // A demand no schedule can hold is named, and nothing is levelled.
    TDemands Greedy;
    Greedy.Set(1, 2);
    ASSERT_TRUE(List.SetDemands(3, Greedy));
    Form->LevelAction->trigger();
    WaitForLevelling();
    EXPECT_FALSE(Form->Chart()->Levelled());
    const auto Notices = Dialogs.Texts(TShownKind::Notice);
    ASSERT_EQ(Notices.size(), 1u);
    EXPECT_NE(Notices[0].find("Работе «" + List.GetWork(3).Name + "» нужно 2 шт. ресурса «Кран»"),
              std::string::npos)
        << Notices[0];
}
