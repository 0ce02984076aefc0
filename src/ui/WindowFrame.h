#pragma once
// The windows were laid out with outer sizes, frame included, for a frame of
// 4 pixels on every side and a caption 26 pixels high. Qt sizes the client
// area and leaves the frame to the window manager, so outer sizes are turned
// into client sizes with that frame.

#include <QSize>

inline constexpr int FrameBorder = 4;
inline constexpr int CaptionHeight = 26;

constexpr QSize ClientSizeOf(int OuterWidth, int OuterHeight) {
    return QSize(OuterWidth - 2 * FrameBorder, OuterHeight - 2 * FrameBorder - CaptionHeight);
}

class QWidget;

// The largest client area a window can have on the screen it is on (its
// available geometry less the frame); unlimited where there is no screen.
QSize LargestClientSize(const QWidget& Window);

// Moves the window so that its frame lies wholly in its screen's available
// area, the top left corner first where it is larger.
void KeepOnScreen(QWidget& Window);
