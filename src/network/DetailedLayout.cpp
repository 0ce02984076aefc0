// The detailed view's rows. The result is read as a layered graph: every
// event a node on its level, every link between two events that spans
// several levels a chain of nodes, one on each level between. The order of
// every level is then searched for few crossings. First as in dot (Gansner
// et al. 1993): sweeps down and up that sort each level by the weighted
// median of its neighbours, each followed by transposition of neighbours,
// the best order kept; from the plain rows, and as long as the effort
// allows again from the plain rows, from a breadth-first and a depth-first
// walk from the start event and from shuffled orders, every second of these
// sorting by the neighbours' mean place (the barycenter) instead. Then a
// search on windows of a few levels: the window is shuffled and swept again
// with the levels around it fixed, by either key, and the new order kept
// unless it crosses more. Then every long link is rerouted: its chain nodes
// taken out and put back where the link crosses fewest, a shortest path
// through the gaps of the levels it spans, which no exchange of neighbours
// finds. Last, a node of the critical path moves into the row of its
// predecessor on the path when that adds no crossing.
// Crossings between two levels are counted with the accumulator tree of
// Barth, Jünger and Mutzel.
//
// The effort is a count of node visits, not the clock: the same result
// always gives the same rows. A large network uses it up on the sweeps from
// the plain rows and one round of rerouting, which are always made whole.

#include "network/DetailedLayout.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <utility>

namespace {

// dot's sweeps: up to MaxIterations, ending after MinQuit without a gain of
// more than Convergence.
constexpr int MaxIterations = 24;
constexpr int MinQuit = 3;
constexpr double Convergence = 0.995;
// The windows of the search: their height in levels (drawn anew for every
// window) and their sweeps.
constexpr int LowestWindow = 3;
constexpr int HighestWindow = 8;
constexpr int WindowIterations = 4;
constexpr int WindowQuit = 2;
// How far a chain node of a rerouted link may move (gaps either side), and
// the rounds of rerouting beyond the first while the effort allows.
constexpr int Band = 8;
constexpr int RerouteRounds = 2;
// Node visits of all sweeps together (a visit costs some 10 ns): a base and
// a share for every node, up to MostEffort (about 30 ms). A fifth of it goes
// to more first orders, the rest to the windows.
constexpr long long BaseEffort = 1000000;
constexpr long long EffortPerNode = 2000;
constexpr long long MostEffort = 3000000;

// Inversions of a sequence of positions below Size, in O(n log Size): the
// crossings of the edges (i, Seq[i]) when the sequence is ordered by the
// edges' upper ends. A Fenwick tree counts the edges already in at each
// position and before.
class TAccumulator {
public:
    void Reset(int Size) {
        Count.assign(static_cast<std::size_t>(Size) + 1, 0);
        Inserted = 0;
    }
    // The edges already in that end further right.
    long long Insert(int Position) {
        long long NotRight = 0;
        for (auto i = static_cast<std::size_t>(Position) + 1; i > 0; i &= i - 1)
            NotRight += Count[i];
        for (auto i = static_cast<std::size_t>(Position) + 1; i < Count.size(); i += i & (~i + 1))
            ++Count[i];
        return Inserted++ - NotRight;
    }

private:
    std::vector<int> Count;
    long long Inserted = 0;
};

// Crossings of edges given as (upper position, lower position) pairs, the
// lower level holding Size positions.
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

// A small generator of our own: the same numbers with every library.
class TRandom {
public:
    unsigned Below(unsigned n) {
        State ^= State << 13;
        State ^= State >> 7;
        State ^= State << 17;
        return static_cast<unsigned>((State >> 11) % n);
    }

private:
    std::uint64_t State = 0x9E3779B97F4A7C15ull;
};

using TOrder = std::vector<std::vector<int>>;

class TLayered {
public:
    explicit TLayered(const TNetworkView& View);
    void Reduce();
    TDetailedRows Rows(const TNetworkView& View) const;

private:
    int Levels = 0;
    int Start = -1;
    std::vector<int> LevelOf;
    std::vector<int> PlainRow;
    // The neighbours of v on the level above are UpList[UpFirst[v]] up to
    // UpList[UpFirst[v + 1]], those below likewise.
    std::vector<int> UpFirst, UpList, DownFirst, DownList;
    // One neighbour above and one below: a chain node, or an event with one
    // link in and one out.
    std::vector<char> Single;
    std::vector<char> Critical;
    std::vector<int> LinkOfArc;
    std::vector<std::vector<int>> LinkNodes;

    TOrder Order; // by level
    // The best order of the present sweeps, and the order before a window
    // of the search, at the levels concerned.
    TOrder Kept, Saved;
    std::vector<int> Pos;
    mutable long long Visits = 0;
    long long Effort = 0; // visits allowed
    // The sweeps sort by the neighbours' mean place instead of their median.
    bool Barycentre = false;
    std::vector<char> Candidate;
    mutable std::vector<int> Scratch;
    mutable TAccumulator Tree;
    struct TMovable {
        double Key;
        int Place; // ties in this order
        int Node;
    };
    std::vector<TMovable> Movable;
    std::vector<std::size_t> Slots;
    // The link being rerouted: its nodes, the level of its first, the
    // count of its chain nodes; and Reroute's buffers.
    const std::vector<int>* RouteLink = nullptr;
    int RouteTop = 0;
    std::size_t RouteInner = 0;
    std::vector<std::vector<std::pair<int, int>>> Segments;
    std::vector<std::pair<int, int>> Beyond;
    std::vector<long long> Dist, Next;
    std::vector<std::vector<int>> From;
    std::vector<int> LeftCount, RightCount;

    const int* UpBegin(int v) const { return UpList.data() + UpFirst[static_cast<std::size_t>(v)]; }
    const int* UpEnd(int v) const {
        return UpList.data() + UpFirst[static_cast<std::size_t>(v) + 1];
    }
    const int* DownBegin(int v) const {
        return DownList.data() + DownFirst[static_cast<std::size_t>(v)];
    }
    const int* DownEnd(int v) const {
        return DownList.data() + DownFirst[static_cast<std::size_t>(v) + 1];
    }
    int At(int v) const { return Pos[static_cast<std::size_t>(v)]; }
    void SetOrder(const TOrder& Next);
    void Renumber(int Level) {
        const std::vector<int>& Nodes = Order[static_cast<std::size_t>(Level)];
        for (std::size_t i = 0; i < Nodes.size(); ++i)
            Pos[static_cast<std::size_t>(Nodes[i])] = static_cast<int>(i);
    }
    TOrder PlainOrder() const;
    TOrder WalkOrder(bool DepthFirst) const;
    long long LevelCrossings(int Level) const; // between Level and Level + 1
    // Crossings of the edges with an end on a level from First to Last.
    long long RangeCrossings(int First, int Last) const;
    double SortKey(int Node, bool FromAbove) const;
    void Reorder(int Level, bool FromAbove, bool Reverse);
    std::pair<int, int> BothCrossings(int a, int b) const;
    void Transpose(bool Reverse, int First, int Last);
    int Place(int Node, std::size_t i) const;
    std::pair<int, int> Options(std::size_t i) const;
    long long GatherSegments(std::size_t i);
    void PathStep(std::size_t i);
    long long Reroute(const std::vector<int>& Chain);
    long long RerouteAll();
    long long Sweeps(int First, int Last, int Iterations, int Quit);
    void Search(long long Fewest, TRandom& Random);
    void Shuffle(int First, int Last, TRandom& Random);
    void Straighten();
};

TLayered::TLayered(const TNetworkView& View) {
    const int Events = static_cast<int>(View.Events.size());
    for (std::size_t e = 0; e < View.Events.size(); ++e) {
        const TViewEvent& Event = View.Events[e];
        LevelOf.push_back(Event.Level);
        PlainRow.push_back(Event.Row);
        Critical.push_back(Event.OnPath ? 1 : 0);
        Levels = std::max(Levels, Event.Level);
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
        std::vector<int> Nodes{Arc.From};
        const int From = View.Events[static_cast<std::size_t>(Arc.From)].Level;
        const int To = View.Events[static_cast<std::size_t>(Arc.To)].Level;
        for (int k = 1; From + k < To; ++k) {
            Nodes.push_back(static_cast<int>(LevelOf.size()));
            LevelOf.push_back(From + k);
            PlainRow.push_back(static_cast<std::size_t>(k) < Arc.Rows.size()
                                   ? Arc.Rows[static_cast<std::size_t>(k)]
                                   : 0);
            Critical.push_back(Arc.OnPath ? 1 : 0);
        }
        Nodes.push_back(Arc.To);
        LinkNodes.push_back(std::move(Nodes));
    }
    const std::size_t n = LevelOf.size();
    UpFirst.assign(n + 1, 0);
    DownFirst.assign(n + 1, 0);
    for (const std::vector<int>& Nodes : LinkNodes)
        for (std::size_t k = 0; k + 1 < Nodes.size(); ++k) {
            ++DownFirst[static_cast<std::size_t>(Nodes[k]) + 1];
            ++UpFirst[static_cast<std::size_t>(Nodes[k + 1]) + 1];
        }
    for (std::size_t v = 0; v < n; ++v) {
        UpFirst[v + 1] += UpFirst[v];
        DownFirst[v + 1] += DownFirst[v];
    }
    UpList.resize(static_cast<std::size_t>(UpFirst[n]));
    DownList.resize(static_cast<std::size_t>(DownFirst[n]));
    std::vector<int> UpFill(UpFirst.begin(), UpFirst.end() - 1);
    std::vector<int> DownFill(DownFirst.begin(), DownFirst.end() - 1);
    for (const std::vector<int>& Nodes : LinkNodes)
        for (std::size_t k = 0; k + 1 < Nodes.size(); ++k) {
            DownList[static_cast<std::size_t>(DownFill[static_cast<std::size_t>(Nodes[k])]++)] =
                Nodes[k + 1];
            UpList[static_cast<std::size_t>(UpFill[static_cast<std::size_t>(Nodes[k + 1])]++)] =
                Nodes[k];
        }
    Single.assign(n, 0);
    for (std::size_t v = 0; v < n; ++v)
        Single[v] = UpFirst[v + 1] - UpFirst[v] == 1 && DownFirst[v + 1] - DownFirst[v] == 1;
    Kept.resize(static_cast<std::size_t>(Levels) + 2);
    Saved.resize(static_cast<std::size_t>(Levels) + 2);
    Pos.assign(n, 0);
    Candidate.assign(static_cast<std::size_t>(Levels) + 2, 0);
    SetOrder(PlainOrder());
}

void TLayered::SetOrder(const TOrder& Next) {
    Order = Next;
    for (int L = 0; L <= Levels; ++L)
        Renumber(L);
}

// The plain view's rows.
TOrder TLayered::PlainOrder() const {
    TOrder Result(static_cast<std::size_t>(Levels) + 2);
    for (std::size_t v = 0; v < LevelOf.size(); ++v)
        Result[static_cast<std::size_t>(LevelOf[v])].push_back(static_cast<int>(v));
    for (std::vector<int>& Nodes : Result)
        std::stable_sort(Nodes.begin(), Nodes.end(), [this](int a, int b) {
            return PlainRow[static_cast<std::size_t>(a)] < PlainRow[static_cast<std::size_t>(b)];
        });
    return Result;
}

// Every node placed after the others of its level in the order a walk down
// the links reaches it from the start event, the higher plain row first:
// breadth first (dot's first order) or depth first.
TOrder TLayered::WalkOrder(bool DepthFirst) const {
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
    for (const std::vector<int>& Nodes : PlainOrder())
        for (const int v : Nodes)
            Visit(v);
    return Result;
}

long long TLayered::LevelCrossings(int Level) const {
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

long long TLayered::RangeCrossings(int First, int Last) const {
    long long Total = 0;
    for (int L = std::max(1, First - 1); L <= std::min(Levels - 1, Last); ++L)
        Total += LevelCrossings(L);
    return Total;
}

// The place a node is sorted to from its neighbours on one side: dot's
// weighted median of their places, or with Barycentre their mean; -1 for a
// node without neighbours on that side, which keeps its place.
double TLayered::SortKey(int Node, bool FromAbove) const {
    const int* Begin = FromAbove ? UpBegin(Node) : DownBegin(Node);
    const int* End = FromAbove ? UpEnd(Node) : DownEnd(Node);
    const auto Size = static_cast<std::size_t>(End - Begin);
    // Most nodes are chain nodes with one neighbour on each side.
    if (Size == 0)
        return -1;
    if (Size == 1)
        return At(Begin[0]);
    if (Size == 2)
        return (At(Begin[0]) + At(Begin[1])) / 2.0;
    if (Barycentre) {
        double Sum = 0;
        for (const int* x = Begin; x != End; ++x)
            Sum += At(*x);
        return Sum / static_cast<double>(Size);
    }
    std::vector<int>& P = Scratch;
    P.clear();
    for (const int* x = Begin; x != End; ++x)
        P.push_back(At(*x));
    std::sort(P.begin(), P.end());
    const std::size_t m = Size / 2;
    if (Size % 2 == 1)
        return P[m];
    const double Left = P[m - 1] - P.front();
    const double Right = P.back() - P[m];
    if (Left == Right)
        return (P[m - 1] + P[m]) / 2.0;
    return (P[m - 1] * Right + P[m] * Left) / (Left + Right);
}

// The nodes with neighbours on the given side sorted by their median, the
// others kept in place; Reverse turns the order of equal medians around, so
// that the sweeps try both.
void TLayered::Reorder(int Level, bool FromAbove, bool Reverse) {
    std::vector<int>& Nodes = Order[static_cast<std::size_t>(Level)];
    Movable.clear();
    Slots.clear();
    for (std::size_t i = 0; i < Nodes.size(); ++i) {
        const double Key = SortKey(Nodes[i], FromAbove);
        if (Key >= 0) {
            const int Place = static_cast<int>(i);
            Movable.push_back({Key, Reverse ? -Place : Place, Nodes[i]});
            Slots.push_back(i);
        }
    }
    std::sort(Movable.begin(), Movable.end(), [](const TMovable& a, const TMovable& b) {
        return a.Key < b.Key || (a.Key == b.Key && a.Place < b.Place);
    });
    for (std::size_t k = 0; k < Slots.size(); ++k)
        Nodes[Slots[k]] = Movable[k].Node;
    Renumber(Level);
    Visits += static_cast<long long>(Nodes.size());
}

// The crossings between the edges of a and those of b with a before b, and
// with b before a.
std::pair<int, int> TLayered::BothCrossings(int a, int b) const {
    const auto A = static_cast<std::size_t>(a);
    const auto B = static_cast<std::size_t>(b);
    if (Single[A] && Single[B]) {
        const int Up = Pos[static_cast<std::size_t>(UpList[static_cast<std::size_t>(UpFirst[A])])] -
                       Pos[static_cast<std::size_t>(UpList[static_cast<std::size_t>(UpFirst[B])])];
        const int Down =
            Pos[static_cast<std::size_t>(DownList[static_cast<std::size_t>(DownFirst[A])])] -
            Pos[static_cast<std::size_t>(DownList[static_cast<std::size_t>(DownFirst[B])])];
        return {(Up > 0) + (Down > 0), (Up < 0) + (Down < 0)};
    }
    int Before = 0;
    int After = 0;
    for (const int* x = UpBegin(a); x != UpEnd(a); ++x)
        for (const int* y = UpBegin(b); y != UpEnd(b); ++y) {
            Before += At(*x) > At(*y);
            After += At(*x) < At(*y);
        }
    for (const int* x = DownBegin(a); x != DownEnd(a); ++x)
        for (const int* y = DownBegin(b); y != DownEnd(b); ++y) {
            Before += At(*x) > At(*y);
            After += At(*x) < At(*y);
        }
    return {Before, After};
}

// Neighbours on the levels First to Last exchange places while that removes
// crossings; with Reverse also when it keeps them (dot's way out of a
// plateau). A level is looked at again only when it or a level next to it
// changed.
void TLayered::Transpose(bool Reverse, int First, int Last) {
    std::fill(Candidate.begin() + First, Candidate.begin() + Last + 1, 1);
    for (int Round = 0; Round < 64; ++Round) {
        long long Removed = 0;
        for (int L = First; L <= Last; ++L) {
            if (!Candidate[static_cast<std::size_t>(L)])
                continue;
            Candidate[static_cast<std::size_t>(L)] = 0;
            std::vector<int>& Nodes = Order[static_cast<std::size_t>(L)];
            Visits += static_cast<long long>(Nodes.size());
            for (std::size_t i = 0; i + 1 < Nodes.size(); ++i) {
                const int v = Nodes[i];
                const int w = Nodes[i + 1];
                if (v == Start)
                    continue;
                const auto [Now, Swapped] = BothCrossings(v, w);
                if (Swapped < Now || (Reverse && Now > 0 && Swapped == Now)) {
                    Nodes[i] = w;
                    Nodes[i + 1] = v;
                    Pos[static_cast<std::size_t>(v)] = static_cast<int>(i + 1);
                    Pos[static_cast<std::size_t>(w)] = static_cast<int>(i);
                    Removed += Now - Swapped;
                    Candidate[static_cast<std::size_t>(L - 1)] = 1;
                    Candidate[static_cast<std::size_t>(L)] = 1;
                    Candidate[static_cast<std::size_t>(L + 1)] = 1;
                }
            }
        }
        if (Removed < 1)
            break;
    }
    std::fill(Candidate.begin(), Candidate.end(), 0);
}

// Places on level RouteTop + i of the link being rerouted, without its own node
// there: the node at index r, and gap g just before the node at index g.
// The events stay where they are.
int TLayered::Place(int Node, std::size_t i) const {
    const int p = At(Node);
    return i == 0 || i == RouteInner + 1 || p < At((*RouteLink)[i]) ? p : p - 1;
}

// The options of the link's node on level RouteTop + i: an event's place, the
// gaps Band either side of a chain node's place.
std::pair<int, int> TLayered::Options(std::size_t i) const {
    const int p = At((*RouteLink)[i]);
    if (i == 0 || i == RouteInner + 1)
        return {p, p};
    return {std::max(0, p - Band),
            std::min(static_cast<int>(Order[static_cast<std::size_t>(RouteTop) + i].size()) - 1,
                     p + Band)};
}

// The other segments between the link's levels RouteTop + i and
// RouteTop + i + 1 that cross it for some options but not for others, and
// the link's present crossings with them. A segment from gap or node a to
// gap or node b crosses (x, y) when x lies left of a and y right of b or the
// other way round; from a gap, x lies left when x < a, right when x >= a;
// from a node, left when x < a, right when x > a. A segment with both ends
// more than one place away from the options crosses for all or for none: it
// changes nothing.
long long TLayered::GatherSegments(std::size_t i) {
    const std::vector<int>& Chain = *RouteLink;
    const std::size_t k = RouteInner;
    long long Present = 0;
    std::vector<std::pair<int, int>>& Edges = Segments[i];
    Edges.clear();
    const auto [ALow, AHigh] = Options(i);
    const auto [BLow, BHigh] = Options(i + 1);
    const std::vector<int>& Upper = Order[static_cast<std::size_t>(RouteTop) + i];
    const std::vector<int>& Lower = Order[static_cast<std::size_t>(RouteTop) + i + 1];
    auto Near = [](int p, int First, int Last) { return p >= First - 1 && p <= Last + 1; };
    // The segments from further left than the options first, then those
    // from near them by their upper ends, then those from further right:
    // the path step takes all of the first in at once and none of the last.
    Beyond.clear();
    for (int p = std::max(0, BLow - 1);
         p <= std::min(static_cast<int>(Lower.size()) - 1, BHigh + 2); ++p) {
        const int w = Lower[static_cast<std::size_t>(p)];
        const int y = Place(w, i + 1);
        if (w == Chain[i + 1] || !Near(y, BLow, BHigh))
            continue;
        for (const int* u = UpBegin(w); u != UpEnd(w); ++u) {
            const int x = Place(*u, i);
            if (*u != Chain[i] && !Near(x, ALow, AHigh))
                (x < ALow ? Edges : Beyond).emplace_back(x, y);
        }
    }
    for (int p = std::max(0, ALow - 1);
         p <= std::min(static_cast<int>(Upper.size()) - 1, AHigh + 2); ++p) {
        const int u = Upper[static_cast<std::size_t>(p)];
        const int x = Place(u, i);
        if (u == Chain[i] || !Near(x, ALow, AHigh))
            continue;
        for (const int* w = DownBegin(u); w != DownEnd(u); ++w)
            Edges.emplace_back(x, Place(*w, i + 1));
    }
    Edges.insert(Edges.end(), Beyond.begin(), Beyond.end());
    const int X = At(Chain[i]);
    const int Y = At(Chain[i + 1]);
    const bool NodeAbove = i == 0;
    const bool NodeBelow = i == k;
    for (const auto& [x, y] : Edges) {
        const bool StartsLeft = x < X;
        const bool StartsRight = NodeAbove ? x > X : x >= X;
        const bool EndsRight = NodeBelow ? y > Y : y >= Y;
        Present += (StartsLeft && EndsRight) || (StartsRight && y < Y);
    }
    Visits += static_cast<long long>(Edges.size()) + AHigh - ALow + BHigh - BLow + 2;
    return Present;
}

// One step of the shortest path: Dist over the options on level RouteTop + i to
// Next over those on the level below, with From[i + 1] the option each came
// from.
void TLayered::PathStep(std::size_t i) {
    const std::size_t k = RouteInner;
    const std::vector<std::pair<int, int>>& Edges = Segments[i];
    const bool NodeAbove = i == 0;
    const bool NodeBelow = i == k;
    const auto [ALow, AHigh] = Options(i);
    const auto [BLow, BHigh] = Options(i + 1);
    const auto Span = static_cast<std::size_t>(BHigh - BLow + 1);
    Next.assign(Span, -1);
    std::vector<int>& Back = From[i + 1];
    Back.assign(Span, 0);
    // Left: the edges with x < a; right: x >= a from a gap, x > a from
    // the event. Counted below BLow, above it, and per y from BLow to
    // BHigh.
    LeftCount.assign(Span, 0);
    RightCount.assign(Span, 0);
    auto Within = [&](int y) { return y >= BLow && y <= BHigh; };
    long long LeftTotal = 0;
    long long LeftUnder = 0;
    long long RightUnder = 0;
    long long LeftOver = 0;
    for (const auto& e : Edges) {
        if (Within(e.second))
            ++RightCount[static_cast<std::size_t>(e.second - BLow)];
        RightUnder += e.second < BLow;
    }
    std::size_t Passed = 0;
    std::size_t Reached = 0;
    for (int a = ALow; a <= AHigh; ++a) {
        const int Limit = NodeAbove ? a : a - 1;
        for (; Reached < Edges.size() && Edges[Reached].first <= Limit; ++Reached) {
            const int y = Edges[Reached].second;
            if (Within(y))
                --RightCount[static_cast<std::size_t>(y - BLow)];
            RightUnder -= y < BLow;
        }
        for (; Passed < Edges.size() && Edges[Passed].first < a; ++Passed) {
            const int y = Edges[Passed].second;
            if (Within(y))
                ++LeftCount[static_cast<std::size_t>(y - BLow)];
            ++LeftTotal;
            LeftUnder += y < BLow;
            LeftOver += y > BLow;
        }
        const long long Here = Dist[static_cast<std::size_t>(a - ALow)];
        if (NodeBelow) {
            // The event at BLow: left edges ending right of it, right
            // edges ending left of it.
            const long long Total = Here + LeftOver + RightUnder;
            if (Next[0] < 0 || Total < Next[0]) {
                Next[0] = Total;
                Back[0] = a - ALow;
            }
            continue;
        }
        // Gap b: the left edges with y >= b and the right ones with
        // y < b.
        long long LeftBelow = LeftUnder;
        long long RightBelow = RightUnder;
        for (int b = BLow; b <= BHigh; ++b) {
            const long long Total = Here + LeftTotal - LeftBelow + RightBelow;
            auto& Slot = Next[static_cast<std::size_t>(b - BLow)];
            if (Slot < 0 || Total < Slot) {
                Slot = Total;
                Back[static_cast<std::size_t>(b - BLow)] = a - ALow;
            }
            LeftBelow += LeftCount[static_cast<std::size_t>(b - BLow)];
            RightBelow += RightCount[static_cast<std::size_t>(b - BLow)];
        }
        Visits += BHigh - BLow + 1;
    }
    Dist.swap(Next);
}

// The chain nodes of one long link taken out of their levels and put back
// where the link crosses the fewest other segments, its two events fixed:
// a shortest path through the gaps of the levels between, over crossing
// counts. Returns the crossings removed.
long long TLayered::Reroute(const std::vector<int>& Chain) {
    const std::size_t k = Chain.size() - 2; // chain nodes
    if (k == 0)
        return 0;
    RouteLink = &Chain;
    RouteInner = k;
    RouteTop = LevelOf[static_cast<std::size_t>(Chain[0])];
    Segments.resize(std::max(Segments.size(), k + 1));
    long long Present = 0;
    for (std::size_t i = 0; i <= k; ++i)
        Present += GatherSegments(i);
    if (Present == 0)
        return 0;
    // Dist[j]: the fewest crossings down to the j-th option of the level
    // reached.
    Dist.assign(1, 0);
    From.resize(std::max(From.size(), k + 2));
    for (std::size_t i = 0; i <= k; ++i)
        PathStep(i);
    const long long Best = Dist[0];
    if (Best >= Present)
        return 0;
    // Back along the path: the gap at every chain node's level.
    int Choice = 0;
    for (std::size_t i = k + 1; i > 1; --i) {
        Choice = From[i][static_cast<std::size_t>(Choice)];
        std::vector<int>& Nodes = Order[static_cast<std::size_t>(RouteTop) + i - 1];
        const int First = Options(i - 1).first;
        Nodes.erase(Nodes.begin() + At(Chain[i - 1]));
        Nodes.insert(Nodes.begin() + First + Choice, Chain[i - 1]);
        Renumber(RouteTop + static_cast<int>(i) - 1);
    }
    return Present - Best;
}

long long TLayered::RerouteAll() {
    long long Removed = 0;
    for (const std::vector<int>& Chain : LinkNodes)
        Removed += Reroute(Chain);
    return Removed;
}

// dot's sweeps on the levels First to Last, the levels around them fixed:
// down and up in turn, each followed by transposition, ending after Quit
// sweeps without a clear gain. Leaves the best order found there and
// returns the crossings at those levels.
long long TLayered::Sweeps(int First, int Last, int Iterations, int Quit) {
    for (int L = First; L <= Last; ++L)
        Kept[static_cast<std::size_t>(L)] = Order[static_cast<std::size_t>(L)];
    long long Fewest = RangeCrossings(First, Last);
    long long Now = Fewest;
    int Trying = 0;
    for (int Iteration = 0; Iteration < Iterations && Trying++ < Quit && Now > 0; ++Iteration) {
        const bool Reverse = Iteration % 4 < 2;
        if (Iteration % 2 == 0)
            for (int L = First; L <= Last; ++L)
                Reorder(L, true, Reverse);
        else
            for (int L = Last; L >= First; --L)
                Reorder(L, false, Reverse);
        Transpose(!Reverse, First, Last);
        Now = RangeCrossings(First, Last);
        if (Now <= Fewest) {
            if (static_cast<double>(Now) < Convergence * static_cast<double>(Fewest))
                Trying = 0;
            Fewest = Now;
            for (int L = First; L <= Last; ++L)
                Kept[static_cast<std::size_t>(L)] = Order[static_cast<std::size_t>(L)];
        }
    }
    for (int L = First; L <= Last; ++L) {
        Order[static_cast<std::size_t>(L)] = Kept[static_cast<std::size_t>(L)];
        Renumber(L);
    }
    return Fewest;
}

// Windows of a few levels, one after the other at random places, each
// shuffled and swept anew with the levels around it fixed, sorting by the
// neighbours' medians or, chosen at random, their means; the window keeps
// the new order unless it crosses more. The sweeps from a shuffled window
// find orders that sweeps over the whole never reach, and what a window
// gains stays; the two sorting keys reach different ones.
void TLayered::Search(long long Fewest, TRandom& Random) {
    if (Levels < 3)
        return;
    while (Visits < Effort && Fewest > 0) {
        const int Height = std::min(
            Levels - 1,
            LowestWindow + static_cast<int>(Random.Below(HighestWindow - LowestWindow + 1)));
        const int First =
            2 + static_cast<int>(Random.Below(static_cast<unsigned>(Levels - Height)));
        const int Last = First + Height - 1;
        for (int L = First; L <= Last; ++L)
            Saved[static_cast<std::size_t>(L)] = Order[static_cast<std::size_t>(L)];
        const long long Before = RangeCrossings(First, Last);
        Shuffle(First, Last, Random);
        Barycentre = Random.Below(2) == 0;
        // An order as good as the old one is kept too: the search moves
        // on over plateaus.
        const long long After = Sweeps(First, Last, WindowIterations, WindowQuit);
        if (After <= Before) {
            Fewest -= Before - After;
            continue;
        }
        for (int L = First; L <= Last; ++L) {
            Order[static_cast<std::size_t>(L)] = Saved[static_cast<std::size_t>(L)];
            Renumber(L);
        }
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
            for (const int* u = UpBegin(v); u != UpEnd(v); ++u)
                if (Critical[static_cast<std::size_t>(*u)])
                    Target = At(*u);
            if (Target < 0 || Target == static_cast<int>(i) ||
                Target >= static_cast<int>(Nodes.size()) ||
                Nodes[static_cast<std::size_t>(Target)] == Start)
                continue;
            const long long Before = RangeCrossings(L, L);
            std::swap(Nodes[i], Nodes[static_cast<std::size_t>(Target)]);
            Renumber(L);
            if (RangeCrossings(L, L) > Before) {
                std::swap(Nodes[i], Nodes[static_cast<std::size_t>(Target)]);
                Renumber(L);
            }
        }
    }
}

// Shuffles the levels First to Last, the start event staying on top.
void TLayered::Shuffle(int First, int Last, TRandom& Random) {
    for (int L = First; L <= Last; ++L) {
        std::vector<int>& Nodes = Order[static_cast<std::size_t>(L)];
        for (std::size_t i = Nodes.size(); i > 1; --i)
            std::swap(Nodes[i - 1], Nodes[Random.Below(static_cast<unsigned>(i))]);
        const auto Top = std::find(Nodes.begin(), Nodes.end(), Start);
        if (Top != Nodes.end())
            std::iter_swap(Top, Nodes.begin());
        Renumber(L);
    }
}

void TLayered::Reduce() {
    if (Levels < 2)
        return;
    Effort =
        std::min(MostEffort, BaseEffort + EffortPerNode * static_cast<long long>(LevelOf.size()));
    // dot's sweeps from the plain rows, then, while the effort allows, the
    // same by means from the plain rows, and from the walks and from
    // shuffled orders by either key in turn; the best is searched further.
    Transpose(false, 1, Levels);
    long long Fewest = Sweeps(1, Levels, MaxIterations, MinQuit);
    TOrder Best = Order;
    TRandom Random;
    for (int Attempt = 0; Visits < Effort / 5 && Fewest > 0; ++Attempt) {
        if (Attempt == 0)
            SetOrder(PlainOrder());
        else if (Attempt < 3)
            SetOrder(WalkOrder(Attempt == 2));
        else
            Shuffle(1, Levels, Random);
        Transpose(false, 1, Levels);
        Barycentre = Attempt % 2 == 0;
        const long long Now = Sweeps(1, Levels, MaxIterations, MinQuit);
        Barycentre = false;
        if (Now < Fewest) {
            Fewest = Now;
            Best = Order;
        }
    }
    SetOrder(Best);
    Search(Fewest, Random);
    Barycentre = false;
    // The long links rerouted one by one, the whole network at least once.
    for (int Round = 0; Round <= RerouteRounds && (Round == 0 || Visits < Effort); ++Round)
        if (RerouteAll() == 0)
            break;
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
