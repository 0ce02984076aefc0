#pragma once
// The diagram as a picture, painted from the engine's result: the same code
// paints the part of it a window shows and the whole of it into an image.
// Arcs are straight segments between neighbouring columns, dotted when
// fictive, red on the found path; every event is a white circle with its
// number, red and bold on the path.

#include "network/NetworkView.h"

#include <QImage>
#include <QPolygon>
#include <QSize>

#include <vector>

class QPainter;
class QRect;

// The size of the whole picture in pixels; empty without a network.
QSize DrawCircuit(const TNetworkView& View);
// Paints the part of the picture that meets Clip (picture coordinates):
// segments first, then the event circles. The background is the caller's.
void PaintCircuit(QPainter& Painter, const TNetworkView& View, const QRect& Clip);
// The whole picture on white; a null image when there is nothing drawn or
// the picture is too large for one image.
QImage CircuitImage(const TNetworkView& View);
// The first event, in the result's order, whose centre is closer than 10
// pixels to (x, y); none when no event is.
const TViewEvent* EventAt(const TNetworkView& View, int x, int y);
// The centre of an event's circle in the picture.
QPoint EventCentre(const TViewEvent& Event);
// The arcs whose drawn line passes within a few pixels of (x, y), as
// positions in the result's Arcs: several works between the same two events
// share one line, and all of them are named.
std::vector<std::size_t> ArcsAt(const TNetworkView& View, int x, int y);
// The line an arc is drawn along, through its chain rows.
QPolygon ArcLine(const TNetworkView& View, std::size_t Arc);
