#include "ui/WorksTableDrawing.h"

#include "model/WorkList.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <utility>

QFont TableFont() {
    return QFont(QStringLiteral("Courier New"), 10);
}

TTableMetrics MeasureWorksTable(const TWorkList& List, const QFont& Font, QPaintDevice* Device) {
    const QFontMetrics Metrics(Font, Device);
    TTableMetrics Result;
    for (int i = 0; i < List.Count(); ++i) {
        const QString Name = QString::fromStdString(List.GetWork(i).Name);
        Result.HeaderSize = std::max(Result.HeaderSize, Metrics.horizontalAdvance(Name));
        Result.CellSize = std::max(Result.CellSize, Metrics.height());
    }
    Result.HeaderSize += 1;
    Result.CellSize += 2;
    Result.TableSize = Result.HeaderSize + Result.CellSize * List.Count();
    return Result;
}

void TableRectangle(QPainter& Painter, int X1, int Y1, int X2, int Y2) {
    // QPainter's outline of a w x h rectangle spans w + 1 pixels.
    Painter.drawRect(X1, Y1, X2 - X1 - 1, Y2 - Y1 - 1);
}

void ClearWorksTable(QPainter& Painter, int TableSize) {
    Painter.setBrush(QBrush(Qt::white, Qt::SolidPattern));
    // The outline falls outside the picture.
    TableRectangle(Painter, -1, -1, TableSize + 1, TableSize + 1);
}

namespace {

// Text placed by the top-left corner of its line, as the names are placed.
void TextOut(QPainter& Painter, int X, int Y, const QString& Text) {
    Painter.drawText(X, Y + Painter.fontMetrics().ascent(), Text);
}

} // namespace

namespace {

// Pen and brush of a cell holding Value; false for a value outside the five
// known ones, which leaves them as they are.
bool SetCellStyle(QPainter& Painter, int Value) {
    // With y growing downwards, BDiagPattern's lines rise from left to right
    // and FDiagPattern's fall.
    switch (Value) {
    case LinkForbidden:
        Painter.setBrush(QBrush(Qt::black, Qt::BDiagPattern));
        Painter.setPen(QPen(TableGridGrey, 1));
        return true;
    case LinkFree:
        Painter.setBrush(QBrush(Qt::white, Qt::SolidPattern));
        Painter.setPen(QPen(TableGridGrey, 1));
        return true;
    case LinkDirect:
        Painter.setBrush(QBrush(TableGreen, Qt::SolidPattern));
        Painter.setPen(QPen(TableGridGrey, 1));
        return true;
    case LinkImplied:
        Painter.setBrush(QBrush(TableGreen, Qt::FDiagPattern));
        Painter.setPen(QPen(TableGreen, 1));
        return true;
    case LinkRedundant:
        Painter.setBrush(QBrush(TableBlue, Qt::DiagCrossPattern));
        Painter.setPen(QPen(TableBlue, 1));
        return true;
    default:
        return false;
    }
}

bool KnownValue(int Value) { return Value >= LinkForbidden && Value <= LinkRedundant; }

// The first and last of Count bands of side Step starting at Origin that can
// put a pixel between From and To; an empty range when none can. A band is
// taken one pixel wider on either side, for the outlines on the grid lines.
std::pair<int, int> BandsMeeting(int Origin, int Step, int Count, int From, int To) {
    const int First = std::max(0, (From - Origin - 1) / Step - 1);
    const int Last = std::min(Count - 1, (To - Origin + 1) / Step + 1);
    return {First, Last};
}

} // namespace

void DrawWorksTable(QPainter& Painter, const TWorkList& List, const TTableMetrics& Metrics,
                    const QFont& Font) {
    DrawWorksTablePart(Painter, List, Metrics, Font,
                       QRect(0, 0, Metrics.TableSize, Metrics.TableSize));
}

void DrawWorksTablePart(QPainter& Painter, const TWorkList& List, const TTableMetrics& Metrics,
                        const QFont& Font, const QRect& Part) {
    const int n = List.Count();
    const int H = Metrics.HeaderSize;
    const int C = Metrics.CellSize;
    const int T = Metrics.TableSize;
    Painter.setRenderHint(QPainter::Antialiasing, false);
    Painter.setBrush(QBrush(Qt::white, Qt::SolidPattern));
    if (n == 0 || C <= 0 || Part.isEmpty())
        return;
    const auto [FirstColumn, LastColumn] = BandsMeeting(H, C, n, Part.left(), Part.right());
    const auto [FirstRow, LastRow] = BandsMeeting(H, C, n, Part.top(), Part.bottom());

    Painter.setPen(QPen(TableGridGrey, 1));
    for (int a = 0; a <= n; ++a) {
        // A line ends one pixel short of its end point.
        const int At = H + a * C;
        if (At >= Part.top() && At <= Part.bottom())
            Painter.drawLine(0, At, T - 1, At);
        if (At >= Part.left() && At <= Part.right())
            Painter.drawLine(At, 0, At, T - 1);
    }

    // The names are black text; the pen the cells use is put back afterwards.
    Painter.save();
    Painter.setPen(Qt::black);
    Painter.setFont(Font);
    if (Part.top() < H)
        for (int j = FirstColumn; j <= LastColumn; ++j) {
            // Turned 90 degrees counter-clockwise, the name reads upwards from
            // just above the cells, its top edge towards the left of its column.
            Painter.save();
            Painter.translate(H + j * C + 2, H - 1);
            Painter.rotate(-90);
            TextOut(Painter, 0, 0, QString::fromStdString(List.GetWork(j).Name));
            Painter.restore();
        }
    if (Part.left() < H)
        for (int i = FirstRow; i <= LastRow; ++i)
            TextOut(Painter, 1, H + i * C + 2, QString::fromStdString(List.GetWork(i).Name));
    Painter.restore();

    for (int i = FirstRow; i <= LastRow; ++i) {
        const TABs& Links = List.GetWork(i).Links;
        // A cell of an unknown value is drawn with what the cell before it in
        // row order left; when part of the matrix is drawn, that cell may lie
        // outside the part.
        if (FirstColumn <= LastColumn && !KnownValue(Links[static_cast<std::size_t>(FirstColumn)])) {
            int r = i;
            int c = FirstColumn - 1;
            while (r >= 0) {
                if (c < 0) {
                    if (--r < 0)
                        break;
                    c = n - 1;
                    continue;
                }
                if (SetCellStyle(Painter, List.GetWork(r).Links[static_cast<std::size_t>(c)]))
                    break;
                --c;
            }
        }
        for (int j = FirstColumn; j <= LastColumn; ++j)
            DrawCell(Painter, Metrics, i, j, Links[static_cast<std::size_t>(j)]);
    }
}

void DrawCell(QPainter& Painter, const TTableMetrics& Metrics, int Row, int Column, int Value) {
    const int X = Metrics.HeaderSize + Column * Metrics.CellSize;
    const int Y = Metrics.HeaderSize + Row * Metrics.CellSize;
    const int S = Metrics.CellSize + 1;
    const int Inner = Metrics.CellSize - 1;
    SetCellStyle(Painter, Value);
    if (Value == LinkImplied || Value == LinkRedundant)
        TableRectangle(Painter, X + 1, Y + 1, X + 1 + Inner, Y + 1 + Inner);
    else
        TableRectangle(Painter, X, Y, X + S, Y + S);
}

std::optional<TTableCell> CellAt(const TTableMetrics& Metrics, int Count, int X, int Y) {
    const int dx = X - Metrics.HeaderSize - 1;
    const int dy = Y - Metrics.HeaderSize - 1;
    if (dx < 0 || dy < 0 || Metrics.CellSize <= 0)
        return std::nullopt;
    const TTableCell Cell{dy / Metrics.CellSize, dx / Metrics.CellSize};
    if (Cell.Column >= Count || Cell.Row >= Count)
        return std::nullopt;
    return Cell;
}
