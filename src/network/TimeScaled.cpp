// Laying out the time-scaled network. The times are snapped first, so that
// events the schedule puts at the same moment (up to rounding) share one x.
// Then one critical path takes row 0, and the events are visited in time
// order, each giving its outgoing arcs the free lane nearest to its own row:
// the first of them usually runs straight on, the others fan out to the rows
// beside it. A lane is free for an arc when no other arc runs along it
// between the arc's two times and no other event stands on it there; the
// vertical strokes to the events must not pass through an event either.

#include "network/TimeScaled.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <numeric>
#include <queue>
#include <set>
#include <tuple>

namespace {

class TTimeScaledLayout {
public:
    TTimeScaledLayout(const TNetworkView& AView, TReal AGap) : View(AView), Gap(AGap) {}
    TTimeScaled Run();

private:
    // What runs along one row: arcs as disjoint spans (start to end) and the
    // events standing on it, both by time.
    struct TRowUse {
        std::map<TReal, TReal> Spans;
        std::map<TReal, std::int32_t> Events;
    };

    void SnapTimes();
    std::vector<std::int32_t> CriticalChain() const;
    void PlaceChain();
    std::vector<std::int32_t> VisitOrder() const;
    void LayArcsOf(std::int32_t Event);
    void LayStroke(std::int32_t Arc);
    void LayLane(std::int32_t Arc);
    bool PointFree(std::int32_t Row, std::int32_t Event) const;
    bool SpanFree(std::int32_t Row, std::int32_t Arc) const;
    bool StrokeFree(std::int32_t Event, std::int32_t From, std::int32_t To) const;
    void Place(std::int32_t Event, std::int32_t Row);
    void Occupy(std::int32_t Arc, std::int32_t Lane);
    TRowUse& Use(std::int32_t Row);
    bool Tight(const TViewArc& Arc) const;

    const TNetworkView& View;
    TTimeScaled Out;
    std::vector<std::vector<std::int32_t>> Outgoing; // arcs by start event
    std::vector<std::int32_t> Moment;                // an index of the event's snapped time
    std::vector<std::set<std::int32_t>> RowsAt;      // rows with an event, by moment
    std::vector<TReal> MomentTime;
    std::vector<char> Placed, Laid;
    std::vector<TRowUse> Rows;
    TReal Tolerance = 0;
    TReal Gap = 0;
};

TTimeScaled TTimeScaledLayout::Run() {
    if (!View.HasNetwork || View.Events.empty())
        return Out;
    const std::size_t N = View.Events.size();
    Out.Events.resize(N);
    Out.Arcs.resize(View.Arcs.size());
    Outgoing.resize(N);
    Placed.assign(N, 0);
    Laid.assign(View.Arcs.size(), 0);
    TReal Longest = 1;
    for (std::size_t a = 0; a < View.Arcs.size(); ++a) {
        Outgoing[static_cast<std::size_t>(View.Arcs[a].From)].push_back(static_cast<int>(a));
        Longest = std::max(Longest, View.Arcs[a].Duration);
    }
    Tolerance = Longest * RealTieTolerance * 64;
    SnapTimes();
    for (std::size_t a = 0; a < View.Arcs.size(); ++a) {
        const TViewArc& Arc = View.Arcs[a];
        TTimeScaledArc& Item = Out.Arcs[a];
        Item.Start = Out.Events[static_cast<std::size_t>(Arc.From)].Time;
        Item.End = Out.Events[static_cast<std::size_t>(Arc.To)].Time;
        Item.SolidEnd = Arc.Work < 0 ? Item.Start : std::min(Item.End, Item.Start + Arc.Duration);
        if (Item.End - Item.SolidEnd <= Tolerance)
            Item.SolidEnd = Item.End;
        Item.Critical = Tight(Arc);
    }
    PlaceChain();
    for (const std::int32_t Event : VisitOrder()) {
        if (!Placed[static_cast<std::size_t>(Event)]) {
            std::int32_t Row = 0;
            while (!PointFree(Row, Event))
                ++Row;
            Place(Event, Row);
        }
        LayArcsOf(Event);
    }
    Out.RowCount = static_cast<std::int32_t>(Rows.size());
    return Out;
}

// Times within the tolerance of the first of a run are that time.
void TTimeScaledLayout::SnapTimes() {
    const std::size_t N = View.Events.size();
    std::vector<std::int32_t> ByTime(N);
    std::iota(ByTime.begin(), ByTime.end(), 0);
    std::stable_sort(ByTime.begin(), ByTime.end(), [this](std::int32_t a, std::int32_t b) {
        return View.Events[static_cast<std::size_t>(a)].Early <
               View.Events[static_cast<std::size_t>(b)].Early;
    });
    Moment.assign(N, 0);
    TReal First = 0;
    std::int32_t Count = 0;
    for (std::size_t i = 0; i < N; ++i) {
        const TViewEvent& Event = View.Events[static_cast<std::size_t>(ByTime[i])];
        if (i == 0 || Event.Early - First > Tolerance) {
            First = Event.Early;
            MomentTime.push_back(First);
            ++Count;
        }
        TTimeScaledEvent& Item = Out.Events[static_cast<std::size_t>(ByTime[i])];
        Item.Time = First;
        Item.Critical = Event.Slack == 0;
        Moment[static_cast<std::size_t>(ByTime[i])] = Count - 1;
        Out.LastTime = std::max(Out.LastTime, First);
    }
    RowsAt.assign(static_cast<std::size_t>(Count), {});
}

bool TTimeScaledLayout::Tight(const TViewArc& Arc) const {
    const TViewEvent& From = View.Events[static_cast<std::size_t>(Arc.From)];
    const TViewEvent& To = View.Events[static_cast<std::size_t>(Arc.To)];
    return From.Slack == 0 && To.Slack == 0 &&
           std::fabs(To.Early - From.Early - (Arc.Work < 0 ? 0 : Arc.Duration)) <= Tolerance;
}

// From the start event along critical arcs to the end: at every event the
// arc that moves on in time before one that stays (a vertical stroke cannot
// lie along a row), the found path's before others.
std::vector<std::int32_t> TTimeScaledLayout::CriticalChain() const {
    std::vector<std::int32_t> Chain;
    std::int32_t At = -1;
    for (std::size_t e = 0; e < View.Events.size(); ++e)
        if (View.Events[e].IsStart && Out.Events[e].Critical) {
            At = static_cast<std::int32_t>(e);
            break;
        }
    while (At >= 0) {
        std::int32_t Best = -1;
        const auto Rank = [this](std::int32_t a) {
            const TTimeScaledArc& Arc = Out.Arcs[static_cast<std::size_t>(a)];
            return std::make_tuple(Arc.End > Arc.Start,
                                   View.Arcs[static_cast<std::size_t>(a)].OnPath,
                                   View.Arcs[static_cast<std::size_t>(a)].Work >= 0);
        };
        for (const std::int32_t a : Outgoing[static_cast<std::size_t>(At)])
            if (Out.Arcs[static_cast<std::size_t>(a)].Critical &&
                (Best < 0 || Rank(a) > Rank(Best)))
                Best = a;
        if (Best < 0)
            break;
        Chain.push_back(Best);
        At = View.Arcs[static_cast<std::size_t>(Best)].To;
    }
    return Chain;
}

void TTimeScaledLayout::PlaceChain() {
    const std::vector<std::int32_t> Chain = CriticalChain();
    if (Chain.empty())
        return;
    Place(View.Arcs[static_cast<std::size_t>(Chain.front())].From, 0);
    // Two events of one time cannot share a row: an arc within one moment
    // takes the path down to the row below, and its next work leads it back
    // to row 0 at its end. So does a work too short for two circles on one
    // row, to one of the next rows down.
    for (const std::int32_t a : Chain) {
        const TViewArc& Link = View.Arcs[static_cast<std::size_t>(a)];
        const TTimeScaledArc& Arc = Out.Arcs[static_cast<std::size_t>(a)];
        const bool FromPlaced = Placed[static_cast<std::size_t>(Link.From)];
        if (Arc.End == Arc.Start) {
            if (FromPlaced)
                LayStroke(a);
            continue;
        }
        const std::int32_t Row =
            FromPlaced ? Out.Events[static_cast<std::size_t>(Link.From)].Row : -1;
        if (PointFree(0, Link.To)) {
            Place(Link.To, 0);
            if (FromPlaced && SpanFree(Row, a) && (Row == 0 || StrokeFree(Link.To, Row, 0)))
                Occupy(a, Row);
            continue;
        }
        for (std::int32_t Below = 1; Row == 0 && Below <= 3; ++Below)
            if (PointFree(Below, Link.To) && SpanFree(Below, a) &&
                StrokeFree(Link.From, 0, Below)) {
                Place(Link.To, Below);
                Occupy(a, Below);
                break;
            }
    }
}

// Events in time order, each after the events of its incoming arcs (a
// fictive arc may join two events of the same time).
std::vector<std::int32_t> TTimeScaledLayout::VisitOrder() const {
    const std::size_t N = View.Events.size();
    std::vector<std::int32_t> Waiting(N, 0);
    for (const TViewArc& Arc : View.Arcs)
        ++Waiting[static_cast<std::size_t>(Arc.To)];
    using TKey = std::pair<std::int32_t, std::int32_t>; // moment, event
    std::priority_queue<TKey, std::vector<TKey>, std::greater<TKey>> Ready;
    for (std::size_t e = 0; e < N; ++e)
        if (Waiting[e] == 0)
            Ready.push({Moment[e], static_cast<std::int32_t>(e)});
    std::vector<std::int32_t> Order;
    Order.reserve(N);
    while (!Ready.empty()) {
        const std::int32_t e = Ready.top().second;
        Ready.pop();
        Order.push_back(e);
        for (const std::int32_t a : Outgoing[static_cast<std::size_t>(e)]) {
            const std::int32_t To = View.Arcs[static_cast<std::size_t>(a)].To;
            if (--Waiting[static_cast<std::size_t>(To)] == 0)
                Ready.push({Moment[static_cast<std::size_t>(To)], To});
        }
    }
    return Order;
}

// Critical arcs go first, then the arc with the least free float, so that
// the tightest chain keeps the event's row; real works before fictive arcs.
void TTimeScaledLayout::LayArcsOf(std::int32_t Event) {
    std::vector<std::int32_t> Arcs;
    for (const std::int32_t a : Outgoing[static_cast<std::size_t>(Event)])
        if (!Laid[static_cast<std::size_t>(a)])
            Arcs.push_back(a);
    const auto Key = [this](std::int32_t a) {
        const TTimeScaledArc& Arc = Out.Arcs[static_cast<std::size_t>(a)];
        return std::make_tuple(!Arc.Critical, Arc.End - Arc.SolidEnd,
                               View.Arcs[static_cast<std::size_t>(a)].Work < 0, a);
    };
    std::sort(Arcs.begin(), Arcs.end(),
              [&Key](std::int32_t a, std::int32_t b) { return Key(a) < Key(b); });
    for (const std::int32_t a : Arcs) {
        const TTimeScaledArc& Arc = Out.Arcs[static_cast<std::size_t>(a)];
        if (Arc.End == Arc.Start)
            LayStroke(a);
        else
            LayLane(a);
    }
}

// The rows nearest to Row: below it first, then above it, then a new row.
template <class TTry> static std::int32_t Nearest(std::int32_t Row, std::int32_t Count, TTry Try) {
    for (std::int32_t d = 0; Row + d <= Count || Row - d >= 0; ++d) {
        if (Row + d <= Count && Try(Row + d))
            return Row + d;
        if (d > 0 && Row - d >= 0 && Try(Row - d))
            return Row - d;
    }
    return Count;
}

// An arc within one moment: a vertical stroke to its end event, which stands
// on the nearest row the stroke reaches without passing through an event.
void TTimeScaledLayout::LayStroke(std::int32_t Arc) {
    const TViewArc& Link = View.Arcs[static_cast<std::size_t>(Arc)];
    const std::int32_t Row = Out.Events[static_cast<std::size_t>(Link.From)].Row;
    Out.Arcs[static_cast<std::size_t>(Arc)].Lane = Row;
    Laid[static_cast<std::size_t>(Arc)] = 1;
    if (Placed[static_cast<std::size_t>(Link.To)])
        return;
    const std::int32_t Count = static_cast<std::int32_t>(Rows.size());
    Place(Link.To, Nearest(Row, Count, [&](std::int32_t r) {
              return r != Row && PointFree(r, Link.To) && StrokeFree(Link.From, Row, r);
          }));
}

void TTimeScaledLayout::LayLane(std::int32_t Arc) {
    const TViewArc& Link = View.Arcs[static_cast<std::size_t>(Arc)];
    const TTimeScaledEvent& From = Out.Events[static_cast<std::size_t>(Link.From)];
    const bool EndPlaced = Placed[static_cast<std::size_t>(Link.To)];
    const std::int32_t ToRow = Out.Events[static_cast<std::size_t>(Link.To)].Row;
    const std::int32_t Count = static_cast<std::int32_t>(Rows.size());
    const std::int32_t Lane = Nearest(From.Row, Count, [&](std::int32_t r) {
        if (!SpanFree(r, Arc))
            return false;
        if (r != From.Row && !StrokeFree(Link.From, From.Row, r))
            return false;
        return !EndPlaced || r == ToRow || StrokeFree(Link.To, r, ToRow);
    });
    if (!EndPlaced)
        Place(Link.To, Lane);
    Occupy(Arc, Lane);
}

// No event within the gap of the point, no arc within half of it.
bool TTimeScaledLayout::PointFree(std::int32_t Row, std::int32_t Event) const {
    if (Row >= static_cast<std::int32_t>(Rows.size()))
        return true;
    const TRowUse& R = Rows[static_cast<std::size_t>(Row)];
    const TReal t = Out.Events[static_cast<std::size_t>(Event)].Time;
    const auto Near = R.Events.lower_bound(t - Gap);
    if (Near != R.Events.end() && Near->first <= t + Gap)
        return false;
    const auto After = R.Spans.upper_bound(t + Gap / 2);
    return After == R.Spans.begin() || std::prev(After)->second < t - Gap / 2;
}

// No other event on the row between the arc's times or within the gap of
// them, no other arc along it there or within half the gap; an arc may meet
// this one only at an event of both standing on the row.
bool TTimeScaledLayout::SpanFree(std::int32_t Row, std::int32_t Arc) const {
    if (Row >= static_cast<std::int32_t>(Rows.size()))
        return true;
    const TRowUse& R = Rows[static_cast<std::size_t>(Row)];
    const TViewArc& Link = View.Arcs[static_cast<std::size_t>(Arc)];
    const TTimeScaledArc& Span = Out.Arcs[static_cast<std::size_t>(Arc)];
    const auto On = [&](std::int32_t Event) {
        return Placed[static_cast<std::size_t>(Event)] &&
               Out.Events[static_cast<std::size_t>(Event)].Row == Row;
    };
    const bool StartOn = On(Link.From);
    const bool EndOn = On(Link.To);
    // An arc shorter than the gap cannot join two events on one row.
    if (StartOn && (EndOn || !Placed[static_cast<std::size_t>(Link.To)]) &&
        Span.End - Span.Start < Gap)
        return false;
    for (auto e = R.Events.lower_bound(Span.Start - Gap);
         e != R.Events.end() && e->first <= Span.End + Gap; ++e)
        if (!(e->second == Link.From && e->first == Span.Start) &&
            !(e->second == Link.To && e->first == Span.End))
            return false;
    auto s = R.Spans.upper_bound(Span.Start - Gap / 2);
    if (s != R.Spans.begin())
        --s;
    for (; s != R.Spans.end() && s->first <= Span.End + Gap / 2; ++s) {
        if (s->second < Span.Start - Gap / 2)
            continue;
        if (!(StartOn && s->second == Span.Start) && !(EndOn && s->first == Span.End))
            return false;
    }
    return true;
}

// No event between the two rows at the event's time or within half the gap
// of it.
bool TTimeScaledLayout::StrokeFree(std::int32_t Event, std::int32_t From, std::int32_t To) const {
    const std::int32_t Low = std::min(From, To);
    const std::int32_t High = std::max(From, To);
    const auto Clear = [&](std::size_t m) {
        const auto Between = RowsAt[m].upper_bound(Low);
        return Between == RowsAt[m].end() || *Between >= High;
    };
    const std::size_t At = static_cast<std::size_t>(Moment[static_cast<std::size_t>(Event)]);
    const TReal t = MomentTime[At];
    for (std::size_t m = At; m < MomentTime.size() && MomentTime[m] - t < Gap / 2; ++m)
        if (!Clear(m))
            return false;
    for (std::size_t m = At; m-- > 0 && t - MomentTime[m] < Gap / 2;)
        if (!Clear(m))
            return false;
    return true;
}

TTimeScaledLayout::TRowUse& TTimeScaledLayout::Use(std::int32_t Row) {
    if (Row >= static_cast<std::int32_t>(Rows.size()))
        Rows.resize(static_cast<std::size_t>(Row) + 1);
    return Rows[static_cast<std::size_t>(Row)];
}

void TTimeScaledLayout::Place(std::int32_t Event, std::int32_t Row) {
    TTimeScaledEvent& Item = Out.Events[static_cast<std::size_t>(Event)];
    Item.Row = Row;
    Placed[static_cast<std::size_t>(Event)] = 1;
    Use(Row).Events.emplace(Item.Time, Event);
    RowsAt[static_cast<std::size_t>(Moment[static_cast<std::size_t>(Event)])].insert(Row);
}

void TTimeScaledLayout::Occupy(std::int32_t Arc, std::int32_t Lane) {
    TTimeScaledArc& Item = Out.Arcs[static_cast<std::size_t>(Arc)];
    Item.Lane = Lane;
    Laid[static_cast<std::size_t>(Arc)] = 1;
    Use(Lane).Spans.emplace(Item.Start, Item.End);
}

} // namespace

TTimeScaled LayTimeScaled(const TNetworkView& View, TReal Gap) {
    return TTimeScaledLayout(View, std::max<TReal>(Gap, 0)).Run();
}
