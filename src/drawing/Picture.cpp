// The two views of the diagram behind one face. The plain view is painted by
// Diagram.cpp on the engine's grid. The detailed view measures its labels
// (every name wrapped onto one, two and three lines), has the network layer
// lay it out once per result (columns, rows, the arcs' paths and the labels'
// places) and paints that geometry.

#include "drawing/Picture.h"

#include "drawing/Diagram.h"
#include "drawing/Labels.h"
#include "drawing/TimeScaledPicture.h"
#include "model/WorkList.h"
#include "network/CircuitEngine.h"
#include "network/DetailedLabels.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPathStroker>
#include <QPen>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

const TDetailedSizes Standard;
const double R = Standard.Radius; // of an event's circle
const double ArrowLength = Standard.ArrowLength;
const double ArrowHalfWidth = Standard.ArrowHalfWidth;

const QColor Red(255, 0, 0);
const QColor Black(0, 0, 0);
const QColor White(255, 255, 255);

QFont NumberFont() {
    QFont Font = LabelFont();
    Font.setBold(true);
    return Font;
}

QFont TimeFont() {
    QFont Font = LabelFont();
    Font.setPointSizeF(7);
    return Font;
}

double Length(QPointF v) {
    return std::hypot(v.x(), v.y());
}

// Writes Text centred in Box, the font made smaller (down to 5 points) until
// it fits.
void FitText(QPainter& Painter, const QRectF& Box, const QString& Text, QFont Font) {
    for (double Size = Font.pointSizeF(); Size >= 5; Size -= 0.5) {
        Font.setPointSizeF(Size);
        if (QFontMetricsF(Font).horizontalAdvance(Text) <= Box.width())
            break;
    }
    Painter.setFont(Font);
    Painter.drawText(Box, Qt::AlignCenter | Qt::TextDontClip, Text);
}

} // namespace

struct TPicture::TDetailed {
    const TNetworkView& View;
    // The detailed view's own columns and rows, and its geometry.
    TDetailedPicture Layout;
    TLabelTexts Texts;
    char Separator;
    QSize Extent;
    std::vector<QPainterPath> Paths;
    std::vector<QRectF> Bounds;

    TDetailed(const TNetworkView& AView, const std::vector<std::string>& Names,
              const std::vector<TReal>& Durations, char ASeparator, const TDetailedPicture* Laid)
        : View(AView), Separator(ASeparator) {
        TDetailedSizes Sizes;
        Texts = MeasureLabels(Names, Durations, Separator, Sizes);
        Layout = Laid ? *Laid : LayOutDetailed(View, Sizes);
        const TDetailedGeometry& G = Layout.Geometry;
        Extent = QSize(static_cast<int>(std::ceil(G.Width)), static_cast<int>(std::ceil(G.Height)));
        for (const TArcGeometry& g : G.Arcs) {
            QPainterPath Path;
            if (!g.Points.empty()) {
                Path.moveTo(Of(g.Points[0]));
                if (g.Curved)
                    Path.quadTo(Of(g.Points[1]), Of(g.Points[2]));
                else
                    for (std::size_t k = 1; k < g.Points.size(); ++k)
                        Path.lineTo(Of(g.Points[k]));
            }
            QRectF Box = Path.boundingRect().adjusted(-ArrowHalfWidth - 2, -ArrowHalfWidth - 2,
                                                      ArrowHalfWidth + 2, ArrowHalfWidth + 2);
            if (g.Shape >= 0)
                Box |= QRectF(QPointF(g.Box.Left, g.Box.Top), QPointF(g.Box.Right, g.Box.Bottom));
            Paths.push_back(std::move(Path));
            Bounds.push_back(Box);
        }
    }

    static QPointF Of(TPoint p) { return {p.X, p.Y}; }

    QPointF Centre(const TViewEvent& e) const {
        return Of(Layout.Geometry.EventCentre[static_cast<std::size_t>(&e - View.Events.data())]);
    }

    QString Time(TReal Value) const { return TimeText(Value, Separator); }

    void Paint(QPainter& Painter, const QRectF& Clip) const {
        Painter.save();
        Painter.setRenderHint(QPainter::Antialiasing, true);
        Painter.setRenderHint(QPainter::TextAntialiasing, true);
        const QRectF Area = Clip.adjusted(-2, -2, 2, 2);
        // Black arcs first, so that the path lies on top where they meet;
        // the labels over every line.
        for (const bool Red : {false, true})
            for (std::size_t a = 0; a < Paths.size(); ++a)
                if (View.Arcs[a].OnPath == Red && Bounds[a].intersects(Area))
                    PaintArc(Painter, a);
        Painter.setFont(LabelFont());
        for (std::size_t a = 0; a < Paths.size(); ++a)
            if (Bounds[a].intersects(Area))
                PaintLabel(Painter, a);
        for (const TViewEvent& e : View.Events)
            if (QRectF(Centre(e) - QPointF(R + 2, R + 2), QSizeF(2 * R + 4, 2 * R + 4))
                    .intersects(Area))
                PaintEvent(Painter, e);
        Painter.restore();
    }

    void PaintArc(QPainter& Painter, std::size_t Index) const {
        const TViewArc& a = View.Arcs[Index];
        const TArcGeometry& g = Layout.Geometry.Arcs[Index];
        if (Paths[Index].isEmpty())
            return;
        const QColor Colour = a.OnPath ? Red : Black;
        QPen Pen(Colour);
        Pen.setWidthF(a.OnPath ? 2 : 1);
        if (a.Work < 0)
            Pen.setStyle(Qt::DotLine);
        Painter.setPen(Pen);
        Painter.setBrush(Qt::NoBrush);
        Painter.drawPath(Paths[Index]);

        const QPointF Back = Of(g.ArrowBack);
        const QPointF Tip = Of(g.ArrowTip);
        const QPointF Side(-Back.y(), Back.x());
        const QPointF Base = Tip + ArrowLength * Back;
        Painter.setPen(QPen(Colour, 1));
        Painter.setBrush(Colour);
        Painter.drawPolygon(
            QPolygonF{Tip, Base + ArrowHalfWidth * Side, Base - ArrowHalfWidth * Side});
    }

    // The name's lines and the duration, each on white so that a line
    // passing under them does not cross the letters; a label beside its arc
    // is tied to it by a thin leader.
    void PaintLabel(QPainter& Painter, std::size_t Index) const {
        const TViewArc& a = View.Arcs[Index];
        const TArcGeometry& g = Layout.Geometry.Arcs[Index];
        if (g.Shape < 0 || a.Work < 0 || static_cast<std::size_t>(a.Work) >= Texts.Lines.size())
            return;
        const QColor Colour = a.OnPath ? Red : Black;
        if (g.Leader) {
            Painter.setPen(QPen(Colour, 0.8, Qt::SolidLine));
            Painter.drawLine(Of(g.LeaderFrom), Of(g.LeaderTo));
        }
        const QFontMetricsF Metrics(Painter.font());
        const double Line = Metrics.height();
        QStringList Lines =
            Texts.Lines[static_cast<std::size_t>(a.Work)][static_cast<std::size_t>(g.Shape)];
        std::vector<double> Tops;
        for (qsizetype i = 0; i < Lines.size(); ++i)
            Tops.push_back(g.NameTop + static_cast<double>(i) * Line);
        Lines.push_back(Time(a.Duration));
        Tops.push_back(g.TimeTop);
        Painter.setPen(Colour);
        for (qsizetype i = 0; i < Lines.size(); ++i) {
            const double w = Metrics.horizontalAdvance(Lines[i]);
            const QRectF Box(g.CentreX - w / 2, Tops[static_cast<std::size_t>(i)], w, Line);
            Painter.fillRect(Box.adjusted(-1, 0, 1, 0), White);
            Painter.drawText(Box, Qt::AlignCenter | Qt::TextDontClip, Lines[i]);
        }
    }

    void PaintEvent(QPainter& Painter, const TViewEvent& e) const {
        const QPointF c = Centre(e);
        QPen Pen(e.OnPath ? Red : Black);
        Pen.setWidthF(e.OnPath ? 2 : 1);
        Painter.setPen(Pen);
        Painter.setBrush(White);
        Painter.drawEllipse(c, R, R);
        // The diagonals divide the circle into its four sectors.
        const double d = R * std::sqrt(0.5);
        Painter.setPen(QPen(e.OnPath ? Red : Black, 1));
        Painter.drawLine(c + QPointF(-d, -d), c + QPointF(d, d));
        Painter.drawLine(c + QPointF(-d, d), c + QPointF(d, -d));
        Painter.setPen(Black);
        FitText(Painter, QRectF(c.x() - 0.55 * R, c.y() - 0.95 * R, 1.1 * R, 0.6 * R),
                QString::number(e.Number), NumberFont());
        FitText(Painter, QRectF(c.x() - 0.97 * R, c.y() - 0.3 * R, 0.64 * R, 0.6 * R),
                Time(e.Early), TimeFont());
        FitText(Painter, QRectF(c.x() + 0.33 * R, c.y() - 0.3 * R, 0.64 * R, 0.6 * R), Time(e.Late),
                TimeFont());
        FitText(Painter, QRectF(c.x() - 0.55 * R, c.y() + 0.35 * R, 1.1 * R, 0.6 * R),
                Time(e.Slack), TimeFont());
    }

    const TViewEvent* EventAt(QPointF At) const {
        for (const TViewEvent& e : View.Events)
            if (Length(At - Centre(e)) <= R)
                return &e;
        return nullptr;
    }

    std::vector<std::size_t> ArcsAt(QPointF At) const {
        std::vector<std::size_t> Found;
        QPainterPathStroker Stroker;
        Stroker.setWidth(8);
        for (std::size_t a = 0; a < Paths.size(); ++a)
            if (Bounds[a].contains(At) && Stroker.createStroke(Paths[a]).contains(At))
                Found.push_back(a);
        return Found;
    }
};

namespace {

std::vector<std::string> NamesOf(const TWorkList& List) {
    std::vector<std::string> Names;
    for (int i = 0; i < List.Count(); ++i)
        Names.push_back(List.GetWork(i).Name);
    return Names;
}

std::vector<TReal> DurationsOf(const TWorkList& List) {
    std::vector<TReal> Durations;
    for (int i = 0; i < List.Count(); ++i)
        Durations.push_back(List.GetWork(i).Duration);
    return Durations;
}

} // namespace

TPicture::TPicture(const TNetworkView& AView, const TWorkList& List, TDiagramKind Kind,
                   char Separator)
    : TPicture(AView, NamesOf(List), DurationsOf(List), Kind, Separator) {}

TPicture::TPicture(const TNetworkView& AView, const std::vector<std::string>& Names,
                   const std::vector<TReal>& Durations, TDiagramKind Kind, char Separator,
                   const TDetailedPicture* Laid)
    : View(AView), DiagramKind(Kind) {
    if (Kind == TDiagramKind::Detailed && View.HasNetwork)
        Detailed = std::make_unique<TDetailed>(View, Names, Durations, Separator, Laid);
}

TPicture::TPicture(const TNetworkView& AView, const std::vector<std::string>& Names,
                   const std::optional<TCalendar>& Calendar, char Separator, bool DottedFloat)
    : View(AView), DiagramKind(TDiagramKind::TimeScaled) {
    TTimeScaledOptions Options;
    Options.Separator = Separator;
    Options.DottedFloat = DottedFloat;
    if (View.HasNetwork)
        Timed = std::make_unique<TTimeScaledPicture>(View, Names, Calendar, Options);
}

TPicture::~TPicture() = default;

QSize TPicture::Size() const {
    if (!View.HasNetwork)
        return {};
    if (Timed)
        return Timed->Size();
    return Detailed ? Detailed->Extent : DrawCircuit(View);
}

void TPicture::Paint(QPainter& Painter, const QRectF& Clip) const {
    if (Timed)
        Timed->Paint(Painter, Clip);
    else if (Detailed)
        Detailed->Paint(Painter, Clip);
    else
        PaintCircuit(Painter, View, Clip.toAlignedRect());
}

const TViewEvent* TPicture::EventAt(QPointF At) const {
    if (Timed) {
        const int Event = Timed->EventAt(At);
        return Event < 0 ? nullptr : &View.Events[static_cast<std::size_t>(Event)];
    }
    if (Detailed)
        return Detailed->EventAt(At);
    return ::EventAt(View, static_cast<int>(std::floor(At.x())),
                     static_cast<int>(std::floor(At.y())));
}

std::vector<std::size_t> TPicture::ArcsAt(QPointF At) const {
    if (Timed)
        return Timed->ArcsAt(At);
    if (Detailed)
        return Detailed->ArcsAt(At);
    return ::ArcsAt(View, static_cast<int>(std::floor(At.x())),
                    static_cast<int>(std::floor(At.y())));
}

QPointF TPicture::Centre(const TViewEvent& Event) const {
    if (Timed)
        return Timed->Centre(static_cast<int>(&Event - View.Events.data()));
    return Detailed ? Detailed->Centre(Event) : QPointF(EventCentre(Event));
}

QPainterPath TPicture::ArcPath(std::size_t Arc) const {
    if (Timed)
        return Timed->ArcPath(Arc);
    if (Detailed)
        return Arc < Detailed->Paths.size() ? Detailed->Paths[Arc] : QPainterPath();
    QPainterPath Path;
    if (Arc < View.Arcs.size())
        Path.addPolygon(QPolygonF(ArcLine(View, Arc)));
    return Path;
}

double TPicture::Radius() const {
    if (Timed)
        return Timed->Radius();
    return Detailed ? R : EventDiameter / 2.0;
}
