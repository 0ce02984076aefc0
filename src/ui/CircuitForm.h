#pragma once
// The diagram window "График": it owns the network engine, rebuilds the
// network and its picture on every change of the work list, hidden or not,
// and shows the picture at its own size. A picture larger than the screen
// scrolls; only the part in view is painted, when it is needed. A right click
// on an event opens the pop-up list of the event's works.

#include "network/CircuitEngine.h"

#include <QPointer>
#include <QWidget>

#include <cstdint>

class QScrollArea;
class TCircuitForm;
class TDialogs;
class TFrame1;
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

private:
    TCircuitForm& Form;
};

class TCircuitForm : public QWidget {
    Q_OBJECT

public:
    // Registers the window's listener with List. PathSign is the program's
    // path mode, read before every rebuild; MainForm is the window F2
    // returns to.
    TCircuitForm(TWorkList& List, TDialogs& Dialogs, const std::int32_t& PathSign,
                 QWidget* MainForm);
    ~TCircuitForm() override;

    // The window F5 shows, set by start-up once it exists.
    void SetArcWorkForm(QWidget* Window) { ArcWorkForm = Window; }

    // Throws the old network away, builds and draws the new one, and gives
    // the window back its visibility and the foreground window its place.
    void Rebuild();
    // Hides the list and whitens the picture.
    void ClearImage();
    // Fits the picture control to the drawing and the window to the picture,
    // at most as large as the screen allows.
    void ResizeCanvas();

    void ImMouseDown(Qt::MouseButton Button, int X, int Y);
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

    // Whether the picture shows the current network (it is white otherwise).
    bool Drawn() const { return PictureDrawn; }
    const TWorkList& Works() const { return List; }
    // The largest client area the screen leaves for the window.
    QSize LargestClient() const;

    TCircuitEngine Engine;
    QScrollArea* Scroller;
    QWidget* Sheet;
    TCircuitImage* Im;
    TFrame1* Frame1;

protected:
    void resizeEvent(QResizeEvent* Event) override;
    void keyReleaseEvent(QKeyEvent* Event) override;

private:
    void FormCreate();
    void FormDestroy();
    void CircuitChanged(std::int32_t Kind);
    // The scrolled sheet covers the picture and, while it is shown, the list.
    void UpdateSheet();
    void ResizeClient(QSize Client);

    TWorkList& List;
    TDialogs& Dialogs;
    const std::int32_t& PathSign;
    QPointer<QWidget> MainForm;
    QPointer<QWidget> ArcWorkForm;
    bool PictureDrawn = false;
};
