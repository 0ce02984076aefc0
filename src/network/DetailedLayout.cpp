// The detailed layout's phases in their order, within one effort: ranking,
// ordering, routing, straightening.

#include "network/DetailedLayout.h"

#include "network/DetailedGraph.h"
#include "network/DetailedOrdering.h"
#include "network/DetailedRanking.h"
#include "network/DetailedRouting.h"

#include <algorithm>
#include <map>
#include <utility>

namespace {

// Rounds of rerouting beyond the first while the effort allows.
constexpr int RerouteRounds = 2;
// Node visits of all sweeps together (a visit costs some 10 ns): a base and
// a share for every node, up to MostEffort (about 30 ms). A fifth of it goes
// to more first orders, the rest to the windows. A large network uses it up
// on the sweeps from the plain rows and one round of rerouting, which are
// made whole (the sweeps up to a bound only the largest networks reach).
constexpr long long BaseEffort = 1000000;
constexpr long long EffortPerNode = 2000;
constexpr long long MostEffort = 3000000;

} // namespace

TDetailedRows DetailedLayout(const TNetworkView& View) {
    if (!View.HasNetwork)
        return {};
    const std::vector<std::int32_t> Column = DetailedColumns(View);
    TLayeredGraph Graph(View, Column);
    if (Graph.Levels >= 2) {
        const long long Effort = std::min(
            MostEffort, BaseEffort + EffortPerNode * static_cast<long long>(Graph.Nodes()));
        TOrdering Ordering(Graph);
        Ordering.Reduce(Effort);
        // The long links rerouted one by one, the whole network at least once.
        TRouting Routing(Graph);
        for (int Round = 0; Round <= RerouteRounds && (Round == 0 || Graph.Visits < Effort);
             ++Round)
            if (Routing.RerouteAll() == 0)
                break;
        Ordering.Straighten(Effort);
    }
    return Graph.Rows(View, Column);
}

long long CountCrossings(const TNetworkView& View, const TDetailedRows& Rows) {
    // Each link once: works between the same two events share their line.
    std::map<std::pair<int, int>, std::size_t> Links;
    std::map<int, std::vector<std::pair<int, int>>> EdgesBelow;
    std::map<int, int> Size;
    for (std::size_t e = 0; e < View.Events.size(); ++e) {
        const int Level = Rows.EventColumn[e];
        Size[Level] = std::max(Size[Level], Rows.EventRow[e] + 1);
    }
    for (std::size_t a = 0; a < View.Arcs.size(); ++a) {
        const TViewArc& Arc = View.Arcs[a];
        if (Arc.From < 0 || Arc.To < 0 || !Links.emplace(std::pair(Arc.From, Arc.To), a).second)
            continue;
        const int From = Rows.EventColumn[static_cast<std::size_t>(Arc.From)];
        const std::vector<std::int32_t>& ArcRows = Rows.ArcRows[a];
        for (std::size_t k = 0; k < ArcRows.size(); ++k) {
            const int Level = From + static_cast<int>(k);
            Size[Level] = std::max(Size[Level], ArcRows[k] + 1);
            if (k + 1 < ArcRows.size())
                EdgesBelow[Level].emplace_back(ArcRows[k], ArcRows[k + 1]);
        }
    }
    long long Total = 0;
    for (auto& [Level, Edges] : EdgesBelow)
        Total += Crossings(Edges, Size[Level + 1]);
    return Total;
}

TDetailedRows PlainRows(const TNetworkView& View) {
    TDetailedRows Rows;
    for (const TViewEvent& e : View.Events) {
        Rows.EventColumn.push_back(e.Level);
        Rows.EventRow.push_back(e.Row);
    }
    for (const TViewArc& a : View.Arcs)
        Rows.ArcRows.push_back(a.Rows);
    return Rows;
}

long long CountPlainCrossings(const TNetworkView& View) {
    return CountCrossings(View, PlainRows(View));
}
