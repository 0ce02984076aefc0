// Painting the Gantt chart from its layout. Only what meets the clip is
// touched: the rows are found from the clip's top and bottom by division, the
// shaded days and header cells by binary search, so a screenful costs the
// same in a chart of fifty works and of thousands.

#include "drawing/GanttChart.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPen>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace {

const QColor CriticalFill(220, 40, 40);
const QColor CriticalEdge(150, 0, 0);
const QColor NormalFill(70, 115, 200);
const QColor NormalEdge(30, 60, 130);
const QColor FloatFill(150, 165, 190);
using ChartColour::GridLine;
using ChartColour::HeaderFill;
using ChartColour::RuleLine;
const QColor LinkLine(70, 70, 70);
const QColor GhostEdge(120, 120, 120, 150);

// An arrow's head at Tip pointing along (Dx, Dy), a unit step.
void PaintArrowHead(QPainter& Painter, QPointF Tip, double Dx, double Dy) {
    const double Size = 4;
    const QPointF Back(Tip.x() - Dx * Size, Tip.y() - Dy * Size);
    const QPointF Side(-Dy * Size * 0.7, Dx * Size * 0.7);
    Painter.drawPolygon(QPolygonF({Tip, Back + Side, Back - Side}));
}

} // namespace

void TGanttChart::Paint(QPainter& Painter, const QRectF& Clip, unsigned Parts) const {
    if (Rows.empty())
        return;
    const QRectF Whole(QPointF(0, 0), QSizeF(Size()));
    const double Head = HeaderHeight();
    const auto Part = [&](unsigned Which, const QRectF& Area,
                          void (TGanttChart::*Draw)(QPainter&, const QRectF&) const) {
        PaintChartPart(Painter, Clip, Parts & Which, Area, Options.Font,
                       [this, Draw](QPainter& P, const QRectF& Meets) { (this->*Draw)(P, Meets); });
    };
    Part(gpBars, QRectF(NameColumn, Head, Whole.width() - NameColumn, Whole.height() - Head),
         &TGanttChart::PaintBars);
    Part(gpHeader, QRectF(NameColumn, 0, Whole.width() - NameColumn, Head),
         &TGanttChart::PaintHeader);
    Part(gpNames, QRectF(0, Head, NameColumn, Whole.height() - Head), &TGanttChart::PaintNames);
    if ((Parts & gpCorner) && Clip.intersects(QRectF(0, 0, NameColumn, Head))) {
        Painter.save();
        Painter.setFont(Options.Font);
        Painter.fillRect(QRectF(0, 0, NameColumn, Head), HeaderFill);
        Painter.setPen(RuleLine);
        Painter.drawLine(QPointF(0, Head - 0.5), QPointF(NameColumn, Head - 0.5));
        Painter.drawLine(QPointF(NameColumn - 0.5, 0), QPointF(NameColumn - 0.5, Head));
        Painter.setPen(Qt::black);
        Painter.drawText(QRectF(6, 0, NameColumn - 12, Head), Qt::AlignVCenter | Qt::AlignLeft,
                         QStringLiteral("Работа"));
        Painter.restore();
    }
}

void TGanttChart::PaintView(QPainter& Painter, QPointF Offset, QSizeF View) const {
    const double Head = HeaderHeight();
    const double W = View.width() - NameColumn;
    const double H = View.height() - Head;
    const auto Area = [&](QRectF Target, QPointF Shift, QRectF Clip, unsigned Which) {
        PaintViewArea(Painter, Target, Shift, Clip,
                      [this, Which](QPainter& P, const QRectF& Part) { Paint(P, Part, Which); });
    };
    Area(QRectF(NameColumn, Head, W, H), QPointF(NameColumn - Offset.x(), Head - Offset.y()),
         QRectF(Offset, QSizeF(W, H)), gpBars);
    Area(QRectF(NameColumn, 0, W, Head), QPointF(NameColumn - Offset.x(), 0),
         QRectF(Offset.x(), 0, W, Head), gpHeader);
    Area(QRectF(0, Head, NameColumn, H), QPointF(0, Head - Offset.y()),
         QRectF(0, Offset.y(), NameColumn, H), gpNames);
    Area(QRectF(0, 0, NameColumn, Head), QPointF(0, 0), QRectF(0, 0, NameColumn, Head), gpCorner);
}

double TGanttChart::PageBodyWidth(QSizeF Area) const {
    return std::max(Area.width() - NameColumn, 4 * Axis.Scale());
}

int TGanttChart::PageRows(QSizeF Area) const {
    return std::max(1, static_cast<int>((Area.height() - HeaderHeight()) / RowHeight));
}

QSize TGanttChart::PageGrid(QSizeF Area) const {
    if (Rows.empty())
        return {};
    const int Across = static_cast<int>(std::ceil((Axis.End() - NameColumn) / PageBodyWidth(Area)));
    const int Down = (RowCount() + PageRows(Area) - 1) / PageRows(Area);
    return QSize(std::max(1, Across), Down);
}

void TGanttChart::PaintPage(QPainter& Painter, int Row, int Column, QSizeF Area) const {
    const double Body = PageBodyWidth(Area);
    const int PerPage = PageRows(Area);
    const QPointF Offset(NameColumn + Column * Body, HeaderHeight() + Row * PerPage * RowHeight);
    const int Shown = std::min(PerPage, RowCount() - Row * PerPage);
    const QSizeF View(NameColumn + std::min(Body, Axis.End() - Offset.x()),
                      HeaderHeight() + Shown * RowHeight);
    if (Shown <= 0 || View.width() <= NameColumn)
        return;
    Painter.fillRect(QRectF(QPointF(0, 0), View), Qt::white);
    PaintView(Painter, Offset, View);
}

void TGanttChart::PaintHeader(QPainter& Painter, const QRectF& Clip) const {
    Axis.PaintHeader(Painter, Clip, RowHeight);
}

void TGanttChart::PaintNames(QPainter& Painter, const QRectF& Clip) const {
    const int First = std::max(0, RowAt(Clip.top()));
    const double Head = HeaderHeight();
    const QFontMetricsF Metrics(Painter.font());
    for (int r = First; r < RowCount(); ++r) {
        const double Top = Head + r * RowHeight;
        if (Top >= Clip.bottom())
            break;
        Painter.setPen(GridLine);
        Painter.drawLine(QPointF(0, Top + RowHeight - 0.5),
                         QPointF(NameColumn, Top + RowHeight - 0.5));
        Painter.setPen(Rows[r].Critical ? CriticalEdge : QColor(Qt::black));
        const QString Text = Metrics.elidedText(Rows[r].Name, Qt::ElideRight, NameColumn - 12);
        Painter.drawText(QRectF(6, Top, NameColumn - 12, RowHeight),
                         Qt::AlignVCenter | Qt::AlignLeft, Text);
    }
    Painter.setPen(RuleLine);
    Painter.drawLine(QPointF(NameColumn - 0.5, Clip.top()),
                     QPointF(NameColumn - 0.5, Clip.bottom()));
}

void TGanttChart::PaintBars(QPainter& Painter, const QRectF& Clip) const {
    const double Head = HeaderHeight();
    Axis.PaintShade(Painter, Clip);
    const int First = std::max(0, RowAt(Clip.top()));
    int Last = First;
    for (; Last < RowCount() && Head + Last * RowHeight < Clip.bottom(); ++Last) {
        const double Bottom = Head + (Last + 1) * RowHeight - 0.5;
        Painter.setPen(GridLine);
        Painter.drawLine(QPointF(Clip.left(), Bottom), QPointF(Clip.right(), Bottom));
    }
    Painter.setRenderHint(QPainter::Antialiasing, true);
    for (int r = First; r < Last; ++r) {
        const TRow& Row = Rows[r];
        const double Top = Head + r * RowHeight;
        const double Mid = Top + RowHeight / 2;
        if (Row.X2 > Row.X1)
            Painter.fillRect(QRectF(Row.X1, Mid - 1.5, Row.X2 - Row.X1, 3), FloatFill);
        if (ShowsLevelled && Row.G1 > Row.G0) {
            Painter.setPen(QPen(GhostEdge, 1, Qt::DashLine));
            Painter.setBrush(Qt::NoBrush);
            Painter.drawRect(QRectF(Row.G0, Top + 2, Row.G1 - Row.G0, RowHeight - 4));
        }
        Painter.setPen(QPen(Row.Critical ? CriticalEdge : NormalEdge, 1));
        Painter.setBrush(Row.Critical ? CriticalFill : NormalFill);
        if (Row.X1 > Row.X0) {
            Painter.drawRect(QRectF(Row.X0, Top + 4, Row.X1 - Row.X0, RowHeight - 8));
        } else {
            // A work of no duration: a diamond on its moment.
            const double h = (RowHeight - 8) / 2;
            QPolygonF Diamond;
            Diamond << QPointF(Row.X0, Mid - h) << QPointF(Row.X0 + h, Mid)
                    << QPointF(Row.X0, Mid + h) << QPointF(Row.X0 - h, Mid);
            Painter.drawPolygon(Diamond);
        }
    }
    if (Options.Links)
        PaintLinks(Painter, Clip);
}

// A link leaves its work's bar at the finish. Where the successor starts
// later, it drops down (or up) to the successor's row just after the finish
// and runs along that row into the bar's start, so it never lies along the
// float bar; where the successor starts at once, it turns into the top (or
// bottom) of the successor's bar.
void TGanttChart::PaintLinks(QPainter& Painter, const QRectF& Clip) const {
    const double Head = HeaderHeight();
    Painter.setPen(QPen(LinkLine, 1));
    Painter.setBrush(LinkLine);
    for (const TLink& Link : Links) {
        const TRow& From = Rows[Link.From];
        const TRow& To = Rows[Link.To];
        const double FromY = Head + (Link.From + 0.5) * RowHeight;
        const bool Down = Link.To > Link.From;
        const bool Gap = To.X0 >= From.X1 + 10;
        const double TurnX = Gap ? From.X1 + 5 : std::max(From.X1, To.X0) + 4;
        const double ToY =
            Head + Link.To * RowHeight + (Gap ? RowHeight / 2 : (Down ? 4 : RowHeight - 4));
        const QPointF End(Gap ? To.X0 : TurnX, ToY);
        const QRectF Box = QRectF(QPointF(From.X1, FromY), End).normalized().adjusted(-5, -5, 5, 5);
        if (!Box.intersects(Clip))
            continue;
        const QPointF Points[] = {{From.X1, FromY}, {TurnX, FromY}, {TurnX, ToY}, End};
        Painter.drawPolyline(Points, Gap ? 4 : 3);
        if (Gap)
            PaintArrowHead(Painter, End, 1, 0);
        else
            PaintArrowHead(Painter, End, 0, Down ? 1 : -1);
    }
}
