#pragma once
// The Gantt chart window "Диаграмма Ганта": the plan of the analysis the
// analyser hands over as bars on a time axis, one row per work. It needs no
// layout of the network, only the schedule, so it costs an edit the making of
// the chart's rows while shown and nothing while hidden. The name column and the date header stay
// put while the bars scroll; Ctrl with the wheel, Ctrl++ and Ctrl+- zoom in time; the pointer over
// a row tells the work's dates and floats. A click on a row selects the work in the main window,
// and the main window's selection is marked here. While a newer scheme is analysed the title says
// so. With resources, the load chart stands under the bars and scrolls across
// with them; "Выровнять по ресурсам" levels the scheme off the window's thread
// and shows the levelled bars over the critical-path ones.

#include "drawing/GanttChart.h"
#include "drawing/LoadChart.h"

#include <QAbstractScrollArea>
#include <QWidget>

#include <memory>
#include <string>

class QAction;
class QLabel;
class QSplitter;
class TAnalyser;
class TDialogs;
class TGanttForm;
class TLevellingRunner;
class TLoadView;
class TWorkList;

// The scrolled chart: paints the part in view and passes clicks and the
// pointer on to the form.
class TGanttView : public QAbstractScrollArea {
    Q_OBJECT

public:
    TGanttView(TGanttForm& Form, QWidget* Parent);
    void UpdateRanges();
    // The chart's point under a point of the viewport.
    QPointF ChartPoint(QPointF At) const;
    // Scrolls the row into view.
    void ShowRow(int Row);

protected:
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void wheelEvent(QWheelEvent* Event) override;
    bool viewportEvent(QEvent* Event) override;

private:
    TGanttForm& Form;
};

class TGanttForm : public QWidget {
    Q_OBJECT

public:
    // Shows what Analyser hands over; List gives the calendar of the scheme.
    TGanttForm(const TWorkList& List, TAnalyser& Analyser, TDialogs& Dialogs, QWidget* Parent);
    ~TGanttForm() override;

    // Makes the chart from the analyser's current analysis.
    void Rebuild();
    const TGanttChart* Chart() const { return Shown.get(); }
    double Zoom() const { return Options.PixelsPerDay; }
    // Anchor: pixels into the bars' part of the view whose moment stays put.
    void SetZoom(double PixelsPerDay, double Anchor = 0);
    // Marks the work (a position in the list; -1 for none) and scrolls to it.
    void SelectWork(int Work);
    int SelectedWork() const { return Selected; }
    // The tooltip of a row: the work's name, dates (or day numbers) and
    // floats.
    QString RowText(int Row) const;
    bool SavePictureTo(const std::string& FileName);
    void ClickRow(int Row);
    // "Выровнять по ресурсам": shows the window and levels the scheme as it
    // stands, off the window's thread; the levelled bars come when it is done.
    void LevelClick();
    const TLoadChart* Load() const { return ShownLoad.get(); }
    const TLevellingRunner& Levelling() const { return *Runner; }
    QString StatusText() const;

    QAction* SortAction;
    QAction* LinksAction;
    QAction* ZoomInAction;
    QAction* ZoomOutAction;
    QAction* SaveAction;
    QAction* PrintAction;
    QAction* LevelAction;
    QAction* LoadAction;
    // Which schedule the load chart (and, levelled, the bars) shows.
    QAction* EarlyAction;
    QAction* LateAction;
    QAction* LevelledAction;
    TGanttView* View;
    TLoadView* LoadView;

signals:
    // The user picked a work in the chart.
    void WorkClicked(int Work);

protected:
    void showEvent(QShowEvent* Event) override;

private:
    void CreateActions();
    void CreateLoadActions(QMenu* Menu);
    // The levelling shown belongs to the analysis shown.
    bool LevelledCurrent() const;
    bool ShowsLevelled() const;
    std::vector<TResourceLoad> LoadsOf(const TLevelledSchedule* Levelled) const;
    void AnalysisReady();
    void LevellingFinished();
    void UpdateStatus();
    void UpdateTitle();
    void PrintClick();
    void SavePictureClick();

    const TWorkList& List;
    TAnalyser& Analyser;
    TDialogs& Dialogs;
    TGanttOptions Options;
    std::unique_ptr<TGanttChart> Shown;
    std::unique_ptr<TLoadChart> ShownLoad;
    TLevellingRunner* Runner;
    QSplitter* Split;
    QLabel* Status;
    // Levelling was asked for while a newer scheme was being analysed.
    bool LevelWhenReady = false;
    // The levelled schedule shown last belonged to a scheme since changed.
    bool LevelledOutdated = false;
    bool SplitSet = false;
    int Selected = -1;
    // An analysis came while the window was hidden.
    bool Stale = true;
};
