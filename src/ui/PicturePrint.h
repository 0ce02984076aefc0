#pragma once
// Printing a picture (the diagram, the dependency table) through Qt's print
// preview: fitted to the page width (continued on further pages downwards)
// or split over pages at its own size with a small overlap, as chosen in the
// preview's tool bar; landscape by default for a picture wider than high.
// A band at the foot of every page names the sheet's place in the grid
// ("Лист 2 из 6, ряд 1, колонка 2"), crop marks show where a sheet is cut to
// be taped to its neighbours, and the first page carries the title block.

#include "drawing/Picture.h"

#include <QRectF>
#include <QSize>
#include <QString>

#include <functional>

class QPagedPaintDevice;
class QPainter;
class QWidget;

enum class TPrintLayout { FitWidth, Tiles };

// What the first page's title block says; a picture without one (the
// dependency table) has an empty Scheme.
struct TPrintTitle {
    QString Scheme;      // the scheme's file name, or that it has none
    QString Printed;     // the date printed
    QString Duration;    // the project's duration; empty when there is none
    bool Legend = false; // the line styles of the diagram explained
};

// The sheet's place in the grid of pages, as its foot names it.
QString SheetLabel(int Sheet, int Sheets, int Row, int Column);

// Paints a picture of Size (pixels at 96 dots per inch) on the pages of
// Device, one page after another; the number of pages.
int PaintPages(QPagedPaintDevice& Device, QSize Size, const TPaintPart& Paint, TPrintLayout Layout,
               const TPrintTitle& Title = {});

// A picture printed page by page at its own size, each page painted by the
// picture itself (a chart that repeats its headings on every page): Grid
// tells how many pages across and down a page area (pixels at 96 dots per
// inch) makes, Paint paints one page into that area.
struct TPagedPicture {
    std::function<QSize(QSizeF Area)> Grid;
    std::function<void(QPainter&, int Row, int Column, QSizeF Area)> Paint;
};
int PaintPagedPicture(QPagedPaintDevice& Device, const TPagedPicture& Picture,
                      const TPrintTitle& Title = {});
void PrintPagedPicture(QWidget* Parent, const QString& Title, bool Landscape,
                       const TPagedPicture& Picture, const TPrintTitle& Heading = {});

// The print preview of the picture; a cancelled preview prints nothing.
void PrintPicture(QWidget* Parent, const QString& Title, QSize Size, const TPaintPart& Paint,
                  const TPrintTitle& Heading = {});
