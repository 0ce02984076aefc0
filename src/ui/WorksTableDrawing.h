#pragma once
// The picture of the dependency matrix: names along the left edge and, turned
// upright, along the top edge, one coloured cell per pair of works. The
// drawing takes a QPainter so that the window's bitmap and a test's image
// are painted by the same code; the window only decides the picture's size.

#include <QColor>
#include <QFont>
#include <QRect>

#include <optional>

class QPaintDevice;
class QPainter;
class TWorkList;

struct TTableMetrics {
    // Width of the band of row names, height of the band of column names.
    int HeaderSize = 0;
    // Side of one cell.
    int CellSize = 0;
    // Side of the square picture; at least HeaderSize + CellSize * n.
    int TableSize = 0;
};

struct TTableCell {
    int Row = 0;
    int Column = 0;
};

inline const QColor TableGridGrey(128, 128, 128);
inline const QColor TableGreen(0, 128, 0);
inline const QColor TableBlue(0, 0, 255);

// "Courier New", 10 points: the font of the names and of the measurements.
QFont TableFont();

// HeaderSize is one more than the widest name, CellSize two more than the
// text height, TableSize what the matrix needs. Device decides the pixels a
// point takes.
TTableMetrics MeasureWorksTable(const TWorkList& List, const QFont& Font, QPaintDevice* Device);

// An outlined, filled rectangle from (X1, Y1) to (X2, Y2) that covers the
// pixels X1 .. X2 - 1 and Y1 .. Y2 - 1, its outline on the outermost ones.
void TableRectangle(QPainter& Painter, int X1, int Y1, int X2, int Y2);

// Paints the previous picture of side TableSize white.
void ClearWorksTable(QPainter& Painter, int TableSize);

// Grid lines, turned column names, row names and every cell, over a picture
// cleared to white.
void DrawWorksTable(QPainter& Painter, const TWorkList& List, const TTableMetrics& Metrics,
                    const QFont& Font);
// The same picture where it meets Part: the grid lines, names and cells that
// can put a pixel into Part are drawn as the whole picture draws them; pixels
// outside Part may be touched too, so a caller clips to it.
void DrawWorksTablePart(QPainter& Painter, const TWorkList& List, const TTableMetrics& Metrics,
                        const QFont& Font, const QRect& Part);

// One cell of row Row and column Column holding Value. A value outside the
// five known ones keeps the pen and brush the previous cell left.
void DrawCell(QPainter& Painter, const TTableMetrics& Metrics, int Row, int Column, int Value);

// The cell under the pixel (X, Y): the pixels on the outer header lines
// belong to no cell, and each cell reaches from just right of (below) its
// left (top) grid line to its right (bottom) one.
std::optional<TTableCell> CellAt(const TTableMetrics& Metrics, int Count, int X, int Y);
