// Routing: each long link's chain nodes put back along its cheapest path
// through the gaps of the columns it spans.

#include "network/DetailedRouting.h"

#include <algorithm>

namespace {

// How far a chain node of a rerouted link may move (gaps either side).
constexpr int Band = 8;

} // namespace

// Places on level RouteTop + i of the link being rerouted, without its own node
// there: the node at index r, and gap g just before the node at index g.
// The events stay where they are.
int TRouting::Place(int Node, std::size_t i) const {
    const int p = Graph.At(Node);
    return i == 0 || i == RouteInner + 1 || p < Graph.At((*RouteLink)[i]) ? p : p - 1;
}

// The options of the link's node on level RouteTop + i: an event's place, the
// gaps Band either side of a chain node's place.
std::pair<int, int> TRouting::Options(std::size_t i) const {
    const int p = Graph.At((*RouteLink)[i]);
    if (i == 0 || i == RouteInner + 1)
        return {p, p};
    return {
        std::max(0, p - Band),
        std::min(static_cast<int>(Graph.Order[static_cast<std::size_t>(RouteTop) + i].size()) - 1,
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
long long TRouting::GatherSegments(std::size_t i) {
    const std::vector<int>& Chain = *RouteLink;
    const std::size_t k = RouteInner;
    long long Present = 0;
    std::vector<std::pair<int, int>>& Edges = Segments[i];
    Edges.clear();
    const auto [ALow, AHigh] = Options(i);
    const auto [BLow, BHigh] = Options(i + 1);
    const std::vector<int>& Upper = Graph.Order[static_cast<std::size_t>(RouteTop) + i];
    const std::vector<int>& Lower = Graph.Order[static_cast<std::size_t>(RouteTop) + i + 1];
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
        for (const int* u = Graph.UpBegin(w); u != Graph.UpEnd(w); ++u) {
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
        for (const int* w = Graph.DownBegin(u); w != Graph.DownEnd(u); ++w)
            Edges.emplace_back(x, Place(*w, i + 1));
    }
    Edges.insert(Edges.end(), Beyond.begin(), Beyond.end());
    const int X = Graph.At(Chain[i]);
    const int Y = Graph.At(Chain[i + 1]);
    const bool NodeAbove = i == 0;
    const bool NodeBelow = i == k;
    for (const auto& [x, y] : Edges) {
        const bool StartsLeft = x < X;
        const bool StartsRight = NodeAbove ? x > X : x >= X;
        const bool EndsRight = NodeBelow ? y > Y : y >= Y;
        Present += (StartsLeft && EndsRight) || (StartsRight && y < Y);
    }
    Graph.Visits += static_cast<long long>(Edges.size()) + AHigh - ALow + BHigh - BLow + 2;
    return Present;
}

// One step of the shortest path: Dist over the options on level RouteTop + i to
// Next over those on the level below, with From[i + 1] the option each came
// from.
void TRouting::PathStep(std::size_t i) {
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
        Graph.Visits += BHigh - BLow + 1;
    }
    Dist.swap(Next);
}

// The chain nodes of one long link taken out of their levels and put back
// where the link crosses the fewest other segments, its two events fixed:
// a shortest path through the gaps of the levels between, over crossing
// counts. Returns the crossings removed.
long long TRouting::Reroute(const std::vector<int>& Chain) {
    const std::size_t k = Chain.size() - 2; // chain nodes
    if (k == 0)
        return 0;
    RouteLink = &Chain;
    RouteInner = k;
    RouteTop = Graph.LevelOf[static_cast<std::size_t>(Chain[0])];
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
        std::vector<int>& Nodes = Graph.Order[static_cast<std::size_t>(RouteTop) + i - 1];
        const int First = Options(i - 1).first;
        Nodes.erase(Nodes.begin() + Graph.At(Chain[i - 1]));
        Nodes.insert(Nodes.begin() + First + Choice, Chain[i - 1]);
        Graph.Renumber(RouteTop + static_cast<int>(i) - 1);
    }
    return Present - Best;
}

long long TRouting::RerouteAll() {
    long long Removed = 0;
    for (const std::vector<int>& Chain : Graph.LinkNodes)
        Removed += Reroute(Chain);
    return Removed;
}
