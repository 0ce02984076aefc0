#pragma once
// "Потребности в ресурсах": the works down, the resources across, in each
// cell the units of the resource the work keeps busy, typed like a
// spreadsheet's numbers. Each cell entered is one step of the history, so
// the table follows undo and redo like any other window. A demand above the
// resource's availability is kept but shown red: levelling cannot place
// such a work. The window of every work follows the list (works added,
// deleted, renamed, moved); the same table for one work sits in the work
// editor's "Ресурсы…" dialog.

#include <QWidget>

class QLabel;
class QTableWidget;
class TDialogs;
class TEditHistory;
class TWorkList;

class TDemandsTable : public QWidget {
    Q_OBJECT

public:
    // Every work, in a window of its own that registers its listener with
    // List (so List must outlive it); with OnlyWork, that work alone, as a
    // part of another window, refilled after its own edits only.
    TDemandsTable(TWorkList& List, TEditHistory& History, TDialogs& Dialogs,
                  QWidget* Parent = nullptr, int OnlyWork = -1);

    // Makes the cells show the list's demands: at once when shown, otherwise
    // when next shown.
    void Refill();
    // Text typed into the cell of Row and resource Column: an empty text is
    // 0, a number (comma or point) the units. False, with a notice and the
    // cell as it was, for a text that is no such number, and false for a
    // number the work already had.
    bool EnterDemand(int Row, int Column, const QString& Text);
    // The work shown in Row.
    int WorkOfRow(int Row) const { return OnlyWork >= 0 ? OnlyWork : Row; }

    QTableWidget* Grid;
    // Says how to get resources, where the scheme has none.
    QLabel* NoResources;

protected:
    void showEvent(QShowEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void ListChanged(int Kind);
    void FillCells();
    void MoveDown();

    TWorkList& List;
    TEditHistory& History;
    TDialogs& Dialogs;
    int OnlyWork;
    // Changes of the cells made by FillCells, not by the user.
    bool Filling = false;
    bool Stale = true;
};

// The demands of one work as a modal dialog over Parent, each cell applied
// as it is entered.
void ExecuteWorkDemands(TWorkList& List, TEditHistory& History, TDialogs& Dialogs, int Work,
                        QWidget* Parent);
