#pragma once
// The works-arcs window "Работы-Дуги": which pair of events each real arc of
// the diagram joins, which work it stands for and how long that work takes,
// then the work's schedule: early and late start and finish, total and free
// float. The rows of critical works are red.
// It stays above the program's other windows and refills its table from
// every analysis the analyser hands over (no layout is needed for it); while
// a newer scheme is analysed its title says so.

#include "ui/UserGeometry.h"

#include <QWidget>

class QAction;
class QTableView;
class TWorkList;
class TAnalyser;
class TArcTableModel;

class TArcWorkForm : public QWidget {
    Q_OBJECT

public:
    static constexpr int RowHeight = 16;

    explicit TArcWorkForm(TAnalyser& Analyser, QWidget* Parent = nullptr);

    // The header row alone, then the arcs when there are at least two works.
    void RefreshTable();
    void FillTable();

    // The grid as its rows count: until the first refresh the header is the
    // grid's fixed row 0; from then on it is an ordinary first row.
    bool HeaderFixed() const;
    int RowCount() const;
    QString Cell(int Column, int Row) const;
    // Whether the row is written in red (a critical work).
    bool RowRed(int Row) const;

    // The scheme whose calendar gives the dates; none: day numbers only.
    void SetList(const TWorkList* Scheme) { List = Scheme; }
    // Whether the start and finish columns hold dates.
    bool ShowsDates() const;

    QTableView* SG;
    // Dates rather than day numbers, in the window's "Вид" menu.
    QAction* DatesAction;
    bool UserSized() const { return Geometry.Touched(); }

protected:
    void resizeEvent(QResizeEvent* Event) override;
    void moveEvent(QMoveEvent* Event) override;
    void showEvent(QShowEvent* Event) override;

private:
    void FormCreate();
    void FormResize();
    // Grows a window not yet shown to hold every column and row, as far as
    // the screen allows.
    void FitToRows();
    void UpdateTitle();
    TArcTableModel* Model;
    TUserGeometry Geometry;

    TAnalyser& Analyser;
    const TWorkList* List = nullptr;
};
