#pragma once
// The serial schedule generation scheme: the works are taken in the order of
// an activity list (each after all its predecessors) and each is started at
// the earliest moment at which its predecessors are finished and every
// resource it needs has room for it during its whole duration. Every schedule
// the search looks at is made here.
//
// Durations are real numbers, so the load is kept as a step function over the
// moments at which works start and finish rather than per day: a work can
// only start at its earliest precedence-feasible moment or at the finish of
// another work, and every start is a sum of durations computed once, so that
// equal moments compare equal.

#include "model/LevellingNet.h"

#include <cstdint>
#include <span>
#include <vector>

class TSerialScheme {
public:
    explicit TSerialScheme(const TLevellingNet& Net);

    // Schedules the works of List (a precedence-feasible order of all works)
    // and returns the project duration; Start receives each work's start.
    TReal Decode(std::span<const std::uint32_t> List, std::vector<TReal>& Start);

    std::size_t Generated() const { return Generated_; }
    const TLevellingNet& Net() const { return Net_; }

private:
    // Index of the step that holds moment T.
    std::size_t StepAt(TReal T) const;
    bool Fits(std::size_t Step, std::uint32_t Work) const;
    // The first start from EarliestStart on at which the work fits, and in
    // Step the step that holds it.
    TReal EarliestFit(std::uint32_t Work, TReal EarliestStart, std::size_t& Step) const;
    // Index of the step that begins at T, splitting the one that holds it;
    // the search starts at Step, which begins no later than T.
    std::size_t SplitAt(std::size_t Step, TReal T);
    void Reserve(std::uint32_t Work, std::size_t Step, TReal From, TReal To);

    const TLevellingNet& Net_;
    // Step i covers [Moments_[i], Moments_[i + 1]), the last one runs on for
    // ever; Load_[i * K + k] units of resource k are in use during it.
    std::vector<TReal> Moments_;
    std::vector<double> Load_;
    std::vector<TReal> Finish_;
    std::size_t Generated_ = 0;
};

// The works in the order a priority rule picks them: at each step the
// eligible work (all predecessors already picked) with the smallest priority
// value, the lower work number on a tie.
std::vector<std::uint32_t> PriorityList(const TLevellingNet& Net,
                                        const std::vector<TReal>& Priority);
