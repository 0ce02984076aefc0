// The detailed view's layered graph: built once from the result and the
// columns, then ordered by the phases that follow; its crossings counted
// between neighbouring columns.

#include "network/DetailedGraph.h"

#include "network/DetailedLayout.h"

#include <algorithm>
#include <map>

long long Crossings(std::vector<std::pair<int, int>>& Edges, int Size) {
    if (Edges.size() < 2)
        return 0;
    std::sort(Edges.begin(), Edges.end());
    TAccumulator Tree;
    Tree.Reset(std::max(Size, 1));
    long long Total = 0;
    for (const auto& e : Edges)
        Total += Tree.Insert(e.second);
    return Total;
}

TLayeredGraph::TLayeredGraph(const TNetworkView& View, const std::vector<std::int32_t>& Column) {
    const int Events = static_cast<int>(View.Events.size());
    for (std::size_t e = 0; e < View.Events.size(); ++e) {
        const TViewEvent& Event = View.Events[e];
        LevelOf.push_back(Column[e]);
        PlainRow.push_back(Event.Row);
        Critical.push_back(Event.OnPath ? 1 : 0);
        Levels = std::max(Levels, Column[e]);
        if (Event.IsStart && Start < 0)
            Start = static_cast<int>(e);
    }
    std::map<std::pair<int, int>, int> Links;
    LinkOfArc.assign(View.Arcs.size(), -1);
    for (std::size_t a = 0; a < View.Arcs.size(); ++a) {
        const TViewArc& Arc = View.Arcs[a];
        if (Arc.From < 0 || Arc.To < 0 || Arc.From >= Events || Arc.To >= Events)
            continue;
        const auto [Known, New] =
            Links.emplace(std::pair(Arc.From, Arc.To), static_cast<int>(LinkNodes.size()));
        LinkOfArc[a] = Known->second;
        if (!New) {
            if (Arc.OnPath)
                for (const int n : LinkNodes[static_cast<std::size_t>(Known->second)])
                    Critical[static_cast<std::size_t>(n)] = 1;
            continue;
        }
        std::vector<int> Chain{Arc.From};
        const int From = Column[static_cast<std::size_t>(Arc.From)];
        const int To = Column[static_cast<std::size_t>(Arc.To)];
        const double FromRow = View.Events[static_cast<std::size_t>(Arc.From)].Row;
        const double ToRow = View.Events[static_cast<std::size_t>(Arc.To)].Row;
        for (int k = 1; From + k < To; ++k) {
            Chain.push_back(static_cast<int>(LevelOf.size()));
            LevelOf.push_back(From + k);
            PlainRow.push_back(FromRow + (ToRow - FromRow) * k / (To - From));
            Critical.push_back(Arc.OnPath ? 1 : 0);
        }
        Chain.push_back(Arc.To);
        LinkNodes.push_back(std::move(Chain));
    }
    const std::size_t n = LevelOf.size();
    UpFirst.assign(n + 1, 0);
    DownFirst.assign(n + 1, 0);
    for (const std::vector<int>& Chain : LinkNodes)
        for (std::size_t k = 0; k + 1 < Chain.size(); ++k) {
            ++DownFirst[static_cast<std::size_t>(Chain[k]) + 1];
            ++UpFirst[static_cast<std::size_t>(Chain[k + 1]) + 1];
        }
    for (std::size_t v = 0; v < n; ++v) {
        UpFirst[v + 1] += UpFirst[v];
        DownFirst[v + 1] += DownFirst[v];
    }
    UpList.resize(static_cast<std::size_t>(UpFirst[n]));
    DownList.resize(static_cast<std::size_t>(DownFirst[n]));
    std::vector<int> UpFill(UpFirst.begin(), UpFirst.end() - 1);
    std::vector<int> DownFill(DownFirst.begin(), DownFirst.end() - 1);
    for (const std::vector<int>& Chain : LinkNodes)
        for (std::size_t k = 0; k + 1 < Chain.size(); ++k) {
            DownList[static_cast<std::size_t>(DownFill[static_cast<std::size_t>(Chain[k])]++)] =
                Chain[k + 1];
            UpList[static_cast<std::size_t>(UpFill[static_cast<std::size_t>(Chain[k + 1])]++)] =
                Chain[k];
        }
    Single.assign(n, 0);
    for (std::size_t v = 0; v < n; ++v)
        Single[v] = UpFirst[v + 1] - UpFirst[v] == 1 && DownFirst[v + 1] - DownFirst[v] == 1;
    Pos.assign(n, 0);
    SetOrder(PlainOrder());
}

void TLayeredGraph::SetOrder(const TOrder& Next) {
    Order = Next;
    for (int L = 0; L <= Levels; ++L)
        Renumber(L);
}

// The plain view's rows; the start event on top.
TOrder TLayeredGraph::PlainOrder() const {
    TOrder Result(static_cast<std::size_t>(Levels) + 2);
    for (std::size_t v = 0; v < LevelOf.size(); ++v)
        Result[static_cast<std::size_t>(LevelOf[v])].push_back(static_cast<int>(v));
    for (std::vector<int>& Column : Result)
        std::stable_sort(Column.begin(), Column.end(), [this](int a, int b) {
            return (a == Start) > (b == Start) ||
                   ((a == Start) == (b == Start) &&
                    PlainRow[static_cast<std::size_t>(a)] < PlainRow[static_cast<std::size_t>(b)]);
        });
    return Result;
}

// Every node placed after the others of its column in the order a walk down
// the links reaches it from the start event, the higher plain row first:
// breadth first (dot's first order) or depth first.
TOrder TLayeredGraph::WalkOrder(bool DepthFirst) const {
    TOrder Result(static_cast<std::size_t>(Levels) + 2);
    std::vector<char> Seen(LevelOf.size(), 0);
    std::vector<int> Pending;
    auto Visit = [&](int Root) {
        if (Seen[static_cast<std::size_t>(Root)])
            return;
        Seen[static_cast<std::size_t>(Root)] = 1;
        Pending.assign(1, Root);
        std::size_t Head = 0;
        while (Head < Pending.size()) {
            int v = 0;
            if (DepthFirst) {
                v = Pending.back();
                Pending.pop_back();
            } else {
                v = Pending[Head++];
            }
            Result[static_cast<std::size_t>(LevelOf[static_cast<std::size_t>(v)])].push_back(v);
            const std::size_t Before = Pending.size();
            for (const int* w = DownBegin(v); w != DownEnd(v); ++w)
                if (!Seen[static_cast<std::size_t>(*w)]) {
                    Seen[static_cast<std::size_t>(*w)] = 1;
                    Pending.push_back(*w);
                }
            // A stack takes the last first.
            std::sort(Pending.begin() + static_cast<std::ptrdiff_t>(Before), Pending.end(),
                      [this, DepthFirst](int a, int b) {
                          return (PlainRow[static_cast<std::size_t>(a)] <
                                  PlainRow[static_cast<std::size_t>(b)]) != DepthFirst;
                      });
        }
    };
    if (Start >= 0)
        Visit(Start);
    for (const std::vector<int>& Column : PlainOrder())
        for (const int v : Column)
            Visit(v);
    return Result;
}

long long TLayeredGraph::LevelCrossings(int Level) const {
    const std::vector<int>& Lower = Order[static_cast<std::size_t>(Level) + 1];
    if (Lower.size() < 2)
        return 0;
    Tree.Reset(static_cast<int>(Lower.size()));
    Visits += static_cast<long long>(Lower.size() + Order[static_cast<std::size_t>(Level)].size());
    long long Total = 0;
    for (const int u : Order[static_cast<std::size_t>(Level)]) {
        const int* Begin = DownBegin(u);
        const int* End = DownEnd(u);
        if (End - Begin == 1) {
            Total += Tree.Insert(At(*Begin));
            continue;
        }
        std::vector<int>& Ends = Scratch;
        Ends.clear();
        for (const int* v = Begin; v != End; ++v)
            Ends.push_back(At(*v));
        std::sort(Ends.begin(), Ends.end());
        for (const int p : Ends)
            Total += Tree.Insert(p);
    }
    return Total;
}

long long TLayeredGraph::RangeCrossings(int First, int Last) const {
    long long Total = 0;
    for (int L = std::max(1, First - 1); L <= std::min(Levels - 1, Last); ++L)
        Total += LevelCrossings(L);
    return Total;
}

TDetailedRows TLayeredGraph::Rows(const TNetworkView& View,
                                  const std::vector<std::int32_t>& Column) const {
    TDetailedRows R;
    R.EventColumn = Column;
    for (std::size_t e = 0; e < View.Events.size(); ++e)
        R.EventRow.push_back(Pos[e]);
    R.ArcRows.resize(View.Arcs.size());
    for (std::size_t a = 0; a < View.Arcs.size(); ++a) {
        if (LinkOfArc[a] < 0)
            continue;
        for (const int n : LinkNodes[static_cast<std::size_t>(LinkOfArc[a])])
            R.ArcRows[a].push_back(Pos[static_cast<std::size_t>(n)]);
    }
    return R;
}
