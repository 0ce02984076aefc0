// Double justification: one backward pass on the turned-round network in the
// order of decreasing finishes, one forward pass in the order of the
// backward starts. Each pass is a schedule of the serial scheme, so the
// improvement costs two generated schedules.

#include "model/Justification.h"

#include <algorithm>

TJustification::TJustification(const TLevellingNet& Net)
    : Reversed_(Net.Reversed()), Forward_(Net), Backward_(Reversed_) {}

void TJustification::SortBy(std::vector<std::uint32_t>& List, const std::vector<TReal>& Key,
                            const std::vector<std::uint32_t>& Rank) const {
    // On equal keys the topological rank keeps every predecessor first, which
    // matters for works of zero duration that finish where they start.
    std::sort(List.begin(), List.end(), [&](std::uint32_t a, std::uint32_t b) {
        return Key[a] != Key[b] ? Key[a] < Key[b] : Rank[a] < Rank[b];
    });
}

TReal TJustification::Improve(std::vector<std::uint32_t>& List, std::vector<TReal>& Start,
                              TReal Duration) {
    const TLevellingNet& Net = Forward_.Net();
    Key_.resize(Net.N);
    // The latest finisher is the first work of the turned-round network.
    for (std::size_t j = 0; j < Net.N; ++j)
        Key_[j] = -(Start[j] + Net.Duration[j]);
    TrialList_ = List;
    SortBy(TrialList_, Key_, Reversed_.TopoRank);
    Backward_.Decode(TrialList_, ReversedStart_);

    // The earliest starter of the late schedule is the one that finishes last
    // when time runs backwards.
    for (std::size_t j = 0; j < Net.N; ++j)
        Key_[j] = -(ReversedStart_[j] + Net.Duration[j]);
    SortBy(TrialList_, Key_, Net.TopoRank);
    const TReal Improved = Forward_.Decode(TrialList_, Trial_);
    if (Improved > Duration)
        return Duration;
    List.swap(TrialList_);
    Start.swap(Trial_);
    return Improved;
}
