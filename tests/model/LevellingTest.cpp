// Levelling judged from outside: every schedule is checked by a small
// feasibility oracle of its own (every dependency, every resource at every
// moment), tiny instances against the optimum found by trying every order of
// the works, and the PSPLIB instance j301_1 against its published optimum.

#include "model/Levelling.h"
#include "model/WorkList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <numeric>
#include <random>
#include <sstream>

namespace {

std::string Describe(const TLevellingProblem& P) {
    std::ostringstream Out;
    for (const TResource& R : P.Resources)
        Out << "resource " << R.Name << " x" << static_cast<double>(R.Availability) << '\n';
    for (std::size_t j = 0; j < P.Durations.size(); ++j) {
        Out << "work " << j << " d=" << static_cast<double>(P.Durations[j]) << " after {";
        for (std::size_t i : P.Predecessors[j])
            Out << ' ' << i;
        Out << " } uses {";
        if (j < P.Demands.size())
            for (const auto& [k, Units] : P.Demands[j].Items())
                Out << ' ' << k << ':' << static_cast<double>(Units);
        Out << " }\n";
    }
    return Out.str();
}

// Empty when the schedule keeps every rule; otherwise the first broken one.
std::string Violation(const TLevellingProblem& P, const TLevelledSchedule& S) {
    const std::size_t n = P.Durations.size();
    if (S.Start.size() != n || S.Finish.size() != n)
        return "not one start and finish per work";
    TReal Latest = 0;
    for (std::size_t j = 0; j < n; ++j) {
        if (S.Start[j] < 0 || S.Finish[j] != S.Start[j] + P.Durations[j])
            return "work " + std::to_string(j) + " interrupted or before the project start";
        for (std::size_t i : P.Predecessors[j])
            if (S.Start[j] < S.Finish[i])
                return "work " + std::to_string(j) + " starts before " + std::to_string(i);
        Latest = std::max(Latest, S.Finish[j]);
    }
    if (S.Duration != Latest)
        return "duration is not the last finish";
    // The load only grows when a work starts, so the starts are the moments
    // to look at.
    for (std::size_t t = 0; t < n; ++t)
        for (std::size_t k = 0; k < P.Resources.size(); ++k) {
            TReal Load = 0;
            for (std::size_t j = 0; j < P.Demands.size(); ++j)
                if (S.Start[j] <= S.Start[t] && S.Start[t] < S.Finish[j])
                    Load += P.Demands[j].Of(k);
            if (Load > P.Resources[k].Availability * (1 + 1e-12L))
                return "resource " + std::to_string(k) + " over-used at the start of work " +
                       std::to_string(t);
        }
    return {};
}

std::string ChainViolation(const TLevellingProblem& P, const TLevelledSchedule& S) {
    const auto& C = S.DrivingChain;
    if (C.empty() || S.Start[C.front().Work] != 0 || S.Finish[C.back().Work] != S.Duration)
        return "chain does not run from the project start to its end";
    for (std::size_t c = 1; c < C.size(); ++c) {
        const std::size_t Before = C[c - 1].Work, Work = C[c].Work;
        if (S.Start[Work] != S.Finish[Before])
            return "gap in the chain before work " + std::to_string(Work);
        const auto& Pred = P.Predecessors[Work];
        const bool Tied = C[c].Link == TDrivingLink::Precedence
                              ? std::find(Pred.begin(), Pred.end(), Before) != Pred.end()
                              : C[c].Link == TDrivingLink::Resource &&
                                    P.Demands[Work].Of(C[c].Resource) > 0 &&
                                    P.Demands[Before].Of(C[c].Resource) > 0;
        if (!Tied)
            return "work " + std::to_string(Work) + " is not tied to the one before it";
    }
    return {};
}

// A random network with works numbered in a topological order. Fractional
// durations and demands unless Integral.
TLevellingProblem RandomProblem(std::uint64_t Seed, std::size_t n, std::size_t K, bool Integral) {
    std::mt19937_64 Random(Seed);
    auto Pick = [&](int Low, int High) { return Low + int(Random() % unsigned(High - Low + 1)); };
    TLevellingProblem P;
    for (std::size_t k = 0; k < K; ++k)
        P.Resources.push_back({"R" + std::to_string(k), "", TReal(Pick(2, 6))});
    P.Predecessors.resize(n);
    P.Demands.resize(n);
    for (std::size_t j = 0; j < n; ++j) {
        P.Durations.push_back(Integral ? TReal(Pick(1, 6)) : TReal(Pick(1, 40)) / 10);
        for (std::size_t i = 0; i < j; ++i)
            if (Random() % 4 == 0)
                P.Predecessors[j].push_back(i);
        for (std::size_t k = 0; k < K; ++k)
            if (Random() % 3 != 0) {
                const TReal Cap = P.Resources[k].Availability;
                P.Demands[j].Set(k, Integral ? TReal(Pick(1, int(Cap))) : Cap * Pick(1, 10) / 10);
            }
    }
    return P;
}

// The shortest schedule over every precedence-feasible order of the works,
// each decoded on a grid of whole days: some order's serial schedule is
// optimal, so this is the optimum for integer data.
long BruteForceOptimum(const TLevellingProblem& P) {
    const std::size_t n = P.Durations.size(), K = P.Resources.size();
    std::vector<std::size_t> Order(n);
    std::iota(Order.begin(), Order.end(), 0);
    long Best = std::numeric_limits<long>::max();
    do {
        std::vector<long> Finish(n, -1);
        std::vector<std::vector<long>> Load(K, std::vector<long>(200, 0));
        long End = 0;
        bool Feasible = true;
        for (std::size_t j : Order) {
            long t = 0;
            for (std::size_t i : P.Predecessors[j])
                Feasible = Feasible && Finish[i] >= 0, t = std::max(t, Finish[i]);
            const long d = long(P.Durations[j]);
            auto Fits = [&](long s) {
                for (std::size_t k = 0; k < K; ++k)
                    for (long u = s; u < s + d; ++u)
                        if (Load[k][u] + long(P.Demands[j].Of(k)) >
                            long(P.Resources[k].Availability))
                            return false;
                return true;
            };
            while (!Fits(t))
                ++t;
            for (std::size_t k = 0; k < K; ++k)
                for (long u = t; u < t + d; ++u)
                    Load[k][u] += long(P.Demands[j].Of(k));
            Finish[j] = t + d;
            End = std::max(End, Finish[j]);
        }
        if (Feasible)
            Best = std::min(Best, End);
    } while (std::next_permutation(Order.begin(), Order.end()));
    return Best;
}

TEST(Levelling, SchedulesOfRandomNetworksKeepEveryDependencyAndResourceLimit) {
    for (std::uint64_t Seed = 1; Seed <= 40; ++Seed) {
        const TLevellingProblem P = RandomProblem(Seed, 5 + Seed % 20, 1 + Seed % 3, Seed % 2 == 0);
        const TLevelledSchedule S = Level(P, {.ScheduleLimit = 400});
        const TLevelledSchedule Rule = LevelByLatestFinish(P);
        ASSERT_TRUE(S.Valid());
        EXPECT_EQ(Violation(P, S), "") << Describe(P);
        EXPECT_EQ(Violation(P, Rule), "") << Describe(P);
        EXPECT_EQ(ChainViolation(P, S), "") << Describe(P);
        EXPECT_LE(S.Duration, Rule.Duration) << Describe(P);
        EXPECT_GE(S.Duration, S.CriticalPathLength) << Describe(P);
        EXPECT_LE(S.SchedulesGenerated, 400u);
        const TLevelledSchedule Again = Level(P, {.ScheduleLimit = 400});
        EXPECT_EQ(Again.Start, S.Start) << "not deterministic\n" << Describe(P);
    }
}

// A window that closes stops the search: what comes back is still a schedule
// that holds, made of the few schedules generated by then.
TEST(Levelling, ARaisedStopEndsTheSearchWithAFeasibleSchedule) {
    const std::atomic<bool> Stop{true};
    const TLevellingProblem P = RandomProblem(7, 60, 3, true);
    const TLevelledSchedule S = Level(P, {.ScheduleLimit = 5000, .Stop = &Stop});
    ASSERT_TRUE(S.Valid());
    EXPECT_EQ(Violation(P, S), "") << Describe(P);
    EXPECT_LT(S.SchedulesGenerated, 50u);
}

TEST(Levelling, FindsTheOptimumOfTinyNetworksInWholeDaysAndInTenths) {
    for (std::uint64_t Seed = 100; Seed < 130; ++Seed) {
        const TLevellingProblem P = RandomProblem(Seed, 7, 2, true);
        const long Optimum = BruteForceOptimum(P);
        EXPECT_EQ(Level(P).Duration, Optimum) << Describe(P);
        // Tenths have no exact binary form: the moments are sums that only
        // approximate the scaled ones, and must still line up.
        TLevellingProblem Tenths = P;
        for (TReal& d : Tenths.Durations)
            d /= 10;
        const TLevelledSchedule S = Level(Tenths);
        EXPECT_NEAR(static_cast<double>(S.Duration), Optimum / 10.0, 1e-12) << Describe(Tenths);
        EXPECT_EQ(Violation(Tenths, S), "") << Describe(Tenths);
    }
}

TEST(Levelling, WorksWithoutDemandsKeepTheirEarlyStarts) {
    TLevellingProblem P = RandomProblem(7, 12, 2, false);
    P.Demands.assign(3, TDemands{}); // the rest have none at all
    const TLevelledSchedule S = Level(P);
    EXPECT_EQ(S.Duration, S.CriticalPathLength);
    for (std::size_t j = 0; j < 12; ++j) {
        TReal Early = 0;
        for (std::size_t i : P.Predecessors[j])
            Early = std::max(Early, S.Finish[i]);
        EXPECT_EQ(S.Start[j], Early) << j;
    }
}

TEST(Levelling, RefusesADemandAboveTheAvailabilityNamingTheWork) {
    TLevellingProblem P = RandomProblem(3, 6, 2, true);
    P.Demands[4].Set(1, P.Resources[1].Availability + TReal(0.5));
    const TLevelledSchedule S = Level(P);
    EXPECT_EQ(S.Error, TLevellingError::DemandAboveAvailability);
    ASSERT_TRUE(S.Fault);
    EXPECT_EQ(S.Fault->Work, 4u);
    EXPECT_EQ(S.Fault->Resource, 1u);
    EXPECT_EQ(S.Fault->Demand, P.Resources[1].Availability + TReal(0.5));
    EXPECT_TRUE(S.Start.empty());

    P = RandomProblem(3, 6, 2, true);
    P.Predecessors[0].push_back(5);
    P.Predecessors[5].push_back(0);
    EXPECT_EQ(Level(P).Error, TLevellingError::Contour);
}

TEST(Levelling, TakesTheWorkListsEnteredDependenciesOnly) {
    TWorkList List;
    for (auto [Name, Duration] : {std::pair{"А", 2}, {"Б", 3}, {"В", 1}, {"Г", 4}})
        List.AddWork(TWorkData{Name, TReal(Duration), {}}, true);
    List.SetDependency(1, 0, true);
    List.SetDependency(2, 1, true);
    List.SetDependency(2, 0, true); // implied by В after Б after А
    List.RecalcLinks();
    std::vector<TDemands> Demands(4);
    Demands[0].Set(0, 1);
    Demands[3].Set(0, 1);
    const TLevellingProblem P = LevellingProblemOf(List, {{"Кран", "шт.", 1}}, Demands);
    EXPECT_EQ(P.Durations, (std::vector<TReal>{2, 3, 1, 4}));
    EXPECT_EQ(P.Predecessors, (std::vector<std::vector<std::size_t>>{{}, {0}, {1}, {}}));
    // The crane serves А and Г one after the other; А first keeps the chain
    // А, Б, В inside Г's four days.
    const TLevelledSchedule S = Level(P);
    EXPECT_EQ(S.Duration, 6);
    EXPECT_EQ(Violation(P, S), "");
}

TEST(Levelling, FractionalDemandsThatFillTheAvailabilityRunTogether) {
    // 0.1 + 0.2 exceeds 0.3 in binary arithmetic, yet those two works fit
    // side by side; a third of 0.1 does not.
    TLevellingProblem P{{1.5L, 1.5L, 1.5L}, {{}, {}, {}}, {{"Бригада", "чел.", 0.3L}}, {}};
    P.Demands.resize(3);
    P.Demands[0].Set(0, 0.1L);
    P.Demands[1].Set(0, 0.2L);
    P.Demands[2].Set(0, 0.1L);
    EXPECT_EQ(Level(P).Duration, 3);
    P.Demands[2].Set(0, 0);
    EXPECT_EQ(Level(P).Duration, 1.5L);
}

TEST(Levelling, DemandsCompareEqualHoweverAZeroWasEntered) {
    TDemands Set, Cleared;
    Set.Set(2, 3);
    Cleared.Set(0, 1);
    Cleared.Set(2, 3);
    Cleared.Set(0, 0);
    EXPECT_EQ(Set, Cleared);
    EXPECT_EQ(Cleared.Of(0), 0);
    EXPECT_EQ(Cleared.Of(2), 3);
}

// Just what the test needs of the .sm format: the successor lists, the
// durations and demands of the single mode, the renewable availabilities.
TLevellingProblem ReadSm(const std::string& Path) {
    std::ifstream In(Path);
    std::string Line;
    TLevellingProblem P;
    std::size_t Jobs = 0;
    while (std::getline(In, Line) && Line.rfind("PRECEDENCE", 0) != 0)
        if (Line.rfind("jobs (incl. supersource/sink", 0) == 0)
            Jobs = std::stoul(Line.substr(Line.find(':') + 1));
    std::getline(In, Line);
    P.Predecessors.resize(Jobs);
    for (std::size_t j = 0; j < Jobs && std::getline(In, Line); ++j) {
        std::istringstream Row(Line);
        std::size_t Job, Modes, Count, Succ;
        Row >> Job >> Modes >> Count;
        while (Count-- > 0 && Row >> Succ)
            P.Predecessors[Succ - 1].push_back(Job - 1);
    }
    while (std::getline(In, Line) && Line.rfind("------", 0) != 0) {
    }
    P.Demands.resize(Jobs);
    for (std::size_t j = 0; j < Jobs && std::getline(In, Line); ++j) {
        std::istringstream Row(Line);
        long Job, Mode, Duration, Units;
        Row >> Job >> Mode >> Duration;
        P.Durations.push_back(Duration);
        for (std::size_t k = 0; Row >> Units; ++k)
            P.Demands[j].Set(k, Units);
    }
    while (std::getline(In, Line) && Line.rfind("RESOURCEAVAILABILITIES", 0) != 0) {
    }
    std::getline(In, Line);
    long Units;
    for (std::size_t k = 0; In >> Units; ++k)
        P.Resources.push_back({"R " + std::to_string(k + 1), "", TReal(Units)});
    return P;
}

TEST(Levelling, ReachesThePublishedOptimumOfPsplibJ301_1) {
    const TLevellingProblem P = ReadSm(KORVANT_MODEL_DATA "/j301_1.sm");
    ASSERT_EQ(P.Durations.size(), 32u);
    ASSERT_EQ(P.Resources.size(), 4u);
    EXPECT_EQ(P.Resources[0].Availability, 12);
    EXPECT_EQ(P.Demands[2].Of(0), 10);
    const TLevelledSchedule S = Level(P);
    EXPECT_EQ(S.CriticalPathLength, 38); // the MPM time the file gives
    EXPECT_EQ(S.Duration, 43);
    EXPECT_EQ(Violation(P, S), "");
    EXPECT_EQ(ChainViolation(P, S), "");
    EXPECT_GE(LevelByLatestFinish(P).Duration, 43);
}

} // namespace
