#include "ConstructionExample.h"
#include "ScriptedDialogs.h"
#include "UiTestSupport.h"

#include "messages/InternalFault.h"
#include "model/WorkList.h"
#include "ui/KorvantApplication.h"
#include "ui/MainForm.h"
#include "ui/QtDialogs.h"
#include "ui/StartUp.h"
#include "ui/WorkEditForm.h"
#include "ui/WorksTableForm.h"

#include <QFile>
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

} // namespace
