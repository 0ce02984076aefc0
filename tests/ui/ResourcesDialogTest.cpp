#include "ScriptedDialogs.h"
#include "UiTestSupport.h"

#include "model/WorkList.h"
#include "ui/DemandsTable.h"
#include "ui/EditHistory.h"
#include "ui/ResourcesDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <memory>

namespace {

TDemands DemandsOf(std::initializer_list<TDemands::TItem> Items) {
    TDemands Demands;
    for (const auto& [Resource, Units] : Items)
        Demands.Set(Resource, Units);
    return Demands;
}

// Two works, the workers and the crane; the first work needs 3 workers and
// the crane, the second 2 workers.
class Resources : public TUiTest {
protected:
    void SetUp() override {
        List.AddWork(TWorkData{"Котлован", 4, {}}, true);
        List.AddWork(TWorkData{"Фундамент", 6, {}}, true);
        ASSERT_TRUE(List.SetResources({{"Рабочие", "чел.", 8}, {"Кран", "шт.", 1}}));
        ASSERT_TRUE(List.SetDemands(0, DemandsOf({{0, 3}, {1, 1}})));
        ASSERT_TRUE(List.SetDemands(1, DemandsOf({{0, 2}})));
    }

    void Type(QTableWidget& Table, int Row, int Column, const char* Text) {
        Table.item(Row, Column)->setText(QString::fromUtf8(Text));
    }

    TWorkList List;
    TEditHistory History{List};
    TScriptedDialogs Dialogs;
};

TEST_F(Resources, OkAppliesTheWholeListAsOneStepThatOneUndoTakesBack) {
    const std::vector<TResource> Before = List.Resources();
    TResourcesDialog Dialog(List, History, Dialogs);
    Type(*Dialog.Table, 0, 0, "Монтажники");
    Type(*Dialog.Table, 0, 2, "7,5");
    Dialog.AddBtnClick();
    Type(*Dialog.Table, 2, 0, "Экскаватор");
    Type(*Dialog.Table, 2, 1, "шт.");
    Type(*Dialog.Table, 2, 2, "2");
    ASSERT_TRUE(Dialog.OkBtnClick());

    const std::vector<TResource> After = {
        {"Монтажники", "чел.", 7.5L}, {"Кран", "шт.", 1}, {"Экскаватор", "шт.", 2}};
    EXPECT_EQ(List.Resources(), After);
    EXPECT_EQ(List.GetWork(0).Demands, DemandsOf({{0, 3}, {1, 1}})) << "demands stay";
    EXPECT_EQ(History.Stack.count(), 1);
    History.Stack.undo();
    EXPECT_EQ(List.Resources(), Before);
    History.Stack.redo();
    EXPECT_EQ(List.Resources(), After);
    EXPECT_TRUE(Dialogs.Shown.empty());
}

TEST_F(Resources, CancelAndAnUnchangedOkLeaveNoStep) {
    TResourcesDialog Dialog(List, History, Dialogs);
    WhileModal(
        Dialog, [&] { Dialog.CancelBtn->click(); }, [&] { EXPECT_FALSE(Dialog.Execute()); });
    WhileModal(
        Dialog,
        [&] {
            Type(*Dialog.Table, 1, 0, "Башенный кран");
            Dialog.CancelBtn->click();
        },
        [&] { EXPECT_FALSE(Dialog.Execute()); });
    EXPECT_EQ(List.Resources()[1].Name, "Кран");
    WhileModal(
        Dialog, [&] { Dialog.OkBtn->click(); }, [&] { EXPECT_FALSE(Dialog.Execute()); });
    EXPECT_EQ(History.Stack.count(), 0);
}

TEST_F(Resources, DeletingADemandedResourceAsksAndTakesItsDemandsInTheSameStep) {
    TResourcesDialog Dialog(List, History, Dialogs);
    Dialogs.Answers = {false, true};
    Dialog.Table->setCurrentCell(0, 0);
    Dialog.DeleteBtnClick();
    EXPECT_EQ(Dialog.Table->rowCount(), 2) << "No keeps the resource";
    Dialog.DeleteBtnClick();
    ASSERT_EQ(Dialog.Table->rowCount(), 1);
    EXPECT_EQ(Dialogs.Texts(TShownKind::Question),
              std::vector<std::string>(
                  2, "Ресурс «Рабочие» нужен 2 работам. Удалить его вместе с потребностями "
                     "работ в нём?"));
    ASSERT_TRUE(Dialog.OkBtnClick());

    EXPECT_EQ(List.Resources(), (std::vector<TResource>{{"Кран", "шт.", 1}}));
    EXPECT_EQ(List.GetWork(0).Demands, DemandsOf({{0, 1}})) << "the crane moved to place 0";
    EXPECT_TRUE(List.GetWork(1).Demands.Empty());
    ASSERT_EQ(History.Stack.count(), 1);
    History.Stack.undo();
    EXPECT_EQ(List.Resources().size(), 2u);
    EXPECT_EQ(List.GetWork(0).Demands, DemandsOf({{0, 3}, {1, 1}}));
    EXPECT_EQ(List.GetWork(1).Demands, DemandsOf({{0, 2}}));
    EXPECT_NE(DeleteDemandedQuestion("Кран", 21).find("нужен 21 работе."), std::string::npos);
    EXPECT_NE(DeleteDemandedQuestion("Кран", 11).find("нужен 11 работам."), std::string::npos);
}

TEST_F(Resources, InputTheSchemeCannotTakeIsRefusedWithANoticeAndKeptInTheTable) {
    const struct {
        int Column;
        std::string Text;
    } Cases[] = {{2, "-1"},
                 {2, "много"},
                 {2, "1e16"},
                 {2, "inf"},
                 {0, ""},
                 {0, "Кран"},
                 {1, std::string(256, 'x')}};
    for (const auto& Case : Cases) {
        TResourcesDialog Dialog(List, History, Dialogs);
        Dialogs.Shown.clear();
        const std::string& Typed = Case.Text;
        Type(*Dialog.Table, 0, Case.Column, Typed.c_str());
        EXPECT_FALSE(Dialog.OkBtnClick()) << Typed;
        ASSERT_EQ(Dialogs.Texts(TShownKind::Notice).size(), 1u) << Typed;
        if (Case.Column == 2) {
            EXPECT_EQ(Dialogs.Texts(TShownKind::Notice)[0].rfind("Наличие ресурса «Рабочие» — ", 0),
                      0u);
        }
        EXPECT_EQ(Dialog.Table->item(0, Case.Column)->text().toStdString(), Typed);
        EXPECT_EQ(Dialog.Table->currentColumn(), Case.Column) << Typed;
    }
    EXPECT_EQ(List.Resources()[0].Name, "Рабочие");
    EXPECT_EQ(History.Stack.count(), 0);

    // An availability past the table's bound that the file brought is kept
    // when it is left as shown, and the rest of the list can still change.
    ASSERT_TRUE(List.SetResources({{"Рабочие", "чел.", 1e18L}, {"Кран", "шт.", 1}}));
    TResourcesDialog Dialog(List, History, Dialogs);
    Type(*Dialog.Table, 1, 2, "2");
    ASSERT_TRUE(Dialog.OkBtnClick());
    EXPECT_EQ(List.Resources()[0].Availability, 1e18L);
    EXPECT_EQ(List.Resources()[1].Availability, 2);
}

class DemandsTable : public Resources {
protected:
    void SetUp() override {
        Resources::SetUp();
        Table = std::make_unique<TDemandsTable>(List, History, Dialogs);
    }
    void TearDown() override {
        Table.reset();
        Resources::TearDown();
    }
    QString Cell(int Row, int Column) const { return Table->Grid->item(Row, Column)->text(); }
    bool Red(int Row, int Column) const {
        return Table->Grid->item(Row, Column)->background().style() != Qt::NoBrush;
    }
    std::unique_ptr<TDemandsTable> Table;
};

TEST_F(DemandsTable, EachCellIsOneStepAndADemandAboveTheAvailabilityIsRed) {
    Table->show();
    EXPECT_EQ(Cell(0, 0), QStringLiteral("3"));
    EXPECT_EQ(Cell(1, 1), QString());
    Table->Grid->item(1, 1)->setText(QStringLiteral("2"));
    EXPECT_EQ(List.GetWork(1).Demands, DemandsOf({{0, 2}, {1, 2}}));
    EXPECT_TRUE(Red(1, 1)) << "2 cranes where there is one";
    EXPECT_FALSE(Red(0, 1));
    ASSERT_EQ(History.Stack.count(), 1);
    History.Stack.undo();
    EXPECT_EQ(Cell(1, 1), QString());
    EXPECT_FALSE(Red(1, 1));

    // A number typed and Enter: the cell below is next, as in a spreadsheet.
    Table->Grid->setCurrentCell(0, 1);
    QTest::keyClicks(Table->Grid, QStringLiteral("0"));
    auto* Editor = Table->Grid->viewport()->findChild<QLineEdit*>();
    ASSERT_TRUE(Editor);
    QTest::keyClick(Editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(Table->Grid->currentRow(), 1);
    EXPECT_EQ(List.GetWork(0).Demands, DemandsOf({{0, 3}}));
    History.Stack.undo();

    // Delete clears the current cell; a text that is no number changes nothing.
    Table->Grid->setCurrentCell(0, 0);
    QTest::keyClick(Table->Grid, Qt::Key_Delete);
    EXPECT_EQ(List.GetWork(0).Demands, DemandsOf({{1, 1}}));
    EXPECT_EQ(History.Stack.count(), 1);
    EXPECT_FALSE(Table->EnterDemand(0, 0, QStringLiteral("три")));
    EXPECT_EQ(Dialogs.Texts(TShownKind::Notice).size(), 1u);
    EXPECT_EQ(Cell(0, 0), QString());
    EXPECT_EQ(History.Stack.count(), 1);
}

TEST_F(DemandsTable, FollowsTheWorksAndTheResourcesOfTheList) {
    Table->show();
    History.AddWork("Стены", 5);
    History.EditWork(0, "Выемка", 4);
    ASSERT_EQ(Table->Grid->rowCount(), 3);
    EXPECT_EQ(Table->Grid->verticalHeaderItem(0)->text(), QStringLiteral("Выемка"));
    EXPECT_EQ(Table->Grid->verticalHeaderItem(2)->text(), QStringLiteral("Стены"));
    History.DeleteWork(0);
    EXPECT_EQ(Cell(0, 0), QStringLiteral("2")) << "the second work moved up";
    ASSERT_TRUE(History.ReplaceResources({{"Кран", "шт.", 1}}, {-1, 0}));
    EXPECT_EQ(Table->Grid->columnCount(), 1);
    EXPECT_EQ(Table->Grid->horizontalHeaderItem(0)->text(), QStringLiteral("Кран\n1 шт."));
    EXPECT_FALSE(Table->NoResources->isVisible());
}

} // namespace
