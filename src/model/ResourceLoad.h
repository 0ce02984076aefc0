#pragma once
// How busy each resource is over time in a given schedule: the units in use
// as a step function, its peak and average, the unevenness coefficient a
// planner judges a workforce plan by, and the periods in which more units are
// asked for than there are. Any schedule will do (early, late, levelled); the
// load chart draws what this computes.

#include "model/Resources.h"

#include <span>
#include <utility>
#include <vector>

// From Time on, until the next step's Time, Units are in use.
struct TLoadStep {
    TReal Time = 0;
    TReal Units = 0;

    friend bool operator==(const TLoadStep&, const TLoadStep&) = default;
};

struct TResourceLoad {
    // In ascending order of time, no two in a row with the same units; the
    // last one returns to 0. Empty when the resource is never used.
    std::vector<TLoadStep> Steps;
    TReal Peak = 0;
    // Work-units (demand times duration, summed over the works) and their
    // mean over the project span: from 0 to the last finish of the schedule.
    TReal WorkUnits = 0;
    TReal Average = 0;
    // "коэффициент неравномерности": Peak / Average, 0 when the resource is
    // never used.
    TReal Unevenness = 0;
    // Maximal periods [from, to) in which more units are in use than the
    // resource has; the same allowance for rounding as levelling takes.
    std::vector<std::pair<TReal, TReal>> Over;
};

// Whether Units exceed Availability beyond the rounding levelling allows.
bool OverAllocated(TReal Units, TReal Availability);

// The load of every resource for the schedule Start/Finish (per work); a
// work of no duration uses nothing. Demands may be shorter than the schedule
// (the rest use nothing). O(n log n) in the demands.
std::vector<TResourceLoad> ResourceLoads(const std::vector<TResource>& Resources,
                                         std::span<const TDemands> Demands,
                                         std::span<const TReal> Start,
                                         std::span<const TReal> Finish);
