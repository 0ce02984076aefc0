#pragma once
// The optimum of a small instance with integer durations by the precedence
// tree branch and bound (each branch schedules one more eligible work at its
// earliest feasible start, no earlier than the work scheduled before it),
// with the critical-path and energy bounds, the local left-shift rule and a
// memory of the scheduled sets already met whose partial schedules dominate.
// Used by the benchmark only, for instances where scarce resources leave the
// integer programme's and Gecode's bounds too weak to close.

#include "CbcOptimum.h"

std::optional<TOptimum> SolveByBranchAndBound(const TLevellingProblem& Problem, long Horizon,
                                              int TimeLimitSeconds);
