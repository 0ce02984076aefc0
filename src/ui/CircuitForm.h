#pragma once
// The diagram window "График": it shows the picture of the analysis the
// analyser hands over, laid out only while the window is shown (a hidden
// window asks for no layout), and shows the picture at its own size. While a
// newer scheme is being analysed it keeps the previous picture and says so in
// its title. A picture larger than the screen
// scrolls; only the part in view is painted, when it is needed. A right click
// on an event opens the pop-up list of the event's works; elsewhere it opens
// the window's menu: the detailed and time-scaled views, zoom, finding, the
// overview, saving and printing the picture. The arc under the pointer is
// marked with both its
// events, a left click on an event marks all its arcs, and "Найти…" marks
// what it found. The window sizes itself to the picture only until the user
// gives it a size of their own; the status bar shows the zoom.

#include "drawing/Marks.h"
#include "drawing/Picture.h"
#include "model/Calendar.h"
#include "network/Analysis.h"
#include "ui/UserGeometry.h"

#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>

class QAction;
class QLabel;
class QScrollArea;
class QStatusBar;
class TAnalyser;
class TCircuitForm;
class TDialogs;
class TFrame1;
class TOverview;
class TWorkList;

// The image control: paints the visible part of the picture from the network
// and passes mouse presses on, in picture coordinates.
class TCircuitImage : public QWidget {
    Q_OBJECT

public:
    TCircuitImage(TCircuitForm& Form, QWidget* Parent);

protected:
    bool event(QEvent* Event) override;
    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void leaveEvent(QEvent* Event) override;
    void wheelEvent(QWheelEvent* Event) override;

private:
    TCircuitForm& Form;
};

class TCircuitForm : public QWidget {
    Q_OBJECT

public:
    // Shows what Analyser hands over; List is the scheme being edited.
    // MainForm is the window F2 returns to.
    TCircuitForm(TWorkList& List, TAnalyser& Analyser, TDialogs& Dialogs, QWidget* MainForm);
    ~TCircuitForm() override;

    // The window F5 shows, set by start-up once it exists.
    void SetArcWorkForm(QWidget* Window) { ArcWorkForm = Window; }

    // Takes the analyser's current analysis and draws it: at once when it
    // has the layout the view needs, otherwise once the analyser brings it.
    void Rebuild();
    // Hides the list and whitens the picture.
    void ClearImage();
    // Fits the picture control to the drawing and the window to the picture,
    // at most as large as the screen allows.
    void ResizeCanvas();

    // X and Y in pixels of the control, at the current zoom.
    void ImMouseDown(Qt::MouseButton Button, int X, int Y);
    // The pointer over the control (none: it has left): the arc under it is
    // marked.
    void ImMouseMove(std::optional<QPoint> At);
    void Frame1sg1MouseDown(Qt::MouseButton Button);
    void FormKeyUp(int Key);

    // For the pop-up list: the left edge of the part of the picture in view,
    // growing the client area until Place fits (as far as the screen
    // allows), and the list having been shown.
    int ListLeft() const;
    void GrowClientFor(const QRect& Place);
    void ListShown();

    // The tooltip at a point of the picture: an event's number, early and
    // late time and slack, or the works an arc stands for with their
    // durations and floats; empty elsewhere.
    QString ToolTipAt(QPoint At) const;
    // The clock of the shown scheme's calendar; none without one.
    std::optional<TCalendarClock> SchemeClock() const;

    // Whether the picture shows the current network (it is white otherwise).
    bool Drawn() const { return PictureDrawn; }
    // The picture shown; none before the first analysis.
    const TPicture* Shown() const { return Picture.get(); }

    // The detailed view instead of the plain one (the plain one at start),
    // or the time-scaled one; turning either off shows the plain view.
    void SetDetailed(bool Detailed);
    bool Detailed() const { return Kind == TDiagramKind::Detailed; }
    void SetTimeScaled(bool TimeScaled);
    bool TimeScaled() const { return Kind == TDiagramKind::TimeScaled; }
    // The scale of the picture on the screen, and changing it so that the
    // point At of the control stays where it is.
    double Zoom() const { return Scale; }
    void SetZoom(double NewScale, QPoint At);
    void ZoomBy(double Factor);
    void FitToWindow();
    void ZoomActual();
    // A scheme was loaded or made anew: it opens at 100 % with nothing
    // marked.
    void NewScheme();

    // Finds Text as "Найти…" does, from the start; then the next place.
    // False when nothing matches. The place found is marked and scrolled
    // into view.
    bool Find(const QString& Text);
    bool FindNext();
    void FindClick();
    // The marks painted over the picture: the arc under the pointer, and
    // the chosen event's arcs or the place found.
    const TMarks& Hovered() const { return Hover; }
    const TMarks& Chosen() const { return Choice; }

    // The part of the picture in view (picture coordinates at scale 1), and
    // scrolling so that a point of the picture is in the middle of the view.
    QRectF VisibleRect() const;
    void CentreOn(QPointF At);
    // The user has given the window a size of their own: it keeps it.
    bool UserSized() const { return Geometry.Touched(); }
    int StatusHeight() const;
    // Writes the picture shown, whole, to a file whose suffix names the
    // format; a failure is reported in an error box. False when nothing was
    // written.
    bool SavePictureTo(const std::string& FileName);
    void SavePictureClick();
    void PrintClick();
    // The menu a right click outside the events opens, at a global point.
    void ShowMenu(QPoint Global);

    QAction* DetailedAction;
    QAction* TimeScaledAction;
    // The time-scaled view's free float dotted instead of wavy.
    QAction* DottedFloatAction;
    QAction* ZoomInAction;
    QAction* ZoomOutAction;
    QAction* FitAction;
    QAction* ActualAction;
    QAction* FindAction;
    QAction* FindNextAction;
    QAction* OverviewAction;
    QAction* SaveAction;
    QAction* PrintAction;
    // The names of the works of the analysis shown.
    const std::vector<std::string>& Names() const;
    // The analysis shown (its engine, network and result); an empty one
    // before the first.
    const TCircuitEngine& Engine() const;
    const std::shared_ptr<const TAnalysis>& Analysis() const { return Result; }
    // The largest client area the screen leaves for the window.
    QSize LargestClient() const;

    QScrollArea* Scroller;
    QWidget* Sheet;
    TCircuitImage* Im;
    TFrame1* Frame1;
    QStatusBar* Status;
    QLabel* ZoomLabel;
    TOverview* Overview;

signals:
    // What is in view has changed: scrolled, zoomed, resized or redrawn.
    void ViewChanged();
    // The picture is about to be made anew.
    void PictureChanged();

protected:
    void resizeEvent(QResizeEvent* Event) override;
    void moveEvent(QMoveEvent* Event) override;
    void keyReleaseEvent(QKeyEvent* Event) override;
    // Escape hides the event's list of works.
    void keyPressEvent(QKeyEvent* Event) override;
    void showEvent(QShowEvent* Event) override;
    void hideEvent(QHideEvent* Event) override;

private:
    void FormCreate();
    void FormDestroy();
    void CreateActions();
    // The toggles of the views.
    void CreateViewActions();
    // Shows the view of Kind.
    void ShowKind(TDiagramKind NewKind);
    // A new picture of the current result in the chosen view.
    void MakePicture();
    // The control's size for the picture at the current zoom.
    void SizeImage();
    // Tells the analyser what the window needs now.
    void AskForLayout();
    void UpdateTitle();
    // The scrolled sheet covers the picture and, while it is shown, the list.
    void UpdateSheet();
    void ResizeClient(QSize Client);
    // The scroller above the status bar.
    void LayoutChildren();
    void UpdateZoomLabel();
    void ShowFound(std::size_t Place);
    void SetMarks(TMarks& Marks, TMarks New);

    TWorkList& List;
    TAnalyser& Analyser;
    TDialogs& Dialogs;
    std::shared_ptr<const TAnalysis> Result;
    QPointer<QWidget> MainForm;
    QPointer<QWidget> ArcWorkForm;
    bool PictureDrawn = false;
    TDiagramKind Kind = TDiagramKind::Plain;
    double Scale = 1;
    std::unique_ptr<TPicture> Picture;
    TMarks Hover;
    TMarks Choice;
    QString FindText;
    std::optional<std::size_t> FoundAt;
    TUserGeometry Geometry;
};
