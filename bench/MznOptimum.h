#pragma once
// The optimum of a small instance with integer durations by constraint
// programming: MiniZinc's model with one cumulative constraint per resource,
// solved by Gecode, starting from a known feasible duration. Used by the
// benchmark only, beside the integer programme of CbcOptimum.h, because the
// time-indexed programme's bound is weak where resources are scarce.

#include "CbcOptimum.h"

std::optional<TOptimum> SolveWithMiniZinc(const TLevellingProblem& Problem, long Horizon,
                                          const std::string& WorkDir, int TimeLimitSeconds);
