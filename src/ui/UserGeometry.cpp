#include "ui/UserGeometry.h"

#include <QMoveEvent>
#include <QResizeEvent>
#include <QWidget>

void TUserGeometry::Resized(const QWidget& Window, const QResizeEvent& Event) {
    if (Window.isVisible() && Event.size() != OwnSize)
        ByUser = true;
}

void TUserGeometry::Moved(const QWidget& Window, const QMoveEvent& Event) {
    if (!Window.isVisible() || !Event.spontaneous())
        return;
    // How long a window system may take to place a window it maps.
    constexpr qint64 PlacingMs = 1000;
    if (!SinceShown.isValid() || SinceShown.elapsed() < PlacingMs) {
        OwnPlace = Event.pos();
        return;
    }
    if (Event.pos() != OwnPlace)
        ByUser = true;
}
