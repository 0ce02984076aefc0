#include "ConstructionExample.h"
#include "SchemeBuilder.h"
#include "ScriptedDialogs.h"
#include "UiTestSupport.h"

#include "messages/InternalFault.h"
#include "model/WorkList.h"
#include "ui/CircuitForm.h"
#include "ui/DebugForm.h"
#include "ui/GanttForm.h"
#include "ui/KorvantApplication.h"
#include "ui/MainForm.h"
#include "ui/QtDialogs.h"
#include "ui/Analyser.h"
#include "ui/StartUp.h"
#include "ui/WorkEditForm.h"
#include "ui/WorksArcsForm.h"
#include "ui/WorksTableForm.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QIcon>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

#include <stdexcept>

namespace {

class StartUp : public TUiTest {
protected:
    TScriptedDialogs Dialogs;
    std::int32_t Sign = -1;
    QTemporaryDir Folder;
};

TEST_F(StartUp, ThePathModeStartsCritical) {
    EXPECT_EQ(PathSign, -1);
}

TEST_F(StartUp, TheDependencyTableListensFromTheStartAndTheListOutlivesTheWindows) {
    TStartUp Program(Dialogs, Sign);
    EXPECT_EQ(Program.WorkList.Messenger, &Dialogs);
    Program.WorkList.AddWork(TWorkData{"A", 1, {}}, true);
    EXPECT_GT(Program.WorksTableForm->HeaderSize, 0) << "redrawn while hidden";
    EXPECT_FALSE(Program.WorksTableForm->isVisible());
    EXPECT_EQ(Program.WorkEditForm->parentWidget(), Program.MainForm.get());
}

TEST_F(StartUp, AFileNamedAtStartIsLoadedAsTheLoadCommandLoadsIt) {
    const QString Name = Folder.filePath(QStringLiteral("start.kcrct"));
    {
        TWorkList List;
        FillConstructionExample(List);
        ASSERT_TRUE(List.SaveToFile(Name.toStdString()));
    }
    TStartUp Program(Dialogs, Sign);
    Program.Start(Name.toStdString());
    EXPECT_TRUE(Program.MainForm->isVisible());
    EXPECT_EQ(Program.WorkList.Count(), 13);
    EXPECT_EQ(Program.MainForm->WorksEditor->rowCount(), 13);
    EXPECT_EQ(Program.MainForm->WorksEditor->item(12, 0)->text(), QStringLiteral("Сдача объекта"));
    EXPECT_FALSE(Program.WorkList.Modified);
    EXPECT_EQ(Program.MainForm->SaveDialogFileName(), Name.toStdString());
    EXPECT_FALSE(Program.WorksTableForm->isVisible());
    EXPECT_TRUE(Dialogs.Shown.empty());
}

TEST_F(StartUp, AMissingFileNamedAtStartGivesTheReadErrorAndAnEmptyScheme) {
    TStartUp Program(Dialogs, Sign);
    Program.Start(Folder.filePath(QStringLiteral("nothing.kcrct")).toStdString());
    EXPECT_EQ(Dialogs.Texts(TShownKind::FileError),
              std::vector<std::string>{"Ошибка при чтении файла"});
    EXPECT_EQ(Program.WorkList.Count(), 0);
}

TEST_F(StartUp, AFaultInTheFirstRebuildIsShownAndTheWorksStayListed) {
    const QString Name = Folder.filePath(QStringLiteral("fault.kcrct"));
    {
        TWorkList List;
        FillConstructionExample(List);
        ASSERT_TRUE(List.SaveToFile(Name.toStdString()));
    }
    TStartUp Program(Dialogs, Sign);
    Program.WorkList.AddListener([](TWorkList& List, std::int32_t, std::int32_t) {
        if (List.Count() > 0)
            RaiseFault("Не найден корень hAll (TCircuitForm.GethALL)");
    });
    Program.Start(Name.toStdString());
    EXPECT_EQ(Dialogs.Texts(TShownKind::Error),
              std::vector<std::string>{"Не найден корень hAll (TCircuitForm.GethALL)"});
    EXPECT_EQ(Program.MainForm->WorksEditor->rowCount(), 13);
}

// An object whose every event handler breaks.
class TFaultyObject : public QObject {
public:
    int Handled = 0;
    bool event(QEvent* Event) override {
        if (Event->type() == QEvent::User)
            RaiseFault("При транспонировании (TGraph.Transpose) не найдена нужная строка");
        if (Event->type() == QEvent::User + 1)
            throw std::out_of_range("list index");
        ++Handled;
        return QObject::event(Event);
    }
};

TEST_F(StartUp, InternalFaultsInEventHandlersAreShownAndTheProgramGoesOn) {
    auto* App = qobject_cast<TKorvantApplication*>(QCoreApplication::instance());
    ASSERT_NE(App, nullptr);
    App->SetFaultDialogs(&Dialogs);
    TFaultyObject Object;
    QEvent Fault(QEvent::User);
    QEvent Other(static_cast<QEvent::Type>(QEvent::User + 1));
    QEvent Fine(static_cast<QEvent::Type>(QEvent::User + 2));
    EXPECT_FALSE(QCoreApplication::sendEvent(&Object, &Fault));
    EXPECT_FALSE(QCoreApplication::sendEvent(&Object, &Other));
    QCoreApplication::sendEvent(&Object, &Fine);
    // Posted events reach the handler through the event loop as well.
    QCoreApplication::postEvent(&Object, new QEvent(QEvent::User));
    QCoreApplication::sendPostedEvents(&Object);
    App->SetFaultDialogs(nullptr);
    EXPECT_EQ(Object.Handled, 1);
    EXPECT_EQ(Dialogs.Texts(TShownKind::Error),
              (std::vector<std::string>{
                  "При транспонировании (TGraph.Transpose) не найдена нужная строка", "list index",
                  "При транспонировании (TGraph.Transpose) не найдена нужная строка"}));
}

TEST_F(StartUp, AFaultInAMenuCommandIsShownAndTheWindowStaysUsable) {
    auto* App = qobject_cast<TKorvantApplication*>(QCoreApplication::instance());
    App->SetFaultDialogs(&Dialogs);
    {
        TStartUp Program(Dialogs, Sign);
        Program.Start();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Program.MainForm.get()));
        Program.WorkList.AddListener([](TWorkList&, std::int32_t, std::int32_t Kind) {
            if (Kind == ckPathMode)
                RaiseFault("Обнаружена необработанная вершина");
        });
        // Through the event loop, as a click on the menu item would come.
        QMetaObject::invokeMethod(Program.MainForm->CrtFastPathMenu, "trigger",
                                  Qt::QueuedConnection);
        QCoreApplication::processEvents();
        EXPECT_EQ(Dialogs.Texts(TShownKind::Error),
                  std::vector<std::string>{"Обнаружена необработанная вершина"});
        EXPECT_EQ(Sign, +1);
        Program.MainForm->DependenceBtnClick();
        EXPECT_EQ(Dialogs.Texts(TShownKind::Notice).size(), 1u);
    }
    App->SetFaultDialogs(nullptr);
}

TEST_F(StartUp, F2InTheTableReturnsToTheMainWindow) {
    TStartUp Program(Dialogs, Sign);
    Program.Start();
    Program.WorkList.AddWork(TWorkData{"A", 1, {}}, true);
    Program.WorksTableForm->show();
    Program.WorksTableForm->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Program.WorksTableForm.get()));
    QTest::keyClick(Program.WorksTableForm.get(), Qt::Key_F2);
    EXPECT_TRUE(QTest::qWaitForWindowActive(Program.MainForm.get()));
}

TEST_F(StartUp, CreatesAllSixWindowsAndShowsOnlyTheMainWindow) {
    TStartUp Program(Dialogs, Sign);
    Program.Start();
    EXPECT_TRUE(Program.MainForm->isVisible());
    EXPECT_FALSE(Program.WorkEditForm->isVisible());
    EXPECT_FALSE(Program.WorksTableForm->isVisible());
    ASSERT_NE(Program.CircuitForm, nullptr);
    ASSERT_NE(Program.DebugForm, nullptr);
    ASSERT_NE(Program.ArcWorkForm, nullptr);
    EXPECT_FALSE(Program.CircuitForm->isVisible());
    EXPECT_FALSE(Program.DebugForm->isVisible());
    EXPECT_FALSE(Program.ArcWorkForm->isVisible());
}

TEST_F(StartUp, TheWorksArcsTableAlwaysReadsTheNetworkJustRebuilt) {
    TStartUp Program(Dialogs, Sign);
    Program.WorkList.AddWork(TWorkData{"A", 1, {}}, true);
    EXPECT_EQ(Program.ArcWorkForm->RowCount(), 1);
    // The second work makes the first network; the table lists it at once.
    Program.WorkList.AddWork(TWorkData{"B", 2, {}}, true);
    EXPECT_EQ(Program.ArcWorkForm->RowCount(), 3);
    Program.WorkList.GetWork(1).Duration = 5;
    Program.WorkList.Changed(1, ckWork);
    EXPECT_EQ(Program.ArcWorkForm->Cell(2, 2), QStringLiteral("5"));
    EXPECT_TRUE(Dialogs.Shown.empty());
}

TEST_F(StartUp, CtrlTOpensTheGanttChartWhoseRowsAndTheMainWindowShareTheSelection) {
    TStartUp Program(Dialogs, Sign);
    Program.Start();
    FillConstructionExample(Program.WorkList);
    Program.MainForm->GanttMenu->trigger();
    ASSERT_TRUE(Program.GanttForm->isVisible());
    ASSERT_NE(Program.GanttForm->Chart(), nullptr);
    Program.GanttForm->ClickRow(Program.GanttForm->Chart()->RowOfWork(4));
    EXPECT_EQ(Program.MainForm->WorksEditor->currentRow(), 4);
    Program.MainForm->WorksEditor->setCurrentCell(7, 0);
    EXPECT_EQ(Program.GanttForm->SelectedWork(), 7);
    EXPECT_EQ(Program.MainForm->GanttMenu->shortcut(), QKeySequence(QStringLiteral("Ctrl+T")));
}

TEST_F(StartUp, TheDiagramFollowsAClickInTheDependencyTable) {
    TStartUp Program(Dialogs, Sign);
    Program.Start();
    Program.WorkList.AddWork(TWorkData{"A", 1, {}}, true);
    Program.WorkList.AddWork(TWorkData{"B", 1, {}}, true);
    Program.CircuitForm->show();
    const int Below = Program.CircuitForm->StatusHeight();
    EXPECT_EQ(Program.CircuitForm->size(), QSize(140, 40 + Below));

    TWorksTableForm& Table = *Program.WorksTableForm;
    // B's row, A's column: B comes to depend on A.
    Table.TabImMouseMove(Table.HeaderSize + Table.CellSize / 2,
                         Table.HeaderSize + Table.CellSize + Table.CellSize / 2);
    Table.TabImMouseUp(Qt::LeftButton);
    ASSERT_EQ(Program.WorkList.GetWork(1).Links[0], LinkDirect);
    EXPECT_EQ(Program.CircuitForm->size(), QSize(200, 40 + Below));
    EXPECT_TRUE(Program.CircuitForm->isVisible());
    EXPECT_EQ(Program.ArcWorkForm->Cell(0, 2), QStringLiteral("2 - 3"));
}

TEST_F(StartUp, ThePathSwitchRebuildsTheDiagramInTheOtherMode) {
    TStartUp Program(Dialogs, Sign);
    EnterScheme(Program.WorkList, {{"A", 5, {}}, {"B", 4, {}}, {"C", 5, {1}}, {"D", 1, {0, 2}}});
    const auto Engine = [&Program]() -> const TCircuitEngine& { return *Program.Analyser->Current()->Engine; };
    EXPECT_EQ(DataOf(Engine(), FinalEvent(Engine())).Duration, -10);
    Program.MainForm->CrtFastPathMenu->trigger();
    EXPECT_EQ(Engine().PathSign, +1);
    EXPECT_EQ(DataOf(Engine(), FinalEvent(Engine())).Duration, 6);
}

TEST_F(StartUp, F5InTheDiagramShowsTheWorksArcsWindowAndCtrlDTheDebugWindow) {
    const QString Name = Folder.filePath(QStringLiteral("keys.kcrct"));
    {
        TWorkList List;
        FillConstructionExample(List);
        ASSERT_TRUE(List.SaveToFile(Name.toStdString()));
    }
    TStartUp Program(Dialogs, Sign);
    Program.Start(Name.toStdString());
    Program.MainForm->N3Click();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Program.CircuitForm.get()));
    QTest::keyClick(Program.CircuitForm.get(), Qt::Key_F5);
    EXPECT_TRUE(Program.ArcWorkForm->isVisible());
    QTest::keyClick(Program.CircuitForm.get(), Qt::Key_F2);
    ASSERT_TRUE(QTest::qWaitForWindowActive(Program.MainForm.get()));
    QTest::keyClick(Program.MainForm.get(), Qt::Key_D, Qt::ControlModifier);
    EXPECT_TRUE(Program.DebugForm->isVisible());
    EXPECT_TRUE(QTest::qWaitForWindowActive(Program.DebugForm.get()));
    // The debug window reads the diagram window's network.
    Program.DebugForm->NoDebug->setChecked(false);
    Program.DebugForm->IndexEdit->setValue(0);
    EXPECT_EQ(Program.DebugForm->TypeIDView->text(), QStringLiteral("100"));
}

TEST(ShownText, PutsEveryLoneCarriageReturnOnANewLine) {
    EXPECT_EQ(ShownText("Нельзя сохранить то, чего нет\rОбъявите"),
              QStringLiteral("Нельзя сохранить то, чего нет\nОбъявите"));
    EXPECT_EQ(ShownText("a\r\nb\rc"), QStringLiteral("a\nb\nc"));
}

TEST(InitialFolder, IsTheHomeFolderWhereTheSchemeFolderDoesNotExist) {
    EXPECT_EQ(InitialFolder(), QDir::homePath());
}

// The program's dialogs with the error box recorded instead of shown.
class TRecordingQtDialogs : public TQtDialogs {
public:
    std::vector<std::string> Errors;
    void Error(std::string_view Text) override { Errors.emplace_back(Text); }
};

TEST_F(StartUp, HelpOpensItsDocumentInAHelpWindowAndReportsAMissingOne) {
    TRecordingQtDialogs Qt;
    const QString Missing = Folder.filePath(QStringLiteral("korvant-help.html"));
    Qt.ShowHelp(Missing.toStdString());
    ASSERT_EQ(Qt.Errors.size(), 1u);
    EXPECT_NE(Qt.Errors[0].find(Missing.toStdString()), std::string::npos);
    EXPECT_EQ(Qt.HelpWindow(), nullptr);

    QFile Document(Missing);
    ASSERT_TRUE(Document.open(QIODevice::WriteOnly));
    Document.write("<html><body><h1>Справка</h1></body></html>");
    Document.close();
    Qt.ShowHelp(Missing.toStdString());
    ASSERT_NE(Qt.HelpWindow(), nullptr);
    EXPECT_TRUE(Qt.HelpWindow()->isVisible());
    EXPECT_TRUE(Qt.HelpWindow()->toPlainText().contains(QStringLiteral("Справка")));
    EXPECT_EQ(Qt.Errors.size(), 1u);
}

TEST_F(StartUp, TheShippedHelpDocumentIsBesideTheProgramAndInRussian) {
    QFile Document(QStringLiteral(KORVANT_HELP_FILE));
    ASSERT_TRUE(Document.open(QIODevice::ReadOnly)) << KORVANT_HELP_FILE;
    const QString Text = QString::fromUtf8(Document.readAll());
    for (const char* Topic : {"Добавить работу", "Ввести зависимости", "Критический путь",
                              "Кратчайший путь", "Просмотреть график"})
        EXPECT_TRUE(Text.contains(QString::fromUtf8(Topic))) << Topic;
}

// The windows' icon comes from the program's resources and needs Qt's SVG
// plugin: without it the windows would show none.
TEST(ProgramIcon, IsDrawnFromTheResource) {
    const QPixmap Small = QIcon(QStringLiteral(":/korvant.svg")).pixmap(32, 32);
    ASSERT_FALSE(Small.isNull());
    const QImage Image = Small.toImage();
    EXPECT_EQ(Image.pixelColor(16, 16).alpha(), 255); // the icon's white ground
}

} // namespace
