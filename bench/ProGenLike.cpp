// The generator of PSPLIB-kind instances (see ProGenLike.h).

#include "ProGenLike.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace {

constexpr std::size_t EndWorks = 3; // works without predecessors, and without successors
constexpr std::size_t MaxArcs = 3;  // predecessors or successors of one work

struct TNetwork {
    std::vector<std::vector<std::size_t>> Pred, Succ;

    bool Reaches(std::size_t From, std::size_t To) const {
        std::vector<std::size_t> Stack{From};
        std::vector<bool> Seen(Succ.size(), false);
        while (!Stack.empty()) {
            const std::size_t v = Stack.back();
            Stack.pop_back();
            if (v == To)
                return true;
            for (std::size_t w : Succ[v])
                if (w <= To && !Seen[w]) {
                    Seen[w] = true;
                    Stack.push_back(w);
                }
        }
        return false;
    }
    void Link(std::size_t i, std::size_t j) {
        Pred[j].push_back(i);
        Succ[i].push_back(j);
    }
};

// Works are numbered in a topological order; the first EndWorks start the
// project, the last EndWorks end it.
TNetwork MakeNetwork(const TProGenParams& P, std::mt19937_64& Random) {
    const std::size_t n = P.Works;
    auto Below = [&](std::size_t m) { return static_cast<std::size_t>(Random() % m); };
    TNetwork Net{std::vector<std::vector<std::size_t>>(n),
                 std::vector<std::vector<std::size_t>>(n)};
    const std::size_t Starts = std::min(EndWorks, n), Ends = std::min(EndWorks, n - Starts);
    std::size_t Arcs = Starts + Ends; // the dummy source's and sink's arcs
    for (std::size_t j = Starts; j < n; ++j) {
        std::size_t i = Below(std::min(j, n - Ends));
        for (std::size_t Try = 0; Try < 20 && Net.Succ[i].size() >= MaxArcs; ++Try)
            i = Below(std::min(j, n - Ends));
        Net.Link(i, j);
        ++Arcs;
    }
    for (std::size_t i = 0; i + Ends < n; ++i)
        if (Net.Succ[i].empty()) {
            const std::size_t j = std::max(i + 1, Starts) + Below(n - std::max(i + 1, Starts));
            Net.Link(i, j);
            ++Arcs;
        }
    const auto Wanted = static_cast<std::size_t>(std::lround(P.Complexity * double(n + 2)));
    for (std::size_t Try = 0; Arcs < Wanted && Try < 200 * n; ++Try) {
        const std::size_t i = Below(n - Ends), j = Starts + Below(n - Starts);
        if (i >= j || Net.Succ[i].size() >= MaxArcs || Net.Pred[j].size() >= MaxArcs ||
            Net.Reaches(i, j))
            continue;
        Net.Link(i, j);
        ++Arcs;
    }
    return Net;
}

} // namespace

TLevellingProblem GenerateProGenLike(const TProGenParams& P) {
    std::mt19937_64 Random(P.Seed);
    auto Between = [&](int Low, int High) {
        return Low + static_cast<int>(Random() % static_cast<std::uint64_t>(High - Low + 1));
    };
    TNetwork Net = MakeNetwork(P, Random);
    TLevellingProblem Problem;
    Problem.Predecessors = Net.Pred;
    const std::size_t n = P.Works, K = P.Resources;
    for (std::size_t j = 0; j < n; ++j)
        Problem.Durations.push_back(Between(1, 10));

    const auto Used = static_cast<std::size_t>(std::lround(P.ResourceFactor * double(K)));
    Problem.Demands.resize(n);
    std::vector<std::size_t> Order(K);
    for (std::size_t j = 0; j < n; ++j) {
        for (std::size_t k = 0; k < K; ++k)
            Order[k] = k;
        for (std::size_t k = K; k > 1; --k)
            std::swap(Order[k - 1], Order[Random() % k]);
        for (std::size_t u = 0; u < std::max<std::size_t>(Used, 1); ++u)
            Problem.Demands[j].Set(Order[u], Between(1, 10));
    }

    // Availabilities from the least any work needs to the peak of the early
    // schedule, where the strength places them.
    std::vector<TReal> EarlyStart(n, 0);
    TReal Horizon = 0;
    for (std::size_t j = 0; j < n; ++j) {
        for (std::size_t i : Net.Pred[j])
            EarlyStart[j] = std::max(EarlyStart[j], EarlyStart[i] + Problem.Durations[i]);
        Horizon = std::max(Horizon, EarlyStart[j] + Problem.Durations[j]);
    }
    for (std::size_t k = 0; k < K; ++k) {
        TReal Least = 0, Peak = 0;
        for (std::size_t j = 0; j < n; ++j)
            Least = std::max(Least, Problem.Demands[j].Of(k));
        for (long t = 0; t < static_cast<long>(Horizon); ++t) {
            TReal Load = 0;
            for (std::size_t j = 0; j < n; ++j)
                if (EarlyStart[j] <= t && t < EarlyStart[j] + Problem.Durations[j])
                    Load += Problem.Demands[j].Of(k);
            Peak = std::max(Peak, Load);
        }
        const TReal Availability =
            Least + std::round(P.ResourceStrength * static_cast<double>(Peak - Least));
        Problem.Resources.push_back({"R" + std::to_string(k + 1), "", Availability});
    }
    return Problem;
}
