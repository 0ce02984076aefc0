// Turns the works, their dependencies and demands into the compact problem the
// schedule generation reads, refusing what no schedule can satisfy (a demand
// above its resource's availability, a contour) before any search starts.

#include "model/LevellingNet.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace {

void Require(bool Condition, const char* What) {
    if (!Condition)
        throw std::invalid_argument(What);
}

bool FiniteNonNegative(TReal Value) {
    return std::isfinite(Value) && Value >= 0;
}

void FlatLists(const std::vector<std::vector<std::size_t>>& Lists, std::vector<std::uint32_t>& From,
               std::vector<std::uint32_t>& Items) {
    From.assign(Lists.size() + 1, 0);
    for (std::size_t j = 0; j < Lists.size(); ++j)
        From[j + 1] = From[j] + static_cast<std::uint32_t>(Lists[j].size());
    Items.clear();
    Items.reserve(From.back());
    for (const auto& List : Lists)
        for (std::size_t i : List)
            Items.push_back(static_cast<std::uint32_t>(i));
}

// Kahn's order, smallest work number first among the ready ones so that the
// order does not depend on anything but the input. False on a contour.
bool OrderTopologically(TLevellingNet& Net) {
    std::vector<std::uint32_t> Pending(Net.N);
    for (std::size_t j = 0; j < Net.N; ++j)
        Pending[j] = Net.PredFrom[j + 1] - Net.PredFrom[j];
    std::vector<std::uint32_t> Ready;
    for (std::size_t j = Net.N; j-- > 0;)
        if (Pending[j] == 0)
            Ready.push_back(static_cast<std::uint32_t>(j));
    auto Later = [](std::uint32_t a, std::uint32_t b) { return a > b; };
    std::make_heap(Ready.begin(), Ready.end(), Later);
    Net.TopoOrder.clear();
    Net.TopoRank.assign(Net.N, 0);
    while (!Ready.empty()) {
        std::pop_heap(Ready.begin(), Ready.end(), Later);
        const std::uint32_t j = Ready.back();
        Ready.pop_back();
        Net.TopoRank[j] = static_cast<std::uint32_t>(Net.TopoOrder.size());
        Net.TopoOrder.push_back(j);
        for (std::uint32_t p = Net.SuccFrom[j]; p < Net.SuccFrom[j + 1]; ++p)
            if (--Pending[Net.Succ[p]] == 0) {
                Ready.push_back(Net.Succ[p]);
                std::push_heap(Ready.begin(), Ready.end(), Later);
            }
    }
    return Net.TopoOrder.size() == Net.N;
}

void ComputeBounds(TLevellingNet& Net) {
    std::vector<TReal> EarlyFinish(Net.N, 0);
    Net.CriticalPath = 0;
    for (std::uint32_t j : Net.TopoOrder) {
        TReal Start = 0;
        for (std::uint32_t p = Net.PredFrom[j]; p < Net.PredFrom[j + 1]; ++p)
            Start = std::max(Start, EarlyFinish[Net.Pred[p]]);
        EarlyFinish[j] = Start + Net.Duration[j];
        Net.CriticalPath = std::max(Net.CriticalPath, EarlyFinish[j]);
    }
    Net.LatestFinish.assign(Net.N, Net.CriticalPath);
    for (std::size_t t = Net.N; t-- > 0;) {
        const std::uint32_t j = Net.TopoOrder[t];
        for (std::uint32_t p = Net.SuccFrom[j]; p < Net.SuccFrom[j + 1]; ++p) {
            const std::uint32_t s = Net.Succ[p];
            Net.LatestFinish[j] =
                std::min(Net.LatestFinish[j], Net.LatestFinish[s] - Net.Duration[s]);
        }
    }
    Net.LowerBound = Net.CriticalPath;
    for (std::size_t k = 0; k < Net.K; ++k) {
        TReal Load = 0;
        for (std::size_t j = 0; j < Net.N; ++j)
            Load += Net.Duration[j] * Net.Demand[j * Net.K + k];
        // The energy bound is rounded in double; it only ends the search early,
        // so it must never exceed the true bound.
        Net.LowerBound = std::max(Net.LowerBound, Load / Net.Limit[k] * (1 - 1e-9L));
    }
}

} // namespace

TLevellingNet TLevellingNet::Reversed() const {
    TLevellingNet R = *this;
    std::swap(R.PredFrom, R.SuccFrom);
    std::swap(R.Pred, R.Succ);
    std::reverse(R.TopoOrder.begin(), R.TopoOrder.end());
    for (std::size_t t = 0; t < N; ++t)
        R.TopoRank[R.TopoOrder[t]] = static_cast<std::uint32_t>(t);
    for (std::size_t j = 0; j < N; ++j)
        R.LatestFinish[j] = CriticalPath - (LatestFinish[j] - Duration[j]);
    return R;
}

TNetBuild BuildLevellingNet(const TLevellingProblem& Problem) {
    TNetBuild Build;
    TLevellingNet& Net = Build.Net;
    Net.N = Problem.Durations.size();
    Require(Problem.Predecessors.size() == Net.N, "levelling: one predecessor list per work");
    Require(Problem.Demands.size() <= Net.N, "levelling: more demand lists than works");
    for (TReal d : Problem.Durations)
        Require(FiniteNonNegative(d), "levelling: durations must be finite and non-negative");
    for (const TResource& R : Problem.Resources)
        Require(FiniteNonNegative(R.Availability), "levelling: availability must be non-negative");

    std::vector<std::vector<std::size_t>> Successors(Net.N);
    for (std::size_t j = 0; j < Net.N; ++j)
        for (std::size_t i : Problem.Predecessors[j]) {
            Require(i < Net.N, "levelling: predecessor out of range");
            Successors[i].push_back(j);
        }

    std::vector<bool> Used(Problem.Resources.size(), false);
    for (std::size_t j = 0; j < Problem.Demands.size(); ++j)
        for (const auto& [k, Units] : Problem.Demands[j].Items()) {
            Require(k < Problem.Resources.size(), "levelling: demand of an unknown resource");
            Require(FiniteNonNegative(Units), "levelling: demands must be non-negative");
            const TReal Availability = Problem.Resources[k].Availability;
            if (Units > Availability && !Build.Fault) {
                Build.Error = TLevellingError::DemandAboveAvailability;
                Build.Fault = TDemandFault{j, k, Units, Availability};
            }
            // A work that is over in no time holds no resource.
            Used[k] = Used[k] || (Units > 0 && Problem.Durations[j] > 0);
        }
    if (Build.Fault)
        return Build;

    Net.Duration = Problem.Durations;
    FlatLists(Problem.Predecessors, Net.PredFrom, Net.Pred);
    FlatLists(Successors, Net.SuccFrom, Net.Succ);
    for (std::size_t k = 0; k < Used.size(); ++k)
        if (Used[k])
            Net.ResourceOf.push_back(k);
    Net.K = Net.ResourceOf.size();
    Net.Demand.assign(Net.N * Net.K, 0);
    Net.Limit.resize(Net.K);
    for (std::size_t k = 0; k < Net.K; ++k) {
        const double Availability =
            static_cast<double>(Problem.Resources[Net.ResourceOf[k]].Availability);
        Net.Limit[k] = Availability + 1e-9 * std::max(1.0, Availability);
        for (std::size_t j = 0; j < Problem.Demands.size(); ++j)
            if (Net.Duration[j] > 0)
                Net.Demand[j * Net.K + k] =
                    static_cast<double>(Problem.Demands[j].Of(Net.ResourceOf[k]));
    }
    if (!OrderTopologically(Net)) {
        Build.Error = TLevellingError::Contour;
        return Build;
    }
    ComputeBounds(Net);
    return Build;
}
