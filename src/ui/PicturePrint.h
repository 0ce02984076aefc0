#pragma once
// Printing a picture (the diagram, the dependency table) through Qt's print
// preview: fitted to the page width (continued on further pages downwards)
// or split over pages at its own size with a small overlap, as chosen in the
// preview's tool bar; landscape by default for a picture wider than high.

#include "drawing/Picture.h"

#include <QRectF>
#include <QSize>

class QPagedPaintDevice;
class QPainter;
class QString;
class QWidget;

enum class TPrintLayout { FitWidth, Tiles };

// Paints a picture of Size (pixels at 96 dots per inch) on the pages of
// Device, one page after another; the number of pages.
int PaintPages(QPagedPaintDevice& Device, QSize Size, const TPaintPart& Paint, TPrintLayout Layout);

// The print preview of the picture; a cancelled preview prints nothing.
void PrintPicture(QWidget* Parent, const QString& Title, QSize Size, const TPaintPart& Paint);
