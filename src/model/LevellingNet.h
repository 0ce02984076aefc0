#pragma once
// The levelling problem in the compact form the schedule generation reads
// thousands of times: predecessors and successors as flat arrays, the demands
// as one dense table, and what the critical path alone says (a topological
// order, latest finishes, the lower bound of any levelled duration).

#include "model/Levelling.h"

#include <cstdint>
#include <vector>

struct TLevellingNet {
    std::size_t N = 0;
    // Resources some work uses; the others cannot hold anything back.
    std::size_t K = 0;
    std::vector<TReal> Duration;
    // Work j's predecessors are Pred[PredFrom[j] .. PredFrom[j + 1]).
    std::vector<std::uint32_t> PredFrom, Pred;
    std::vector<std::uint32_t> SuccFrom, Succ;
    // Demand[j * K + k]. Units are compared in double precision against a
    // limit that forgives the rounding of sums of fractional demands.
    std::vector<double> Demand;
    std::vector<double> Limit;
    // The resource number in the problem of each of the K resources.
    std::vector<std::size_t> ResourceOf;
    // Position of each work in one fixed topological order.
    std::vector<std::uint32_t> TopoRank;
    std::vector<std::uint32_t> TopoOrder;
    // Latest finish of each work in the critical-path schedule.
    std::vector<TReal> LatestFinish;
    TReal CriticalPath = 0;
    // No levelled schedule is shorter: the critical path, or the work a
    // resource must carry divided by its availability.
    TReal LowerBound = 0;

    // The same works with every dependency turned round, for scheduling
    // backwards from the end of the project.
    TLevellingNet Reversed() const;
    bool Uses(std::uint32_t Work, std::size_t k) const { return Demand[Work * K + k] > 0; }
};

struct TNetBuild {
    TLevellingError Error = TLevellingError::None;
    std::optional<TDemandFault> Fault;
    TLevellingNet Net;
};

// Raises an internal fault on malformed input (a predecessor out of range, a
// negative or non-finite number), which the work list never hands over.
TNetBuild BuildLevellingNet(const TLevellingProblem& Problem);
