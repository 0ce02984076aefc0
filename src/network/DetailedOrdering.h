#pragma once
// Ordering: the rows of the detailed view's columns, searched for few
// crossings. First as in dot (Gansner et al. 1993): sweeps down and up that
// sort each column by the weighted median of its neighbours, each followed by
// transposition of neighbours, the best order kept; from the plain rows, and
// as long as the effort allows again from the plain rows, from a breadth-first
// and a depth-first walk from the start event and from shuffled orders, every
// second of these sorting by the neighbours' mean place (the barycenter)
// instead. Then a search on windows of a few columns: the window is shuffled
// and swept again with the columns around it fixed, by either key, and the new
// order kept unless it crosses more. Last, after the routing, the critical
// path moves to the top row, as a whole where that adds no crossing and the
// effort allows, else node by node into the row of its predecessor on the
// path where that adds none. The start event stays on top throughout.

#include "network/DetailedGraph.h"

#include <limits>

class TOrdering {
public:
    explicit TOrdering(TLayeredGraph& AGraph);
    // The sweeps and the window search, within Effort node visits (the first
    // sweeps from the plain rows are made whole but on networks of several
    // thousand works, which a bound of their own ends).
    void Reduce(long long Effort);
    void Straighten(long long Effort);

private:
    TLayeredGraph& Graph;
    // The best order of the present sweeps, and the order before a window
    // of the search, at the columns concerned.
    TOrder Kept, Saved;
    // The sweeps sort by the neighbours' mean place instead of their median.
    bool Barycentre = false;
    // The critical path's nodes keep their places.
    bool PinCritical = false;
    // The sweeps and transpositions end once the node visits reach it.
    long long Ceiling = std::numeric_limits<long long>::max();
    std::vector<char> Candidate;
    mutable std::vector<int> Scratch;
    struct TMovable {
        double Key;
        int Place; // ties in this order
        int Node;
    };
    std::vector<TMovable> Movable;
    std::vector<std::size_t> Slots;

    double SortKey(int Node, bool FromAbove) const;
    void Reorder(int Level, bool FromAbove, bool Reverse);
    std::pair<int, int> BothCrossings(int a, int b) const;
    void Transpose(bool Reverse, int First, int Last);
    long long Sweeps(int First, int Last, int Iterations, int Quit);
    void Search(long long Fewest, long long Effort, TRandom& Random);
    void Shuffle(int First, int Last, TRandom& Random);
    void StraightenLocally();
    bool Pinned(int v) const { return PinCritical && Graph.Critical[static_cast<std::size_t>(v)]; }
};
