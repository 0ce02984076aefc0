#pragma once
// The detailed view's layout, by phase as dot lays out a graph: its own
// columns (ranking, DetailedRanking.h), rows in each column with few
// crossings (ordering, DetailedOrdering.h), long links rerouted along their
// cheapest paths (routing, DetailedRouting.h), and the critical path
// straightened where that costs no crossing. The picture's geometry and its
// labels follow from these rows (DetailedLabels.h). The effort is counted in
// node visits, not time, so the layout is deterministic: the same result
// always gives the same rows.

#include "network/NetworkView.h"

#include <cstdint>
#include <vector>

struct TDetailedRows {
    // The column (from 1) and row of every event of the result, by position
    // in its Events.
    std::vector<std::int32_t> EventColumn;
    std::vector<std::int32_t> EventRow;
    // The rows of every arc of the result, by position in its Arcs: one at
    // every column from its tail's to its head's, both ends included; works
    // between the same two events share one list.
    std::vector<std::vector<std::int32_t>> ArcRows;
};

TDetailedRows DetailedLayout(const TNetworkView& View);

// The crossings of the drawn segments between neighbouring columns: every
// link between two events counted once, however many works share it.
long long CountCrossings(const TNetworkView& View, const TDetailedRows& Rows);
// The plain view's own levels and rows in the same form, and their crossings.
TDetailedRows PlainRows(const TNetworkView& View);
long long CountPlainCrossings(const TNetworkView& View);
