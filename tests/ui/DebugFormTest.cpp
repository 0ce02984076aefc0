#include "SchemeBuilder.h"
#include "ScriptedDialogs.h"
#include "UiTestSupport.h"

#include "network/CircuitEngine.h"
#include "ui/Analyser.h"
#include "ui/DebugForm.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QStatusBar>
#include <QTableWidget>

#include <limits>
#include <memory>

namespace {

const std::vector<TPlannedWork> TwoThenOne = {{"A", 2, {}}, {"B", 3, {}}, {"K", 4, {0, 1}}};

class DebugForm : public TUiTest {
protected:
    void SetUp() override {
        Analyser = std::make_unique<TAnalyser>(List, Sign, Dialogs);
        // The store as a shown diagram window has it: laid out.
        Analyser->Want(this, true, false);
        Form = std::make_unique<TDebugForm>(*Analyser);
    }
    void TearDown() override {
        Form.reset();
        Analyser.reset();
        TUiTest::TearDown();
    }

    const TMemoryLinkObject& Store() const { return *Analyser->Current()->Engine->Circuit; }
    static QStringList Texts(const QTableWidget* Grid) { return TDebugForm::GridTexts(*Grid); }
    static QStringList Keys(const std::unique_ptr<TMultitude>& Set) {
        QStringList Result;
        for (const TMultitudeElement& m : *Set)
            Result << QString::number(m.Key);
        return Result.isEmpty() ? QStringList{QString()} : Result;
    }
    void Show(int Position) {
        Form->NoDebug->setChecked(false);
        Form->IndexEdit->setValue(Position);
    }

    TWorkList List;
    TScriptedDialogs Dialogs;
    std::int32_t Sign = -1;
    std::unique_ptr<TAnalyser> Analyser;
    std::unique_ptr<TDebugForm> Form;
};

TEST_F(DebugForm, StartsWithNoDebugCheckedAtIndexOne) {
    EXPECT_EQ(Form->windowTitle(), QStringLiteral("Debug"));
    EXPECT_FALSE(Form->isVisible());
    EXPECT_TRUE(Form->NoDebug->isChecked());
    EXPECT_EQ(Form->NoDebug->text(), QStringLiteral("Нет отладки"));
    EXPECT_FALSE(Form->Next->isChecked());
    EXPECT_EQ(Form->Next->text(), QStringLiteral("Продолжить"));
    EXPECT_EQ(Form->IndexEdit->value(), 1);
    EXPECT_EQ(Form->IndexEdit->minimum(), std::numeric_limits<int>::min());
    EXPECT_EQ(Form->IndexEdit->maximum(), std::numeric_limits<int>::max());
    EXPECT_EQ(Form->MaxIndexView->text(), QStringLiteral("0"));
    EXPECT_EQ(Form->Edit1->text(), QStringLiteral("0"));
    for (const QLineEdit* View : {Form->TypeIDView, Form->MaxIndexView, Form->HandleView,
                                  Form->TopNView, Form->YView, Form->Edit1})
        EXPECT_TRUE(View->isReadOnly());
    EXPECT_EQ(Form->sgMul3->geometry(), QRect(320, 40, 105, 401));
    EXPECT_EQ(Form->sgOutLinks->columnWidth(0), 101);
    EXPECT_EQ(Form->StatusBar1->geometry(), QRect(0, Form->height() - 19, Form->width(), 19));
}

TEST_F(DebugForm, WithNoDebugCheckedAChangedIndexOnlyEmptiesTheGrids) {
    EnterScheme(List, TwoThenOne);
    Form->sgMul1->setItem(0, 0, new QTableWidgetItem(QStringLiteral("7")));
    Form->IndexEdit->setValue(4);
    EXPECT_EQ(Texts(Form->sgMul1), QStringList{QString()});
    EXPECT_EQ(Form->MaxIndexView->text(), QStringLiteral("0"));
    EXPECT_TRUE(Form->TypeIDView->text().isEmpty());
}

TEST_F(DebugForm, ARootShowsItsLinksWithEmptyLevelRowAndSets) {
    EnterScheme(List, TwoThenOne);
    Show(0);
    const TLinkNode& Root = Store().Node(0);
    ASSERT_EQ(Root.TypeID, TypeAllRoot);
    EXPECT_EQ(Form->TypeIDView->text(), QStringLiteral("100"));
    EXPECT_EQ(Form->HandleView->text(), QString::number(Root.Handle));
    EXPECT_TRUE(Form->TopNView->text().isEmpty());
    EXPECT_TRUE(Form->YView->text().isEmpty());
    QStringList Links;
    for (const THandle h : Root.OutLinks)
        Links << QString::number(h);
    EXPECT_EQ(Texts(Form->sgOutLinks), Links);
    for (const QTableWidget* Grid : {Form->sgMul1, Form->sgMul2, Form->sgMul3, Form->sgMul4})
        EXPECT_EQ(Texts(Grid), QStringList{QString()});
}

TEST_F(DebugForm, AnEventShowsItsLevelRowAndSets) {
    EnterScheme(List, TwoThenOne);
    const THandle Final = FinalEvent(*Analyser->Current()->Engine);
    const std::int32_t Position = Store().FindNodeOnHandle(Final);
    Form->StatusBar1->showMessage(QStringLiteral("узел"));
    Show(Position);
    const TLinkData& Data = DataOf(*Analyser->Current()->Engine, Final);
    EXPECT_EQ(Form->TypeIDView->text(), QString::number(TypeW));
    EXPECT_EQ(Form->HandleView->text(), QString::number(Final));
    EXPECT_EQ(Form->TopNView->text(), QString::number(Data.TopN));
    EXPECT_EQ(Form->YView->text(), QString::number(Data.Y));
    EXPECT_EQ(Texts(Form->sgMul1), Keys(Data.Mul1));
    EXPECT_EQ(Texts(Form->sgMul3), (QStringList{"2", "0", "1"})) << "in the set's own order";
    EXPECT_EQ(Texts(Form->sgMul4), Keys(Data.Mul4));
    EXPECT_EQ(Texts(Form->sgOutLinks), QStringList{QString()});
    EXPECT_EQ(Form->MaxIndexView->text(), QString::number(Store().Count() - 1));
    EXPECT_EQ(Form->StatusBar1->currentMessage(), QStringLiteral("узел"))
        << "the status text is kept";
}

TEST_F(DebugForm, AnIndexBeyondTheTableIsPulledBackToTheLastPosition) {
    EnterScheme(List, TwoThenOne);
    const int Last = static_cast<int>(Store().Count()) - 1;
    for (const int Index : {Last + 1, 1000, -1, std::numeric_limits<int>::min()}) {
        Show(Index == 1 ? 0 : 1);
        Form->IndexEdit->setValue(Index);
        EXPECT_EQ(Form->IndexEdit->value(), Last) << Index;
        EXPECT_EQ(Form->HandleView->text(), QString::number(Store().Node(Last).Handle)) << Index;
    }
}

TEST_F(DebugForm, WithoutANetworkNothingIsShown) {
    List.AddWork(TWorkData{"A", 1, {}}, true);
    Show(3);
    EXPECT_EQ(Form->IndexEdit->value(), 3);
    EXPECT_EQ(Form->MaxIndexView->text(), QStringLiteral("0"));
    EXPECT_TRUE(Form->TypeIDView->text().isEmpty());
}

TEST_F(DebugForm, ShowLinkObjectPutsItsTextIntoTheStatusBar) {
    EnterScheme(List, TwoThenOne);
    Form->NoDebug->setChecked(false);
    Form->ShowLinkObject(QStringLiteral("шаг 1"));
    EXPECT_EQ(Form->StatusBar1->currentMessage(), QStringLiteral("шаг 1"));
    Form->IndexEditChange();
    EXPECT_EQ(Form->StatusBar1->currentMessage(), QStringLiteral("шаг 1"));
}

} // namespace
