#pragma once
// The optimum of a small instance with integer durations, for judging the
// search: a time-indexed integer programme (one binary per work and start
// day) written as an LP file and solved by COIN-OR's cbc. Used by the
// benchmark only; the program never calls an outside solver.

#include "model/Levelling.h"

#include <optional>
#include <string>

struct TOptimum {
    TReal Duration = 0;
    // False when cbc stopped at its time limit; Duration is then its best.
    bool Proven = false;
    double Seconds = 0;
};

// Horizon is a known feasible duration (the search's), which bounds the
// start days. Nothing when cbc is missing or fails.
std::optional<TOptimum> SolveWithCbc(const TLevellingProblem& Problem, long Horizon,
                                     const std::string& WorkDir, int TimeLimitSeconds);
