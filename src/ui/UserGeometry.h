#pragma once
// Tells a size and place the user gave a window from those the window gave
// itself. A window fits itself to its content only until the user resizes or
// moves it; from then on it keeps what the user chose, through edits,
// analysis and loads.

#include <QElapsedTimer>
#include <QPoint>
#include <QSize>

class QMoveEvent;
class QResizeEvent;
class QWidget;

class TUserGeometry {
public:
    // Before the window resizes itself to Size, and after it has moved
    // itself.
    void Resizing(QSize Size) { OwnSize = Size; }
    void MovedItself(QPoint At) { OwnPlace = At; }

    // From the window's events. A shown window of any other size than its
    // own was resized by the user. Moves are told only by the window
    // system: those in the first moments after a show are the window
    // system placing the window; a later one elsewhere than the window put
    // itself is the user's.
    void Resized(const QWidget& Window, const QResizeEvent& Event);
    void Moved(const QWidget& Window, const QMoveEvent& Event);
    void Shown() { SinceShown.start(); }

    bool Touched() const { return ByUser; }

private:
    QSize OwnSize;
    QPoint OwnPlace;
    QElapsedTimer SinceShown;
    bool ByUser = false;
};
