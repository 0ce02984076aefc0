// Drawing: the analysed network becomes the picture of the diagram window.
// Arcs are straight segments between neighbouring columns, dotted when
// fictive, red on the found path; every event is a white circle with its
// number, red and bold on the path. The same code paints the whole picture
// into an image and any visible part of it into a window.

#include "drawing/Diagram.h"

#include "network/CircuitEngine.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QRect>

#include <algorithm>

namespace {

const QColor Red(255, 0, 0);
const QColor Black(0, 0, 0);
const QColor White(255, 255, 255);

// Pictures are drawn at the resolution of an ordinary screen, so that the
// 9-point numbers are as large in an image as in the window.
constexpr int DotsPerMeter = 3780; // 96 dots per inch

QFont DiagramFont() {
    // "Courier New" is resolved by fontconfig (to Liberation Mono on Debian).
    QFont Font(QStringLiteral("Courier New"));
    Font.setStyleHint(QFont::TypeWriter);
    // Plain pixels, as on the canvas of a window: no grey edges.
    Font.setStyleStrategy(QFont::NoAntialias);
    Font.setPointSize(9);
    return Font;
}

} // namespace

QSize DrawCircuit(const TNetworkView& View) {
    return {View.Width, View.Height};
}

QPoint EventCentre(const TViewEvent& Event) {
    return {TCircuitEngine::XCoord(Event.Level, CoordCentre),
            TCircuitEngine::YCoord(Event.Row, CoordCentre)};
}

void PaintCircuit(QPainter& Painter, const TNetworkView& View, const QRect& Clip) {
    if (!View.HasNetwork || View.Width <= 0 || View.Height <= 0)
        return;
    Painter.save();
    Painter.setRenderHint(QPainter::Antialiasing, false);
    Painter.setRenderHint(QPainter::TextAntialiasing, false);
    Painter.setFont(DiagramFont());
    // Slightly larger than the clip so that a segment or circle that only
    // touches it is still painted.
    const QRect Area = Clip.adjusted(-2, -2, 2, 2);

    for (const TViewSegment& s : View.Segments) {
        const QPoint From(TCircuitEngine::XCoord(s.FromLevel, CoordCentre),
                          TCircuitEngine::YCoord(s.FromRow, CoordCentre));
        const QPoint To(TCircuitEngine::XCoord(s.ToLevel, CoordCentre),
                        TCircuitEngine::YCoord(s.ToRow, CoordCentre));
        if (!Area.intersects(QRect(From, To).normalized().adjusted(0, 0, 1, 1)))
            continue;
        QPen Pen(s.OnPath ? Red : Black);
        Pen.setWidth(1);
        Pen.setStyle(s.Dotted ? Qt::DotLine : Qt::SolidLine);
        Painter.setPen(Pen);
        Painter.drawLine(From, To);
    }

    const QFontMetrics Metrics(Painter.font());
    for (const TViewEvent& e : View.Events) {
        const int Left = TCircuitEngine::XCoord(e.Level, CoordNear);
        const int Top = TCircuitEngine::YCoord(e.Row, CoordNear);
        const int Right = TCircuitEngine::XCoord(e.Level, CoordFar);
        const int Bottom = TCircuitEngine::YCoord(e.Row, CoordFar);
        if (!Area.intersects(QRect(QPoint(Left, Top), QPoint(Right, Bottom))))
            continue;
        QPen Pen(e.OnPath ? Red : Black);
        Pen.setWidth(e.OnPath ? 2 : 1);
        Painter.setPen(Pen);
        Painter.setBrush(White);
        // The circle covers the pixels Left..Right-1 and Top..Bottom-1.
        Painter.drawEllipse(QRect(Left, Top, Right - Left - 1, Bottom - Top - 1));

        const QString Text = QString::number(e.Number);
        const QPoint Centre = EventCentre(e);
        const int x = Centre.x() - Metrics.horizontalAdvance(Text) / 2;
        const int y = Centre.y() - Metrics.height() / 2;
        Painter.setPen(Black);
        Painter.setBrush(Qt::NoBrush);
        Painter.drawText(QRect(x, y, Metrics.horizontalAdvance(Text), Metrics.height()),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, Text);
    }
    Painter.restore();
}

QImage CircuitImage(const TNetworkView& View) {
    if (!View.HasNetwork || View.Width <= 0 || View.Height <= 0)
        return {};
    QImage Image(View.Width, View.Height, QImage::Format_RGB32);
    if (Image.isNull())
        return {};
    Image.setDotsPerMeterX(DotsPerMeter);
    Image.setDotsPerMeterY(DotsPerMeter);
    Image.fill(White);
    QPainter Painter(&Image);
    PaintCircuit(Painter, View, Image.rect());
    return Image;
}

const TViewEvent* EventAt(const TNetworkView& View, int x, int y) {
    for (const TViewEvent& e : View.Events) {
        const QPoint Centre = EventCentre(e);
        const long long dx = x - Centre.x();
        const long long dy = y - Centre.y();
        if (dx * dx + dy * dy < 100)
            return &e;
    }
    return nullptr;
}

namespace {

// Squared distance from p to the segment a-b.
double SquaredDistance(QPointF p, QPointF a, QPointF b) {
    const QPointF d = b - a;
    const double Length = QPointF::dotProduct(d, d);
    double t = Length > 0 ? QPointF::dotProduct(p - a, d) / Length : 0;
    t = std::clamp(t, 0.0, 1.0);
    const QPointF q = a + t * d - p;
    return QPointF::dotProduct(q, q);
}

} // namespace

std::vector<std::size_t> ArcsAt(const TNetworkView& View, int x, int y) {
    std::vector<std::size_t> Found;
    const QPointF p(x, y);
    for (std::size_t a = 0; a < View.Arcs.size(); ++a) {
        const TViewArc& Arc = View.Arcs[a];
        if (Arc.From < 0)
            continue;
        const int Level = View.Events[static_cast<std::size_t>(Arc.From)].Level;
        for (std::size_t k = 0; k + 1 < Arc.Rows.size(); ++k) {
            const int t = Level + static_cast<int>(k);
            const QPointF From(TCircuitEngine::XCoord(t, CoordCentre),
                               TCircuitEngine::YCoord(Arc.Rows[k], CoordCentre));
            const QPointF To(TCircuitEngine::XCoord(t + 1, CoordCentre),
                             TCircuitEngine::YCoord(Arc.Rows[k + 1], CoordCentre));
            if (SquaredDistance(p, From, To) <= 16) {
                Found.push_back(a);
                break;
            }
        }
    }
    return Found;
}

QPolygon ArcLine(const TNetworkView& View, std::size_t Arc) {
    QPolygon Line;
    const TViewArc& a = View.Arcs[Arc];
    if (a.From < 0)
        return Line;
    const int Level = View.Events[static_cast<std::size_t>(a.From)].Level;
    for (std::size_t k = 0; k < a.Rows.size(); ++k)
        Line << QPoint(TCircuitEngine::XCoord(Level + static_cast<int>(k), CoordCentre),
                       TCircuitEngine::YCoord(a.Rows[k], CoordCentre));
    return Line;
}
