// The search of BranchAndBound.h. Works must be numbered in a topological
// order (the generator's and PSPLIB's are); at most 64 works.

#include "BranchAndBound.h"

#include <algorithm>
#include <chrono>
#include <unordered_map>

namespace {

class TTree {
public:
    TTree(const TLevellingProblem& P, long Horizon, int Seconds);
    std::optional<TOptimum> Solve();

private:
    void Branch(std::uint64_t Done, long Last);
    long Bound(std::uint64_t Done, long Last) const;
    bool Overloaded(std::uint64_t Done, long Last, const std::vector<long>& Early) const;
    bool Dominated(std::uint64_t Done, long Last);
    bool Fits(std::size_t j, long s) const;
    void Load(std::size_t j, long s, int Sign);

    std::size_t n_, K_;
    std::vector<long> d_, Tail_;
    std::vector<std::vector<long>> r_; // [j][k]
    std::vector<long> R_;
    std::vector<std::uint64_t> Pred_;
    std::vector<std::vector<long>> Use_; // [t][k]
    std::vector<long> Start_, Finish_;
    std::vector<std::size_t> Order_; // branching order: latest finish first
    long Best_;
    bool Improved_ = false, OutOfTime_ = false;
    std::uint64_t Nodes_ = 0;
    std::chrono::steady_clock::time_point Deadline_;
    std::unordered_map<std::uint64_t, std::vector<std::vector<long>>> Seen_;
    std::size_t SeenCount_ = 0;
};

TTree::TTree(const TLevellingProblem& P, long Horizon, int Seconds)
    : n_(P.Durations.size()), K_(P.Resources.size()), Best_(Horizon) {
    Deadline_ = std::chrono::steady_clock::now() + std::chrono::seconds(Seconds);
    for (TReal x : P.Durations)
        d_.push_back(static_cast<long>(x));
    for (const TResource& Res : P.Resources)
        R_.push_back(static_cast<long>(Res.Availability));
    r_.assign(n_, std::vector<long>(K_, 0));
    Pred_.assign(n_, 0);
    for (std::size_t j = 0; j < n_; ++j) {
        for (std::size_t k = 0; k < K_ && j < P.Demands.size(); ++k)
            r_[j][k] = static_cast<long>(P.Demands[j].Of(k));
        for (std::size_t i : P.Predecessors[j])
            Pred_[j] |= std::uint64_t(1) << i;
    }
    Tail_.assign(n_, 0);
    for (std::size_t j = n_; j-- > 0;) {
        Tail_[j] += d_[j];
        for (std::size_t i : P.Predecessors[j])
            Tail_[i] = std::max(Tail_[i], Tail_[j]);
    }
    Use_.assign(static_cast<std::size_t>(Horizon) + 1, std::vector<long>(K_, 0));
    Start_.assign(n_, 0);
    Finish_.assign(n_, 0);
    for (std::size_t j = 0; j < n_; ++j)
        Order_.push_back(j);
    // Longest tail first: the works that hold the end back are tried first.
    std::stable_sort(Order_.begin(), Order_.end(),
                     [&](std::size_t a, std::size_t b) { return Tail_[a] > Tail_[b]; });
}

bool TTree::Fits(std::size_t j, long s) const {
    for (long t = s; t < s + d_[j]; ++t)
        for (std::size_t k = 0; k < K_; ++k)
            if (Use_[t][k] + r_[j][k] > R_[k])
                return false;
    return true;
}

void TTree::Load(std::size_t j, long s, int Sign) {
    for (long t = s; t < s + d_[j]; ++t)
        for (std::size_t k = 0; k < K_; ++k)
            Use_[t][k] += Sign * r_[j][k];
}

// A bound on every completion: the longest path from the scheduled works
// through the rest, and per resource the work still to be carried after Last.
long TTree::Bound(std::uint64_t Done, long Last) const {
    std::vector<long> Early(n_, 0);
    long Result = 0;
    std::vector<long> Energy(K_, 0);
    for (std::size_t j = 0; j < n_; ++j) {
        if (Done >> j & 1) {
            Result = std::max(Result, Finish_[j]);
            for (std::size_t k = 0; k < K_; ++k)
                Energy[k] += std::max(0L, Finish_[j] - std::max(Last, Start_[j])) * r_[j][k];
            continue;
        }
        Early[j] = Last;
        for (std::size_t i = 0; i < j; ++i)
            if (Pred_[j] >> i & 1)
                Early[j] = std::max(Early[j], (Done >> i & 1) ? Finish_[i] : Early[i] + d_[i]);
        Result = std::max(Result, Early[j] + Tail_[j]);
        for (std::size_t k = 0; k < K_; ++k)
            Energy[k] += d_[j] * r_[j][k];
    }
    for (std::size_t k = 0; k < K_; ++k)
        if (R_[k] > 0)
            Result = std::max(Result, Last + (Energy[k] + R_[k] - 1) / R_[k]);
    if (Result < Best_ && Overloaded(Done, Last, Early))
        return Best_;
    return Result;
}

// Energy in windows: a schedule shorter than the best must finish every work
// by its deadline (the best minus one, less the longest path after the work).
// If the works released at a or later and due by b, with what the scheduled
// works still hold there, need more of a resource than the window [a, b)
// has, no such schedule follows from here.
bool TTree::Overloaded(std::uint64_t Done, long Last, const std::vector<long>& Early) const {
    std::vector<std::size_t> Open, Running;
    std::vector<long> Due(n_, 0), Releases;
    for (std::size_t j = 0; j < n_; ++j)
        if (Done >> j & 1) {
            if (Finish_[j] > Last)
                Running.push_back(j);
        } else {
            Open.push_back(j);
            Due[j] = Best_ - 1 - Tail_[j] + d_[j];
            Releases.push_back(Early[j]);
        }
    std::sort(Open.begin(), Open.end(),
              [&](std::size_t a, std::size_t b) { return Due[a] < Due[b]; });
    std::sort(Releases.begin(), Releases.end());
    Releases.erase(std::unique(Releases.begin(), Releases.end()), Releases.end());
    std::vector<long> Energy(K_);
    for (long a : Releases) {
        std::fill(Energy.begin(), Energy.end(), 0);
        for (std::size_t j : Open) {
            if (Early[j] < a)
                continue;
            const long b = Due[j];
            for (std::size_t k = 0; k < K_; ++k) {
                if (r_[j][k] == 0)
                    continue;
                Energy[k] += d_[j] * r_[j][k];
                long Held = 0;
                for (std::size_t i : Running)
                    Held +=
                        std::max(0L, std::min(Finish_[i], b) - std::max(Start_[i], a)) * r_[i][k];
                if (Energy[k] + Held > R_[k] * std::max(0L, b - a))
                    return true;
            }
        }
    }
    return false;
}

// A partial schedule of the same works met before, started no later and with
// every work over no later (counting from its own start), leaves every
// completion of this one open to it too.
bool TTree::Dominated(std::uint64_t Done, long Last) {
    std::vector<long> Key{Last};
    for (std::size_t j = 0; j < n_; ++j)
        if (Done >> j & 1)
            Key.push_back(std::max(Finish_[j], Last));
    auto& Entries = Seen_[Done];
    for (const auto& E : Entries) {
        bool Better = E[0] <= Last;
        for (std::size_t i = 1; Better && i < E.size(); ++i)
            Better = E[i] <= Key[i];
        if (Better)
            return true;
    }
    if (Entries.size() < 8 && SeenCount_ < 4'000'000) {
        Entries.push_back(std::move(Key));
        ++SeenCount_;
    }
    return false;
}

void TTree::Branch(std::uint64_t Done, long Last) {
    if (OutOfTime_)
        return;
    if (++Nodes_ % 4096 == 0 && std::chrono::steady_clock::now() > Deadline_) {
        OutOfTime_ = true;
        return;
    }
    const std::uint64_t All = n_ == 64 ? ~std::uint64_t(0) : (std::uint64_t(1) << n_) - 1;
    if (Done == All) {
        long End = 0;
        for (std::size_t j = 0; j < n_; ++j)
            End = std::max(End, Finish_[j]);
        if (End < Best_) {
            Best_ = End;
            Improved_ = true;
        }
        return;
    }
    if (Bound(Done, Last) >= Best_ || Dominated(Done, Last))
        return;
    for (std::size_t j : Order_) {
        if ((Done >> j & 1) || (Pred_[j] & ~Done) != 0)
            continue;
        long Ready = 0;
        for (std::size_t i = 0; i < n_; ++i)
            if (Pred_[j] >> i & 1)
                Ready = std::max(Ready, Finish_[i]);
        long s = std::max(Ready, Last);
        while (s + Tail_[j] < Best_ && !Fits(j, s))
            ++s;
        if (s + Tail_[j] >= Best_)
            continue;
        // Local left shift: if the work fits one day earlier, the same
        // schedule is reached by scheduling it before the last work.
        if (s > Ready && Fits(j, s - 1))
            continue;
        Start_[j] = s;
        Finish_[j] = s + d_[j];
        Load(j, s, +1);
        Branch(Done | std::uint64_t(1) << j, s);
        Load(j, s, -1);
    }
}

std::optional<TOptimum> TTree::Solve() {
    if (n_ > 64)
        return std::nullopt;
    const auto Began = std::chrono::steady_clock::now();
    Branch(0, 0);
    TOptimum Result;
    Result.Duration = Best_;
    Result.Proven = !OutOfTime_;
    Result.Seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - Began).count();
    return Result;
}

} // namespace

std::optional<TOptimum> SolveByBranchAndBound(const TLevellingProblem& Problem, long Horizon,
                                              int TimeLimitSeconds) {
    TTree Tree(Problem, Horizon, TimeLimitSeconds);
    return Tree.Solve();
}
