// Generation of one schedule from an activity list: for each work in turn the
// earliest start its predecessors allow, then the first moment from there on
// at which the load leaves room for it for its whole duration.

#include "model/SerialScheme.h"

#include <algorithm>
#include <array>
#include <queue>

TSerialScheme::TSerialScheme(const TLevellingNet& Net) : Net_(Net) {}

std::size_t TSerialScheme::StepAt(TReal T) const {
    return static_cast<std::size_t>(std::upper_bound(Moments_.begin(), Moments_.end(), T) -
                                    Moments_.begin()) -
           1;
}

bool TSerialScheme::Fits(std::size_t Step, std::uint32_t Work) const {
    const std::size_t K = Net_.K;
    const double* Load = Load_.data() + Step * K;
    const double* Demand = Net_.Demand.data() + Work * K;
    for (std::size_t k = 0; k < K; ++k)
        if (Demand[k] > 0 && Load[k] + Demand[k] > Net_.Limit[k])
            return false;
    return true;
}

TReal TSerialScheme::EarliestFit(std::uint32_t Work, TReal EarliestStart, std::size_t& Step) const {
    // Each try checks its window from the far end back, so that a conflict
    // moves the start past every step before it unchecked; steps already
    // known to fit are not checked again.
    TReal T = EarliestStart;
    std::size_t First = StepAt(T);
    std::size_t Checked = First; // steps [First, Checked) fit
    for (;;) {
        const TReal End = T + Net_.Duration[Work];
        // Windows span few steps: walking is cheaper than a binary search.
        std::size_t Beyond = Checked;
        while (Beyond < Moments_.size() && Moments_[Beyond] < End)
            ++Beyond;
        std::size_t s = Beyond;
        while (s > Checked && Fits(s - 1, Work))
            --s;
        if (s == Checked) {
            Step = First;
            return T;
        }
        // Step s - 1 does not fit; the last step is always empty, so a step
        // that does not fit has a successor, and the next try starts there.
        First = s;
        Checked = std::max(First, Beyond);
        T = Moments_[First];
    }
}

std::size_t TSerialScheme::SplitAt(std::size_t Step, TReal T) {
    // The moment lies a few steps on at most: walk rather than search.
    while (Step + 1 < Moments_.size() && Moments_[Step + 1] <= T)
        ++Step;
    if (Moments_[Step] == T)
        return Step;
    const std::size_t K = Net_.K;
    Moments_.insert(Moments_.begin() + static_cast<std::ptrdiff_t>(Step + 1), T);
    // Copy the row first: inserting a vector's own elements into it would read
    // them after they have moved.
    std::array<double, 16> Small{};
    std::vector<double> Large;
    double* Row = Small.data();
    if (K > Small.size()) {
        Large.resize(K);
        Row = Large.data();
    }
    std::copy_n(Load_.begin() + static_cast<std::ptrdiff_t>(Step * K), K, Row);
    Load_.insert(Load_.begin() + static_cast<std::ptrdiff_t>((Step + 1) * K), Row, Row + K);
    return Step + 1;
}

void TSerialScheme::Reserve(std::uint32_t Work, std::size_t Step, TReal From, TReal To) {
    const std::size_t First = SplitAt(Step, From);
    const std::size_t Last = SplitAt(First, To);
    const std::size_t K = Net_.K;
    const double* Demand = Net_.Demand.data() + Work * K;
    for (std::size_t s = First; s < Last; ++s)
        for (std::size_t k = 0; k < K; ++k)
            Load_[s * K + k] += Demand[k];
}

TReal TSerialScheme::Decode(std::span<const std::uint32_t> List, std::vector<TReal>& Start) {
    const std::size_t K = Net_.K;
    Moments_.assign(1, 0);
    Load_.assign(K, 0);
    Finish_.assign(Net_.N, 0);
    Start.resize(Net_.N);
    TReal Duration = 0;
    for (std::uint32_t j : List) {
        TReal T = 0;
        for (std::uint32_t p = Net_.PredFrom[j]; p < Net_.PredFrom[j + 1]; ++p)
            T = std::max(T, Finish_[Net_.Pred[p]]);
        // Without resources the table of demands is empty: no element of it
        // may be named, only its (null) start.
        const double* Demand = Net_.Demand.data() + j * K;
        const bool Holds = Net_.Duration[j] > 0 &&
                           std::any_of(Demand, Demand + K, [](double d) { return d > 0; });
        std::size_t Step = 0;
        if (Holds)
            T = EarliestFit(j, T, Step);
        Start[j] = T;
        Finish_[j] = T + Net_.Duration[j];
        if (Holds)
            Reserve(j, Step, T, Finish_[j]);
        Duration = std::max(Duration, Finish_[j]);
    }
    ++Generated_;
    return Duration;
}

std::vector<std::uint32_t> PriorityList(const TLevellingNet& Net,
                                        const std::vector<TReal>& Priority) {
    std::vector<std::uint32_t> Pending(Net.N);
    using TKey = std::pair<TReal, std::uint32_t>;
    std::priority_queue<TKey, std::vector<TKey>, std::greater<>> Eligible;
    for (std::uint32_t j = 0; j < Net.N; ++j) {
        Pending[j] = Net.PredFrom[j + 1] - Net.PredFrom[j];
        if (Pending[j] == 0)
            Eligible.push({Priority[j], j});
    }
    std::vector<std::uint32_t> List;
    List.reserve(Net.N);
    while (!Eligible.empty()) {
        const std::uint32_t j = Eligible.top().second;
        Eligible.pop();
        List.push_back(j);
        for (std::uint32_t p = Net.SuccFrom[j]; p < Net.SuccFrom[j + 1]; ++p)
            if (--Pending[Net.Succ[p]] == 0)
                Eligible.push({Priority[Net.Succ[p]], Net.Succ[p]});
    }
    return List;
}
