#pragma once
// The schedule a planner reads: for every work its early and late start and
// finish and its floats, from the works and their dependencies alone (no
// network is needed). It always describes the critical-path schedule, in
// either path mode, in the program's 80-bit arithmetic.

#include "core/Real.h"

#include <cstdint>
#include <span>
#include <vector>

class TWorkList;

struct TWorkTimes {
    TReal EarlyStart = 0;
    TReal EarlyFinish = 0;
    TReal LateStart = 0;
    TReal LateFinish = 0;
    // How long the work may slip without moving the end of the project.
    TReal TotalFloat = 0;
    // How long it may slip without moving the start of any work after it.
    TReal FreeFloat = 0;
    // Total float zero within the tie tolerance of the path marks.
    bool Critical = false;
};

struct TSchedule {
    // False without works or with a contour among the dependencies.
    bool Valid = false;
    // The longest chain of works.
    TReal ProjectDuration = 0;
    // In list order.
    std::vector<TWorkTimes> Works;
};

// The essential dependencies (cells holding LinkDirect) as successor lists in
// one array: work j's successors are Succ[Start[j] .. Start[j + 1]).
struct TSuccessors {
    std::vector<std::int32_t> Start;
    std::vector<std::int32_t> Succ;
};

// One pass over the matrix.
TSuccessors EssentialSuccessors(const TWorkList& List);

// The schedule of the list's analysed cells (entered and essential
// dependencies, as RecalcLinks left them). Linear in the dependencies after
// one pass over the matrix.
TSchedule ComputeSchedule(const TWorkList& List);
// The same from the durations and the essential dependencies alone; Contour
// says that the cells hold one (then there is no schedule).
TSchedule ComputeSchedule(std::span<const TReal> Durations, const TSuccessors& S, bool Contour);
