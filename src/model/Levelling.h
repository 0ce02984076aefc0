#pragma once
// Resource levelling: a schedule in which every work starts no earlier than
// its predecessors have finished, no resource is ever asked for more units
// than it has, works run without interruption, and the project is as short as
// the search can make it. It stands beside the critical-path schedule and
// never replaces it.
//
// The search generates schedules with the serial scheme (each work in turn, as
// early as precedences and the load allow), improves each by forward-backward
// justification and breeds activity lists in a genetic search. It is bounded
// by the number of schedules it generates, not by a clock, and its random
// choices come from a fixed seed, so the same works give the same schedule on
// every machine and under any load.

#include "model/Resources.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

struct TLevellingProblem {
    // Per work; zero is allowed (milestones), negative is not.
    std::vector<TReal> Durations;
    // Per work, the works that must be finished before it starts.
    std::vector<std::vector<std::size_t>> Predecessors;
    std::vector<TResource> Resources;
    // Per work; may be shorter than the list of works (the rest use nothing).
    std::vector<TDemands> Demands;
};

class TWorkList;
struct TSchemeSnapshot;

// The list's works with their durations and essential dependencies (the
// analysed cells, as RecalcLinks left them), with the given resources and
// demands per work.
TLevellingProblem LevellingProblemOf(const TWorkList& List, std::vector<TResource> Resources,
                                     std::vector<TDemands> Demands);

// The same from a snapshot of the list: its durations, its essential
// dependencies, its resources and demands.
TLevellingProblem LevellingProblemOf(const TSchemeSnapshot& Scheme);

struct TLevellingOptions {
    // Schedules the search may generate, at least the three that one
    // justified order costs; 0 lets the size of the problem decide
    // (enough for a good schedule, within a second for 120 works and five
    // seconds for 1,000).
    std::size_t ScheduleLimit = 0;
    std::uint64_t Seed = 0x4b4f5256414e54ULL;
    // When set and raised, the search ends at its next schedule with the best
    // one found so far: for a window that closes while it levels. Never
    // raised, it changes nothing.
    const std::atomic<bool>* Stop = nullptr;
};

// A work that wants more of a resource than there is at once: no schedule can
// ever hold it, so levelling refuses before it searches.
struct TDemandFault {
    std::size_t Work = 0;
    std::size_t Resource = 0;
    TReal Demand = 0;
    TReal Availability = 0;
};

enum class TLevellingError { None, DemandAboveAvailability, Contour };

// How a work of the driving chain is held back by the one before it.
enum class TDrivingLink { ProjectStart, Precedence, Resource };

struct TDrivingWork {
    std::size_t Work = 0;
    TDrivingLink Link = TDrivingLink::ProjectStart;
    // The resource both works need, for a resource link.
    std::size_t Resource = 0;
};

struct TLevelledSchedule {
    TLevellingError Error = TLevellingError::None;
    std::optional<TDemandFault> Fault;
    // Per work.
    std::vector<TReal> Start;
    std::vector<TReal> Finish;
    TReal Duration = 0;
    // The works that drive the levelled duration, from the project start to
    // its end: each starts the moment the one before it finishes.
    std::vector<TDrivingWork> DrivingChain;
    // The critical-path length, a lower bound of any levelled duration.
    TReal CriticalPathLength = 0;
    std::size_t SchedulesGenerated = 0;

    bool Valid() const { return Error == TLevellingError::None; }
};

TLevelledSchedule Level(const TLevellingProblem& Problem, const TLevellingOptions& Options = {});

// The classical single pass (the serial scheme with the latest-finish-time
// priority rule, as commercial planners level): the yardstick the search is
// measured against.
TLevelledSchedule LevelByLatestFinish(const TLevellingProblem& Problem);
