// The levelling table of the README: on generated PSPLIB-kind instances, the
// search's excess over the optimum (30 works, optima by Gecode or cbc) and over the
// critical-path bound (120 works) beside the single pass of the
// latest-finish rule, and the time of one levelling at 120 and 1,000 works.
//
//   levelling_bench [--30] [--120] [--1000] [--per-class N] [--limit N]
//       [--solver minizinc|cbc|bnb|all] [--solver-seconds S] [--only SEED] [--no-optimum]
//       [--workdir DIR]

#include "BranchAndBound.h"
#include "CbcOptimum.h"
#include "MznOptimum.h"
#include "ProGenLike.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace {

struct TOptions {
    int PerClass = 1;
    int SolverSeconds = 300;
    bool Optimum = true;
    std::string WorkDir = "/tmp";
    // Schedules per levelling; 0 for the program's own budget.
    std::size_t Limit = 0;
    // "minizinc" (Gecode), "cbc", "bnb" (the branch and bound of
    // BranchAndBound.h) or "all" (Gecode, then the branch and bound, until one proves the optimum).
    std::string Solver = "all";
    // Only the instance of this seed, when not 0.
    unsigned long long Only = 0;
};

TOptions Options;

struct TRun {
    TLevelledSchedule Schedule;
    // Wall time, and the processor time of this process: the machine is
    // shared, and the second does not count the others' work.
    double Seconds = 0;
    double CpuSeconds = 0;
};

TRun Timed(const TLevellingProblem& Problem) {
    const auto Began = std::chrono::steady_clock::now();
    const std::clock_t CpuBegan = std::clock();
    TRun Run{Level(Problem, {.ScheduleLimit = Options.Limit}), 0, 0};
    Run.CpuSeconds = double(std::clock() - CpuBegan) / CLOCKS_PER_SEC;
    Run.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - Began).count();
    return Run;
}

// Optima found before, so that a rerun with another budget of the search
// does not wait for the solvers again: per solver a file with one line per
// attempt, the instance's seed, the duration, 1 when proven, the seconds.
std::string CacheFile(const TOptions& O, const std::string& Solver) {
    return O.WorkDir + "/optima-" + Solver + ".txt";
}

// A proof from any solver, else the best duration of the attempts that had
// at least the time now allowed.
std::optional<TOptimum> Cached(const TOptions& O, const std::string& Solver, std::uint64_t Seed) {
    std::ifstream In(CacheFile(O, Solver));
    unsigned long long Key;
    long double Duration;
    int Proven;
    double Seconds;
    std::optional<TOptimum> Found;
    while (In >> Key >> Duration >> Proven >> Seconds)
        if (Key == Seed && (Proven || Seconds + 1 >= O.SolverSeconds))
            if (!Found || Proven || (!Found->Proven && Duration < Found->Duration))
                Found = TOptimum{Duration, Proven != 0, Seconds};
    return Found;
}

void Remember(const TOptions& O, const std::string& Solver, std::uint64_t Seed,
              const TOptimum& Best) {
    std::ofstream Out(CacheFile(O, Solver), std::ios::app);
    Out << Seed << ' ' << static_cast<long double>(Best.Duration) << ' ' << int(Best.Proven) << ' '
        << Best.Seconds << '\n';
}

std::optional<TOptimum> Solve(const TOptions& O, const std::string& Solver,
                              const TLevellingProblem& Problem, long Horizon) {
    if (Solver == "cbc")
        return SolveWithCbc(Problem, Horizon, O.WorkDir, O.SolverSeconds);
    if (Solver == "bnb")
        return SolveByBranchAndBound(Problem, Horizon, O.SolverSeconds);
    return SolveWithMiniZinc(Problem, Horizon, O.WorkDir, O.SolverSeconds);
}

// With the solver "all": Gecode, then the branch and bound, until one proves
// the optimum. cbc is left out: on the first thirteen instances it closed
// none that these two left open, and took longest.
std::optional<TOptimum> Optimum(const TOptions& O, const TProGenParams& P,
                                const TLevellingProblem& Problem, long Horizon) {
    const std::vector<std::string> Solvers = O.Solver == "all"
                                                 ? std::vector<std::string>{"minizinc", "bnb"}
                                                 : std::vector<std::string>{O.Solver};
    std::optional<TOptimum> Best;
    for (const std::string& Solver : Solvers) {
        auto One = Cached(O, Solver, P.Seed);
        if (!One) {
            One = Solve(O, Solver, Problem, Horizon);
            if (One)
                Remember(O, Solver, P.Seed, *One);
        }
        if (One && (!Best || One->Proven || One->Duration < Best->Duration))
            Best = One;
        if (Best && Best->Proven)
            break;
    }
    return Best;
}

double Excess(TReal Duration, TReal Reference) {
    return static_cast<double>(100 * (Duration - Reference) / Reference);
}

std::vector<TProGenParams> Classes(std::size_t Works, const std::vector<double>& Strengths,
                                   int PerClass) {
    std::vector<TProGenParams> All;
    std::uint64_t Seed = Works * 1000;
    for (double Nc : {1.5, 1.8, 2.1})
        for (double Rf : {0.25, 0.5, 0.75, 1.0})
            for (double Rs : Strengths)
                for (int i = 0; i < PerClass; ++i)
                    All.push_back({Works, 4, Nc, Rf, Rs, ++Seed});
    return All;
}

void Thirty(const TOptions& O) {
    double Ours = 0, Rule = 0, Slowest = 0;
    int Proven = 0, Hit = 0, Open = 0, Beaten = 0;
    std::printf("30 works: instance, NC, RF, RS, optimum (? unproven), ours, LFT, solver s\n");
    for (const TProGenParams& P : Classes(30, {0.2, 0.5, 0.7, 1.0}, O.PerClass)) {
        if (O.Only != 0 && P.Seed != O.Only)
            continue;
        const TLevellingProblem Problem = GenerateProGenLike(P);
        const TRun Run = Timed(Problem);
        const TLevelledSchedule Lft = LevelByLatestFinish(Problem);
        Slowest = std::max(Slowest, Run.Seconds);
        if (!O.Optimum) {
            std::printf("%llu %.0Lf %.0Lf\n", (unsigned long long)P.Seed, Run.Schedule.Duration,
                        Lft.Duration);
            continue;
        }
        const auto Best = Optimum(O, P, Problem, static_cast<long>(Run.Schedule.Duration));
        if (!Best) {
            std::printf("%s failed on instance %llu\n", O.Solver.c_str(),
                        (unsigned long long)P.Seed);
            continue;
        }
        if (Best->Proven) {
            Ours += Excess(Run.Schedule.Duration, Best->Duration);
            Rule += Excess(Lft.Duration, Best->Duration);
            ++Proven;
            Hit += Run.Schedule.Duration == Best->Duration;
        } else {
            // Without a proof, the same search with fifty times the budget
            // is the second opinion on whether a shorter schedule exists.
            ++Open;
            const TReal Deep =
                Level(Problem, {.ScheduleLimit = 50 * Run.Schedule.SchedulesGenerated}).Duration;
            Beaten += std::min(Best->Duration, Deep) < Run.Schedule.Duration;
            std::printf("  not proven: the search with fifty times the budget gives %.0Lf\n", Deep);
        }
        std::printf("%llu %.2f %.2f %.1f %.0Lf%s %.0Lf %.0Lf %.1f\n", (unsigned long long)P.Seed,
                    P.Complexity, P.ResourceFactor, P.ResourceStrength, Best->Duration,
                    Best->Proven ? "" : "?", Run.Schedule.Duration, Lft.Duration, Best->Seconds);
        std::fflush(stdout);
    }
    std::printf("30 works, %d optima proven: excess over the optimum: ours %.3f %%, LFT %.2f %%; "
                "optimum reached on %d\n",
                Proven, Ours / std::max(Proven, 1), Rule / std::max(Proven, 1), Hit);
    std::printf("30 works, %d not proven within %d s: the solver or the search with fifty "
                "times the budget shorter than ours on %d; slowest levelling %.3f s\n\n",
                Open, O.SolverSeconds, Beaten, Slowest);
}

void HundredTwenty(const TOptions& O) {
    double Ours = 0, Rule = 0, Total = 0, Slowest = 0, SlowestCpu = 0, TotalCpu = 0;
    int Count = 0;
    std::printf("120 works: instance, NC, RF, RS, critical path, ours, LFT, s, cpu s\n");
    for (const TProGenParams& P : Classes(120, {0.1, 0.2, 0.3, 0.4, 0.5}, O.PerClass)) {
        const TLevellingProblem Problem = GenerateProGenLike(P);
        const TRun Run = Timed(Problem);
        const TLevelledSchedule Lft = LevelByLatestFinish(Problem);
        const TReal Bound = Run.Schedule.CriticalPathLength;
        Ours += Excess(Run.Schedule.Duration, Bound);
        Rule += Excess(Lft.Duration, Bound);
        Total += Run.Seconds;
        Slowest = std::max(Slowest, Run.Seconds);
        SlowestCpu = std::max(SlowestCpu, Run.CpuSeconds);
        TotalCpu += Run.CpuSeconds;
        ++Count;
        std::printf("%llu %.2f %.2f %.1f %.0Lf %.0Lf %.0Lf %.3f %.3f\n", (unsigned long long)P.Seed,
                    P.Complexity, P.ResourceFactor, P.ResourceStrength, Bound,
                    Run.Schedule.Duration, Lft.Duration, Run.Seconds, Run.CpuSeconds);
        std::fflush(stdout);
    }
    std::printf("120 works, %d instances: excess over the critical path: ours %.2f %%, LFT "
                "%.2f %% (ratio %.3f); levelling %.3f s on average, %.3f s at most (processor "
                "%.3f s on average, %.3f s at most)\n\n",
                Count, Ours / Count, Rule / Count, Ours / Rule, Total / Count, Slowest,
                TotalCpu / Count, SlowestCpu);
}

void Thousand() {
    double Slowest = 0, Total = 0, SlowestCpu = 0;
    int Count = 0;
    for (double Rs : {0.1, 0.2, 0.3})
        for (double Rf : {0.5, 1.0}) {
            const TLevellingProblem Problem = GenerateProGenLike({1000, 4, 1.8, Rf, Rs, 77});
            const TRun Run = Timed(Problem);
            const TLevelledSchedule Lft = LevelByLatestFinish(Problem);
            std::printf("1000 works, RF %.2f RS %.1f: critical path %.0Lf, ours %.0Lf, LFT %.0Lf, "
                        "%zu schedules, %.3f s (processor %.3f s)\n",
                        Rf, Rs, Run.Schedule.CriticalPathLength, Run.Schedule.Duration,
                        Lft.Duration, Run.Schedule.SchedulesGenerated, Run.Seconds, Run.CpuSeconds);
            std::fflush(stdout);
            Total += Run.Seconds;
            Slowest = std::max(Slowest, Run.Seconds);
            SlowestCpu = std::max(SlowestCpu, Run.CpuSeconds);
            ++Count;
        }
    std::printf("1000 works: levelling %.3f s on average, %.3f s at most (processor %.3f s)\n",
                Total / Count, Slowest, SlowestCpu);
}

} // namespace

int main(int argc, char** argv) {
    TOptions O;
    bool Only30 = false, Only120 = false, Only1000 = false;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--per-class") && i + 1 < argc)
            O.PerClass = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--solver-seconds") && i + 1 < argc)
            O.SolverSeconds = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--workdir") && i + 1 < argc)
            O.WorkDir = argv[++i];
        else if (!std::strcmp(argv[i], "--limit") && i + 1 < argc)
            O.Limit = std::strtoul(argv[++i], nullptr, 10);
        else if (!std::strcmp(argv[i], "--solver") && i + 1 < argc)
            O.Solver = argv[++i];
        else if (!std::strcmp(argv[i], "--only") && i + 1 < argc)
            O.Only = std::strtoull(argv[++i], nullptr, 10);
        else if (!std::strcmp(argv[i], "--no-optimum"))
            O.Optimum = false;
        else if (!std::strcmp(argv[i], "--30"))
            Only30 = true;
        else if (!std::strcmp(argv[i], "--120"))
            Only120 = true;
        else if (!std::strcmp(argv[i], "--1000"))
            Only1000 = true;
        else {
            std::fprintf(stderr,
                         "usage: %s [--30] [--120] [--1000] [--per-class N] [--limit N] "
                         "[--solver minizinc|cbc|bnb|all] [--solver-seconds S] [--only SEED] "
                         "[--no-optimum] [--workdir DIR]\n",
                         argv[0]);
            return 2;
        }
    }
    Options = O;
    const bool All = !Only30 && !Only120 && !Only1000;
    if (All || Only30)
        Thirty(O);
    if (All || Only120)
        HundredTwenty(O);
    if (All || Only1000)
        Thousand();
    return 0;
}
