#pragma once
// What an analysis reads of the work list, copied at one moment: the names and
// durations, the graph of the entered dependencies, the closure the last
// RecalcLinks computed and the essential dependencies. An analysis that runs
// off the window's thread reads only this, so the list may change meanwhile;
// the views show a result together with the snapshot it was made from, so
// that a name or a position always belongs to the same scheme as the network.

#include "core/Graph.h"
#include "core/Real.h"
#include "model/Calendar.h"
#include "model/Resources.h"
#include "model/Schedule.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class TWorkList;

struct TSchemeSnapshot {
    std::vector<std::string> Names;
    std::vector<TReal> Durations;
    // One row per work (Key = position), its Subset the works it depends on.
    std::unique_ptr<TGraph> Graph;
    // Bit j of row i: work i depends on work j, directly or not; none when
    // the list had not been analysed or held a contour.
    std::optional<TBitRows> Closure;
    TSuccessors Essential;
    bool HasContour = false;
    // The project calendar, for the views that show dates.
    std::optional<TCalendar> Calendar;
    // The resources and, per work, its demands (empty without resources).
    std::vector<TResource> Resources;
    std::vector<TDemands> Demands;

    int Count() const { return static_cast<int>(Names.size()); }
};

// Copies what an analysis reads. Linear in the dependencies and the closure's
// bits, plus one pass over the cells for the essential dependencies.
std::shared_ptr<const TSchemeSnapshot> TakeSnapshot(const TWorkList& List);
