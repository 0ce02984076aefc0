// Ranking: the detailed view's columns by network simplex. A spanning tree of
// tight edges (each exactly its minimum length) fixes the columns; the cut
// value of a tree edge tells what moving the two parts it joins apart would
// gain, and while some tree edge has a negative one it leaves the tree for the
// non-tree edge of least slack across the same cut. The cut value of the edge
// above a subtree is the subtree's net weight of edges out minus in (edges
// inside cancel), so the values of the whole tree come from one sum per node
// in postorder.

#include "network/DetailedRanking.h"

#include <algorithm>
#include <map>
#include <numeric>
#include <queue>
#include <utility>

namespace {

class TNetworkSimplex {
public:
    TNetworkSimplex(int Nodes, const std::vector<TRankEdge>& AEdges);
    // The ranks, the smallest 0; the graph must be connected.
    std::vector<std::int32_t> Solve();

private:
    int N = 0;
    const std::vector<TRankEdge>& Edges;
    std::vector<std::int32_t> Rank;
    std::vector<char> InTree;  // by edge
    std::vector<char> Reached; // by node: in the tight tree being grown
    std::vector<int> IncFirst; // the edges of node v: Incident[IncFirst[v]..IncFirst[v + 1])
    std::vector<int> Incident;
    std::vector<long long> Net; // by node: weight out minus weight in
    // The tree rooted at node 0: each node's postorder number, the lowest
    // in its subtree, and the edge to its parent (-1 at the root).
    std::vector<int> Lim, Low, ParentEdge;
    std::vector<long long> Cut; // by tree edge: its cut value
    // The tree's edges, and each edge's place there.
    std::vector<int> TreeList, TreePlace;
    std::vector<int> Stack;
    int SearchFrom = 0;

    int Slack(int e) const {
        const TRankEdge& x = Edges[static_cast<std::size_t>(e)];
        return Rank[static_cast<std::size_t>(x.Head)] - Rank[static_cast<std::size_t>(x.Tail)] -
               x.MinLength;
    }
    int Other(int e, int v) const {
        const TRankEdge& x = Edges[static_cast<std::size_t>(e)];
        return x.Tail == v ? x.Head : x.Tail;
    }
    bool InSubtree(int x, int v) const {
        const auto X = static_cast<std::size_t>(x);
        const auto V = static_cast<std::size_t>(v);
        return Low[V] <= Lim[X] && Lim[X] <= Lim[V];
    }
    // The node below a tree edge.
    int Below(int e) const {
        const TRankEdge& x = Edges[static_cast<std::size_t>(e)];
        return Lim[static_cast<std::size_t>(x.Tail)] < Lim[static_cast<std::size_t>(x.Head)]
                   ? x.Tail
                   : x.Head;
    }
    void InitRank();
    void FeasibleTree();
    void Number(int Root, int RootEdge, int First);
    void CutValues();
    int LeaveEdge();
    int EnterEdge(int e);
    template <class F> void ForSubtree(int v, F Visit);
    int TreeUpdate(int v, int w, long long Value, bool Dir);
    void Update(int e, int f);
};

TNetworkSimplex::TNetworkSimplex(int Nodes, const std::vector<TRankEdge>& AEdges)
    : N(Nodes), Edges(AEdges) {
    const auto n = static_cast<std::size_t>(N);
    IncFirst.assign(n + 1, 0);
    Net.assign(n, 0);
    for (const TRankEdge& x : Edges) {
        ++IncFirst[static_cast<std::size_t>(x.Tail) + 1];
        ++IncFirst[static_cast<std::size_t>(x.Head) + 1];
        Net[static_cast<std::size_t>(x.Tail)] += x.Weight;
        Net[static_cast<std::size_t>(x.Head)] -= x.Weight;
    }
    std::partial_sum(IncFirst.begin(), IncFirst.end(), IncFirst.begin());
    Incident.resize(static_cast<std::size_t>(IncFirst[n]));
    std::vector<int> Fill(IncFirst.begin(), IncFirst.end() - 1);
    for (std::size_t e = 0; e < Edges.size(); ++e) {
        Incident[static_cast<std::size_t>(Fill[static_cast<std::size_t>(Edges[e].Tail)]++)] =
            static_cast<int>(e);
        Incident[static_cast<std::size_t>(Fill[static_cast<std::size_t>(Edges[e].Head)]++)] =
            static_cast<int>(e);
    }
    Rank.assign(n, 0);
    InTree.assign(Edges.size(), 0);
    Reached.assign(n, 0);
    Lim.assign(n, 0);
    Low.assign(n, 0);
    ParentEdge.assign(n, -1);
    Cut.assign(Edges.size(), 0);
}

// The longest way from a node without predecessors, in minimum lengths.
void TNetworkSimplex::InitRank() {
    std::vector<int> Waiting(static_cast<std::size_t>(N), 0);
    for (const TRankEdge& x : Edges)
        ++Waiting[static_cast<std::size_t>(x.Head)];
    std::vector<int> Ready;
    for (int v = 0; v < N; ++v)
        if (Waiting[static_cast<std::size_t>(v)] == 0)
            Ready.push_back(v);
    while (!Ready.empty()) {
        const int v = Ready.back();
        Ready.pop_back();
        for (int i = IncFirst[static_cast<std::size_t>(v)];
             i < IncFirst[static_cast<std::size_t>(v) + 1]; ++i) {
            const TRankEdge& x =
                Edges[static_cast<std::size_t>(Incident[static_cast<std::size_t>(i)])];
            if (x.Tail != v)
                continue;
            auto& Head = Rank[static_cast<std::size_t>(x.Head)];
            Head = std::max(Head, Rank[static_cast<std::size_t>(v)] + x.MinLength);
            if (--Waiting[static_cast<std::size_t>(x.Head)] == 0)
                Ready.push_back(x.Head);
        }
    }
}

// A spanning tree of tight edges, grown from node 0: every node reachable
// over tight edges joins; then the tree as a whole moves by the least slack
// of an edge between it and the rest, which makes that edge tight and keeps
// every other edge at its minimum length or more, and the edge's other node
// joins. The tree's nodes move together, so their ranks are kept less Shift;
// an edge out of the tree has the slack (its key) - Shift, one into it the
// slack (its key) + Shift, and the least of each kind comes off a heap.
void TNetworkSimplex::FeasibleTree() {
    InitRank();
    using TKeyed = std::pair<long long, int>; // key, edge
    std::priority_queue<TKeyed, std::vector<TKeyed>, std::greater<>> Out, In;
    long long Shift = 0;
    std::vector<int> Stack;
    std::fill(InTree.begin(), InTree.end(), 0);
    std::fill(Reached.begin(), Reached.end(), 0);
    const auto True = [&](int v) {
        return Rank[static_cast<std::size_t>(v)] +
               (Reached[static_cast<std::size_t>(v)] ? Shift : 0);
    };
    // v joins the tree (its rank as it stands) and so does every node
    // reachable from it over tight edges.
    const auto Join = [&](int First) {
        int Joined = 0;
        Stack.assign(1, First);
        while (!Stack.empty()) {
            const int v = Stack.back();
            Stack.pop_back();
            Rank[static_cast<std::size_t>(v)] -= static_cast<std::int32_t>(Shift);
            Reached[static_cast<std::size_t>(v)] = 1;
            ++Joined;
            for (int i = IncFirst[static_cast<std::size_t>(v)];
                 i < IncFirst[static_cast<std::size_t>(v) + 1]; ++i) {
                const int e = Incident[static_cast<std::size_t>(i)];
                const int w = Other(e, v);
                if (Reached[static_cast<std::size_t>(w)])
                    continue;
                const TRankEdge& x = Edges[static_cast<std::size_t>(e)];
                const long long Slack = True(x.Head) - True(x.Tail) - x.MinLength;
                if (Slack == 0) {
                    // Joins through this edge; marked so that no other does.
                    InTree[static_cast<std::size_t>(e)] = 1;
                    Reached[static_cast<std::size_t>(w)] = 2;
                    Stack.push_back(w);
                } else if (Reached[static_cast<std::size_t>(w)] == 0) {
                    if (x.Tail == v)
                        Out.emplace(Slack + Shift, e);
                    else
                        In.emplace(Slack - Shift, e);
                }
            }
        }
        return Joined;
    };
    int Count = Join(0);
    while (Count < N) {
        // The least slack of either kind, skipping edges now inside.
        const auto Outside = [&](const TKeyed& k) {
            const TRankEdge& x = Edges[static_cast<std::size_t>(k.second)];
            return !Reached[static_cast<std::size_t>(x.Tail)] ||
                   !Reached[static_cast<std::size_t>(x.Head)];
        };
        while (!Out.empty() && !Outside(Out.top()))
            Out.pop();
        while (!In.empty() && !Outside(In.top()))
            In.pop();
        const bool TakeOut =
            !Out.empty() && (In.empty() || Out.top().first - Shift <= In.top().first + Shift);
        const int e = TakeOut ? Out.top().second : In.top().second;
        (TakeOut ? Out : In).pop();
        const TRankEdge& x = Edges[static_cast<std::size_t>(e)];
        const long long Slack = True(x.Head) - True(x.Tail) - x.MinLength;
        Shift += TakeOut ? Slack : -Slack;
        InTree[static_cast<std::size_t>(e)] = 1;
        const int w = TakeOut ? x.Head : x.Tail;
        Count += Join(w);
    }
    for (std::size_t v = 0; v < Rank.size(); ++v)
        Rank[v] += static_cast<std::int32_t>(Shift);
}

// Postorder numbers of the subtree of Root (whose parent edge is RootEdge),
// the first First.
void TNetworkSimplex::Number(int Root, int RootEdge, int First) {
    std::vector<std::pair<int, int>> Walk{{Root, IncFirst[static_cast<std::size_t>(Root)]}};
    ParentEdge[static_cast<std::size_t>(Root)] = RootEdge;
    Low[static_cast<std::size_t>(Root)] = First;
    int Next = First;
    while (!Walk.empty()) {
        auto& [v, i] = Walk.back();
        if (i == IncFirst[static_cast<std::size_t>(v) + 1]) {
            Lim[static_cast<std::size_t>(v)] = Next++;
            Walk.pop_back();
            continue;
        }
        const int e = Incident[static_cast<std::size_t>(i++)];
        if (!InTree[static_cast<std::size_t>(e)] || e == ParentEdge[static_cast<std::size_t>(v)])
            continue;
        const int w = Other(e, v);
        ParentEdge[static_cast<std::size_t>(w)] = e;
        Low[static_cast<std::size_t>(w)] = Next;
        Walk.emplace_back(w, IncFirst[static_cast<std::size_t>(w)]);
    }
}

// The cut value of the edge above a subtree is its net weight out (the edges
// inside cancel), with the sign turned when the edge points into it.
void TNetworkSimplex::CutValues() {
    std::vector<int> ByLim(static_cast<std::size_t>(N));
    for (int v = 0; v < N; ++v)
        ByLim[static_cast<std::size_t>(Lim[static_cast<std::size_t>(v)])] = v;
    std::vector<long long> Sum(Net);
    for (const int v : ByLim) {
        const int e = ParentEdge[static_cast<std::size_t>(v)];
        if (e < 0)
            continue;
        Sum[static_cast<std::size_t>(Other(e, v))] += Sum[static_cast<std::size_t>(v)];
        Cut[static_cast<std::size_t>(e)] = Edges[static_cast<std::size_t>(e)].Tail == v
                                               ? Sum[static_cast<std::size_t>(v)]
                                               : -Sum[static_cast<std::size_t>(v)];
    }
}

// A tree edge of negative cut value, searched round from where the last
// search stopped; of the first few found the most negative (as dot does);
// -1 when the tree is optimal.
int TNetworkSimplex::LeaveEdge() {
    constexpr int SearchSize = 30;
    const auto Size = static_cast<int>(TreeList.size());
    int Best = -1;
    int Found = 0;
    for (int k = 0; k < Size && Found < SearchSize; ++k) {
        const int Place = (SearchFrom + k) % Size;
        const int e = TreeList[static_cast<std::size_t>(Place)];
        if (Cut[static_cast<std::size_t>(e)] >= 0)
            continue;
        ++Found;
        if (Best < 0 || Cut[static_cast<std::size_t>(e)] < Cut[static_cast<std::size_t>(Best)]) {
            Best = e;
            SearchFrom = (Place + 1) % Size;
        }
    }
    return Best;
}

// Visits every node of v's subtree.
template <class F> void TNetworkSimplex::ForSubtree(int v, F Visit) {
    Stack.assign(1, v);
    while (!Stack.empty()) {
        const int x = Stack.back();
        Stack.pop_back();
        Visit(x);
        for (int i = IncFirst[static_cast<std::size_t>(x)];
             i < IncFirst[static_cast<std::size_t>(x) + 1]; ++i) {
            const int e = Incident[static_cast<std::size_t>(i)];
            if (InTree[static_cast<std::size_t>(e)] && e != ParentEdge[static_cast<std::size_t>(x)])
                Stack.push_back(Other(e, x));
        }
    }
}

// The non-tree edge of least slack that crosses the cut of tree edge e from
// its head side to its tail side, searched from the subtree below e.
int TNetworkSimplex::EnterEdge(int e) {
    const int v = Below(e);
    // The subtree is e's head side: edges out of it; its tail side: edges in.
    const bool Outwards = Edges[static_cast<std::size_t>(e)].Head == v;
    int Best = -1;
    ForSubtree(v, [&](int x) {
        for (int i = IncFirst[static_cast<std::size_t>(x)];
             i < IncFirst[static_cast<std::size_t>(x) + 1]; ++i) {
            const int f = Incident[static_cast<std::size_t>(i)];
            const TRankEdge& y = Edges[static_cast<std::size_t>(f)];
            if (InTree[static_cast<std::size_t>(f)] || (Outwards ? y.Tail : y.Head) != x ||
                InSubtree(Outwards ? y.Head : y.Tail, v))
                continue;
            if (Best < 0 || Slack(f) < Slack(Best))
                Best = f;
        }
    });
    return Best;
}

// The cut values on the way from v up to the first node above w's
// subtree change by Value; returns that node.
int TNetworkSimplex::TreeUpdate(int v, int w, long long Value, bool Dir) {
    while (!InSubtree(w, v)) {
        const int e = ParentEdge[static_cast<std::size_t>(v)];
        const bool d = Edges[static_cast<std::size_t>(e)].Tail == v ? Dir : !Dir;
        Cut[static_cast<std::size_t>(e)] += d ? Value : -Value;
        v = Other(e, v);
    }
    return v;
}

// f enters the tree for e: the side below e moves to make f tight, the cut
// values change along the cycle f closes, and the subtree of the cycle's top
// is numbered anew.
void TNetworkSimplex::Update(int e, int f) {
    const int Delta = Slack(f);
    if (Delta > 0) {
        const int v = Below(e);
        const int Move = Edges[static_cast<std::size_t>(e)].Tail == v ? -Delta : Delta;
        ForSubtree(v, [&](int x) { Rank[static_cast<std::size_t>(x)] += Move; });
    }
    const long long Value = Cut[static_cast<std::size_t>(e)];
    const TRankEdge& y = Edges[static_cast<std::size_t>(f)];
    const int Top = TreeUpdate(y.Tail, y.Head, Value, true);
    TreeUpdate(y.Head, y.Tail, Value, false);
    Cut[static_cast<std::size_t>(f)] = -Value;
    Cut[static_cast<std::size_t>(e)] = 0;
    InTree[static_cast<std::size_t>(e)] = 0;
    InTree[static_cast<std::size_t>(f)] = 1;
    const int Place = TreePlace[static_cast<std::size_t>(e)];
    TreeList[static_cast<std::size_t>(Place)] = f;
    TreePlace[static_cast<std::size_t>(f)] = Place;
    Number(Top, ParentEdge[static_cast<std::size_t>(Top)], Low[static_cast<std::size_t>(Top)]);
}

std::vector<std::int32_t> TNetworkSimplex::Solve() {
    if (N == 0)
        return {};
    FeasibleTree();
    Number(0, -1, 0);
    CutValues();
    TreePlace.assign(Edges.size(), -1);
    for (std::size_t e = 0; e < Edges.size(); ++e)
        if (InTree[e]) {
            TreePlace[e] = static_cast<int>(TreeList.size());
            TreeList.push_back(static_cast<int>(e));
        }
    // Each exchange lowers the total or keeps it (a degenerate step); the
    // bound only guards against cycling through degenerate steps.
    const long long MostSteps = 50LL * N + 1000;
    for (long long Step = 0; Step < MostSteps; ++Step) {
        const int e = LeaveEdge();
        if (e < 0)
            break;
        const int f = EnterEdge(e);
        if (f < 0)
            break;
        Update(e, f);
    }
    const std::int32_t Least = *std::min_element(Rank.begin(), Rank.end());
    for (std::int32_t& r : Rank)
        r -= Least;
    return Rank;
}

} // namespace

std::vector<std::int32_t> RankNetworkSimplex(int Nodes, const std::vector<TRankEdge>& Edges) {
    // Each connected part on its own: the tree must span its nodes.
    std::vector<int> Part(static_cast<std::size_t>(Nodes));
    std::iota(Part.begin(), Part.end(), 0);
    const auto Find = [&Part](int v) {
        while (Part[static_cast<std::size_t>(v)] != v)
            v = Part[static_cast<std::size_t>(v)] =
                Part[static_cast<std::size_t>(Part[static_cast<std::size_t>(v)])];
        return v;
    };
    for (const TRankEdge& x : Edges)
        Part[static_cast<std::size_t>(Find(x.Tail))] = Find(x.Head);
    std::vector<std::int32_t> Result(static_cast<std::size_t>(Nodes), 0);
    std::map<int, std::vector<int>> Members;
    for (int v = 0; v < Nodes; ++v)
        Members[Find(v)].push_back(v);
    std::map<int, std::vector<TRankEdge>> PartEdges;
    std::vector<int> Local(static_cast<std::size_t>(Nodes), 0);
    for (const auto& [Root, Group] : Members)
        for (std::size_t i = 0; i < Group.size(); ++i)
            Local[static_cast<std::size_t>(Group[i])] = static_cast<int>(i);
    for (const TRankEdge& x : Edges) {
        TRankEdge y = x;
        y.Tail = Local[static_cast<std::size_t>(x.Tail)];
        y.Head = Local[static_cast<std::size_t>(x.Head)];
        PartEdges[Find(x.Tail)].push_back(y);
    }
    for (const auto& [Root, Group] : Members) {
        if (Group.size() < 2)
            continue;
        TNetworkSimplex Simplex(static_cast<int>(Group.size()), PartEdges[Root]);
        const std::vector<std::int32_t> Ranks = Simplex.Solve();
        for (std::size_t i = 0; i < Group.size(); ++i)
            Result[static_cast<std::size_t>(Group[i])] = Ranks[i];
    }
    return Result;
}

std::vector<TRankEdge> DetailedLinks(const TNetworkView& View) {
    std::vector<TRankEdge> Edges;
    const auto Events = static_cast<std::int32_t>(View.Events.size());
    std::vector<std::pair<std::int32_t, std::int32_t>> Seen;
    for (const TViewArc& a : View.Arcs)
        if (a.From >= 0 && a.To >= 0 && a.From < Events && a.To < Events)
            Seen.emplace_back(a.From, a.To);
    std::sort(Seen.begin(), Seen.end());
    Seen.erase(std::unique(Seen.begin(), Seen.end()), Seen.end());
    for (const auto& [From, To] : Seen)
        Edges.push_back({From, To, 1, 1});
    return Edges;
}

std::vector<std::int32_t> DetailedColumns(const TNetworkView& View) {
    std::vector<std::int32_t> Column =
        RankNetworkSimplex(static_cast<int>(View.Events.size()), DetailedLinks(View));
    for (std::int32_t& c : Column)
        ++c;
    return Column;
}

long long TotalLength(const std::vector<TRankEdge>& Edges,
                      const std::vector<std::int32_t>& Column) {
    long long Total = 0;
    for (const TRankEdge& x : Edges)
        Total += static_cast<long long>(x.Weight) * (Column[static_cast<std::size_t>(x.Head)] -
                                                     Column[static_cast<std::size_t>(x.Tail)]);
    return Total;
}
