// The schedule: one forward pass over the works in a topological order for
// the early times, one backward pass for the late ones. Only the essential
// dependencies are walked: a transitive predecessor always finishes no later
// than a direct one, so the maxima and minima are the same values.

#include "model/Schedule.h"

#include "model/WorkList.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

TSuccessors EssentialSuccessors(const TWorkList& List) {
    const int n = List.Count();
    TSuccessors S;
    S.Start.assign(static_cast<std::size_t>(n) + 1, 0);
    for (int i = 0; i < n; ++i) {
        const TABs& Row = List.GetWork(i).Links;
        const int m = std::min(n, static_cast<int>(Row.size()));
        for (int j = 0; j < m; ++j)
            if (Row[static_cast<std::size_t>(j)] == LinkDirect)
                ++S.Start[static_cast<std::size_t>(j) + 1];
    }
    for (int j = 0; j < n; ++j)
        S.Start[static_cast<std::size_t>(j) + 1] += S.Start[static_cast<std::size_t>(j)];
    S.Succ.resize(static_cast<std::size_t>(S.Start.back()));
    std::vector<std::int32_t> Fill(S.Start.begin(), S.Start.end() - 1);
    for (int i = 0; i < n; ++i) {
        const TABs& Row = List.GetWork(i).Links;
        const int m = std::min(n, static_cast<int>(Row.size()));
        for (int j = 0; j < m; ++j)
            if (Row[static_cast<std::size_t>(j)] == LinkDirect)
                S.Succ[static_cast<std::size_t>(Fill[static_cast<std::size_t>(j)]++)] = i;
    }
    return S;
}

TSchedule ComputeSchedule(const TWorkList& List) {
    std::vector<TReal> Durations(static_cast<std::size_t>(List.Count()));
    for (int i = 0; i < List.Count(); ++i)
        Durations[static_cast<std::size_t>(i)] = List.GetWork(i).Duration;
    if (Durations.empty() || List.HasContour)
        return {};
    return ComputeSchedule(Durations, EssentialSuccessors(List), false);
}

TSchedule ComputeSchedule(std::span<const TReal> Durations, const TSuccessors& S, bool Contour) {
    TSchedule Result;
    const int n = static_cast<int>(Durations.size());
    if (n == 0 || Contour || S.Start.size() != Durations.size() + 1)
        return Result;
    std::vector<std::int32_t> InDegree(Durations.size(), 0);
    for (const std::int32_t i : S.Succ)
        ++InDegree[static_cast<std::size_t>(i)];

    // Kahn's order; every work's predecessors come before it.
    std::vector<std::int32_t> Order;
    Order.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        if (InDegree[static_cast<std::size_t>(i)] == 0)
            Order.push_back(i);
    for (std::size_t k = 0; k < Order.size(); ++k) {
        const auto j = static_cast<std::size_t>(Order[k]);
        for (std::int32_t p = S.Start[j]; p < S.Start[j + 1]; ++p)
            if (--InDegree[static_cast<std::size_t>(S.Succ[static_cast<std::size_t>(p)])] == 0)
                Order.push_back(S.Succ[static_cast<std::size_t>(p)]);
    }
    // Cells that hold a contour although RecalcLinks did not say so.
    if (Order.size() != static_cast<std::size_t>(n))
        return Result;

    std::vector<TWorkTimes>& W = Result.Works;
    W.resize(static_cast<std::size_t>(n));
    TReal T = 0;
    TReal Longest = 0;
    for (const std::int32_t j : Order) {
        TWorkTimes& w = W[static_cast<std::size_t>(j)];
        const TReal d = Durations[static_cast<std::size_t>(j)];
        w.EarlyFinish = w.EarlyStart + d;
        T = std::max(T, w.EarlyFinish);
        Longest = std::max(Longest, d);
        for (std::int32_t p = S.Start[static_cast<std::size_t>(j)];
             p < S.Start[static_cast<std::size_t>(j) + 1]; ++p) {
            TWorkTimes& s = W[static_cast<std::size_t>(S.Succ[static_cast<std::size_t>(p)])];
            s.EarlyStart = std::max(s.EarlyStart, w.EarlyFinish);
        }
    }
    for (auto k = Order.rbegin(); k != Order.rend(); ++k) {
        const auto j = static_cast<std::size_t>(*k);
        TWorkTimes& w = W[j];
        const TReal d = Durations[j];
        w.LateFinish = T;
        TReal NextStart = T;
        for (std::int32_t p = S.Start[j]; p < S.Start[j + 1]; ++p) {
            const TWorkTimes& s = W[static_cast<std::size_t>(S.Succ[static_cast<std::size_t>(p)])];
            w.LateFinish = std::min(w.LateFinish, s.LateStart);
            NextStart = std::min(NextStart, s.EarlyStart);
        }
        w.LateStart = w.LateFinish - d;
        w.TotalFloat = w.LateStart - w.EarlyStart;
        w.FreeFloat = NextStart - w.EarlyFinish;
        // Late times are sums taken backwards, early ones forwards: a float
        // that is zero within the tie tolerance is rounding, and shown as 0.
        // A critical work's late times are then its early ones, so that no
        // start shows as -2e-19 and the works before it count from there.
        w.Critical = std::fabs(w.TotalFloat) / Longest < RealTieTolerance;
        if (w.Critical) {
            w.TotalFloat = 0;
            w.LateStart = w.EarlyStart;
            w.LateFinish = w.EarlyFinish;
        }
        if (std::fabs(w.FreeFloat) / Longest < RealTieTolerance)
            w.FreeFloat = 0;
    }
    Result.Valid = true;
    Result.ProjectDuration = T;
    return Result;
}
