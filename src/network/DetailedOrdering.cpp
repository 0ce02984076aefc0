// Ordering: dot's sweeps by median and by barycenter with transposition,
// from several first orders, then the search on shuffled windows of a few
// columns; and the straightening of the critical path at the end.

#include "network/DetailedOrdering.h"

#include <algorithm>
#include <limits>

namespace {

// dot's sweeps: up to MaxIterations, ending after MinQuit without a gain of
// more than Convergence.
constexpr int MaxIterations = 24;
constexpr int MinQuit = 3;
constexpr double Convergence = 0.995;
// The windows of the search: their height in columns (drawn anew for every
// window) and their sweeps.
constexpr int LowestWindow = 3;
constexpr int HighestWindow = 8;
constexpr int WindowIterations = 4;
constexpr int WindowQuit = 2;
// The first sweeps, from the plain rows, are made whole up to this many node
// visits (about 5 s): 1.5 million at 1,000 works, 20 million at 3,000, but
// 304 million at 10,000, where the last 60 % of them took away 14 % of the
// crossings.
constexpr long long FirstSweepsEffort = 128000000;

} // namespace

TOrdering::TOrdering(TLayeredGraph& AGraph) : Graph(AGraph) {
    Kept.resize(static_cast<std::size_t>(Graph.Levels) + 2);
    Saved.resize(static_cast<std::size_t>(Graph.Levels) + 2);
    Candidate.assign(static_cast<std::size_t>(Graph.Levels) + 2, 0);
}

// The place a node is sorted to from its neighbours on one side: dot's
// weighted median of their places, or with Barycentre their mean; -1 for a
// node without neighbours on that side, which keeps its place.
double TOrdering::SortKey(int Node, bool FromAbove) const {
    const int* Begin = FromAbove ? Graph.UpBegin(Node) : Graph.DownBegin(Node);
    const int* End = FromAbove ? Graph.UpEnd(Node) : Graph.DownEnd(Node);
    const auto Size = static_cast<std::size_t>(End - Begin);
    // Most nodes are chain nodes with one neighbour on each side.
    if (Size == 0)
        return -1;
    if (Size == 1)
        return Graph.At(Begin[0]);
    if (Size == 2)
        return (Graph.At(Begin[0]) + Graph.At(Begin[1])) / 2.0;
    if (Barycentre) {
        double Sum = 0;
        for (const int* x = Begin; x != End; ++x)
            Sum += Graph.At(*x);
        return Sum / static_cast<double>(Size);
    }
    std::vector<int>& P = Scratch;
    P.clear();
    for (const int* x = Begin; x != End; ++x)
        P.push_back(Graph.At(*x));
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
void TOrdering::Reorder(int Level, bool FromAbove, bool Reverse) {
    std::vector<int>& Nodes = Graph.Order[static_cast<std::size_t>(Level)];
    Movable.clear();
    Slots.clear();
    for (std::size_t i = 0; i < Nodes.size(); ++i) {
        const double Key = SortKey(Nodes[i], FromAbove);
        if (Key >= 0 && !Pinned(Nodes[i])) {
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
    Graph.Renumber(Level);
    Graph.Visits += static_cast<long long>(Nodes.size());
}

// The crossings between the edges of a and those of b with a before b, and
// with b before a.
std::pair<int, int> TOrdering::BothCrossings(int a, int b) const {
    const auto A = static_cast<std::size_t>(a);
    const auto B = static_cast<std::size_t>(b);
    if (Graph.Single[A] && Graph.Single[B]) {
        const int Up = Graph.At(*Graph.UpBegin(a)) - Graph.At(*Graph.UpBegin(b));
        const int Down = Graph.At(*Graph.DownBegin(a)) - Graph.At(*Graph.DownBegin(b));
        return {(Up > 0) + (Down > 0), (Up < 0) + (Down < 0)};
    }
    int Before = 0;
    int After = 0;
    for (const int* x = Graph.UpBegin(a); x != Graph.UpEnd(a); ++x)
        for (const int* y = Graph.UpBegin(b); y != Graph.UpEnd(b); ++y) {
            Before += Graph.At(*x) > Graph.At(*y);
            After += Graph.At(*x) < Graph.At(*y);
        }
    for (const int* x = Graph.DownBegin(a); x != Graph.DownEnd(a); ++x)
        for (const int* y = Graph.DownBegin(b); y != Graph.DownEnd(b); ++y) {
            Before += Graph.At(*x) > Graph.At(*y);
            After += Graph.At(*x) < Graph.At(*y);
        }
    return {Before, After};
}

// Neighbours on the levels First to Last exchange places while that removes
// crossings; with Reverse also when it keeps them (dot's way out of a
// plateau). A level is looked at again only when it or a level next to it
// changed.
void TOrdering::Transpose(bool Reverse, int First, int Last) {
    std::fill(Candidate.begin() + First, Candidate.begin() + Last + 1, 1);
    for (int Round = 0; Round < 64 && Graph.Visits < Ceiling; ++Round) {
        long long Removed = 0;
        for (int L = First; L <= Last; ++L) {
            if (!Candidate[static_cast<std::size_t>(L)])
                continue;
            Candidate[static_cast<std::size_t>(L)] = 0;
            std::vector<int>& Nodes = Graph.Order[static_cast<std::size_t>(L)];
            Graph.Visits += static_cast<long long>(Nodes.size());
            for (std::size_t i = 0; i + 1 < Nodes.size(); ++i) {
                const int v = Nodes[i];
                const int w = Nodes[i + 1];
                if (v == Graph.Start || Pinned(v) || Pinned(w))
                    continue;
                const auto [Now, Swapped] = BothCrossings(v, w);
                if (Swapped < Now || (Reverse && Now > 0 && Swapped == Now)) {
                    Nodes[i] = w;
                    Nodes[i + 1] = v;
                    Graph.Pos[static_cast<std::size_t>(v)] = static_cast<int>(i + 1);
                    Graph.Pos[static_cast<std::size_t>(w)] = static_cast<int>(i);
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

// dot's sweeps on the levels First to Last, the levels around them fixed:
// down and up in turn, each followed by transposition, ending after Quit
// sweeps without a clear gain. Leaves the best order found there and
// returns the crossings at those levels.
long long TOrdering::Sweeps(int First, int Last, int Iterations, int Quit) {
    for (int L = First; L <= Last; ++L)
        Kept[static_cast<std::size_t>(L)] = Graph.Order[static_cast<std::size_t>(L)];
    long long Fewest = Graph.RangeCrossings(First, Last);
    long long Now = Fewest;
    int Trying = 0;
    for (int Iteration = 0;
         Iteration < Iterations && Trying++ < Quit && Now > 0 && Graph.Visits < Ceiling; ++Iteration) {
        const bool Reverse = Iteration % 4 < 2;
        if (Iteration % 2 == 0)
            for (int L = First; L <= Last; ++L)
                Reorder(L, true, Reverse);
        else
            for (int L = Last; L >= First; --L)
                Reorder(L, false, Reverse);
        Transpose(!Reverse, First, Last);
        Now = Graph.RangeCrossings(First, Last);
        if (Now <= Fewest) {
            if (static_cast<double>(Now) < Convergence * static_cast<double>(Fewest))
                Trying = 0;
            Fewest = Now;
            for (int L = First; L <= Last; ++L)
                Kept[static_cast<std::size_t>(L)] = Graph.Order[static_cast<std::size_t>(L)];
        }
    }
    for (int L = First; L <= Last; ++L) {
        Graph.Order[static_cast<std::size_t>(L)] = Kept[static_cast<std::size_t>(L)];
        Graph.Renumber(L);
    }
    return Fewest;
}

// Windows of a few levels, one after the other at random places, each
// shuffled and swept anew with the levels around it fixed, sorting by the
// neighbours' medians or, chosen at random, their means; the window keeps
// the new order unless it crosses more. The sweeps from a shuffled window
// find orders that sweeps over the whole never reach, and what a window
// gains stays; the two sorting keys reach different ones.
void TOrdering::Search(long long Fewest, long long Effort, TRandom& Random) {
    if (Graph.Levels < 3)
        return;
    while (Graph.Visits < Effort && Fewest > 0) {
        const int Height = std::min(
            Graph.Levels - 1,
            LowestWindow + static_cast<int>(Random.Below(HighestWindow - LowestWindow + 1)));
        const int First =
            2 + static_cast<int>(Random.Below(static_cast<unsigned>(Graph.Levels - Height)));
        const int Last = First + Height - 1;
        for (int L = First; L <= Last; ++L)
            Saved[static_cast<std::size_t>(L)] = Graph.Order[static_cast<std::size_t>(L)];
        const long long Before = Graph.RangeCrossings(First, Last);
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
            Graph.Order[static_cast<std::size_t>(L)] = Saved[static_cast<std::size_t>(L)];
            Graph.Renumber(L);
        }
    }
}

// The critical path along the top row, while the effort allows: its nodes
// move to the top of their columns, in their order, all at once, and the
// others are swept again around it; kept when the whole crosses no more.
// Then, column by column, a node of the path takes the row of its
// predecessor on the path, exchanging places with the node there, when the
// crossings around its column do not grow.
void TOrdering::Straighten(long long Effort) {
    if (Graph.Visits >= Effort) {
        StraightenLocally();
        return;
    }
    const long long Before = Graph.RangeCrossings(1, Graph.Levels);
    const TOrder Old = Graph.Order;
    for (int L = 2; L <= Graph.Levels; ++L) {
        std::vector<int>& Nodes = Graph.Order[static_cast<std::size_t>(L)];
        std::stable_partition(Nodes.begin(), Nodes.end(), [this](int v) {
            return Graph.Critical[static_cast<std::size_t>(v)] != 0;
        });
        Graph.Renumber(L);
    }
    // The others sorted again around the straight path.
    PinCritical = true;
    const long long After = Sweeps(1, Graph.Levels, WindowIterations, WindowQuit);
    PinCritical = false;
    if (After > Before)
        Graph.SetOrder(Old);
    StraightenLocally();
}

void TOrdering::StraightenLocally() {
    for (int L = 2; L <= Graph.Levels; ++L) {
        std::vector<int>& Nodes = Graph.Order[static_cast<std::size_t>(L)];
        for (std::size_t i = 0; i < Nodes.size(); ++i) {
            const int v = Nodes[i];
            if (!Graph.Critical[static_cast<std::size_t>(v)])
                continue;
            int Target = -1;
            for (const int* u = Graph.UpBegin(v); u != Graph.UpEnd(v); ++u)
                if (Graph.Critical[static_cast<std::size_t>(*u)])
                    Target = Graph.At(*u);
            if (Target < 0 || Target == static_cast<int>(i) ||
                Target >= static_cast<int>(Nodes.size()) ||
                Nodes[static_cast<std::size_t>(Target)] == Graph.Start)
                continue;
            const long long Before = Graph.RangeCrossings(L, L);
            std::swap(Nodes[i], Nodes[static_cast<std::size_t>(Target)]);
            Graph.Renumber(L);
            if (Graph.RangeCrossings(L, L) > Before) {
                std::swap(Nodes[i], Nodes[static_cast<std::size_t>(Target)]);
                Graph.Renumber(L);
            }
        }
    }
}

// Shuffles the levels First to Last, the start event staying on top.
void TOrdering::Shuffle(int First, int Last, TRandom& Random) {
    for (int L = First; L <= Last; ++L) {
        std::vector<int>& Nodes = Graph.Order[static_cast<std::size_t>(L)];
        for (std::size_t i = Nodes.size(); i > 1; --i)
            std::swap(Nodes[i - 1], Nodes[Random.Below(static_cast<unsigned>(i))]);
        const auto Top = std::find(Nodes.begin(), Nodes.end(), Graph.Start);
        if (Top != Nodes.end())
            std::iter_swap(Top, Nodes.begin());
        Graph.Renumber(L);
    }
}

// dot's sweeps from the plain rows, then, while a fifth of the effort
// allows, the same by means from the plain rows, and from the walks and from
// shuffled orders by either key in turn; the best is searched further.
void TOrdering::Reduce(long long Effort) {
    if (Graph.Levels < 2)
        return;
    Ceiling = FirstSweepsEffort;
    Transpose(false, 1, Graph.Levels);
    long long Fewest = Sweeps(1, Graph.Levels, MaxIterations, MinQuit);
    Ceiling = std::numeric_limits<long long>::max();
    TOrder Best = Graph.Order;
    TRandom Random;
    for (int Attempt = 0; Graph.Visits < Effort / 5 && Fewest > 0; ++Attempt) {
        if (Attempt == 0)
            Graph.SetOrder(Graph.PlainOrder());
        else if (Attempt < 3)
            Graph.SetOrder(Graph.WalkOrder(Attempt == 2));
        else
            Shuffle(1, Graph.Levels, Random);
        Transpose(false, 1, Graph.Levels);
        Barycentre = Attempt % 2 == 0;
        const long long Now = Sweeps(1, Graph.Levels, MaxIterations, MinQuit);
        Barycentre = false;
        if (Now < Fewest) {
            Fewest = Now;
            Best = Graph.Order;
        }
    }
    Graph.SetOrder(Best);
    Search(Fewest, Effort, Random);
    Barycentre = false;
}
