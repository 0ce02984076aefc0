// The detailed view's rows. The result is read as a layered graph: every
// event a node on its level, every link between two events that spans
// several levels a chain of nodes, one on each level between (the chain
// nodes of the plain layout, with their rows as the first order). Then, as in
// dot (Gansner et al. 1993): sweeps down and up that order each level by the
// weighted median of its neighbours on the level before, transposition of
// neighbours while it removes crossings, and the best order kept. Last, a
// node of the critical path moves into the row of its predecessor on the
// path when that adds no crossing. Crossings between two levels are counted
// with the accumulator tree of Barth, Jünger and Mutzel.

#include "network/DetailedLayout.h"

#include <algorithm>
#include <map>
#include <utility>

namespace {

constexpr std::size_t MaxSifted = 64;
constexpr int MaxIterations = 16;
constexpr int MaxStalled = 4;

// Inversions of a sequence of positions below Size, in O(n log Size): the
// crossings of the edges (i, Seq[i]) when the sequence is ordered by the
// edges' upper ends.
class TAccumulator {
public:
    explicit TAccumulator(int Size) {
        while (First < Size)
            First *= 2;
        Tree.assign(static_cast<std::size_t>(2 * First - 1), 0);
        --First;
    }
    long long Insert(int Position) {
        auto Index = static_cast<std::size_t>(Position + First);
        ++Tree[Index];
        long long Crossed = 0;
        while (Index > 0) {
            // A left child counts the leaves of its right sibling: edges
            // already in that end further right.
            if (Index % 2 == 1)
                Crossed += Tree[Index + 1];
            Index = (Index - 1) / 2;
            ++Tree[Index];
        }
        return Crossed;
    }

private:
    int First = 1;
    std::vector<long long> Tree;
};

// Crossings of edges given as (upper position, lower position) pairs, the
// lower level holding Size positions.
long long Crossings(std::vector<std::pair<int, int>>& Edges, int Size) {
    if (Edges.size() < 2)
        return 0;
    std::sort(Edges.begin(), Edges.end());
    TAccumulator Tree(std::max(Size, 1));
    long long Total = 0;
    for (const auto& e : Edges)
        Total += Tree.Insert(e.second);
    return Total;
}

class TLayered {
public:
    explicit TLayered(const TNetworkView& View);
    void Reduce();
    TDetailedRows Rows(const TNetworkView& View) const;

private:
    int Levels = 0;
    std::vector<int> LevelOf;
    std::vector<std::vector<int>> Order; // by level
    std::vector<int> Pos;
    std::vector<std::vector<int>> Up, Down;
    std::vector<char> Critical;
    std::vector<int> LinkOfArc;
    std::vector<std::vector<int>> LinkNodes;
    mutable std::vector<int> Scratch;
    std::vector<std::pair<double, int>> Movable;
    std::vector<std::size_t> Slots;

    long long LevelCrossings(int Level) const; // between Level and Level + 1
    long long TotalCrossings() const;
    double Median(int Node, bool FromAbove) const;
    void Reorder(int Level, bool FromAbove);
    long long PairCrossings(int a, int b) const;
    bool Transpose();
    void Sift(int Node);
    void SiftAll();
    void Straighten();
    void Renumber(int Level) {
        const std::vector<int>& Nodes = Order[static_cast<std::size_t>(Level)];
        for (std::size_t i = 0; i < Nodes.size(); ++i)
            Pos[static_cast<std::size_t>(Nodes[i])] = static_cast<int>(i);
    }
};

TLayered::TLayered(const TNetworkView& View) {
    const int Events = static_cast<int>(View.Events.size());
    std::vector<int> Row;
    for (const TViewEvent& e : View.Events) {
        LevelOf.push_back(e.Level);
        Row.push_back(e.Row);
        Critical.push_back(e.OnPath ? 1 : 0);
        Levels = std::max(Levels, e.Level);
    }
    std::map<std::pair<int, int>, int> Links;
    LinkOfArc.assign(View.Arcs.size(), -1);
    for (std::size_t a = 0; a < View.Arcs.size(); ++a) {
        const TViewArc& Arc = View.Arcs[a];
        if (Arc.From < 0 || Arc.To < 0 || Arc.From >= Events || Arc.To >= Events)
            continue;
        const auto [At, New] = Links.emplace(std::pair(Arc.From, Arc.To), static_cast<int>(LinkNodes.size()));
        LinkOfArc[a] = At->second;
        if (!New) {
            if (Arc.OnPath)
                for (const int n : LinkNodes[static_cast<std::size_t>(At->second)])
                    Critical[static_cast<std::size_t>(n)] = 1;
            continue;
        }
        std::vector<int> Nodes{Arc.From};
        const int From = View.Events[static_cast<std::size_t>(Arc.From)].Level;
        const int To = View.Events[static_cast<std::size_t>(Arc.To)].Level;
        for (int k = 1; From + k < To; ++k) {
            Nodes.push_back(static_cast<int>(LevelOf.size()));
            LevelOf.push_back(From + k);
            Row.push_back(static_cast<std::size_t>(k) < Arc.Rows.size() ? Arc.Rows[static_cast<std::size_t>(k)] : 0);
            Critical.push_back(Arc.OnPath ? 1 : 0);
        }
        Nodes.push_back(Arc.To);
        LinkNodes.push_back(std::move(Nodes));
    }
    const std::size_t n = LevelOf.size();
    Up.resize(n);
    Down.resize(n);
    Pos.assign(n, 0);
    for (const std::vector<int>& Nodes : LinkNodes)
        for (std::size_t k = 0; k + 1 < Nodes.size(); ++k) {
            Down[static_cast<std::size_t>(Nodes[k])].push_back(Nodes[k + 1]);
            Up[static_cast<std::size_t>(Nodes[k + 1])].push_back(Nodes[k]);
        }
    Order.resize(static_cast<std::size_t>(Levels) + 2);
    for (std::size_t v = 0; v < n; ++v)
        Order[static_cast<std::size_t>(LevelOf[v])].push_back(static_cast<int>(v));
    for (int L = 1; L <= Levels; ++L) {
        std::vector<int>& Nodes = Order[static_cast<std::size_t>(L)];
        std::stable_sort(Nodes.begin(), Nodes.end(), [&Row](int a, int b) {
            return Row[static_cast<std::size_t>(a)] < Row[static_cast<std::size_t>(b)];
        });
        Renumber(L);
    }
}

long long TLayered::LevelCrossings(int Level) const {
    std::vector<std::pair<int, int>> Edges;
    for (const int u : Order[static_cast<std::size_t>(Level)])
        for (const int v : Down[static_cast<std::size_t>(u)])
            Edges.emplace_back(Pos[static_cast<std::size_t>(u)], Pos[static_cast<std::size_t>(v)]);
    return Crossings(Edges, static_cast<int>(Order[static_cast<std::size_t>(Level) + 1].size()));
}

long long TLayered::TotalCrossings() const {
    long long Total = 0;
    for (int L = 1; L < Levels; ++L)
        Total += LevelCrossings(L);
    return Total;
}

// dot's weighted median of the neighbours' positions; -1 for a node without
// neighbours on that side, which keeps its place.
double TLayered::Median(int Node, bool FromAbove) const {
    const std::vector<int>& Near = FromAbove ? Up[static_cast<std::size_t>(Node)] : Down[static_cast<std::size_t>(Node)];
    if (Near.empty())
        return -1;
    // Most nodes are chain nodes with one neighbour on each side.
    if (Near.size() == 1)
        return Pos[static_cast<std::size_t>(Near[0])];
    if (Near.size() == 2)
        return (Pos[static_cast<std::size_t>(Near[0])] + Pos[static_cast<std::size_t>(Near[1])]) / 2.0;
    std::vector<int>& P = Scratch;
    P.clear();
    for (const int x : Near)
        P.push_back(Pos[static_cast<std::size_t>(x)]);
    std::sort(P.begin(), P.end());
    const std::size_t m = P.size() / 2;
    if (P.size() % 2 == 1)
        return P[m];
    if (P.size() == 2)
        return (P[0] + P[1]) / 2.0;
    const double Left = P[m - 1] - P.front();
    const double Right = P.back() - P[m];
    if (Left + Right == 0)
        return (P[m - 1] + P[m]) / 2.0;
    return (P[m - 1] * Right + P[m] * Left) / (Left + Right);
}

void TLayered::Reorder(int Level, bool FromAbove) {
    std::vector<int>& Nodes = Order[static_cast<std::size_t>(Level)];
    Movable.clear();
    Slots.clear();
    for (std::size_t i = 0; i < Nodes.size(); ++i) {
        const double Key = Median(Nodes[i], FromAbove);
        if (Key >= 0) {
            Movable.emplace_back(Key, Nodes[i]);
            Slots.push_back(i);
        }
    }
    std::stable_sort(Movable.begin(), Movable.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t k = 0; k < Slots.size(); ++k)
        Nodes[Slots[k]] = Movable[k].second;
    Renumber(Level);
}

// Crossings between the edges of a and those of b (both on one level) with a
// before b: pairs of neighbours on the same side in the opposite order.
long long TLayered::PairCrossings(int a, int b) const {
    long long Total = 0;
    for (const auto* Side : {&Up, &Down}) {
        const std::vector<int>& A = (*Side)[static_cast<std::size_t>(a)];
        const std::vector<int>& B = (*Side)[static_cast<std::size_t>(b)];
        for (const int x : A)
            for (const int y : B)
                if (Pos[static_cast<std::size_t>(x)] > Pos[static_cast<std::size_t>(y)])
                    ++Total;
    }
    return Total;
}

// Neighbours exchange places while that removes crossings. A level is
// looked at again only when it or a level next to it changed in the round
// before (dot's candidate flags).
bool TLayered::Transpose() {
    std::vector<char> Candidate(static_cast<std::size_t>(Levels) + 2, 1);
    bool Any = false;
    for (int Round = 0; Round < 16; ++Round) {
        std::vector<char> Changed(static_cast<std::size_t>(Levels) + 2, 0);
        bool Improved = false;
        for (int L = 1; L <= Levels; ++L) {
            if (!Candidate[static_cast<std::size_t>(L)])
                continue;
            std::vector<int>& Nodes = Order[static_cast<std::size_t>(L)];
            for (std::size_t i = 0; i + 1 < Nodes.size(); ++i) {
                const int v = Nodes[i];
                const int w = Nodes[i + 1];
                if (PairCrossings(w, v) < PairCrossings(v, w)) {
                    std::swap(Nodes[i], Nodes[i + 1]);
                    Pos[static_cast<std::size_t>(v)] = static_cast<int>(i + 1);
                    Pos[static_cast<std::size_t>(w)] = static_cast<int>(i);
                    Changed[static_cast<std::size_t>(L)] = 1;
                    Improved = true;
                }
            }
        }
        if (!Improved)
            break;
        Any = true;
        for (int L = 1; L <= Levels; ++L)
            Candidate[static_cast<std::size_t>(L)] = Changed[static_cast<std::size_t>(L - 1)] ||
                                                    Changed[static_cast<std::size_t>(L)] ||
                                                    Changed[static_cast<std::size_t>(L + 1)];
    }
    return Any;
}

// Sifting (Matuszewski, Schönfeld and Molitor): the node leaves its level and
// goes back in at the place where its edges cross the fewest edges of the
// other nodes of the level, against both neighbouring levels at once. Moving
// it past a node w changes the crossings by c(w, v) - c(v, w); the first of
// the best places is taken, and its own place when that is among them.
void TLayered::Sift(int Node) {
    const int Level = LevelOf[static_cast<std::size_t>(Node)];
    std::vector<int>& Nodes = Order[static_cast<std::size_t>(Level)];
    const int Own = Pos[static_cast<std::size_t>(Node)];
    std::vector<int> Others;
    Others.reserve(Nodes.size());
    for (const int w : Nodes)
        if (w != Node)
            Others.push_back(w);
    long long Cost = 0;
    long long Best = 0;
    int BestPlace = 0;
    long long OwnCost = 0;
    for (int p = 0; p <= static_cast<int>(Others.size()); ++p) {
        if (p == Own)
            OwnCost = Cost;
        if (Cost < Best) {
            Best = Cost;
            BestPlace = p;
        }
        if (p < static_cast<int>(Others.size())) {
            const int w = Others[static_cast<std::size_t>(p)];
            Cost += PairCrossings(w, Node) - PairCrossings(Node, w);
        }
    }
    const int Place = OwnCost <= Best ? Own : BestPlace;
    Others.insert(Others.begin() + Place, Node);
    Nodes = std::move(Others);
    Renumber(Level);
}

void TLayered::SiftAll() {
    std::vector<int> Sequence(LevelOf.size());
    for (std::size_t v = 0; v < Sequence.size(); ++v)
        Sequence[v] = static_cast<int>(v);
    // The nodes with the most edges first: they decide the most crossings.
    std::stable_sort(Sequence.begin(), Sequence.end(), [this](int a, int b) {
        return Up[static_cast<std::size_t>(a)].size() + Down[static_cast<std::size_t>(a)].size() >
               Up[static_cast<std::size_t>(b)].size() + Down[static_cast<std::size_t>(b)].size();
    });
    // Sifting costs the square of a level's size: only the narrower levels,
    // where it finds the most, are sifted.
    for (const int v : Sequence) {
        const std::size_t Size = Order[static_cast<std::size_t>(LevelOf[static_cast<std::size_t>(v)])].size();
        if (Size > 1 && Size <= MaxSifted)
            Sift(v);
    }
}

// A node of the critical path takes the row of its predecessor on the path,
// exchanging places with the node there, when the crossings around its level
// do not grow.
void TLayered::Straighten() {
    for (int L = 2; L <= Levels; ++L) {
        std::vector<int>& Nodes = Order[static_cast<std::size_t>(L)];
        for (std::size_t i = 0; i < Nodes.size(); ++i) {
            const int v = Nodes[i];
            if (!Critical[static_cast<std::size_t>(v)])
                continue;
            int Target = -1;
            for (const int u : Up[static_cast<std::size_t>(v)])
                if (Critical[static_cast<std::size_t>(u)])
                    Target = Pos[static_cast<std::size_t>(u)];
            if (Target < 0 || Target == static_cast<int>(i) || Target >= static_cast<int>(Nodes.size()))
                continue;
            const long long Before = LevelCrossings(L - 1) + (L < Levels ? LevelCrossings(L) : 0);
            std::swap(Nodes[i], Nodes[static_cast<std::size_t>(Target)]);
            Renumber(L);
            const long long After = LevelCrossings(L - 1) + (L < Levels ? LevelCrossings(L) : 0);
            if (After > Before) {
                std::swap(Nodes[i], Nodes[static_cast<std::size_t>(Target)]);
                Renumber(L);
            }
        }
    }
}

void TLayered::Reduce() {
    if (Levels < 2)
        return;
    Transpose();
    std::vector<std::vector<int>> Best = Order;
    long long Fewest = TotalCrossings();
    int Stalled = 0;
    for (int Iteration = 0; Iteration < MaxIterations && Fewest > 0 && Stalled < MaxStalled; ++Iteration) {
        const bool DownSweep = Iteration % 2 == 0;
        if (DownSweep)
            for (int L = 2; L <= Levels; ++L)
                Reorder(L, true);
        else
            for (int L = Levels - 1; L >= 1; --L)
                Reorder(L, false);
        Transpose();
        const long long Now = TotalCrossings();
        if (Now < Fewest) {
            Fewest = Now;
            Best = Order;
            Stalled = 0;
        } else {
            ++Stalled;
        }
    }
    Order = std::move(Best);
    for (int L = 1; L <= Levels; ++L)
        Renumber(L);
    // Sifting from the best order, round after round while it helps.
    for (int Round = 0; Round < 1 && Fewest > 0; ++Round) {
        SiftAll();
        Transpose();
        const long long Now = TotalCrossings();
        if (Now >= Fewest) {
            if (Now > Fewest) {
                Order = Best;
                for (int L = 1; L <= Levels; ++L)
                    Renumber(L);
            }
            break;
        }
        Fewest = Now;
        Best = Order;
    }
    Straighten();
}

TDetailedRows TLayered::Rows(const TNetworkView& View) const {
    TDetailedRows R;
    for (std::size_t e = 0; e < View.Events.size(); ++e)
        R.EventRow.push_back(Pos[e]);
    R.ArcRows.resize(View.Arcs.size());
    for (std::size_t a = 0; a < View.Arcs.size(); ++a) {
        if (LinkOfArc[a] < 0) {
            R.ArcRows[a] = View.Arcs[a].Rows;
            continue;
        }
        for (const int n : LinkNodes[static_cast<std::size_t>(LinkOfArc[a])])
            R.ArcRows[a].push_back(Pos[static_cast<std::size_t>(n)]);
    }
    return R;
}

} // namespace

TDetailedRows DetailedLayout(const TNetworkView& View) {
    if (!View.HasNetwork)
        return {};
    TLayered Graph(View);
    Graph.Reduce();
    return Graph.Rows(View);
}

long long CountCrossings(const TNetworkView& View, const std::vector<std::int32_t>& EventRow,
                         const std::vector<std::vector<std::int32_t>>& ArcRows) {
    // Each link once: works between the same two events share their line.
    std::map<std::pair<int, int>, std::size_t> Links;
    std::map<int, std::vector<std::pair<int, int>>> EdgesBelow;
    std::map<int, int> Size;
    for (std::size_t e = 0; e < View.Events.size(); ++e) {
        const int Level = View.Events[e].Level;
        Size[Level] = std::max(Size[Level], EventRow[e] + 1);
    }
    for (std::size_t a = 0; a < View.Arcs.size(); ++a) {
        const TViewArc& Arc = View.Arcs[a];
        if (Arc.From < 0 || Arc.To < 0 || !Links.emplace(std::pair(Arc.From, Arc.To), a).second)
            continue;
        const int From = View.Events[static_cast<std::size_t>(Arc.From)].Level;
        const std::vector<std::int32_t>& Rows = ArcRows[a];
        for (std::size_t k = 0; k < Rows.size(); ++k) {
            const int Level = From + static_cast<int>(k);
            Size[Level] = std::max(Size[Level], Rows[k] + 1);
            if (k + 1 < Rows.size())
                EdgesBelow[Level].emplace_back(Rows[k], Rows[k + 1]);
        }
    }
    long long Total = 0;
    for (auto& [Level, Edges] : EdgesBelow)
        Total += Crossings(Edges, Size[Level + 1]);
    return Total;
}

long long CountPlainCrossings(const TNetworkView& View) {
    std::vector<std::int32_t> EventRow;
    for (const TViewEvent& e : View.Events)
        EventRow.push_back(e.Row);
    std::vector<std::vector<std::int32_t>> ArcRows;
    for (const TViewArc& a : View.Arcs)
        ArcRows.push_back(a.Rows);
    return CountCrossings(View, EventRow, ArcRows);
}
