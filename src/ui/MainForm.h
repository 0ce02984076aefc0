#pragma once
// The main window: the list of works, kept row for row in step with the work
// list, and the menus through which every other window and every file
// operation is reached. Every change it makes goes through the edit history,
// whose undo and redo it offers. It asks about unsaved changes before a scheme
// is thrown away (a cancelled or failed save stops the command), switches the
// path mode and opens the help document. The title names the scheme's file
// and marks unsaved changes.

#include "core/Real.h"
#include "ui/EditHistory.h"

#include <QMainWindow>
#include <QPointer>

#include <cstdint>
#include <string>
#include <string_view>

class QAction;
class QMenu;
class QTableWidget;
class TDialogs;
class TRecentFiles;
class TWorkEditForm;
class TWorkList;

class TMainForm : public QMainWindow {
    Q_OBJECT

public:
    // PathSign is the program's path mode, -1 critical and +1 shortest; the
    // check mark of the path item starts set, so it starts as -1.
    TMainForm(TWorkList& List, TDialogs& Dialogs, std::int32_t& PathSign);
    ~TMainForm() override;

    // The windows the commands open, set by start-up once they exist.
    void SetWorkEditor(TWorkEditForm* Editor) { WorkEditor = Editor; }
    void SetWorksTable(QWidget* Window) { WorksTable = Window; }
    void SetCircuitForm(QWidget* Window) { CircuitForm = Window; }
    void SetDebugForm(QWidget* Window) { DebugForm = Window; }
    void SetWorksArcs(QWidget* Window) { WorksArcs = Window; }
    void SetGantt(QWidget* Window) { Gantt = Window; }
    void SetDemandsTable(QWidget* Window) { DemandsTable = Window; }
    // Selects the work's row (a position in the list), as a click in
    // another window asks.
    void SelectWork(int Index) { SelectRow(Index); }

    // The work editor's name check: whether a row other than Index (grid
    // rows counted from 1 below the title row) holds exactly Name. Message
    // is the notice to show when it does. Duration is not used.
    bool IsNameTaken(const std::string& Name, std::int32_t Index, TReal Duration,
                     std::string& Message) const;

    // What "Загрузить" does once a file is chosen; start-up uses it for the
    // file named on the command line.
    void LoadScheme(const std::string& FileName);

    void N4Click();
    // True when the scheme was saved: to its own file without a question
    // when it has one, otherwise as "Сохранить как…".
    bool FileSaveMenuClick();
    // Asks for the file first; true when the scheme was saved.
    bool FileSaveAsMenuClick();
    // Loads a scheme from the list of recent ones, after the question about
    // unsaved changes.
    void OpenRecent(const std::string& FileName);
    void WorksArcsClick();
    void GanttClick();
    void AboutClick();
    void FileLoadMenuClick();
    void ExitMenuClick();
    // Reads a plan of another program into a new scheme, which replaces the
    // current one only when the whole file was read; it stays unsaved.
    void ImportClick();
    // Writes the scheme in the format of the chosen suffix.
    void ExportClick();
    void AddWorkBtnClick();
    void DependenceBtnClick();
    void N3Click();
    void N6Click();
    void CrtFastPathMenuClick();
    void N9Click();
    void WorksEditorDblClick();
    void WorksEditorKeyUp(int Key);
    void DeleteWorkClick();
    void InsertWorkClick();
    // Moves the selected work one place up (-1) or down (+1).
    void MoveWorkClick(int Step);

    // The history every change of the scheme goes through; the other windows
    // push their changes into it too.
    TEditHistory History;

    // The file name the save dialog proposes: the one last chosen in it or
    // taken over from a load, none after "Новый".
    const std::string& SaveDialogFileName() const { return SaveName; }
    // The help document, beside the program.
    QString HelpFile;

    QTableWidget* WorksEditor;
    QMenu* FileMenu;
    QMenu* EditMenu;
    QMenu* DataMenu;
    QMenu* N5;
    QMenu* OptionsMenu;
    QMenu* HelpMenu;
    QAction* N4;
    QAction* FileSaveMenu;
    QAction* FileSaveAsMenu;
    QMenu* RecentMenu;
    TRecentFiles* Recent;
    QAction* FileLoadMenu;
    QAction* ImportMenu;
    QAction* ExportMenu;
    QAction* ExitMenu;
    QAction* UndoAction;
    QAction* RedoAction;
    QAction* AddWorkBtn;
    QAction* InsertWorkBtn;
    QAction* DeleteWorkBtn;
    QAction* MoveUpBtn;
    QAction* MoveDownBtn;
    QAction* DependenceBtn;
    QAction* N3;
    QAction* WorksArcsMenu;
    QAction* GanttMenu;
    QAction* CalendarMenu;
    QAction* ResourcesMenu;
    QAction* DemandsMenu;
    QAction* LevelMenu;
    QAction* AboutMenu;
    QAction* N6;
    QAction* CrtFastPathMenu;
    QAction* N9;

signals:
    // The window has closed; the program ends with it.
    void Closed();
    // "Выровнять по ресурсам": the Gantt chart's window levels the scheme.
    void LevelAsked();
    // Another scheme is about to take the place of this one (loaded,
    // imported or made anew).
    void SchemeReplaced();
    // The selected work has changed (its position; -1 for none).
    void WorkSelected(int Index);

protected:
    void resizeEvent(QResizeEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void CreateMenus();
    // Whether one more work fits into a scheme file; says so when not.
    bool RoomForAWork();
    void FormResize();
    // Whether the command that throws the scheme away may go on: asks about
    // unsaved changes and saves on Yes.
    bool FormCloseQuery(std::string_view Question);
    void ListChanged(int Index, int Kind);
    // Makes the grid show the list's works, row by row.
    void SyncGrid();
    void SelectRow(int Index);
    // The selected work's position, or -1 when the grid shows no work.
    int SelectedWork() const;
    void UpdateTitle();
    bool HoldsWorks() const { return FilledRows > 0; }
    // Grid rows as the commands count them: the title row is row 0.
    int RowCount() const;
    QString Cell(int Column, int Row) const;
    void SetCell(int Column, int Row, const QString& Text);
    void EmptyGrid();
    void ShowWindow(QWidget* Window);
    // Writes the scheme to FileName, which becomes its own file.
    bool SaveTo(const std::string& FileName);

    TWorkList& List;
    TDialogs& Dialogs;
    std::int32_t& PathSign;
    TWorkEditForm* WorkEditor = nullptr;
    QPointer<QWidget> WorksTable;
    QPointer<QWidget> CircuitForm;
    QPointer<QWidget> DebugForm;
    QPointer<QWidget> WorksArcs;
    QPointer<QWidget> Gantt;
    QPointer<QWidget> DemandsTable;
    std::string SaveName;
    // The file the scheme was last loaded from or saved to; none for a new one.
    std::string SchemeFile;
    // Data rows that hold a work; the grid shows one blank row when none does.
    int FilledRows = 0;
};
