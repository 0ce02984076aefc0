#pragma once
// The rows of the detailed view: the same levels and the same chain nodes as
// the plain view, ordered inside each level for fewer crossings. The plain
// view keeps its own rows; this layout starts from them and improves on them
// by layer sweeps (weighted median) with transposition of neighbours, keeping
// the best order found, as Graphviz's dot does, from more first orders while
// the effort allows, then by sweeping shuffled windows of a few levels again,
// then by rerouting every long link along its best path through the levels
// it spans, and last straightens the critical path where that costs no
// crossing. The effort is counted in node visits, not time, so the layout
// is deterministic: the same result always gives the same rows.

#include "network/NetworkView.h"

#include <cstdint>
#include <vector>

struct TDetailedRows {
    // The row of every event of the result, by position in its Events.
    std::vector<std::int32_t> EventRow;
    // The rows of every arc of the result, by position in its Arcs, as
    // TViewArc::Rows gives them for the plain view.
    std::vector<std::vector<std::int32_t>> ArcRows;
};

TDetailedRows DetailedLayout(const TNetworkView& View);

// The crossings of the drawn segments between neighbouring levels when the
// events and chain nodes take these rows: every link between two events
// counted once, however many works share it.
long long CountCrossings(const TNetworkView& View, const std::vector<std::int32_t>& EventRow,
                         const std::vector<std::vector<std::int32_t>>& ArcRows);
// The same for the plain view's own rows.
long long CountPlainCrossings(const TNetworkView& View);
