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

void KeepOnScreen(QWidget& Window) {
    const QScreen* Screen = Window.screen() ? Window.screen() : QGuiApplication::primaryScreen();
    if (!Screen)
        return;
    const QRect Desk = Screen->availableGeometry();
    const QSize Outer = Window.size() - ClientSizeOf(0, 0);
    QPoint At = Window.pos();
    At.setX(std::max(Desk.left(), std::min(At.x(), Desk.right() + 1 - Outer.width())));
    At.setY(std::max(Desk.top(), std::min(At.y(), Desk.bottom() + 1 - Outer.height())));
    if (At != Window.pos())
        Window.move(At);
}
