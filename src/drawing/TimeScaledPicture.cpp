// The time-scaled picture's geometry and its painter. The x of everything
// comes first (events, arcs, labels); then the labels that have no room
// between their arc's events get tiers above the circles, and the rows stand
// as far apart as the most tiers need, so that no two labels ever meet and
// none is lost; y follows from the rows.

#include "drawing/TimeScaledPicture.h"

#include "drawing/Labels.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>

namespace {

const QColor CriticalLine(200, 20, 20);
const QColor NormalLine(30, 60, 130);
const QColor FictiveLine(90, 90, 90);
const QColor LabelInk(20, 20, 20);

// An arrow's head at Tip pointing along (Dx, Dy), a unit step.
void PaintArrowHead(QPainter& Painter, QPointF Tip, double Dx, double Dy) {
    const double Size = 7;
    const QPointF Back(Tip.x() - Dx * Size, Tip.y() - Dy * Size);
    const QPointF Side(-Dy * Size * 0.4, Dx * Size * 0.4);
    Painter.save();
    Painter.setBrush(Painter.pen().color());
    Painter.setPen(QPen(Painter.pen().color(), 1));
    Painter.drawPolygon(QPolygonF({Tip, Back + Side, Back - Side}));
    Painter.restore();
}

// A wave along y from X0 to X1, its period fitted to the length; only its
// waves between Left and Right, so that a long one costs what is in view.
QPainterPath Wave(double X0, double X1, double Y, double Left, double Right) {
    const double Period = 8;
    const int Waves = std::max(1, static_cast<int>(std::round((X1 - X0) / Period)));
    const double Step = (X1 - X0) / Waves;
    const int First = std::clamp(static_cast<int>(std::floor((Left - X0) / Step)), 0, Waves);
    const int Last = std::clamp(static_cast<int>(std::ceil((Right - X0) / Step)), 0, Waves);
    QPainterPath Path(QPointF(X0 + First * Step, Y));
    for (int i = First; i < Last; ++i) {
        const double x = X0 + i * Step;
        Path.cubicTo(x + Step / 4, Y - 3, x + Step / 4, Y - 3, x + Step / 2, Y);
        Path.cubicTo(x + 3 * Step / 4, Y + 3, x + 3 * Step / 4, Y + 3, x + Step, Y);
    }
    return Path;
}

} // namespace

TTimeScaledPicture::TTimeScaledPicture(const TNetworkView& View,
                                       const std::vector<std::string>& Names,
                                       const std::optional<TCalendar>& Calendar,
                                       const TTimeScaledOptions& AOptions)
    : Options(AOptions), Font(LabelFont()), NumberFont(LabelFont()) {
    NumberFont.setBold(true);
    if (!View.HasNetwork || View.Events.empty())
        return;
    const QFontMetricsF Metrics(Font);
    const QFontMetricsF Numbers(NumberFont);
    LabelHeight = std::ceil(Metrics.height());
    HeaderRow = LabelHeight + 8;
    double Widest = 0;
    for (const TViewEvent& Event : View.Events)
        Widest = std::max(Widest, Numbers.horizontalAdvance(QString::number(Event.Number)));
    EventRadius = std::max(9.0, std::ceil(Widest / 2) + 4);
    Pitch = LabelHeight + 2 * EventRadius + 12;

    std::vector<QString> Texts(View.Arcs.size());
    for (std::size_t a = 0; a < View.Arcs.size(); ++a) {
        const TViewArc& Arc = View.Arcs[a];
        if (Arc.Work < 0)
            continue;
        const std::size_t w = static_cast<std::size_t>(Arc.Work);
        const QString Name = w < Names.size() ? QString::fromStdString(Names[w]) : QString();
        Texts[a] = Name + QStringLiteral(" (") + TimeText(Arc.Duration, Options.Separator) + ')';
    }
    const double Scale = Options.PixelsPerDay > 0 ? std::clamp(Options.PixelsPerDay, 0.25, 400.0)
                                                  : PickScale(View, Texts, Calendar.has_value());
    // Circles on one row keep apart: a calendar's working day fills its
    // day's cell, so half a day may take a little less than half the cell.
    const double Gap = (2 * EventRadius + 6) / Scale * (Calendar ? 1.25 : 1.0);
    Laid = LayTimeScaled(View, static_cast<TReal>(Gap));
    Axis = TTimeAxis(Calendar, Laid.LastTime, Scale, 2 * EventRadius + 8);
    Events.resize(View.Events.size());
    double LastX = 0;
    for (std::size_t e = 0; e < View.Events.size(); ++e) {
        TEventMark& Mark = Events[e];
        Mark.Centre = QPointF(Axis.EventX(Laid.Events[e].Time), 0);
        Mark.Row = Laid.Events[e].Row;
        Mark.Number = QString::number(View.Events[e].Number);
        Mark.Critical = Laid.Events[e].Critical;
        LastX = std::max(LastX, Mark.Centre.x());
    }
    Axis.Lay(LastX + EventRadius);
    Width = std::max(Axis.End(), LastX + EventRadius + 12);
    LayArcs(View);
    LayLabels(Texts);
    // A label above the circles may reach past the last event.
    for (const TLabel& Label : LabelList)
        Width = std::max(Width, std::ceil(Label.Box.right()) + 2);
    // Above a row: its highest tier of labels, or the circles.
    const double Above = Tiers > 0 ? EventRadius + 2 + (Tiers - 1) * (LabelHeight + 2) + LabelHeight
                                   : std::max(EventRadius, LabelHeight + 3);
    Pitch = Above + EventRadius + 10;
    Top = 2 * HeaderRow + 4 + Above;
    for (TEventMark& Mark : Events)
        Mark.Centre.setY(Y(Mark.Row));
    for (TArcLine& Line : Arcs) {
        const double Upper = std::min({Y(Line.FromRow), Y(Line.ToRow), Y(Line.LaneRow)});
        const double Lower = std::max({Y(Line.FromRow), Y(Line.ToRow), Y(Line.LaneRow)});
        Line.Bounds = QRectF(QPointF(Line.X0 - 4, Upper - EventRadius - 4),
                             QPointF(Line.X1 + 4, Lower + EventRadius + 4));
    }
    for (TLabel& Label : LabelList)
        Label.Box.moveTop(TierBottom(Label.Row, Label.Tier) - LabelHeight);
}

double TTimeScaledPicture::TierBottom(int Row, int Tier) const {
    return Tier == 0 ? Y(Row) - 3 : Y(Row) - EventRadius - 2 - (Tier - 1) * (LabelHeight + 2);
}

double TTimeScaledPicture::Y(int Row) const {
    return Top + Row * Pitch;
}

QSize TTimeScaledPicture::Size() const {
    if (Events.empty())
        return {};
    return QSize(static_cast<int>(std::ceil(Width)),
                 static_cast<int>(std::ceil(Y(Laid.RowCount - 1) + EventRadius + 12)));
}

// The scale at which three labels in four fit between their events, within
// bounds that keep the picture readable and of a sane size (a calendar's
// weekends widen the axis by about two days in seven).
double TTimeScaledPicture::PickScale(const TNetworkView& View, const std::vector<QString>& Texts,
                                     bool Calendar) const {
    const QFontMetricsF Metrics(Font);
    std::vector<double> Needs;
    TReal Last = 0;
    for (std::size_t a = 0; a < View.Arcs.size(); ++a) {
        const TViewArc& Arc = View.Arcs[a];
        const TReal Start = View.Events[static_cast<std::size_t>(Arc.From)].Early;
        const TReal End = View.Events[static_cast<std::size_t>(Arc.To)].Early;
        Last = std::max(Last, End);
        if (Arc.Work < 0 || End <= Start)
            continue;
        const double Room = Metrics.horizontalAdvance(Texts[a]) + 2 * EventRadius + 10;
        Needs.push_back(Room / static_cast<double>(End - Start));
    }
    if (Needs.empty())
        return 20;
    const std::size_t k = Needs.size() * 3 / 4;
    std::nth_element(Needs.begin(), Needs.begin() + static_cast<std::ptrdiff_t>(k), Needs.end());
    // A long plan is not drawn wider than a roll of a few metres.
    const double Days = static_cast<double>(Last) * (Calendar ? 1.4 : 1.0);
    const double Widest = Days > 0 ? std::max(8.0, 6000 / Days) : 80.0;
    return std::clamp(std::ceil(Needs[k]), 6.0, std::min(80.0, Widest));
}

void TTimeScaledPicture::LayArcs(const TNetworkView& View) {
    Arcs.resize(View.Arcs.size());
    for (std::size_t a = 0; a < View.Arcs.size(); ++a) {
        const TTimeScaledArc& Item = Laid.Arcs[a];
        const TViewArc& Link = View.Arcs[a];
        TArcLine& Line = Arcs[a];
        Line.Fictive = Link.Work < 0;
        Line.Critical = Item.Critical;
        Line.X0 = Axis.EventX(Item.Start);
        Line.X1 = Axis.EventX(Item.End);
        Line.XSolid = Line.Fictive                ? Line.X0
                      : Item.SolidEnd >= Item.End ? Line.X1
                                                  : std::min(Line.X1, Axis.FinishX(Item.SolidEnd));
        Line.LaneRow = Item.Lane;
        Line.FromRow = Laid.Events[static_cast<std::size_t>(Link.From)].Row;
        Line.ToRow = Laid.Events[static_cast<std::size_t>(Link.To)].Row;
    }
}

// A label goes first within its arc's room on the lane: from past its start
// event (or the stroke into the lane) to before its end event, less the
// circles of the row's events around it, centred over the duration where it
// fits. A label too wide for that room takes the lowest tier above the
// circles where it meets no other label of the row, beginning over its
// arc's start; past the last tier allowed, it shortens its name within its
// room instead (the window's zoom gives it room again).
void TTimeScaledPicture::LayLabels(const std::vector<QString>& Texts) {
    constexpr int MostTiers = 3;
    std::map<int, std::vector<double>> RowEvents; // the events' x in order, by row
    for (const TEventMark& Mark : Events)
        RowEvents[Mark.Row].push_back(Mark.Centre.x());
    for (auto& Row : RowEvents)
        std::sort(Row.second.begin(), Row.second.end());
    const QFontMetricsF Metrics(Font);
    const double R = EventRadius;
    struct TPending {
        std::size_t Arc;
        double Left, Right;
    };
    std::vector<TPending> Pending;
    // By row and tier, the spans its labels take (tier 0 meets tier 1).
    std::map<std::pair<int, int>, std::vector<std::pair<double, double>>> Taken;
    const auto Free = [&Taken](int Row, int Tier, double X0, double X1) {
        for (int t = std::max(0, Tier - 1); t <= Tier + 1; ++t) {
            if (std::abs(t - Tier) == 1 && std::min(t, Tier) != 0)
                continue;
            for (const auto& [a, b] : Taken[{Row, t}])
                if (a < X1 + 6 && X0 < b + 6)
                    return false;
        }
        return true;
    };
    // The strokes that pass through the labels' band above each row: a
    // label keeps clear of them where it can.
    std::map<int, std::vector<double>> Strokes;
    const auto Stroke = [&Strokes](double X, int A, int B) {
        for (int r = std::min(A, B) + 1; r <= std::max(A, B); ++r)
            Strokes[r].push_back(X);
    };
    for (const TArcLine& Line : Arcs) {
        Stroke(Line.X0, Line.FromRow, Line.X1 > Line.X0 ? Line.LaneRow : Line.ToRow);
        if (Line.X1 > Line.X0)
            Stroke(Line.X1, Line.LaneRow, Line.ToRow);
    }
    for (auto& Row : Strokes)
        std::sort(Row.second.begin(), Row.second.end());
    // The first stroke of Xs through [X0, X1], if any.
    const auto Through = [](const std::vector<double>& Xs, double X0,
                            double X1) -> std::optional<double> {
        const auto s = std::upper_bound(Xs.begin(), Xs.end(), X0 - 3);
        return s != Xs.end() && *s < X1 + 3 ? std::optional(*s) : std::nullopt;
    };
    const auto Crossing = [&](int Row, double X0, double X1) {
        return Through(Strokes[Row], X0, X1);
    };
    // Where in [Left, Right] a label of Wide meets no stroke, nearest to Want.
    const auto Clear = [&](int Row, double Want, double Wide, double Left,
                           double Right) -> std::optional<double> {
        const double Start = std::clamp(Want, Left, Right - Wide);
        std::vector<double> Tries = {Start, Left};
        // Beside the few strokes nearest to where it would stand.
        const std::vector<double>& Xs = Strokes[Row];
        const auto Near = std::lower_bound(Xs.begin(), Xs.end(), Start);
        const auto From = Near - std::min<std::ptrdiff_t>(6, Near - Xs.begin());
        const auto To = Near + std::min<std::ptrdiff_t>(6, Xs.end() - Near);
        for (auto s = From; s != To; ++s) {
            Tries.push_back(*s + 4);
            Tries.push_back(*s - 4 - Wide);
        }
        std::optional<double> Best;
        for (const double X : Tries)
            if (X >= Left && X + Wide <= Right && !Through(Xs, X, X + Wide) &&
                (!Best || std::abs(X - Want) < std::abs(*Best - Want)))
                Best = X;
        return Best;
    };
    const auto Put = [&](std::size_t a, double X, const QString& Text, int Tier) {
        const double Wide = Metrics.horizontalAdvance(Text);
        const int Row = Arcs[a].LaneRow;
        LabelList.push_back(
            {QRectF(X, 0, Wide, LabelHeight), Text, static_cast<int>(a), Row, Tier});
        Taken[{Row, Tier}].emplace_back(X, X + Wide);
        Tiers = std::max(Tiers, Tier);
    };
    for (std::size_t a = 0; a < Arcs.size(); ++a) {
        const TArcLine& Line = Arcs[a];
        if (Line.Fictive || Texts[a].isEmpty())
            continue;
        double Left = Line.X0 + (Line.FromRow == Line.LaneRow ? R : 0) + 3;
        double Right = Line.X1 - (Line.ToRow == Line.LaneRow ? R : 0) - 3;
        const auto Row = RowEvents.find(Line.LaneRow);
        if (Row != RowEvents.end()) {
            const std::vector<double>& Xs = Row->second;
            const auto Before = std::lower_bound(Xs.begin(), Xs.end(), Line.X0);
            if (Before != Xs.begin())
                Left = std::max(Left, *std::prev(Before) + R + 3);
            const auto After = std::upper_bound(Xs.begin(), Xs.end(), Line.X1);
            if (After != Xs.end())
                Right = std::min(Right, *After - R - 3);
        }
        const double Wide = Metrics.horizontalAdvance(Texts[a]);
        const std::optional<double> X =
            Wide <= Right - Left
                ? Clear(Line.LaneRow, (Line.X0 + Line.XSolid - Wide) / 2, Wide, Left, Right)
                : std::nullopt;
        if (X)
            Put(a, *X, Texts[a], 0);
        else
            Pending.push_back({a, Left, Right});
    }
    for (const TPending& Wait : Pending) {
        const TArcLine& Line = Arcs[Wait.Arc];
        const QString& Text = Texts[Wait.Arc];
        const double Wide = Metrics.horizontalAdvance(Text);
        // Over its start, moved past a stroke or two if that clears it.
        double X = std::max(0.0, std::min(Line.X0 + 2, Width - Wide - 2));
        for (int Moves = 0; Moves < 3; ++Moves) {
            const std::optional<double> s = Crossing(Line.LaneRow, X, X + Wide);
            if (!s || *s + 4 + Wide > std::max(Width - 2, Line.X0 + 2 * Wide))
                break;
            X = *s + 4;
        }
        int Tier = 1;
        while (Tier <= MostTiers && !Free(Line.LaneRow, Tier, X, X + Wide))
            ++Tier;
        if (Tier <= MostTiers) {
            Put(Wait.Arc, X, Text, Tier);
            continue;
        }
        const double Room = Wait.Right - Wait.Left;
        const int Open = static_cast<int>(Text.lastIndexOf(QStringLiteral(" (")));
        const QString Tail = Text.mid(Open);
        const double Rest = Room - Metrics.horizontalAdvance(Tail);
        const QString Short = Rest > Metrics.horizontalAdvance(QStringLiteral("M…"))
                                  ? Metrics.elidedText(Text.left(Open), Qt::ElideRight, Rest) + Tail
                                  : Tail.mid(2).chopped(1);
        const double ShortWide = Metrics.horizontalAdvance(Short);
        if (ShortWide <= Room && Free(Line.LaneRow, 0, Wait.Left, Wait.Left + ShortWide))
            Put(Wait.Arc, Wait.Left, Short, 0);
    }
}

QPointF TTimeScaledPicture::Centre(int Event) const {
    return Event >= 0 && Event < static_cast<int>(Events.size())
               ? Events[static_cast<std::size_t>(Event)].Centre
               : QPointF();
}

int TTimeScaledPicture::EventAt(QPointF At) const {
    for (std::size_t e = 0; e < Events.size(); ++e) {
        const QPointF d = At - Events[e].Centre;
        if (d.x() * d.x() + d.y() * d.y() <= EventRadius * EventRadius)
            return static_cast<int>(e);
    }
    return -1;
}

QPainterPath TTimeScaledPicture::ArcPath(std::size_t Arc) const {
    QPainterPath Path;
    if (Arc >= Arcs.size())
        return Path;
    const TArcLine& Line = Arcs[Arc];
    Path.moveTo(Line.X0, Y(Line.FromRow));
    Path.lineTo(Line.X0, Y(Line.LaneRow));
    Path.lineTo(Line.X1, Y(Line.LaneRow));
    Path.lineTo(Line.X1, Y(Line.ToRow));
    return Path;
}

// Within a few pixels of an arc's lane or of its strokes.
std::vector<std::size_t> TTimeScaledPicture::ArcsAt(QPointF At) const {
    constexpr double Near = 4;
    const auto Between = [](double v, double a, double b) {
        return v >= std::min(a, b) - Near && v <= std::max(a, b) + Near;
    };
    std::vector<std::size_t> Found;
    for (std::size_t a = 0; a < Arcs.size(); ++a) {
        const TArcLine& Line = Arcs[a];
        if (!Line.Bounds.contains(At))
            continue;
        const double Lane = Y(Line.LaneRow);
        const bool OnLane = std::abs(At.y() - Lane) <= Near && Between(At.x(), Line.X0, Line.X1);
        const bool OnStart =
            std::abs(At.x() - Line.X0) <= Near && Between(At.y(), Y(Line.FromRow), Lane);
        const bool OnEnd =
            std::abs(At.x() - Line.X1) <= Near && Between(At.y(), Lane, Y(Line.ToRow));
        if (OnLane || OnStart || OnEnd)
            Found.push_back(a);
    }
    return Found;
}

void TTimeScaledPicture::Paint(QPainter& Painter, const QRectF& Clip) const {
    if (Events.empty())
        return;
    Painter.save();
    const QRectF Head(0, 0, Width, 2 * HeaderRow);
    const QRectF Body = QRectF(0, Head.bottom(), Width, Size().height() - Head.bottom()) & Clip;
    if (!Body.isEmpty())
        Axis.PaintShade(Painter, Body);
    Painter.setRenderHint(QPainter::Antialiasing, true);
    for (const TArcLine& Arc : Arcs)
        if (Arc.Bounds.intersects(Clip))
            PaintArc(Painter, Arc, Clip);
    Painter.setFont(Font);
    Painter.setPen(LabelInk);
    for (const TLabel& Label : LabelList)
        if (Label.Box.intersects(Clip))
            Painter.drawText(Label.Box, Qt::AlignLeft | Qt::AlignVCenter, Label.Text);
    PaintEvents(Painter, Clip);
    // The header last: the window scrolls under it.
    if ((Head & Clip).isValid() && !(Head & Clip).isEmpty()) {
        Painter.setRenderHint(QPainter::Antialiasing, false);
        Axis.PaintHeader(Painter, Head & Clip, HeaderRow);
    }
    Painter.restore();
}

void TTimeScaledPicture::PaintArc(QPainter& Painter, const TArcLine& Arc,
                                  const QRectF& Clip) const {
    const QColor Colour = Arc.Critical ? CriticalLine : Arc.Fictive ? FictiveLine : NormalLine;
    const double Thick = Arc.Critical ? 2 : 1.3;
    const QPen Solid(Colour, Thick, Qt::SolidLine, Qt::FlatCap);
    const QPen Dotted(Colour, Thick, Qt::DotLine, Qt::FlatCap);
    const double R = EventRadius;
    const double Lane = Y(Arc.LaneRow);
    const double FromY = Y(Arc.FromRow);
    const double ToY = Y(Arc.ToRow);
    const bool FromOnLane = Arc.FromRow == Arc.LaneRow;
    const bool ToOnLane = Arc.ToRow == Arc.LaneRow;
    const auto Toward = [R](double From, double To) { return To > From ? From + R : From - R; };
    Painter.setBrush(Qt::NoBrush);
    Painter.setPen(Arc.Fictive ? Dotted : Solid);
    if (Arc.X1 <= Arc.X0) { // within one moment: a vertical stroke
        const double Dy = ToY > FromY ? 1 : -1;
        const QPointF Tip(Arc.X0, ToY - Dy * R);
        Painter.drawLine(QPointF(Arc.X0, Toward(FromY, ToY)), Tip);
        PaintArrowHead(Painter, Tip, 0, Dy);
        return;
    }
    double Start = Arc.X0 + R;
    if (!FromOnLane) {
        Painter.drawLine(QPointF(Arc.X0, Toward(FromY, Lane)), QPointF(Arc.X0, Lane));
        Start = Arc.X0;
    }
    const double End = ToOnLane ? Arc.X1 - R : Arc.X1;
    const double SolidEnd = std::clamp(Arc.XSolid, Start, End);
    if (SolidEnd > Start)
        Painter.drawLine(QPointF(Start, Lane), QPointF(SolidEnd, Lane));
    if (End - SolidEnd > 1) {
        if (Arc.Fictive || Options.DottedFloat) {
            Painter.setPen(Dotted);
            Painter.drawLine(QPointF(SolidEnd, Lane), QPointF(End, Lane));
        } else {
            Painter.setPen(QPen(Colour, 1, Qt::SolidLine, Qt::FlatCap));
            Painter.drawPath(Wave(SolidEnd, End, Lane, Clip.left() - 8, Clip.right() + 8));
        }
    }
    Painter.setPen(Arc.Fictive ? Dotted : Solid);
    if (ToOnLane) {
        PaintArrowHead(Painter, QPointF(End, Lane), 1, 0);
        return;
    }
    const double Dy = ToY > Lane ? 1 : -1;
    const QPointF Tip(Arc.X1, ToY - Dy * R);
    Painter.drawLine(QPointF(Arc.X1, Lane), Tip);
    PaintArrowHead(Painter, Tip, 0, Dy);
}

void TTimeScaledPicture::PaintEvents(QPainter& Painter, const QRectF& Clip) const {
    const double R = EventRadius;
    Painter.setFont(NumberFont);
    for (const TEventMark& Mark : Events) {
        const QRectF Box(Mark.Centre.x() - R, Mark.Centre.y() - R, 2 * R, 2 * R);
        if (!Box.intersects(Clip))
            continue;
        Painter.setPen(QPen(Mark.Critical ? CriticalLine : NormalLine, Mark.Critical ? 2 : 1.3));
        Painter.setBrush(Qt::white);
        Painter.drawEllipse(Box);
        Painter.setPen(Mark.Critical ? CriticalLine : LabelInk);
        Painter.drawText(Box, Qt::AlignCenter, Mark.Number);
    }
}
