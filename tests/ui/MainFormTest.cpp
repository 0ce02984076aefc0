#include "FullDisk.h"
#include "ScriptedDialogs.h"
#include "UiTestSupport.h"

#include "messages/ErrorStrings.h"
#include "model/SchemeFile.h"
#include "model/WorkList.h"
#include "ui/CircuitForm.h"
#include "ui/LocaleText.h"
#include "ui/MainForm.h"
#include "ui/StartUp.h"
#include "ui/WorkEditForm.h"
#include "ui/WorksArcsForm.h"
#include "ui/WorksTableForm.h"

#include <QAction>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using TRows = std::vector<std::pair<std::string, std::string>>;

class MainForm : public TUiTest {
protected:
    void SetUp() override {
        // Every test starts without recent schemes.
        QSettings().remove(QStringLiteral("RecentFiles"));
        Program = std::make_unique<TStartUp>(Dialogs, Sign);
        ASSERT_TRUE(Folder.isValid());
    }
    void TearDown() override {
        Program.reset();
        TUiTest::TearDown();
    }

    TMainForm& Main() { return *Program->MainForm; }
    TWorkList& List() { return Program->WorkList; }
    TWorkEditForm& Editor() { return *Program->WorkEditForm; }
    std::string File(const char* Name) { return Folder.filePath(Name).toStdString(); }

    // What the grid shows, row by row.
    TRows Rows() {
        TRows Result;
        QTableWidget* Grid = Main().WorksEditor;
        for (int r = 0; r < Grid->rowCount(); ++r)
            Result.emplace_back(Grid->item(r, 0)->text().toStdString(),
                                Grid->item(r, 1)->text().toStdString());
        return Result;
    }

    // Runs Command, which opens the editor, and types Name and Duration into
    // it before pressing OK (and Cancel, should OK be refused).
    void TypeWork(const std::function<void()>& Command, const QString& Name,
                  const QString& Duration) {
        WhileModal(
            Editor(),
            [&] {
                Editor().NameWorkEdit->setText(Name);
                Editor().DurationEdit->setText(Duration);
                QTest::mouseClick(Editor().OkBtn, Qt::LeftButton);
                if (Editor().isVisible())
                    QTest::mouseClick(Editor().CancelBtn, Qt::LeftButton);
            },
            Command);
    }
    void AddWork(const QString& Name, const QString& Duration) {
        TypeWork([this] { Main().AddWorkBtnClick(); }, Name, Duration);
    }
    void EditRow(int Row, const QString& Name, const QString& Duration) {
        Main().WorksEditor->setCurrentCell(Row - 1, 0);
        TypeWork([this] { Main().WorksEditorDblClick(); }, Name, Duration);
    }
    // Two works saved to a file, then a fresh scheme: the file is ready to load.
    std::string SavedScheme() {
        AddWork(QStringLiteral("Котлован"), QStringLiteral("3"));
        AddWork(QStringLiteral("Фундамент"), QStringLiteral("4.5"));
        const std::string Name = File("two.kcrct");
        Dialogs.SaveNames.push_back(Name);
        Main().FileSaveMenuClick();
        Main().N4Click();
        Dialogs.Shown.clear();
        return Name;
    }

    TScriptedDialogs Dialogs;
    std::int32_t Sign = -1;
    std::unique_ptr<TStartUp> Program;
    QTemporaryDir Folder;
};

TEST_F(MainForm, ShowsTheListOfWorksAsATwoColumnGridWithABlankRow) {
    QTableWidget* Grid = Main().WorksEditor;
    EXPECT_EQ(Grid->columnCount(), 2);
    EXPECT_EQ(Grid->horizontalHeaderItem(0)->text(), QStringLiteral("Наименование работы"));
    EXPECT_EQ(Grid->horizontalHeaderItem(1)->text(), QStringLiteral("Длительность работы"));
    EXPECT_EQ(Grid->columnWidth(0), 364);
    EXPECT_EQ(Grid->columnWidth(1), 130);
    EXPECT_EQ(Grid->horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
    EXPECT_TRUE(Grid->showGrid());
    EXPECT_EQ(Grid->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(Grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(Grid->toolTip(),
              QStringLiteral("Список работ, двойной щелчок позволит редактировать работу"));
    EXPECT_EQ(Grid->pos(), QPoint(0, 0));
    EXPECT_EQ(Grid->width(), 500);
    EXPECT_EQ(Rows(), (TRows{{"", ""}}));
}

TEST_F(MainForm, KeepsItsWidthFixedAndItsHeightAboveTheMinimum) {
    // Outer 508 x 480 with a frame of 4 pixels and a 26-pixel caption.
    EXPECT_EQ(Main().minimumWidth(), 500);
    EXPECT_EQ(Main().maximumWidth(), 500);
    EXPECT_EQ(Main().minimumHeight(), 120 - 8 - 26);
    EXPECT_EQ(Main().size(), QSize(500, 480 - 8 - 26));
    EXPECT_EQ(Main().pos(), QPoint(173, 168));
    Main().show();
    Main().resize(700, 300);
    EXPECT_EQ(Main().width(), 500);
    // The grid follows the height, one pixel short of the client area.
    EXPECT_EQ(Main().WorksEditor->height(), Main().centralWidget()->height() - 1);
    Main().resize(500, 10);
    EXPECT_EQ(Main().height(), 120 - 8 - 26);
    EXPECT_FALSE(Main().windowFlags() & Qt::WindowMaximizeButtonHint);
}

TEST_F(MainForm, HasEveryMenuItemWithItsShortcut) {
    const std::vector<std::pair<QAction*, const char*>> Items = {
        {Main().N4, "Ctrl+N"},           {Main().FileSaveMenu, "Ctrl+S"},
        {Main().FileLoadMenu, "Ctrl+L"}, {Main().ExitMenu, "Ctrl+E"},
        {Main().AddWorkBtn, "Ctrl+A"},   {Main().DependenceBtn, "Ctrl+R"},
        {Main().N3, "Ctrl+G"},           {Main().N6, "Ctrl+D"},
        {Main().UndoAction, "Ctrl+Z"},   {Main().RedoAction, "Ctrl+Y"},
        {Main().InsertWorkBtn, "Ins"},   {Main().DeleteWorkBtn, "Del"},
        {Main().MoveUpBtn, "Ctrl+Up"},   {Main().MoveDownBtn, "Ctrl+Down"}};
    for (const auto& [Action, Keys] : Items)
        EXPECT_EQ(Action->shortcut(), QKeySequence(QString::fromLatin1(Keys)))
            << Action->text().toStdString();
    EXPECT_TRUE(Main().FileLoadMenu->shortcuts().contains(QKeySequence(QStringLiteral("Ctrl+O"))));
    EXPECT_TRUE(Main().ExitMenu->shortcuts().contains(QKeySequence(QStringLiteral("Ctrl+Q"))));
    EXPECT_TRUE(
        Main().RedoAction->shortcuts().contains(QKeySequence(QStringLiteral("Ctrl+Shift+Z"))));
    EXPECT_EQ(Main().N4->text(), QStringLiteral("Новый"));
    EXPECT_EQ(Main().N6->text(), QStringLiteral("Граф"));
    EXPECT_TRUE(Main().CrtFastPathMenu->shortcut().isEmpty());
    EXPECT_TRUE(Main().N9->shortcut().isEmpty());
    QStringList Visible;
    for (QAction* Menu : Main().menuBar()->actions())
        if (Menu->isVisible())
            Visible << Menu->text();
    EXPECT_EQ(Visible, (QStringList{QStringLiteral("Файл"), QStringLiteral("Правка"),
                                    QStringLiteral("Данные"), QStringLiteral("Доп. опции"),
                                    QStringLiteral("Справка")}));
    EXPECT_TRUE(Main().CrtFastPathMenu->isCheckable());
    EXPECT_TRUE(Main().CrtFastPathMenu->isChecked());
}

TEST_F(MainForm, CtrlDOpensTheDebugWindowThoughItsMenuIsHidden) {
    QWidget Debug;
    Main().SetDebugForm(&Debug);
    Program->Start();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Main()));
    ASSERT_FALSE(Main().N5->menuAction()->isVisible());
    QTest::keyClick(&Main(), Qt::Key_D, Qt::ControlModifier);
    EXPECT_TRUE(Debug.isVisible());
}

TEST_F(MainForm, StartShowsOnlyTheMainWindow) {
    Program->Start();
    QStringList Visible;
    for (QWidget* Window : QApplication::topLevelWidgets())
        if (Window->isVisible())
            Visible << QString::fromLatin1(Window->metaObject()->className());
    EXPECT_EQ(Visible, QStringList{QStringLiteral("TMainForm")});
    EXPECT_TRUE(Editor().OnCheckName) << "the editor's name check is the main window's";
}

TEST_F(MainForm, AddedWorksAppearInTheGridAndInTheList) {
    AddWork(QStringLiteral("Котлован"), QStringLiteral("3"));
    AddWork(QStringLiteral("Фундамент"), QStringLiteral("4.5"));
    EXPECT_EQ(Rows(), (TRows{{"Котлован", "3"}, {"Фундамент", "4.5"}}));
    ASSERT_EQ(List().Count(), 2);
    EXPECT_EQ(List().GetWork(1).Name, "Фундамент");
    EXPECT_EQ(List().GetWork(1).Duration, 4.5L);
    EXPECT_EQ(List().GetWork(0).Links, (TABs{LinkForbidden, LinkFree}));
    EXPECT_TRUE(List().Modified);
    EXPECT_TRUE(Dialogs.Shown.empty());
}

TEST_F(MainForm, CancelledEditorAddsNothing) {
    WhileModal(
        Editor(), [&] { QTest::mouseClick(Editor().CancelBtn, Qt::LeftButton); },
        [&] { Main().AddWorkBtnClick(); });
    EXPECT_EQ(List().Count(), 0);
    EXPECT_EQ(Rows(), (TRows{{"", ""}}));
}

TEST_F(MainForm, NamesMustBeUniqueButLetterCaseCounts) {
    AddWork(QStringLiteral("Кровля"), QStringLiteral("2"));
    AddWork(QStringLiteral("Кровля"), QStringLiteral("5"));
    EXPECT_EQ(Dialogs.Texts(TShownKind::Notice),
              std::vector<std::string>{std::string(Msg::NamesNotUnique)});
    AddWork(QStringLiteral("кровля"), QStringLiteral("5"));
    AddWork(QStringLiteral("Кровля "), QStringLiteral("5"));
    EXPECT_EQ(Rows(), (TRows{{"Кровля", "2"}, {"кровля", "5"}, {"Кровля ", "5"}}));
}

TEST_F(MainForm, IsNameTakenSkipsOnlyTheRowBeingEdited) {
    AddWork(QStringLiteral("A"), QStringLiteral("1"));
    AddWork(QStringLiteral("B"), QStringLiteral("1"));
    std::string Message;
    EXPECT_FALSE(Main().IsNameTaken("A", 1, 0, Message));
    EXPECT_EQ(Message, Msg::NamesNotUnique) << "set before anything is compared";
    EXPECT_TRUE(Main().IsNameTaken("A", 2, 0, Message));
    EXPECT_TRUE(Main().IsNameTaken("B", 1, 0, Message));
    // From the row count on, every row is compared.
    EXPECT_TRUE(Main().IsNameTaken("B", 3, 0, Message));
    EXPECT_TRUE(Main().IsNameTaken("A", 3, 0, Message));
    EXPECT_TRUE(Main().IsNameTaken("A", 0, 0, Message));
    EXPECT_FALSE(Main().IsNameTaken("a", 3, 0, Message));
}

TEST_F(MainForm, EditingAWorkKeepsItsOwnNameButNotAnothersName) {
    AddWork(QStringLiteral("Стены"), QStringLiteral("10"));
    AddWork(QStringLiteral("Перекрытия"), QStringLiteral("4"));
    std::vector<std::int32_t> Changes;
    List().AddListener([&](TWorkList&, std::int32_t Index, std::int32_t Kind) {
        Changes.push_back(Index * 100 + Kind);
    });

    QString Shown;
    WhileModal(
        Editor(),
        [&] {
            Shown = Editor().NameWorkEdit->text() + "|" + Editor().DurationEdit->text();
            QTest::mouseClick(Editor().OkBtn, Qt::LeftButton);
        },
        [&] {
            Main().WorksEditor->setCurrentCell(1, 0);
            Main().WorksEditorDblClick();
        });
    EXPECT_EQ(Shown, QStringLiteral("Перекрытия|4"));
    EXPECT_TRUE(Dialogs.Shown.empty());
    EXPECT_EQ(Changes, std::vector<std::int32_t>{100 + ckWork});

    EditRow(2, QStringLiteral("Стены"), QStringLiteral("6"));
    EXPECT_EQ(Dialogs.Texts(TShownKind::Notice),
              std::vector<std::string>{std::string(Msg::NamesNotUnique)});
    EditRow(2, QStringLiteral("Перекрытия ж/б"), QStringLiteral("6"));
    EXPECT_EQ(Rows(), (TRows{{"Стены", "10"}, {"Перекрытия ж/б", "6"}}));
    EXPECT_EQ(List().GetWork(1).Name, "Перекрытия ж/б");
    EXPECT_EQ(List().GetWork(1).Duration, 6.0L);
    EXPECT_EQ(Changes, (std::vector<std::int32_t>{100 + ckWork, 100 + ckWork}));
}

TEST_F(MainForm, AWorkWhoseDurationTextDoesNotReadBackOpensForEditingAndMustBeMended) {
    // The smallest allowed duration is written with fewer digits than it
    // needs and reads back as below the range of normal numbers.
    const std::string Name = File("tiny.kcrct");
    const TReal Tiny = std::numeric_limits<TReal>::min();
    {
        TWorkList Odd;
        Odd.AddWork(TWorkData{"Мгновенная", Tiny, {}}, true);
        ASSERT_TRUE(Odd.SaveToFile(Name));
    }
    Main().LoadScheme(Name);
    const QString Text = Main().WorksEditor->item(0, 1)->text();
    ASSERT_FALSE(DurationFromText(Text)) << Text.toStdString();
    QString Shown;
    WhileModal(
        Editor(),
        [&] {
            Shown = Editor().DurationEdit->text();
            QTest::mouseClick(Editor().OkBtn, Qt::LeftButton);
            Editor().DurationEdit->setText(QStringLiteral("7"));
            QTest::mouseClick(Editor().OkBtn, Qt::LeftButton);
        },
        [&] { Main().WorksEditorDblClick(); });
    EXPECT_EQ(Shown, Text);
    EXPECT_EQ(Dialogs.Texts(TShownKind::Notice),
              std::vector<std::string>{std::string(Msg::BadDuration)});
    EXPECT_EQ(List().GetWork(0).Duration, 7.0L);
    EXPECT_TRUE(Dialogs.Texts(TShownKind::Error).empty());
}

TEST_F(MainForm, DoubleClickOnTheBlankRowAddsAWork) {
    Program->Start();
    const QRect FirstRow = Main().WorksEditor->visualRect(Main().WorksEditor->model()->index(0, 0));
    WhileModal(
        Editor(),
        [&] {
            Editor().NameWorkEdit->setText(QStringLiteral("Разметка"));
            Editor().DurationEdit->setText(QStringLiteral("1"));
            QTest::mouseClick(Editor().OkBtn, Qt::LeftButton);
        },
        [&] {
            QTest::mouseDClick(Main().WorksEditor->viewport(), Qt::LeftButton, {},
                               FirstRow.center());
        });
    EXPECT_EQ(Rows(), (TRows{{"Разметка", "1"}}));
    EXPECT_EQ(List().Count(), 1);
}

TEST_F(MainForm, DeleteKeyLeavesTheListAlone) {
    AddWork(QStringLiteral("A"), QStringLiteral("1"));
    Program->Start();
    QTest::keyClick(Main().WorksEditor, Qt::Key_Delete);
    EXPECT_EQ(Rows(), (TRows{{"A", "1"}}));
    EXPECT_EQ(List().Count(), 1);
}

TEST_F(MainForm, CommandsThatNeedWorksRefuseWithTheirNotices) {
    Main().DependenceBtnClick();
    Main().N3Click();
    Main().FileSaveMenuClick();
    EXPECT_EQ(Dialogs.Shown,
              (std::vector<TShown>{{TShownKind::Notice, std::string(Msg::NoWorksForTable)},
                                   {TShownKind::Notice, std::string(Msg::NoWorksForDiagram)},
                                   {TShownKind::Notice, std::string(Msg::NothingToSave)}}));
    EXPECT_FALSE(Program->WorksTableForm->isVisible());
}

TEST_F(MainForm, DependenceCommandShowsTheTableWindow) {
    AddWork(QStringLiteral("A"), QStringLiteral("1"));
    Main().DependenceBtnClick();
    EXPECT_TRUE(Program->WorksTableForm->isVisible());
    EXPECT_TRUE(Dialogs.Shown.empty());
}

TEST_F(MainForm, SaveDialogProposesTheLastChosenOrLoadedNameAndNoneAfterNew) {
    AddWork(QStringLiteral("A"), QStringLiteral("1"));
    const std::string First = File("first.kcrct");
    Dialogs.SaveNames = {std::nullopt, First, std::nullopt};
    Main().FileSaveMenuClick();
    EXPECT_TRUE(List().Modified) << "cancelled";
    Main().FileSaveMenuClick();
    EXPECT_FALSE(List().Modified) << "saved";
    Main().FileSaveAsMenuClick();
    EXPECT_EQ(Dialogs.Texts(TShownKind::SaveDialog), (std::vector<std::string>{"", "", First}));

    Main().N4Click();
    Dialogs.Shown.clear();
    AddWork(QStringLiteral("B"), QStringLiteral("1"));
    Dialogs.SaveNames = {std::nullopt};
    Main().FileSaveMenuClick();
    EXPECT_EQ(Dialogs.Texts(TShownKind::SaveDialog), std::vector<std::string>{""});

    Dialogs.Answers = {false};
    Dialogs.OpenNames = {First};
    Main().FileLoadMenuClick();
    Dialogs.Shown.clear();
    Dialogs.SaveNames = {std::nullopt};
    Main().FileSaveAsMenuClick();
    EXPECT_EQ(Dialogs.Texts(TShownKind::SaveDialog), std::vector<std::string>{First});
}

// A scheme with a file of its own is saved there without a dialog, as in
// every desktop program; the file becomes the first of the recent ones.
TEST_F(MainForm, SaveWritesToTheSchemesOwnFileAndSaveAsAsks) {
    const std::string Scheme = SavedScheme();
    Main().LoadScheme(Scheme);
    AddWork(QStringLiteral("Кровля"), QStringLiteral("2"));
    ASSERT_TRUE(Main().FileSaveMenuClick());
    EXPECT_TRUE(Dialogs.Texts(TShownKind::SaveDialog).empty());
    EXPECT_FALSE(List().Modified);
    Main().N4Click();
    Main().LoadScheme(Scheme);
    EXPECT_EQ(List().Count(), 3);

    const std::string Copy = File("copy.kcrct");
    Dialogs.SaveNames = {Copy};
    ASSERT_TRUE(Main().FileSaveAsMenuClick());
    EXPECT_EQ(Main().windowTitle(), QStringLiteral("copy.kcrct[*] — KORVANT"));
    const QList<QAction*> Recent = Main().RecentMenu->actions();
    ASSERT_EQ(Recent.size(), 2);
    EXPECT_EQ(Recent[0]->text(), QStringLiteral("&1 copy.kcrct"));
    EXPECT_EQ(Recent[1]->text(), QStringLiteral("&2 two.kcrct"));
    EXPECT_EQ(QSettings().value(QStringLiteral("RecentFiles")).toStringList().size(), 2);

    // Choosing a recent scheme asks about unsaved changes as loading does.
    AddWork(QStringLiteral("Лишняя"), QStringLiteral("1"));
    Dialogs.Shown.clear();
    Dialogs.Answers = {false};
    Recent[1]->trigger();
    EXPECT_EQ(Dialogs.Texts(TShownKind::Question),
              std::vector<std::string>{std::string(Msg::SaveBeforeLoad)});
    EXPECT_EQ(List().Count(), 3);
    EXPECT_EQ(Main().windowTitle(), QStringLiteral("two.kcrct[*] — KORVANT"));
}

TEST_F(MainForm, AboutNamesTheVersionAndTheWorksArcsTableOpensFromTheMenu) {
    Main().AboutMenu->trigger();
    const std::vector<std::string> Boxes = Dialogs.Texts(TShownKind::Plain);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_NE(Boxes[0].find("версия 0."), std::string::npos) << Boxes[0];
    AddWork(QStringLiteral("A"), QStringLiteral("1"));
    Main().WorksArcsMenu->trigger();
    EXPECT_TRUE(Program->ArcWorkForm->isVisible());
}

TEST_F(MainForm, AFailedSaveIsReportedAndTheSchemeStaysModified) {
    AddWork(QStringLiteral("A"), QStringLiteral("1"));
    Dialogs.SaveNames = {File("no-such-folder/x.kcrct")};
    Main().FileSaveMenuClick();
    EXPECT_EQ(Dialogs.Texts(TShownKind::FileError),
              std::vector<std::string>{std::string(Msg::WriteError)});
    EXPECT_TRUE(List().Modified);
}

TEST_F(MainForm, AnEmptySchemeIsNeverQuestioned) {
    Main().N4Click();
    Dialogs.OpenNames = {std::nullopt};
    Main().FileLoadMenuClick();
    Main().close();
    EXPECT_TRUE(Dialogs.Texts(TShownKind::Question).empty());
}

TEST_F(MainForm, ASavedSchemeIsNotQuestioned) {
    AddWork(QStringLiteral("A"), QStringLiteral("1"));
    Dialogs.SaveNames = {File("a.kcrct")};
    Main().FileSaveMenuClick();
    Dialogs.OpenNames = {std::nullopt};
    Main().FileLoadMenuClick();
    Main().close();
    Main().N4Click();
    EXPECT_TRUE(Dialogs.Texts(TShownKind::Question).empty());
}

TEST_F(MainForm, NewStopsAtCancelOrACancelledOrFailedSaveAndGoesOnAfterNo) {
    AddWork(QStringLiteral("A"), QStringLiteral("1"));
    Dialogs.Answers = {TAnswer::Cancel, true, true, false};
    Dialogs.SaveNames = {std::nullopt, File("no-such-folder/x.kcrct")};
    for (int Attempt = 0; Attempt < 3; ++Attempt) {
        Main().N4Click();
        EXPECT_EQ(Rows(), (TRows{{"A", "1"}})) << Attempt;
        EXPECT_TRUE(List().Modified);
    }
    EXPECT_EQ(Dialogs.Texts(TShownKind::Question),
              std::vector<std::string>(3, std::string(Msg::SaveBeforeNew)));
    Main().N4Click();
    EXPECT_EQ(List().Count(), 0);
    EXPECT_EQ(Rows(), (TRows{{"", ""}}));
    EXPECT_FALSE(List().Modified);
}

TEST_F(MainForm, NewAfterYesSavesTheScheme) {
    AddWork(QStringLiteral("A"), QStringLiteral("1"));
    const std::string Name = File("before-new.kcrct");
    Dialogs.Answers = {true};
    Dialogs.SaveNames = {Name};
    Main().N4Click();
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(Name)));
    EXPECT_EQ(List().Count(), 0);
}

TEST_F(MainForm, LoadAsksTheLoadQuestionStopsAtACancelledSaveAndGoesOnAfterNo) {
    const std::string Scheme = SavedScheme();
    AddWork(QStringLiteral("Лишняя"), QStringLiteral("1"));
    Dialogs.Answers = {true, false};
    Dialogs.SaveNames = {std::nullopt};
    Dialogs.OpenNames = {Scheme};
    Main().FileLoadMenuClick();
    EXPECT_EQ(Rows(), (TRows{{"Лишняя", "1"}}));
    Main().FileLoadMenuClick();
    EXPECT_EQ(Dialogs.Shown,
              (std::vector<TShown>{{TShownKind::Question, std::string(Msg::SaveBeforeLoad)},
                                   {TShownKind::SaveDialog, ""},
                                   {TShownKind::Question, std::string(Msg::SaveBeforeLoad)},
                                   {TShownKind::OpenDialog, ""}}));
    EXPECT_EQ(Rows(), (TRows{{"Котлован", "3"}, {"Фундамент", "4.5"}}));
    EXPECT_FALSE(List().Modified);
    EXPECT_FALSE(Main().UndoAction->isEnabled()) << "a file just loaded has nothing to undo";
}

TEST_F(MainForm, CancelledOpenDialogKeepsTheScheme) {
    AddWork(QStringLiteral("A"), QStringLiteral("1"));
    Dialogs.Answers = {false};
    Dialogs.OpenNames = {std::nullopt};
    Main().FileLoadMenuClick();
    EXPECT_EQ(Rows(), (TRows{{"A", "1"}}));
    EXPECT_TRUE(List().Modified);
}

TEST_F(MainForm, LoadingAMissingFileLeavesAnEmptyList) {
    AddWork(QStringLiteral("A"), QStringLiteral("1"));
    Dialogs.Answers = {false};
    Dialogs.OpenNames = {File("missing.kcrct")};
    Main().FileLoadMenuClick();
    EXPECT_EQ(Dialogs.Texts(TShownKind::FileError),
              std::vector<std::string>{std::string(Msg::ReadError)});
    EXPECT_EQ(List().Count(), 0);
    EXPECT_EQ(Rows(), (TRows{{"", ""}}));
    EXPECT_FALSE(List().Modified);
    EXPECT_FALSE(Program->WorksTableForm->isVisible());
}

TEST_F(MainForm, ThePathSwitchAfterALoadMarksTheSchemeModifiedSoClosingAsks) {
    const std::string Scheme = SavedScheme();
    Dialogs.OpenNames = {Scheme};
    Main().FileLoadMenuClick();
    ASSERT_FALSE(List().Modified);
    std::vector<std::int32_t> Kinds;
    List().AddListener([&](TWorkList&, std::int32_t, std::int32_t Kind) { Kinds.push_back(Kind); });

    Main().CrtFastPathMenu->trigger();
    EXPECT_FALSE(Main().CrtFastPathMenu->isChecked());
    EXPECT_EQ(Sign, +1);
    EXPECT_TRUE(List().Modified);
    Main().CrtFastPathMenu->trigger();
    EXPECT_EQ(Sign, -1);
    EXPECT_EQ(Kinds, (std::vector<std::int32_t>{ckPathMode, ckPathMode}));

    // Yes saves to the loaded file itself, without a dialog.
    Dialogs.Answers = {true};
    Main().ExitMenuClick();
    EXPECT_EQ(Dialogs.Texts(TShownKind::Question),
              std::vector<std::string>{std::string(Msg::SaveBeforeExit)});
    EXPECT_TRUE(Dialogs.Texts(TShownKind::SaveDialog).empty());
    EXPECT_FALSE(List().Modified);
    EXPECT_FALSE(Main().isVisible());
}

TEST_F(MainForm, ClosingStopsAtCancelOrACancelledSaveAndEndsTheProgramAfterNo) {
    AddWork(QStringLiteral("A"), QStringLiteral("1"));
    Program->Start();
    bool Closed = false;
    QObject::connect(&Main(), &TMainForm::Closed, [&] { Closed = true; });
    Dialogs.Answers = {TAnswer::Cancel, true, false};
    Dialogs.SaveNames = {std::nullopt};
    EXPECT_FALSE(Main().close());
    EXPECT_FALSE(Main().close());
    EXPECT_FALSE(Closed);
    EXPECT_TRUE(Main().isVisible());
    EXPECT_TRUE(Main().close());
    EXPECT_TRUE(Closed);
    EXPECT_FALSE(Main().isVisible());
}

TEST_F(MainForm, TheHelpCommandOpensTheDocumentBesideTheProgram) {
    Main().N9Click();
    const std::vector<std::string> Paths = Dialogs.Texts(TShownKind::Help);
    ASSERT_EQ(Paths.size(), 1u);
    EXPECT_TRUE(QString::fromStdString(Paths[0]).endsWith(QStringLiteral("/korvant-help.html")));
}

TEST_F(MainForm, LoadSchemeFillsTheGridWithTheFilesWorks) {
    const std::string Scheme = SavedScheme();
    Main().LoadScheme(Scheme);
    EXPECT_EQ(Rows(), (TRows{{"Котлован", "3"}, {"Фундамент", "4.5"}}));
    EXPECT_FALSE(List().Modified);
    EXPECT_EQ(Main().SaveDialogFileName(), Scheme);
    EXPECT_TRUE(Dialogs.Shown.empty());
}

// Every change through the history: delete, insert, move, the table's cells and
// the path switch are undone and redone exactly, and the modified mark follows
// the state last saved.
TEST_F(MainForm, EveryChangeIsUndoneAndRedoneAndTheModifiedMarkFollowsTheSavedState) {
    AddWork(QStringLiteral("A"), QStringLiteral("1"));
    AddWork(QStringLiteral("B"), QStringLiteral("2,5"));
    AddWork(QStringLiteral("C"), QStringLiteral("3.5"));
    TEditHistory& History = Main().History;
    ASSERT_TRUE(History.SetDependency(1, 0, true));
    ASSERT_TRUE(History.SetDependency(2, 1, true));
    EXPECT_FALSE(History.SetDependency(2, 1, true)) << "no change, no step";
    const std::string Saved = File("abc.kcrct");
    Dialogs.SaveNames = {Saved};
    ASSERT_TRUE(Main().FileSaveMenuClick());
    EXPECT_EQ(Main().windowTitle(), QStringLiteral("abc.kcrct[*] — KORVANT"));
    const auto Cells = [this] {
        std::vector<TABs> Rows;
        for (int i = 0; i < List().Count(); ++i)
            Rows.push_back(List().GetWork(i).Links);
        return Rows;
    };
    const std::vector<TABs> Before = Cells();

    Main().WorksEditor->setCurrentCell(1, 0);
    Main().DeleteWorkBtn->trigger();
    EXPECT_EQ(Rows(), (TRows{{"A", "1"}, {"C", "3.5"}}));
    EXPECT_EQ(List().GetWork(1).Links[0], LinkDirect) << "C waits for A";
    EXPECT_TRUE(List().Modified);
    EXPECT_TRUE(Main().isWindowModified());
    EXPECT_EQ(Main().UndoAction->text(), QStringLiteral("Отменить: удаление «B»"));
    Main().UndoAction->trigger();
    EXPECT_EQ(Rows(), (TRows{{"A", "1"}, {"B", "2.5"}, {"C", "3.5"}}));
    EXPECT_EQ(Cells(), Before);
    EXPECT_FALSE(List().Modified) << "back where the file was saved";
    EXPECT_EQ(Main().RedoAction->text(), QStringLiteral("Вернуть: удаление «B»"));

    Main().WorksEditor->setCurrentCell(2, 0);
    Main().MoveUpBtn->trigger();
    EXPECT_EQ(Rows(), (TRows{{"A", "1"}, {"C", "3.5"}, {"B", "2.5"}}));
    EXPECT_EQ(Main().WorksEditor->currentRow(), 1) << "the selection follows the work";
    Main().MoveUpBtn->trigger();
    Main().MoveUpBtn->trigger();
    EXPECT_EQ(Rows(), (TRows{{"C", "3.5"}, {"A", "1"}, {"B", "2.5"}}));
    EXPECT_FALSE(Main().RedoAction->isEnabled()) << "a new step ends what could be redone";

    Main().WorksEditor->setCurrentCell(0, 0);
    TypeWork([this] { Main().InsertWorkClick(); }, QStringLiteral("X"), QStringLiteral("4"));
    EXPECT_EQ(Rows(), (TRows{{"X", "4"}, {"C", "3.5"}, {"A", "1"}, {"B", "2.5"}}));
    EditRow(1, QStringLiteral("X2"), QStringLiteral("5"));
    EXPECT_EQ(Rows()[0], (std::pair<std::string, std::string>{"X2", "5"}));
    Main().CrtFastPathMenu->trigger();
    EXPECT_EQ(Sign, +1);

    for (int Step = 0; Step < 5; ++Step)
        Main().UndoAction->trigger();
    EXPECT_EQ(Sign, -1);
    EXPECT_TRUE(Main().CrtFastPathMenu->isChecked());
    EXPECT_EQ(Rows(), (TRows{{"A", "1"}, {"B", "2.5"}, {"C", "3.5"}}));
    EXPECT_EQ(Cells(), Before);
    EXPECT_FALSE(List().Modified);
    Main().RedoAction->trigger();
    EXPECT_TRUE(List().Modified);

    // A fresh scheme has nothing to undo.
    Dialogs.Answers = {false};
    Main().N4Click();
    EXPECT_FALSE(Main().UndoAction->isEnabled());
    EXPECT_EQ(Main().windowTitle(), QStringLiteral("Новая схема[*] — KORVANT"));
}

// Import reads the whole plan before the scheme is touched; what it brings
// stays unsaved with nothing to undo, and export writes what import reads.
TEST_F(MainForm, ImportReplacesTheSchemeOnlyWhenTheWholeFileIsReadAndExportReadsBack) {
    AddWork(QStringLiteral("Старая"), QStringLiteral("1"));
    const auto Write = [this](const char* Name, const QByteArray& Bytes) {
        QFile Out(QString::fromStdString(File(Name)));
        EXPECT_TRUE(Out.open(QIODevice::WriteOnly));
        Out.write(Bytes);
        return File(Name);
    };
    const std::string Bad = Write("bad.csv", "Name;Duration\nA;x\n");
    const std::string Good =
        Write("plan.csv", "Name;Duration;Predecessors\nA;2,5;\nA;1;1\n\"C;D\";3;1 2\n");
    Dialogs.Answers = {false, false};
    Dialogs.OpenNames = {Bad, Good};
    Main().ImportClick();
    EXPECT_EQ(Rows(), (TRows{{"Старая", "1"}}));
    EXPECT_EQ(Dialogs.Texts(TShownKind::FileError).size(), 1u);
    EXPECT_TRUE(List().Modified);

    Main().ImportClick();
    EXPECT_EQ(Rows(), (TRows{{"A", "2.5"}, {"A (2)", "1"}, {"C;D", "3"}}));
    EXPECT_EQ(List().GetWork(2).Links, (TABs{LinkRedundant, LinkDirect, -1}));
    EXPECT_TRUE(List().Modified) << "not saved as a scheme yet";
    EXPECT_FALSE(Main().UndoAction->isEnabled());
    ASSERT_EQ(Dialogs.Texts(TShownKind::Notice).size(), 1u) << "the name made unique";
    EXPECT_EQ(Main().SaveDialogFileName(), File("plan.kcrct"));

    for (const char* Name : {"out.csv", "out.xml"}) {
        Dialogs.SaveNames = {File(Name)};
        Main().ExportClick();
        Dialogs.Answers = {false};
        Dialogs.OpenNames = {File(Name)};
        Main().ImportClick();
        EXPECT_EQ(Rows(), (TRows{{"A", "2.5"}, {"A (2)", "1"}, {"C;D", "3"}})) << Name;
        EXPECT_EQ(List().GetWork(2).Links, (TABs{LinkRedundant, LinkDirect, -1})) << Name;
    }
    EXPECT_EQ(Dialogs.Texts(TShownKind::FileError).size(), 1u);
}

// On a file system with no room left, export and both picture saves say
// which file was not written and why, and the files that were there stay.
TEST_F(MainForm, OnAFullDiskExportAndPictureSavesNameTheFileAndTheReason) {
    TFullDisk Disk;
    if (!Disk.Ready())
        GTEST_SKIP() << Disk.Why;
    Program->Start(KORVANT_EXAMPLE_FILE);
    const std::vector<std::string> Names = {"plan.csv", "plan.xml", "diagram.png", "table.svg"};
    for (const std::string& Name : Names)
        Disk.Put(Name, "old " + Name);
    ASSERT_TRUE(Disk.Fill());
    const std::string Reason = std::strerror(ENOSPC);
    std::vector<std::string> Expected;
    for (const char* Name : {"plan.csv", "plan.xml"}) {
        Dialogs.SaveNames = {Disk.File(Name)};
        Main().ExportClick();
        Expected.push_back(std::string(Msg::WriteError) + "\r" + Disk.File(Name) + ": " + Reason);
    }
    Dialogs.SaveNames = {Disk.File("diagram.png"), Disk.File("table.svg")};
    // The diagram is laid out while its window is shown.
    Program->CircuitForm->show();
    Program->CircuitForm->SavePictureClick();
    Program->WorksTableForm->SavePictureClick();
    for (const char* Name : {"diagram.png", "table.svg"})
        Expected.push_back("Рисунок не сохранён в файл «" + Disk.File(Name) + "»: " + Reason);
    EXPECT_EQ(Dialogs.Texts(TShownKind::FileError), Expected);
    for (const std::string& Name : Names) {
        QFile File(QString::fromStdString(Disk.File(Name)));
        ASSERT_TRUE(File.open(QIODevice::ReadOnly)) << Name;
        EXPECT_EQ(File.readAll().toStdString(), "old " + Name);
    }
    std::vector<std::string> Sorted = Names;
    std::sort(Sorted.begin(), Sorted.end());
    EXPECT_EQ(Disk.Entries(), Sorted) << "no temporary file is left behind";
}

} // namespace

namespace {

// A scheme the file cannot hold would be saved but never opened again: the
// work past the limit is refused before the editor opens.
TEST_F(MainForm, NoWorkIsAddedPastTheLargestSchemeAFileHolds) {
    List().Updating = true;
    TWorkData Work{"W", 1, TABs(static_cast<std::size_t>(MaxWorks), LinkFree)};
    for (int i = 0; i < MaxWorks; ++i)
        List().AddWork(Work, false);
    Main().AddWorkBtnClick();
    Main().InsertWorkClick();
    EXPECT_EQ(List().Count(), MaxWorks);
    const std::string Refusal = std::string(Msg::WorkLimitReached) + ": " + std::to_string(MaxWorks);
    EXPECT_EQ(Dialogs.Texts(TShownKind::Notice), (std::vector<std::string>{Refusal, Refusal}));
    EXPECT_FALSE(Editor().isVisible());
    List().Clear();
}

} // namespace
