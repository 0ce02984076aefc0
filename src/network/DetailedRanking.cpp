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
    std::vector<int> Lim, Low, ParentEdge, Postorder;
    std::vector<long long> Cut; // by node: the cut value of its parent edge
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
    void InitRank();
    int TightTree();
    void FeasibleTree();
    void Number();
    int LeaveNode();
    int EnterEdge(int v) const;
    void Rerank();
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
    Cut.assign(n, 0);
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

// Grows the tree of tight edges from node 0 anew; returns its node count.
int TNetworkSimplex::TightTree() {
    std::fill(InTree.begin(), InTree.end(), 0);
    std::fill(Reached.begin(), Reached.end(), 0);
    std::vector<int> Stack{0};
    Reached[0] = 1;
    int Count = 1;
    while (!Stack.empty()) {
        const int v = Stack.back();
        Stack.pop_back();
        for (int i = IncFirst[static_cast<std::size_t>(v)];
             i < IncFirst[static_cast<std::size_t>(v) + 1]; ++i) {
            const int e = Incident[static_cast<std::size_t>(i)];
            const int w = Other(e, v);
            if (Reached[static_cast<std::size_t>(w)] || Slack(e) != 0)
                continue;
            Reached[static_cast<std::size_t>(w)] = 1;
            InTree[static_cast<std::size_t>(e)] = 1;
            ++Count;
            Stack.push_back(w);
        }
    }
    return Count;
}

// A spanning tree of tight edges: while the tight tree misses nodes, it is
// moved as a whole by the least slack of an edge leaving it, which makes that
// edge tight and keeps every other edge at its minimum length or more.
void TNetworkSimplex::FeasibleTree() {
    InitRank();
    while (TightTree() < N) {
        int Best = -1;
        for (std::size_t e = 0; e < Edges.size(); ++e) {
            const bool TailIn = Reached[static_cast<std::size_t>(Edges[e].Tail)];
            const bool HeadIn = Reached[static_cast<std::size_t>(Edges[e].Head)];
            if (TailIn != HeadIn && (Best < 0 || Slack(static_cast<int>(e)) < Slack(Best)))
                Best = static_cast<int>(e);
        }
        const bool HeadIn =
            Reached[static_cast<std::size_t>(Edges[static_cast<std::size_t>(Best)].Head)];
        const int Delta = HeadIn ? -Slack(Best) : Slack(Best);
        for (int v = 0; v < N; ++v)
            if (Reached[static_cast<std::size_t>(v)])
                Rank[static_cast<std::size_t>(v)] += Delta;
    }
}

// Postorder numbers from node 0 through the tree, and the cut values.
void TNetworkSimplex::Number() {
    std::vector<std::pair<int, int>> Stack{{0, IncFirst[0]}}; // node, next incidence
    ParentEdge[0] = -1;
    Low[0] = 0;
    Postorder.clear();
    int Next = 0;
    while (!Stack.empty()) {
        auto& [v, i] = Stack.back();
        if (i == IncFirst[static_cast<std::size_t>(v) + 1]) {
            Lim[static_cast<std::size_t>(v)] = Next++;
            Postorder.push_back(v);
            Stack.pop_back();
            continue;
        }
        const int e = Incident[static_cast<std::size_t>(i++)];
        if (!InTree[static_cast<std::size_t>(e)] || e == ParentEdge[static_cast<std::size_t>(v)])
            continue;
        const int w = Other(e, v);
        ParentEdge[static_cast<std::size_t>(w)] = e;
        Low[static_cast<std::size_t>(w)] = Next;
        Stack.emplace_back(w, IncFirst[static_cast<std::size_t>(w)]);
    }
    std::vector<long long> Sum(Net);
    for (const int v : Postorder) {
        const int e = ParentEdge[static_cast<std::size_t>(v)];
        if (e < 0)
            continue;
        const int Parent = Other(e, v);
        Sum[static_cast<std::size_t>(Parent)] += Sum[static_cast<std::size_t>(v)];
        // Out of the subtree minus into it when the edge leaves the subtree.
        Cut[static_cast<std::size_t>(v)] = Edges[static_cast<std::size_t>(e)].Tail == v
                                               ? Sum[static_cast<std::size_t>(v)]
                                               : -Sum[static_cast<std::size_t>(v)];
    }
}

// The node below a tree edge of negative cut value, searched round from
// where the last search stopped; of the first few found the most negative
// (as dot does); -1 when the tree is optimal.
int TNetworkSimplex::LeaveNode() {
    constexpr int SearchSize = 30;
    int Best = -1;
    int Found = 0;
    for (int k = 0; k < N && Found < SearchSize; ++k) {
        const int v = (SearchFrom + k) % N;
        if (ParentEdge[static_cast<std::size_t>(v)] < 0 || Cut[static_cast<std::size_t>(v)] >= 0)
            continue;
        ++Found;
        if (Best < 0 || Cut[static_cast<std::size_t>(v)] < Cut[static_cast<std::size_t>(Best)])
            Best = v;
    }
    if (Best >= 0)
        SearchFrom = (Best + 1) % N;
    return Best;
}

// The non-tree edge of least slack that crosses the cut of v's parent edge
// from its head side to its tail side.
int TNetworkSimplex::EnterEdge(int v) const {
    const bool SubtreeIsTail =
        Edges[static_cast<std::size_t>(ParentEdge[static_cast<std::size_t>(v)])].Tail == v;
    int Best = -1;
    for (std::size_t e = 0; e < Edges.size(); ++e) {
        if (InTree[e])
            continue;
        const bool TailIn = InSubtree(Edges[e].Tail, v);
        const bool HeadIn = InSubtree(Edges[e].Head, v);
        if (TailIn == HeadIn || TailIn == SubtreeIsTail)
            continue;
        if (Best < 0 || Slack(static_cast<int>(e)) < Slack(Best))
            Best = static_cast<int>(e);
    }
    return Best;
}

// Every tree edge tight again, node 0 keeping its rank.
void TNetworkSimplex::Rerank() {
    for (auto v = Postorder.rbegin(); v != Postorder.rend(); ++v) {
        const int e = ParentEdge[static_cast<std::size_t>(*v)];
        if (e < 0)
            continue;
        const TRankEdge& x = Edges[static_cast<std::size_t>(e)];
        if (x.Head == *v)
            Rank[static_cast<std::size_t>(*v)] =
                Rank[static_cast<std::size_t>(x.Tail)] + x.MinLength;
        else
            Rank[static_cast<std::size_t>(*v)] =
                Rank[static_cast<std::size_t>(x.Head)] - x.MinLength;
    }
}

std::vector<std::int32_t> TNetworkSimplex::Solve() {
    if (N == 0)
        return {};
    FeasibleTree();
    Number();
    // Each exchange lowers the total or keeps it (a degenerate step); the
    // bound only guards against cycling through degenerate steps.
    const long long MostSteps = 50LL * N + 1000;
    for (long long Step = 0; Step < MostSteps; ++Step) {
        const int v = LeaveNode();
        if (v < 0)
            break;
        const int f = EnterEdge(v);
        if (f < 0)
            break;
        InTree[static_cast<std::size_t>(ParentEdge[static_cast<std::size_t>(v)])] = 0;
        InTree[static_cast<std::size_t>(f)] = 1;
        Number();
        Rerank();
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
