// The critical-path schedule of the works and the events, checked against a
// plain forward and backward pass over the dependency cells (no network, all
// predecessors rather than the essential ones), in both path modes.

#include "NetworkTestSupport.h"

#include "model/Schedule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numeric>

using namespace NetworkTest;

namespace {

struct TOracle {
    std::vector<TReal> ES, LF, FF;
    TReal T = 0;
};

// Memoised recursion over every cell that says "depends" (entered, implied or
// redundant): ES(i) = max EF of its predecessors, LF(i) = min LS of its
// successors.
TOracle Oracle(const TWorkList& List) {
    const int n = List.Count();
    const auto Depends = [&List](int i, int j) {
        const std::int8_t v = List.GetWork(i).Links[static_cast<std::size_t>(j)];
        return v == LinkDirect || v == LinkImplied || v == LinkRedundant;
    };
    const auto d = [&List](int i) { return List.GetWork(i).Duration; };
    TOracle O;
    O.ES.assign(static_cast<std::size_t>(n), -1);
    O.LF.assign(static_cast<std::size_t>(n), -1);
    std::function<TReal(int)> ES = [&](int i) -> TReal {
        TReal& v = O.ES[static_cast<std::size_t>(i)];
        if (v < 0) {
            v = 0;
            for (int j = 0; j < n; ++j)
                if (Depends(i, j))
                    v = std::max(v, ES(j) + d(j));
        }
        return v;
    };
    for (int i = 0; i < n; ++i)
        O.T = std::max(O.T, ES(i) + d(i));
    std::function<TReal(int)> LF = [&](int i) -> TReal {
        TReal& v = O.LF[static_cast<std::size_t>(i)];
        if (v < 0) {
            v = O.T;
            for (int k = 0; k < n; ++k)
                if (Depends(k, i))
                    v = std::min(v, LF(k) - d(k));
        }
        return v;
    };
    for (int i = 0; i < n; ++i) {
        LF(i);
        TReal Next = O.T;
        for (int k = 0; k < n; ++k)
            if (Depends(k, i))
                Next = std::min(Next, O.ES[static_cast<std::size_t>(k)]);
        O.FF.push_back(Next - O.ES[static_cast<std::size_t>(i)] - d(i));
    }
    return O;
}

// The scheme with its works in a random order, so that works also depend on
// later ones.
TScheme Shuffled(const TScheme& S, std::mt19937& Random) {
    const std::size_t n = S.Durations.size();
    std::vector<int> To(n);
    std::iota(To.begin(), To.end(), 0);
    std::shuffle(To.begin(), To.end(), Random);
    TScheme R{std::vector<TReal>(n), std::vector<std::vector<int>>(n)};
    for (std::size_t i = 0; i < n; ++i) {
        const auto k = static_cast<std::size_t>(To[i]);
        R.Durations[k] = S.Durations[i];
        for (const int j : S.Deps[i])
            R.Deps[k].push_back(To[static_cast<std::size_t>(j)]);
    }
    return R;
}

} // namespace

TEST(Schedule, EqualsAPlainPassOverTheWorksAndTheEventsAgreeInBothModes) {
    std::mt19937 Random(1616);
    for (int Case = 0; Case < 60; ++Case) {
        const TScheme Scheme =
            Shuffled(RandomScheme(Random, 40, Case % 2 ? 0.1 : 0.35, Case % 3 == 0), Random);
        auto List = MakeList(Scheme);
        const TOracle O = Oracle(*List);
        const TSchedule S = ComputeSchedule(*List);
        ASSERT_TRUE(S.Valid) << Describe(Scheme);
        EXPECT_EQ(S.ProjectDuration, O.T) << Describe(Scheme);
        const TReal Tolerance = O.T * 1e-15L;
        for (int i = 0; i < List->Count(); ++i) {
            const TWorkTimes& w = S.Works[static_cast<std::size_t>(i)];
            const TReal d = List->GetWork(i).Duration;
            const auto k = static_cast<std::size_t>(i);
            EXPECT_EQ(w.EarlyStart, O.ES[k]) << i << ' ' << Describe(Scheme);
            EXPECT_EQ(w.EarlyFinish, O.ES[k] + d);
            // Late times are the plain pass's up to rounding; a critical
            // work's are exactly its early ones.
            EXPECT_NEAR(static_cast<double>(w.LateFinish), static_cast<double>(O.LF[k]),
                        static_cast<double>(Tolerance))
                << i << ' ' << Describe(Scheme);
            EXPECT_NEAR(static_cast<double>(w.LateStart), static_cast<double>(O.LF[k] - d),
                        static_cast<double>(Tolerance));
            if (w.Critical) {
                EXPECT_EQ(w.LateStart, w.EarlyStart);
                EXPECT_EQ(w.LateFinish, w.EarlyFinish);
            }
            EXPECT_NEAR(static_cast<double>(w.TotalFloat), static_cast<double>(O.LF[k] - d - O.ES[k]),
                        static_cast<double>(Tolerance));
            EXPECT_NEAR(static_cast<double>(w.FreeFloat), static_cast<double>(O.FF[k]),
                        static_cast<double>(Tolerance));
            EXPECT_EQ(w.Critical, std::fabs(O.LF[k] - d - O.ES[k]) <= Tolerance) << i;
        }

        for (const int Sign : {-1, +1}) {
            TCircuitEngine Engine(*List);
            Engine.PathSign = Sign;
            Engine.GetCircuit();
            Engine.Analyse();
            const TNetworkView& V = Engine.Result();
            ASSERT_TRUE(V.HasNetwork);
            for (std::size_t a = 0; a < V.RealArcCount; ++a) {
                const TViewArc& Arc = V.Arcs[a];
                const TWorkTimes& w = S.Works[static_cast<std::size_t>(Arc.Work)];
                const TViewEvent& From = V.Events[static_cast<std::size_t>(Arc.From)];
                const TViewEvent& To = V.Events[static_cast<std::size_t>(Arc.To)];
                EXPECT_EQ(From.Early, w.EarlyStart) << Describe(Scheme);
                EXPECT_LE(w.LateFinish, To.Late + Tolerance);
                if (Sign < 0) {
                    EXPECT_EQ(Arc.OnPath, w.Critical) << Arc.Work << ' ' << Describe(Scheme);
                }
            }
            for (const TViewEvent& e : V.Events) {
                EXPECT_GE(e.Slack, 0);
                if (Sign < 0) {
                    EXPECT_EQ(e.Early, e.Time);
                }
            }
        }
    }
}

// Sums of tenths and thirds do not come out even in binary: the chains
// below tie with a single work only within the tolerance, and their floats
// are shown as 0 rather than as rounding.
TEST(Schedule, FractionalChainsThatTieAreCriticalWithZeroFloat) {
    for (const TReal Part : {0.1L, 1.0L / 3}) {
        const int Count = Part < 0.2L ? 10 : 3;
        TScheme S;
        S.Durations.assign(static_cast<std::size_t>(Count), Part);
        S.Deps.resize(static_cast<std::size_t>(Count));
        for (int i = 1; i < Count; ++i)
            S.Deps[static_cast<std::size_t>(i)] = {i - 1};
        S.Durations.push_back(1);
        S.Deps.emplace_back();
        auto List = MakeList(S);
        const TSchedule Schedule = ComputeSchedule(*List);
        for (const TWorkTimes& w : Schedule.Works) {
            EXPECT_TRUE(w.Critical);
            EXPECT_EQ(w.TotalFloat, 0);
            EXPECT_EQ(w.FreeFloat, 0);
        }
    }
}

TEST(Schedule, OneWorkAloneIsItsOwnProjectAndAContourHasNone) {
    auto One = MakeList({{2.5L}, {{}}});
    const TSchedule S = ComputeSchedule(*One);
    ASSERT_TRUE(S.Valid);
    EXPECT_EQ(S.ProjectDuration, 2.5L);
    EXPECT_EQ(S.Works[0].LateFinish, 2.5L);
    EXPECT_TRUE(S.Works[0].Critical);

    auto Contour = MakeList({{1, 2}, {}});
    Contour->GetWork(0).Links[1] = LinkDirect;
    Contour->GetWork(1).Links[0] = LinkDirect;
    Contour->Changed(0, ckScheme);
    EXPECT_FALSE(ComputeSchedule(*Contour).Valid);
    EXPECT_FALSE(ComputeSchedule(TWorkList()).Valid);
}
