// The two views of the diagram behind one face. The plain view is painted by
// Diagram.cpp on the engine's grid. The detailed view computes its geometry
// once per result: a column step wide enough for the longest name, a row step
// that leaves room for the circles and two lines of label, and for every arc
// its path through the rows of its chain nodes, parallel works bowed apart.

#include "drawing/Picture.h"

#include "drawing/Diagram.h"
#include "model/RealText.h"
#include "network/CircuitEngine.h"
#include "network/DetailedLayout.h"
#include "model/WorkList.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPathStroker>
#include <QPen>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

namespace {

constexpr double R = 28;          // radius of an event's circle
constexpr double Margin = 14;     // around the picture
constexpr double BowStep = 34;    // between parallel works at their middle
constexpr double ArrowLength = 10;
constexpr double ArrowHalfWidth = 4;
constexpr double MinColumn = 150;
constexpr double MaxColumn = 340;

const QColor Red(255, 0, 0);
const QColor Black(0, 0, 0);
const QColor White(255, 255, 255);

QFont LabelFont() {
    QFont Font(QStringLiteral("Arial"));
    Font.setStyleHint(QFont::SansSerif);
    Font.setPointSizeF(8);
    return Font;
}

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
    struct TArc {
        QPainterPath Path;
        // The label's centre and direction, and the room it has.
        QPointF LabelAt;
        double Angle = 0;
        double Room = 0;
        QPointF ArrowTip;
        QPointF ArrowBack; // a unit vector from the tip backwards
        QRectF Bounds;
        // Where the two lines of the label go: -1 both above the line (an
        // arc bowed upwards), +1 both below (bowed downwards), 0 the name
        // above and the duration below.
        int Side = 0;
    };

    const TNetworkView& View;
    // The detailed view's own rows, with fewer crossings than the plain ones.
    TDetailedRows Layout;
    std::vector<QString> Names;
    char Separator;
    double ColumnStep = MinColumn;
    double RowStep = 0;
    QSize Extent;
    std::vector<TArc> Arcs;
    double LineHeight = 0;

    TDetailed(const TNetworkView& AView, const std::vector<std::string>& WorkNames, char ASeparator,
              const TDetailedRows* Rows)
        : View(AView), Layout(Rows ? *Rows : DetailedLayout(AView)), Separator(ASeparator) {
        const QFontMetricsF Metrics(LabelFont());
        LineHeight = Metrics.height();
        double Widest = 0;
        for (const std::string& Name : WorkNames) {
            Names.push_back(QString::fromStdString(Name));
            Widest = std::max(Widest, Metrics.horizontalAdvance(Names.back()));
        }
        ColumnStep = std::clamp(Widest + 2 * R + 30, MinColumn, MaxColumn);
        RowStep = 2 * R + 2 * LineHeight + 24;
        MakeArcs();
    }

    QPointF Point(int Level, int Row) const {
        return {Margin + R + (Level - 1) * ColumnStep, Margin + R + Row * RowStep};
    }

    QPointF Centre(const TViewEvent& e) const {
        return Point(e.Level, Layout.EventRow[static_cast<std::size_t>(&e - View.Events.data())]);
    }

    void MakeArcs() {
        int Levels = 1;
        int Rows = 0;
        for (std::size_t e = 0; e < View.Events.size(); ++e) {
            Levels = std::max(Levels, View.Events[e].Level);
            Rows = std::max(Rows, Layout.EventRow[e]);
        }
        // Works between the same two events are bowed apart, in list order.
        std::map<std::pair<std::int32_t, std::int32_t>, std::vector<std::size_t>> Groups;
        for (std::size_t a = 0; a < View.Arcs.size(); ++a)
            Groups[{View.Arcs[a].From, View.Arcs[a].To}].push_back(a);
        Arcs.resize(View.Arcs.size());
        for (const auto& [Ends, Members] : Groups)
            for (std::size_t i = 0; i < Members.size(); ++i) {
                const double Offset = (static_cast<double>(i) - (Members.size() - 1) / 2.0) * BowStep;
                MakeArc(Members[i], Offset);
            }
        for (const std::vector<std::int32_t>& ArcRows : Layout.ArcRows)
            for (const std::int32_t Row : ArcRows)
                Rows = std::max(Rows, Row);
        // Bowed arcs and their labels may reach beyond the last row.
        double Bottom = 2 * Margin + 2 * R + Rows * RowStep;
        for (const TArc& g : Arcs)
            if (!g.Path.isEmpty())
                Bottom = std::max(Bottom, g.Bounds.bottom() + Margin);
        Extent = QSize(static_cast<int>(std::ceil(2 * Margin + 2 * R + (Levels - 1) * ColumnStep)),
                       static_cast<int>(std::ceil(Bottom)));
    }

    void MakeArc(std::size_t Index, double Offset) {
        const TViewArc& a = View.Arcs[Index];
        const std::vector<std::int32_t>& Rows = Layout.ArcRows[Index];
        TArc& g = Arcs[Index];
        if (a.From < 0 || a.To < 0 || Rows.size() < 2)
            return;
        const int Level = View.Events[static_cast<std::size_t>(a.From)].Level;
        std::vector<QPointF> P;
        for (std::size_t k = 0; k < Rows.size(); ++k)
            P.push_back(Point(Level + static_cast<int>(k), Rows[k]));
        const QPointF Start = P.front();
        const QPointF End = P.back();
        QPointF Before; // the point the last piece comes from
        if (P.size() == 2) {
            const QPointF Chord = End - Start;
            const QPointF Normal = QPointF(-Chord.y(), Chord.x()) / std::max(1.0, Length(Chord));
            const QPointF Middle = (Start + End) / 2 + Offset * Normal;
            g.Path.moveTo(Start);
            if (Offset == 0) {
                g.Path.lineTo(End);
                Before = Start;
            } else {
                // Through Middle: the control point lies twice as far out.
                const QPointF Control = (Start + End) / 2 + 2 * Offset * Normal;
                g.Path.quadTo(Control, End);
                Before = Control;
            }
            g.LabelAt = Middle;
            g.Side = Offset == 0 ? 0 : (Offset * Normal.y() < 0 ? -1 : 1);
            g.Angle = std::atan2(Chord.y(), Chord.x());
            g.Room = Length(Chord) - 2 * R - 8;
        } else {
            for (std::size_t k = 1; k + 1 < P.size(); ++k)
                P[k].ry() += Offset;
            g.Side = Offset == 0 ? 0 : (Offset < 0 ? -1 : 1);
            g.Path.moveTo(Start);
            for (std::size_t k = 1; k < P.size(); ++k)
                g.Path.lineTo(P[k]);
            Before = P[P.size() - 2];
            const QPointF First = P[1] - P[0];
            g.LabelAt = (P[0] + P[1]) / 2;
            g.Angle = std::atan2(First.y(), First.x());
            g.Room = Length(First) - R - 8;
        }
        const QPointF Back = (Before - End) / std::max(1e-9, Length(Before - End));
        g.ArrowTip = End + R * Back;
        g.ArrowBack = Back;
        g.Bounds = g.Path.boundingRect().adjusted(-LineHeight - 4, -LineHeight - 4, LineHeight + 4,
                                                  LineHeight + 4) |
                   QRectF(g.LabelAt - QPointF(g.Room / 2 + 4, LineHeight * 2 + 4),
                          g.LabelAt + QPointF(g.Room / 2 + 4, LineHeight * 2 + 4));
    }

    QString Time(TReal Value) const {
        return std::isinf(Value) ? QStringLiteral("—")
                                 : QString::fromStdString(FormatReal(Value, Separator));
    }

    void Paint(QPainter& Painter, const QRectF& Clip) const {
        Painter.save();
        Painter.setRenderHint(QPainter::Antialiasing, true);
        Painter.setRenderHint(QPainter::TextAntialiasing, true);
        const QRectF Area = Clip.adjusted(-2, -2, 2, 2);
        // Black arcs first, so that the path lies on top where they meet.
        for (const bool Red : {false, true})
            for (std::size_t a = 0; a < Arcs.size(); ++a)
                if (View.Arcs[a].OnPath == Red && Arcs[a].Bounds.intersects(Area))
                    PaintArc(Painter, a);
        for (const TViewEvent& e : View.Events)
            if (QRectF(Centre(e) - QPointF(R + 2, R + 2), QSizeF(2 * R + 4, 2 * R + 4)).intersects(Area))
                PaintEvent(Painter, e);
        Painter.restore();
    }

    void PaintArc(QPainter& Painter, std::size_t Index) const {
        const TViewArc& a = View.Arcs[Index];
        const TArc& g = Arcs[Index];
        if (g.Path.isEmpty())
            return;
        const QColor Colour = a.OnPath ? Red : Black;
        QPen Pen(Colour);
        Pen.setWidthF(a.OnPath ? 2 : 1);
        if (a.Work < 0)
            Pen.setStyle(Qt::DotLine);
        Painter.setPen(Pen);
        Painter.setBrush(Qt::NoBrush);
        Painter.drawPath(g.Path);

        const QPointF Side(-g.ArrowBack.y(), g.ArrowBack.x());
        const QPointF Base = g.ArrowTip + ArrowLength * g.ArrowBack;
        Painter.setPen(QPen(Colour, 1));
        Painter.setBrush(Colour);
        Painter.drawPolygon(QPolygonF{g.ArrowTip, Base + ArrowHalfWidth * Side, Base - ArrowHalfWidth * Side});

        if (a.Work < 0 || a.Work >= static_cast<std::int32_t>(Names.size()) || g.Room <= 0)
            return;
        Painter.save();
        Painter.translate(g.LabelAt);
        double Degrees = g.Angle * 180 / M_PI;
        // Text is never upside down.
        if (Degrees > 90 || Degrees < -90)
            Degrees += 180;
        Painter.rotate(Degrees);
        Painter.setFont(LabelFont());
        const QFontMetricsF Metrics(Painter.font());
        const QString Name =
            Metrics.elidedText(Names[static_cast<std::size_t>(a.Work)], Qt::ElideRight, g.Room);
        Painter.setPen(Colour);
        // The first line's top; text turned upside down swaps the sides.
        const int Lines = Degrees != g.Angle * 180 / M_PI ? -g.Side : g.Side;
        const double Top = Lines < 0 ? -2 * LineHeight - 2 : Lines > 0 ? 2 : -LineHeight - 2;
        Painter.drawText(QRectF(-g.Room / 2, Top, g.Room, LineHeight), Qt::AlignHCenter | Qt::AlignBottom,
                         Name);
        Painter.drawText(QRectF(-g.Room / 2, Lines == 0 ? 2 : Top + LineHeight, g.Room, LineHeight),
                         Qt::AlignHCenter | Qt::AlignTop,
                         Metrics.elidedText(Time(a.Duration), Qt::ElideRight, g.Room));
        Painter.restore();
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
        FitText(Painter, QRectF(c.x() - 0.97 * R, c.y() - 0.3 * R, 0.64 * R, 0.6 * R), Time(e.Early),
                TimeFont());
        FitText(Painter, QRectF(c.x() + 0.33 * R, c.y() - 0.3 * R, 0.64 * R, 0.6 * R), Time(e.Late),
                TimeFont());
        FitText(Painter, QRectF(c.x() - 0.55 * R, c.y() + 0.35 * R, 1.1 * R, 0.6 * R), Time(e.Slack),
                TimeFont());
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
        for (std::size_t a = 0; a < Arcs.size(); ++a)
            if (Arcs[a].Bounds.contains(At) && Stroker.createStroke(Arcs[a].Path).contains(At))
                Found.push_back(a);
        return Found;
    }
};

namespace {

std::vector<std::string> NamesOf(const TWorkList& List) {
    std::vector<std::string> Names;
    Names.reserve(static_cast<std::size_t>(List.Count()));
    for (int i = 0; i < List.Count(); ++i)
        Names.push_back(List.GetWork(i).Name);
    return Names;
}

} // namespace

TPicture::TPicture(const TNetworkView& AView, const TWorkList& List, TDiagramKind Kind, char Separator)
    : TPicture(AView, NamesOf(List), Kind, Separator) {}

TPicture::TPicture(const TNetworkView& AView, const std::vector<std::string>& Names, TDiagramKind Kind,
                   char Separator, const TDetailedRows* Rows)
    : View(AView), DiagramKind(Kind) {
    if (Kind == TDiagramKind::Detailed && View.HasNetwork)
        Detailed = std::make_unique<TDetailed>(View, Names, Separator, Rows);
}

TPicture::~TPicture() = default;

QSize TPicture::Size() const {
    if (!View.HasNetwork)
        return {};
    return Detailed ? Detailed->Extent : DrawCircuit(View);
}

void TPicture::Paint(QPainter& Painter, const QRectF& Clip) const {
    if (Detailed)
        Detailed->Paint(Painter, Clip);
    else
        PaintCircuit(Painter, View, Clip.toAlignedRect());
}

const TViewEvent* TPicture::EventAt(QPointF At) const {
    if (Detailed)
        return Detailed->EventAt(At);
    return ::EventAt(View, static_cast<int>(std::floor(At.x())), static_cast<int>(std::floor(At.y())));
}

std::vector<std::size_t> TPicture::ArcsAt(QPointF At) const {
    if (Detailed)
        return Detailed->ArcsAt(At);
    return ::ArcsAt(View, static_cast<int>(std::floor(At.x())), static_cast<int>(std::floor(At.y())));
}

QPointF TPicture::Centre(const TViewEvent& Event) const {
    return Detailed ? Detailed->Centre(Event) : QPointF(EventCentre(Event));
}

QPainterPath TPicture::ArcPath(std::size_t Arc) const {
    if (Detailed)
        return Arc < Detailed->Arcs.size() ? Detailed->Arcs[Arc].Path : QPainterPath();
    QPainterPath Path;
    if (Arc < View.Arcs.size())
        Path.addPolygon(QPolygonF(ArcLine(View, Arc)));
    return Path;
}

double TPicture::Radius() const {
    return Detailed ? R : EventDiameter / 2.0;
}
