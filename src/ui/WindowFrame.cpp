#include "ui/WindowFrame.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

QSize LargestClientSize(const QWidget& Window) {
    const QScreen* Screen = Window.screen() ? Window.screen() : QGuiApplication::primaryScreen();
    if (!Screen)
        return QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    const QSize Desk = Screen->availableGeometry().size();
    const QSize Frame = ClientSizeOf(0, 0);
    return QSize(std::max(1, Desk.width() + Frame.width()),
                 std::max(1, Desk.height() + Frame.height()));
}
