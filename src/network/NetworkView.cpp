// The result of an analysis: the store is read once, after PlaceVertices, into
// the plain value every window and the report use. Besides what the layout
// left (levels, rows, numbers, path marks) it gathers each arc's rows through
// its chain nodes and computes the events' critical-path schedule.

#include "network/NetworkView.h"

#include "model/SchemeSnapshot.h"
#include "model/WorkList.h"
#include "network/CircuitEngine.h"
#include "network/EventWorks.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace {

bool IsEventType(std::int32_t Type) {
    return Type == TypePiA || Type == TypeW;
}

bool IsChainType(std::int32_t Type) {
    return Type == TypeFictiveChain || Type == TypeRealChain;
}

std::int32_t KeyOf(THandle Handle) {
    return static_cast<std::int32_t>(Handle);
}

bool HasKey(const std::unique_ptr<TMultitude>& Set, std::int32_t Key) {
    return Set && Set->HasKey(Key);
}

bool IsEmpty(const std::unique_ptr<TMultitude>& Set) {
    return !Set || Set->Empty();
}

// The pop-up list of an event from the store's sets.
std::vector<TViewEventWork> ListOfStore(const TLinkData& D, bool End) {
    std::vector<TViewEventWork> List;
    if (End && D.Mul3) {
        // By mark: the works that end here (0) before those finished
        // earlier (1); the sort is stable, so each group stays in work
        // order.
        std::vector<std::pair<std::int32_t, std::int32_t>> Marked;
        for (const TMultitudeElement& m : *D.Mul3)
            Marked.emplace_back(m.Value, m.Key);
        std::stable_sort(Marked.begin(), Marked.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (const auto& [Mark, Work] : Marked)
            List.push_back({Work, Mark == 1});
    } else if (!End && D.Mul1) {
        for (const TMultitudeElement& m : *D.Mul1)
            List.push_back({m.Key, false});
    }
    return List;
}

// A chain node of a marked arc carries the single key 0 in CritOut.
bool MarkedChainNode(const TLinkData& Data) {
    return Data.CritOut && Data.CritOut->Count() == 1 && (*Data.CritOut)[0].Key == 0;
}

// The weight the path computation gives the link b -> h: nothing for a
// fictive arc, the longest work otherwise.
TReal LinkWeight(const TLinkData& b, THandle h) {
    if (HasKey(b.FictOut, KeyOf(h)) || !b.Arcs)
        return 0;
    TReal w = 0;
    for (const TMultitudeElement& Arc : *b.Arcs)
        if (Arc.Value == KeyOf(h))
            w = std::max(w, Arc.Weight);
    return w;
}

} // namespace

std::vector<TViewEventWork> TNetworkView::WorksOf(const TViewEvent& Event) const {
    if (EventWorks && EventWorks->Has(Event.Handle))
        return EventWorks->ListOf(Event.Handle, Event.IsEnd);
    return Event.Works;
}

const TViewEvent* TNetworkView::FindEvent(THandle Handle) const {
    for (const TViewEvent& e : Events)
        if (e.Handle == Handle)
            return &e;
    return nullptr;
}

const TViewArc* TNetworkView::ArcOfWork(std::int32_t Work) const {
    for (std::size_t a = 0; a < RealArcCount; ++a)
        if (Arcs[a].Work == Work)
            return &Arcs[a];
    return nullptr;
}

void TCircuitEngine::MakeView(bool WithLayout) {
    View = TNetworkView{};
    View.Schedule = WorkList ? ComputeSchedule(*WorkList)
                             : ComputeSchedule(Scheme->Durations, Scheme->Essential, Scheme->HasContour);
    if (!Circuit)
        return;
    const TMemoryLinkObject& Store = *Circuit;
    const THandleArray& Members = Store.Get(GethALL(TypeAllRoot)).OutLinks;
    std::vector<std::int32_t> EventIndex(static_cast<std::size_t>(Store.LastHandle) + 1, -1);
    MakeViewEvents(Members, EventIndex);
    if (!WithLayout)
        for (TViewEvent& e : View.Events)
            e.Row = 0;
    MakeViewArcs(EventIndex, WithLayout);
    if (WithLayout)
        MakeViewSegments(Members);
    MakeViewSchedule(EventIndex);
    View.HasNetwork = true;
    View.HasLayout = WithLayout;
}

void TCircuitEngine::MakeViewEvents(const THandleArray& Members, std::vector<std::int32_t>& Index) {
    std::size_t End = 0;
    for (const THandle h : Members) {
        const TLinkNode& N = Node(h);
        if (!IsEventType(N.TypeID))
            continue;
        const TLinkData& D = *N.Data;
        Index[h] = static_cast<std::int32_t>(View.Events.size());
        TViewEvent& e = View.Events.emplace_back();
        e.Handle = h;
        e.Number = D.Number;
        e.Level = D.TopN;
        e.Row = D.Y;
        e.Time = std::fabs(D.Duration);
        e.OnPath = !IsEmpty(D.CritOut) || N.OutLinks.empty();
        e.IsEnd = N.TypeID == TypeW;
        if (!D.Mul1 && Works->Has(h)) {
            // The store keeps no sets of works: they are the bits'.
            e.IsStart = Works->WaitsForNone(h);
            View.EventWorks = Works;
        } else {
            e.IsStart = IsEmpty(D.Mul1);
            e.Works = ListOfStore(D, e.IsEnd);
        }
        // The end event is alone in the highest level; of several, the first
        // in number order.
        const TViewEvent& Best = View.Events[End];
        if (e.Level > Best.Level || (e.Level == Best.Level && e.Number < Best.Number))
            End = View.Events.size() - 1;
    }
    if (!View.Events.empty() && !std::isinf(View.Events[End].Time)) {
        View.PathFound = true;
        View.PathLength = View.Events[End].Time;
    }
}

// The real arcs in the order of the works-arcs table: the levels in order,
// the first level object of each level number, its events in order.
void TCircuitEngine::MakeViewArcs(const std::vector<std::int32_t>& Index, bool WithRows) {
    const TArcRows Chains = WithRows ? ChainRows() : TArcRows();
    const TLinkNode& Levels = Node(GethALL(TypeLevelsRoot));
    std::vector<THandle> FirstOfLevel;
    for (const THandle h : Levels.OutLinks) {
        const TLinkNode& Level = Node(h);
        if (!Level.Data || Level.Data->TopN < 1)
            continue;
        const auto k = static_cast<std::size_t>(Level.Data->TopN);
        if (FirstOfLevel.size() <= k)
            FirstOfLevel.resize(k + 1, 0);
        if (FirstOfLevel[k] == 0)
            FirstOfLevel[k] = h;
    }
    for (std::size_t k = 1; k < FirstOfLevel.size() && FirstOfLevel[k] != 0; ++k)
        for (const THandle eh : Node(FirstOfLevel[k]).OutLinks) {
            const TLinkNode& e = Node(eh);
            if (IsChainType(e.TypeID) || !e.Data || !e.Data->Arcs || Index[eh] < 0)
                continue;
            for (const TMultitudeElement& x : *e.Data->Arcs) {
                const auto To = static_cast<THandle>(x.Value);
                TViewArc& a = View.Arcs.emplace_back();
                a.From = Index[eh];
                a.To = To < Index.size() ? Index[To] : -1;
                a.Work = x.Key;
                a.Duration = x.Weight;
                a.LinkOnPath = HasKey(e.Data->CritOut, x.Value);
                a.OnPath = a.LinkOnPath && x.Weight == LinkWeight(*e.Data, To);
                if (WithRows)
                    a.Rows = ArcRows(Chains, eh, To);
            }
        }
    View.RealArcCount = View.Arcs.size();

    std::vector<TViewArc> Fictive;
    for (const TViewEvent& e : View.Events) {
        const TLinkData& D = Data(e.Handle);
        if (!D.FictOut)
            continue;
        for (const TMultitudeElement& f : *D.FictOut) {
            const auto To = static_cast<THandle>(f.Key);
            TViewArc& a = Fictive.emplace_back();
            a.From = Index[e.Handle];
            a.To = To < Index.size() ? Index[To] : -1;
            a.OnPath = a.LinkOnPath = HasKey(D.CritOut, f.Key);
            if (WithRows)
                a.Rows = ArcRows(Chains, e.Handle, To);
        }
    }
    const auto Number = [this](std::int32_t i) { return i < 0 ? -1 : View.Events[static_cast<std::size_t>(i)].Number; };
    std::sort(Fictive.begin(), Fictive.end(), [&Number](const TViewArc& a, const TViewArc& b) {
        return std::tuple(Number(a.From), Number(a.To)) < std::tuple(Number(b.From), Number(b.To));
    });
    for (TViewArc& a : Fictive)
        View.Arcs.push_back(std::move(a));
}

// The rows of every link From -> To, keyed by both handles: through the
// chain of a split arc, or the two events' rows when the link joins
// neighbouring levels. Each chain is walked once.
TCircuitEngine::TArcRows TCircuitEngine::ChainRows() const {
    TArcRows Rows;
    for (const TViewEvent& e : View.Events)
        for (const THandle c : Node(e.Handle).OutLinks) {
            if (!IsChainType(Node(c).TypeID))
                continue;
            std::vector<std::int32_t> Chain{e.Row};
            THandle At = c;
            while (IsChainType(Node(At).TypeID) && !Node(At).OutLinks.empty()) {
                Chain.push_back(Data(At).Y);
                At = Node(At).OutLinks.back();
            }
            Chain.push_back(Data(At).Y);
            Rows.emplace((std::uint64_t{e.Handle} << 32) | At, std::move(Chain));
        }
    return Rows;
}

std::vector<std::int32_t> TCircuitEngine::ArcRows(const TArcRows& Chains, THandle From, THandle To) const {
    const auto Found = Chains.find((std::uint64_t{From} << 32) | To);
    if (Found != Chains.end())
        return Found->second;
    return {Data(From).Y, Data(To).Y};
}

void TCircuitEngine::MakeViewSegments(const THandleArray& Members) {
    for (const THandle uh : Members) {
        const TLinkNode& u = Node(uh);
        const TLinkData& ud = *u.Data;
        for (const THandle vh : u.OutLinks) {
            const TLinkNode& v = Node(vh);
            const TLinkData& vd = *v.Data;
            // The direct link of a split arc is passed over: its chain is
            // drawn instead.
            if (vd.TopN - ud.TopN > 1)
                continue;
            View.Width = std::max(View.Width, std::max(XCoord(vd.TopN, CoordFar), XCoord(ud.TopN, CoordFar)) + 10);
            View.Height = std::max(View.Height, std::max(YCoord(vd.Y, CoordFar), YCoord(ud.Y, CoordFar)) + 10);
            if (vd.TopN != ud.TopN + 1)
                continue;
            TViewSegment& s = View.Segments.emplace_back();
            s.FromLevel = ud.TopN;
            s.FromRow = ud.Y;
            s.ToLevel = vd.TopN;
            s.ToRow = vd.Y;
            s.Dotted = HasKey(ud.FictOut, KeyOf(vh)) || v.TypeID == TypeFictiveChain ||
                       u.TypeID == TypeFictiveChain;
            s.OnPath = (!IsEmpty(ud.CritOut) || !IsEmpty(vd.CritOut)) &&
                       (MarkedChainNode(vd) || MarkedChainNode(ud) || HasKey(ud.CritOut, KeyOf(vh)) ||
                        HasKey(vd.CritOut, KeyOf(uh)));
        }
    }
}

// The critical-path schedule of the events, whichever mode drew the path:
// early times forwards in level order, late times backwards from the end
// event, a fictive arc weighing nothing.
void TCircuitEngine::MakeViewSchedule(const std::vector<std::int32_t>& Index) {
    std::vector<std::size_t> Order(View.Events.size());
    for (std::size_t i = 0; i < Order.size(); ++i)
        Order[i] = i;
    std::stable_sort(Order.begin(), Order.end(), [this](std::size_t a, std::size_t b) {
        return View.Events[a].Level < View.Events[b].Level;
    });
    // Every link goes to a higher level, so each event's predecessors are
    // final when it comes.
    TReal T = 0;
    TReal Longest = 0;
    for (const std::size_t i : Order) {
        TViewEvent& e = View.Events[i];
        const TLinkData& D = Data(e.Handle);
        for (const THandle h : Node(e.Handle).OutLinks) {
            if (h >= Index.size() || Index[h] < 0)
                continue;
            TViewEvent& s = View.Events[static_cast<std::size_t>(Index[h])];
            const TReal w = LinkWeight(D, h);
            s.Early = std::max(s.Early, e.Early + w);
            Longest = std::max(Longest, w);
        }
        T = std::max(T, e.Early);
    }
    for (auto i = Order.rbegin(); i != Order.rend(); ++i) {
        TViewEvent& e = View.Events[*i];
        const TLinkData& D = Data(e.Handle);
        e.Late = T;
        for (const THandle h : Node(e.Handle).OutLinks)
            if (h < Index.size() && Index[h] >= 0)
                e.Late = std::min(e.Late, View.Events[static_cast<std::size_t>(Index[h])].Late -
                                              LinkWeight(D, h));
        e.Slack = e.Late - e.Early;
        // As for the works' floats: a slack within the tie tolerance is the
        // rounding of sums taken in opposite directions.
        if (std::fabs(e.Slack) / Longest < RealTieTolerance) {
            e.Late = e.Early;
            e.Slack = 0;
        }
    }
}
