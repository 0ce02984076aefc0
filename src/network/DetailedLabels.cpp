// Labels: the detailed picture's geometry in four steps. The gaps between
// columns are sized for the labels that must stand in them; the rows are
// evenly spaced; every arc is drawn through its rows, parallel works bowed
// apart; then the labels are placed one by one among the circles, the
// arrowheads and the labels already placed, each at the first free place of
// its candidates, so that no two ever meet. A label with no free place near
// its arc widens its gap, and the steps run again.

#include "network/DetailedLabels.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <utility>

namespace {

// A label slides along its segment in steps of this many pixels, from the
// middle outwards, as far as a tenth of the segment from either end.
constexpr double SlideStep = 6;
// Steps of BesideStep pixels of a label beside its arc, away from it: near
// it while its gap may still grow, further in the last round.
constexpr double BesideStep = 6;
constexpr int NearSteps = 8;
constexpr int BesideSteps = 60;
// Rounds of widening the gaps of labels without a place.
constexpr int Rounds = 3;
// The room between the line and its name above or its duration below.
// Wide enough for an arrowhead to pass between the name and the duration.
constexpr double LineGap = 6;
constexpr double GridCell = 64;

double Length(TPoint v) {
    return std::hypot(v.X, v.Y);
}

// Boxes by the cells of a grid they touch, to find those near a box fast.
class TBoxGrid {
public:
    // The grid covers the picture and a band around it; boxes beyond it
    // fall in its border cells.
    void Reset(double Width, double Height) {
        Columns = static_cast<int>(Width / GridCell) + 3;
        Rows = static_cast<int>((Height + 2 * Band) / GridCell) + 3;
        Cells.assign(static_cast<std::size_t>(Columns) * static_cast<std::size_t>(Rows), {});
        Boxes.clear();
    }
    void Add(const TBox& Box) {
        const auto Index = static_cast<int>(Boxes.size());
        Boxes.push_back(Box);
        ForCells(Box, [&](std::size_t Cell) {
            Cells[Cell].push_back(Index);
            return false;
        });
    }
    bool Free(const TBox& Box) const {
        return !ForCells(Box, [&](std::size_t Cell) {
            for (const int i : Cells[Cell])
                if (Boxes[static_cast<std::size_t>(i)].Meets(Box))
                    return true;
            return false;
        });
    }

private:
    static constexpr double Band = 1024;
    int Columns = 0;
    int Rows = 0;
    std::vector<TBox> Boxes;
    std::vector<std::vector<int>> Cells;

    int Cell(double v, double Shift, int Count) const {
        return std::clamp(static_cast<int>(std::floor((v + Shift) / GridCell)), 0, Count - 1);
    }
    // Visits the cells the box touches until Visit returns true.
    template <class F> bool ForCells(const TBox& Box, F Visit) const {
        const int x0 = Cell(Box.Left, GridCell, Columns);
        const int x1 = Cell(Box.Right, GridCell, Columns);
        const int y0 = Cell(Box.Top, Band, Rows);
        const int y1 = Cell(Box.Bottom, Band, Rows);
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                if (Visit(static_cast<std::size_t>(y) * static_cast<std::size_t>(Columns) +
                          static_cast<std::size_t>(x)))
                    return true;
        return false;
    }
};

class TLabelPlacer {
public:
    TLabelPlacer(const TNetworkView& AView, const TDetailedRows& ARows,
                 const TDetailedSizes& ASizes)
        : View(AView), Rows(ARows), Sizes(ASizes) {}
    TDetailedGeometry Place();

private:
    const TNetworkView& View;
    const TDetailedRows& Rows;
    const TDetailedSizes& Sizes;
    TDetailedGeometry G;
    // By arc: the shape its label is planned with, and the segment (the gap
    // after the tail's column, counted from 0) planned for it; -1 for none.
    std::vector<int> PlannedShape, PlannedSegment;
    // By gap: room added for labels that found no place in an earlier round.
    std::vector<double> Extra;
    // The arcs between each two events.
    std::vector<std::vector<std::size_t>> Groups;
    TBoxGrid Taken;

    const std::vector<TLabelShape>* ShapesOf(const TViewArc& a) const {
        if (a.Work < 0 || static_cast<std::size_t>(a.Work) >= Sizes.Works.size() ||
            Sizes.Works[static_cast<std::size_t>(a.Work)].empty())
            return nullptr;
        return &Sizes.Works[static_cast<std::size_t>(a.Work)];
    }
    static double Width(const TLabelShape& s) { return std::max(s.NameWidth, s.TimeWidth); }
    void PlanGaps();
    void MakeArcs();
    void MakeArc(std::size_t Index, double Offset);
    void AddObstacles();
    TPoint OnSegment(const TArcGeometry& g, std::size_t k, double t) const;
    bool Try(TArcGeometry& g, const TLabelShape& s, TPoint At, int Side);
    bool TryBeside(TArcGeometry& g, const TLabelShape& s, const std::vector<TPoint>& Anchors,
                   int Steps);
    bool PlaceLabel(std::size_t Index, bool Last);
    void PlaceAll(std::vector<std::size_t>& Failed, bool Last);
    void Finish();
};

// The label of every work that spans one gap sizes that gap; a longer work's
// label goes to the widest of its gaps (a gap between two events in the same
// row first, the earlier on ties), which grows only when none is wide enough.
void TLabelPlacer::PlanGaps() {
    int Columns = 1;
    for (const std::int32_t c : Rows.EventColumn)
        Columns = std::max(Columns, c);
    std::vector<double> Need(static_cast<std::size_t>(Columns) + 1, Sizes.MinGap);
    Extra.resize(Need.size(), 0);
    PlannedShape.assign(View.Arcs.size(), -1);
    PlannedSegment.assign(View.Arcs.size(), -1);
    const auto Room = [this](const TLabelShape& s) { return Width(s) + 2 * Sizes.Pad + 3; };
    for (const bool Long : {false, true})
        for (std::size_t a = 0; a < View.Arcs.size(); ++a) {
            const TViewArc& Arc = View.Arcs[a];
            const std::vector<TLabelShape>* Shapes = ShapesOf(Arc);
            if (!Shapes || Arc.From < 0 || Arc.To < 0)
                continue;
            const int From = Rows.EventColumn[static_cast<std::size_t>(Arc.From)];
            const int Span = Rows.EventColumn[static_cast<std::size_t>(Arc.To)] - From;
            if (Span < 1 || (Span > 1) != Long)
                continue;
            std::size_t Shape = Shapes->size() - 1;
            for (std::size_t s = 0; s < Shapes->size(); ++s)
                if (Width((*Shapes)[s]) <= Sizes.TargetWidth) {
                    Shape = s;
                    break;
                }
            const std::vector<std::int32_t>& R = Rows.ArcRows[a];
            int Best = 0;
            double BestScore = -1;
            for (int k = 0; k < Span; ++k) {
                const double Wide = Need[static_cast<std::size_t>(From + k)];
                const bool Level =
                    static_cast<std::size_t>(k) + 1 < R.size() &&
                    R[static_cast<std::size_t>(k)] == R[static_cast<std::size_t>(k) + 1];
                const double Score = std::min(Wide, Room((*Shapes)[Shape])) * 2 + (Level ? 1 : 0);
                if (Score > BestScore) {
                    BestScore = Score;
                    Best = k;
                }
            }
            // A wider gap may hold the label on fewer lines.
            const double Wide =
                std::max(Need[static_cast<std::size_t>(From + Best)], Room((*Shapes)[Shape]));
            for (std::size_t s = 0; s < Shape; ++s)
                if (Room((*Shapes)[s]) <= Wide) {
                    Shape = s;
                    break;
                }
            PlannedShape[a] = static_cast<int>(Shape);
            PlannedSegment[a] = Best;
            Need[static_cast<std::size_t>(From + Best)] = Wide;
        }
    G.ColumnX.assign(static_cast<std::size_t>(Columns) + 1, 0);
    double x = Sizes.Margin + Sizes.Radius;
    for (int c = 1; c <= Columns; ++c) {
        G.ColumnX[static_cast<std::size_t>(c)] = x;
        x += 2 * Sizes.Radius + Need[static_cast<std::size_t>(c)] +
             Extra[static_cast<std::size_t>(c)];
    }
    G.Width = G.ColumnX[static_cast<std::size_t>(Columns)] + Sizes.Radius + Sizes.Margin;
}

void TLabelPlacer::MakeArcs() {
    int Last = 0;
    for (const std::int32_t r : Rows.EventRow)
        Last = std::max(Last, r);
    for (const std::vector<std::int32_t>& R : Rows.ArcRows)
        for (const std::int32_t r : R)
            Last = std::max(Last, r);
    for (int r = 0; r <= Last; ++r)
        G.RowY.push_back(Sizes.Margin + Sizes.Radius + r * Sizes.RowStep);
    for (std::size_t e = 0; e < View.Events.size(); ++e)
        G.EventCentre.push_back({G.ColumnX[static_cast<std::size_t>(Rows.EventColumn[e])],
                                 G.RowY[static_cast<std::size_t>(Rows.EventRow[e])]});
    // Works between the same two events are bowed apart, in list order.
    if (Groups.empty()) {
        std::map<std::pair<std::int32_t, std::int32_t>, std::vector<std::size_t>> ByEnds;
        for (std::size_t a = 0; a < View.Arcs.size(); ++a)
            ByEnds[{View.Arcs[a].From, View.Arcs[a].To}].push_back(a);
        for (auto& [Ends, Members] : ByEnds)
            Groups.push_back(std::move(Members));
    }
    G.Arcs.resize(View.Arcs.size());
    for (const std::vector<std::size_t>& Members : Groups)
        for (std::size_t i = 0; i < Members.size(); ++i)
            MakeArc(Members[i],
                    (static_cast<double>(i) - (static_cast<double>(Members.size()) - 1) / 2.0) *
                        Sizes.BowStep);
    Taken.Reset(G.Width, G.RowY.back() + Sizes.Radius + Sizes.Margin);
}

void TLabelPlacer::MakeArc(std::size_t Index, double Offset) {
    const TViewArc& a = View.Arcs[Index];
    const std::vector<std::int32_t>& R = Rows.ArcRows[Index];
    TArcGeometry& g = G.Arcs[Index];
    if (a.From < 0 || a.To < 0 || R.size() < 2)
        return;
    const int Column = Rows.EventColumn[static_cast<std::size_t>(a.From)];
    for (std::size_t k = 0; k < R.size(); ++k)
        g.Points.push_back({G.ColumnX[static_cast<std::size_t>(Column) + k],
                            G.RowY[static_cast<std::size_t>(R[k])]});
    const TPoint End = g.Points.back();
    g.Side = Offset < 0 ? -1 : Offset > 0 ? 1 : 0;
    if (g.Points.size() == 2 && Offset != 0) {
        const TPoint Start = g.Points.front();
        const TPoint Chord{End.X - Start.X, End.Y - Start.Y};
        const double l = std::max(1.0, Length(Chord));
        // Through the middle moved Offset out: the control point twice as far.
        g.Points.insert(g.Points.begin() + 1,
                        TPoint{(Start.X + End.X) / 2 - 2 * Offset * Chord.Y / l,
                               (Start.Y + End.Y) / 2 + 2 * Offset * Chord.X / l});
        g.Curved = true;
    } else {
        for (std::size_t k = 1; k + 1 < g.Points.size(); ++k)
            g.Points[k].Y += Offset;
    }
    const TPoint Before = g.Points[g.Points.size() - 2];
    const TPoint Back{Before.X - End.X, Before.Y - End.Y};
    const double l = std::max(1e-9, Length(Back));
    g.ArrowBack = {Back.X / l, Back.Y / l};
    g.ArrowTip = {End.X + Sizes.Radius * g.ArrowBack.X, End.Y + Sizes.Radius * g.ArrowBack.Y};
}

// Circles and arrowheads: no label may cover them.
void TLabelPlacer::AddObstacles() {
    const double r = Sizes.Radius + 1;
    for (const TPoint& c : G.EventCentre)
        Taken.Add({c.X - r, c.Y - r, c.X + r, c.Y + r});
    for (const TArcGeometry& g : G.Arcs) {
        if (g.Points.empty())
            continue;
        const TPoint Base{g.ArrowTip.X + Sizes.ArrowLength * g.ArrowBack.X,
                          g.ArrowTip.Y + Sizes.ArrowLength * g.ArrowBack.Y};
        const double w = Sizes.ArrowHalfWidth;
        const double xs[] = {g.ArrowTip.X, Base.X - w * g.ArrowBack.Y, Base.X + w * g.ArrowBack.Y};
        const double ys[] = {g.ArrowTip.Y, Base.Y + w * g.ArrowBack.X, Base.Y - w * g.ArrowBack.X};
        Taken.Add({*std::min_element(xs, xs + 3) - 0.5, *std::min_element(ys, ys + 3) - 0.5,
                   *std::max_element(xs, xs + 3) + 0.5, *std::max_element(ys, ys + 3) + 0.5});
    }
}

// The point at t along the arc's k-th segment (of a curve: along the curve).
TPoint TLabelPlacer::OnSegment(const TArcGeometry& g, std::size_t k, double t) const {
    if (g.Curved) {
        const TPoint& p = g.Points[0];
        const TPoint& c = g.Points[1];
        const TPoint& q = g.Points[2];
        const double u = 1 - t;
        return {u * u * p.X + 2 * u * t * c.X + t * t * q.X,
                u * u * p.Y + 2 * u * t * c.Y + t * t * q.Y};
    }
    const TPoint& p = g.Points[k];
    const TPoint& q = g.Points[k + 1];
    return {p.X + t * (q.X - p.X), p.Y + t * (q.Y - p.Y)};
}

// The label on its arc at At: the name above, the duration below; or both
// on the side the arc is bowed to.
bool TLabelPlacer::Try(TArcGeometry& g, const TLabelShape& s, TPoint At, int Side) {
    const double w = Width(s) / 2;
    double NameTop = At.Y - LineGap - s.NameHeight;
    double TimeTop = At.Y + LineGap;
    if (Side < 0) {
        TimeTop = At.Y - LineGap - Sizes.LineHeight;
        NameTop = TimeTop - s.NameHeight;
    } else if (Side > 0) {
        NameTop = At.Y + LineGap;
        TimeTop = NameTop + s.NameHeight;
    }
    // The name and the duration each a box of its own: a line or an
    // arrowhead passes between them.
    const double p = Sizes.Pad;
    const TBox Name{At.X - s.NameWidth / 2 - p, NameTop - p, At.X + s.NameWidth / 2 + p,
                    NameTop + s.NameHeight + p};
    const TBox Time{At.X - s.TimeWidth / 2 - p, TimeTop - p, At.X + s.TimeWidth / 2 + p,
                    TimeTop + Sizes.LineHeight + p};
    if (std::min(Name.Left, Time.Left) < 0 || std::max(Name.Right, Time.Right) > G.Width ||
        !Taken.Free(Name) || !Taken.Free(Time))
        return false;
    Taken.Add(Name);
    Taken.Add(Time);
    const TBox Box{At.X - w - p, std::min(Name.Top, Time.Top), At.X + w + p,
                   std::max(Name.Bottom, Time.Bottom)};
    g.Box = Box;
    g.CentreX = At.X;
    g.NameTop = NameTop;
    g.TimeTop = TimeTop;
    return true;
}

// The label above or below one of the anchors on its arc, further and
// further away, straight or shifted up to its width either way, with a
// leader to the anchor: the nearest place found.
bool TLabelPlacer::TryBeside(TArcGeometry& g, const TLabelShape& s,
                             const std::vector<TPoint>& Anchors, int Steps) {
    const double w = Width(s) / 2;
    const double h = s.NameHeight + Sizes.LineHeight;
    for (int Step = 1; Step <= Steps; ++Step)
        for (const TPoint& At : Anchors)
            for (const int Side : {-1, 1})
                for (const double Shift : {0.0, -w, w, -2 * w, 2 * w}) {
                    const double Away = 4 * LineGap + Step * BesideStep;
                    const double Top = Side < 0 ? At.Y - Away - h : At.Y + Away;
                    const double x = At.X + Shift;
                    const TBox Box{x - w - Sizes.Pad, Top - Sizes.Pad, x + w + Sizes.Pad,
                                   Top + h + Sizes.Pad};
                    const double Edge = Side < 0 ? Top + h : Top;
                    // The leader crosses no other label either.
                    const TBox Leader{std::min(x, At.X) - 1, std::min(Edge, At.Y) + 1,
                                      std::max(x, At.X) + 1, std::max(Edge, At.Y) - 1};
                    if (Box.Left < 0 || Box.Right > G.Width || !Taken.Free(Box) ||
                        !Taken.Free(Leader))
                        continue;
                    Taken.Add(Box);
                    Taken.Add(Leader);
                    g.Box = Box;
                    g.CentreX = x;
                    g.NameTop = Top;
                    g.TimeTop = Top + s.NameHeight;
                    g.Leader = true;
                    g.LeaderTo = At;
                    g.LeaderFrom = {x, Edge};
                    return true;
                }
    return false;
}

// The planned gap first, then the others from the nearest; the planned shape
// first, then the narrower ones; beside the arc near it last. False when
// that fails, unless this is the last round: then the label stands as near
// as it can, further away.
bool TLabelPlacer::PlaceLabel(std::size_t Index, bool Last) {
    TArcGeometry& g = G.Arcs[Index];
    const std::vector<TLabelShape>& Shapes = *ShapesOf(View.Arcs[Index]);
    const std::size_t Segments = g.Curved ? 1 : g.Points.size() - 1;
    const auto Planned = static_cast<std::size_t>(std::max(0, PlannedSegment[Index]));
    std::vector<std::size_t> Order;
    for (std::size_t d = 0; d < Segments; ++d) {
        if (Planned + d < Segments)
            Order.push_back(Planned + d);
        if (d > 0 && d <= Planned)
            Order.push_back(Planned - d);
    }
    std::vector<std::size_t> ShapeOrder{static_cast<std::size_t>(PlannedShape[Index])};
    for (std::size_t s = 0; s < Shapes.size(); ++s)
        if (s != ShapeOrder[0] && Width(Shapes[s]) < Width(Shapes[ShapeOrder[0]]))
            ShapeOrder.push_back(s);
    // A line bowed to neither side may also have the whole label below it,
    // or above it, where the other side is taken.
    std::vector<int> Sides{g.Side};
    if (g.Side == 0)
        Sides.insert(Sides.end(), {1, -1});
    for (const int Side : Sides)
        for (const std::size_t s : ShapeOrder)
            for (const std::size_t k : Order) {
                const TPoint From = OnSegment(g, k, 0);
                const TPoint To = OnSegment(g, k, 1);
                const int Steps = static_cast<int>(0.4 * std::abs(To.X - From.X) / SlideStep);
                const double Step = SlideStep / std::max(1.0, std::abs(To.X - From.X));
                for (int i = 0; i <= 2 * Steps; ++i) {
                    const double t = 0.5 + (i % 2 ? 1 : -1) * ((i + 1) / 2) * Step;
                    if (Try(g, Shapes[s], OnSegment(g, k, t), Side)) {
                        g.Shape = static_cast<int>(s);
                        return true;
                    }
                }
            }
    const std::size_t Narrowest = ShapeOrder.back();
    std::vector<TPoint> Anchors;
    for (const std::size_t k : Order)
        for (const double t : {0.5, 0.3, 0.7})
            Anchors.push_back(OnSegment(g, k, t));
    if (TryBeside(g, Shapes[Narrowest], Anchors, Last ? BesideSteps : NearSteps)) {
        g.Shape = static_cast<int>(Narrowest);
        return true;
    }
    if (!Last)
        return false;
    // Below everything: always free.
    double Bottom = 0;
    for (const TArcGeometry& Other : G.Arcs)
        Bottom = std::max(Bottom, Other.Box.Bottom);
    const TPoint At = OnSegment(g, Planned, 0.5);
    const TLabelShape& s = Shapes[Narrowest];
    const double w = Width(s) / 2;
    const double Top = std::max(Bottom, G.RowY.back() + Sizes.Radius) + Sizes.Pad + 1;
    g.Box = {At.X - w - Sizes.Pad, Top - Sizes.Pad, At.X + w + Sizes.Pad,
             Top + s.NameHeight + Sizes.LineHeight + Sizes.Pad};
    Taken.Add(g.Box);
    g.CentreX = At.X;
    g.NameTop = Top;
    g.TimeTop = Top + s.NameHeight;
    g.Leader = true;
    g.LeaderTo = At;
    g.LeaderFrom = {At.X, Top};
    g.Shape = static_cast<int>(Narrowest);
    return true;
}

// Labels above the first row move the whole picture down.
void TLabelPlacer::Finish() {
    double Top = 0;
    for (const TArcGeometry& g : G.Arcs) {
        for (const TPoint& p : g.Points)
            Top = std::min(Top, p.Y - Sizes.ArrowHalfWidth - Sizes.Margin);
        if (g.Shape >= 0)
            Top = std::min(Top, g.Box.Top - Sizes.Margin);
    }
    const double Down = -Top;
    const auto Move = [Down](TPoint& p) { p.Y += Down; };
    for (double& y : G.RowY)
        y += Down;
    for (TPoint& p : G.EventCentre)
        Move(p);
    G.Height = G.RowY.back() + Sizes.Radius + Sizes.Margin;
    for (TArcGeometry& g : G.Arcs) {
        for (TPoint& p : g.Points) {
            Move(p);
            G.Height = std::max(G.Height, p.Y + Sizes.ArrowHalfWidth + Sizes.Margin);
        }
        Move(g.ArrowTip);
        if (g.Shape < 0)
            continue;
        Move(g.LeaderFrom);
        Move(g.LeaderTo);
        g.NameTop += Down;
        g.TimeTop += Down;
        g.Box.Top += Down;
        g.Box.Bottom += Down;
        G.Height = std::max(G.Height, g.Box.Bottom + Sizes.Margin);
    }
}

// One round: the geometry from the planned gaps, then every label.
void TLabelPlacer::PlaceAll(std::vector<std::size_t>& Failed, bool Last) {
    G = {};
    Taken = {};
    PlanGaps();
    MakeArcs();
    AddObstacles();
    // The critical path's labels first, then those with the least choice:
    // works of one gap before longer ones, wider labels first.
    std::vector<std::size_t> Labelled;
    for (std::size_t a = 0; a < View.Arcs.size(); ++a)
        if (PlannedShape[a] >= 0 && !G.Arcs[a].Points.empty())
            Labelled.push_back(a);
    const auto Key = [this](std::size_t a) {
        const TArcGeometry& g = G.Arcs[a];
        const double Wide =
            Width((*ShapesOf(View.Arcs[a]))[static_cast<std::size_t>(PlannedShape[a])]);
        // A label on a sloping line may still slide up or down along it.
        const bool Sloping = g.Curved || g.Points[0].Y != g.Points[1].Y;
        return std::tuple(!View.Arcs[a].OnPath, g.Curved ? 1 : g.Points.size() - 1, Sloping, -Wide);
    };
    std::stable_sort(Labelled.begin(), Labelled.end(),
                     [&Key](std::size_t a, std::size_t b) { return Key(a) < Key(b); });
    Failed.clear();
    for (const std::size_t a : Labelled)
        if (!PlaceLabel(a, Last))
            Failed.push_back(a);
}

// A label without a place near its arc widens its gap by its width, and the
// picture is laid out again: a wider picture reads better than a long leader.
TDetailedGeometry TLabelPlacer::Place() {
    std::vector<std::size_t> Failed;
    for (int Round = 0; Round < Rounds; ++Round) {
        PlaceAll(Failed, Round + 1 == Rounds);
        if (Failed.empty())
            break;
        for (const std::size_t a : Failed) {
            const auto Gap = static_cast<std::size_t>(
                Rows.EventColumn[static_cast<std::size_t>(View.Arcs[a].From)] + PlannedSegment[a]);
            const TLabelShape& s =
                (*ShapesOf(View.Arcs[a]))[static_cast<std::size_t>(PlannedShape[a])];
            Extra[Gap] = std::max(Extra[Gap], Width(s) + 2 * Sizes.Pad + 3);
        }
    }
    Finish();
    return G;
}

} // namespace

TDetailedGeometry PlaceDetailed(const TNetworkView& View, const TDetailedRows& Rows,
                                const TDetailedSizes& Sizes) {
    if (!View.HasNetwork || Rows.EventColumn.empty())
        return {};
    TLabelPlacer Placer(View, Rows, Sizes);
    return Placer.Place();
}

TDetailedPicture LayOutDetailed(const TNetworkView& View, const TDetailedSizes& Sizes) {
    TDetailedPicture Picture;
    Picture.Rows = DetailedLayout(View);
    Picture.Geometry = PlaceDetailed(View, Picture.Rows, Sizes);
    return Picture;
}
