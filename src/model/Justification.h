#pragma once
// Forward-backward improvement of a schedule (double justification): every
// work is pushed as late as the load allows, in the order of the finishes,
// and then back as early as it allows, in the order of the new starts. Works
// that were started early without need make room for the ones that hold the
// project back; the project never gets longer and often shorter.

#include "model/SerialScheme.h"

class TJustification {
public:
    explicit TJustification(const TLevellingNet& Net);

    // Improves the schedule Start of List (which Decode made) in place and
    // returns its new duration; List becomes the order that decodes to the
    // improved schedule (the works by their starts in the late schedule).
    TReal Improve(std::vector<std::uint32_t>& List, std::vector<TReal>& Start, TReal Duration);

    TSerialScheme& Forward() { return Forward_; }
    std::size_t Generated() const { return Forward_.Generated() + Backward_.Generated(); }

private:
    void SortBy(std::vector<std::uint32_t>& List, const std::vector<TReal>& Key,
                const std::vector<std::uint32_t>& Rank) const;

    TLevellingNet Reversed_;
    TSerialScheme Forward_;
    TSerialScheme Backward_;
    std::vector<TReal> Key_;
    std::vector<TReal> ReversedStart_;
    std::vector<TReal> Trial_;
    std::vector<std::uint32_t> TrialList_;
};
