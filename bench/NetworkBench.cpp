// Times of the dependency analysis, the network construction, each step of
// the analysis and the time-scaled layout on generated schemes of 100, 300,
// 1000, 2000 and 3000 works.
// Every benchmark also reports the process's peak resident memory so far
// (getrusage), in MB; run one size alone to read that size's peak. Every work
// after the third depends on one to three of the twenty works before it;
// durations are whole numbers from 1 to 20; the seed is fixed.

#include "ProjectScheme.h"
#include "model/WorkList.h"
#include "network/CircuitEngine.h"
#include "network/TimeScaled.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <memory>
#include <random>

#include <sys/resource.h>

namespace {

std::unique_ptr<TWorkList> Scheme(int n) {
    auto List = std::make_unique<TWorkList>();
    FillProjectScheme(*List, n);
    return List;
}

// One scheme per size, made once.
TWorkList& SchemeOf(int n) {
    static std::map<int, std::unique_ptr<TWorkList>> Schemes;
    auto& Slot = Schemes[n];
    if (!Slot)
        Slot = Scheme(n);
    return *Slot;
}

double PeakMegabytes() {
    rusage Usage{};
    getrusage(RUSAGE_SELF, &Usage);
    return static_cast<double>(Usage.ru_maxrss) / 1024.0; // kilobytes on Linux
}

enum class TStep { TopSort, FoundCriticalPath, SplitLongArcs, PlaceVertices };

// Runs the steps before Step untimed, then times Step alone.
void TimeStep(benchmark::State& State, TStep Step) {
    TWorkList& List = SchemeOf(static_cast<int>(State.range(0)));
    TCircuitEngine Engine(List);
    for (auto _ : State) {
        State.PauseTiming();
        Engine.GetCircuit();
        if (Step > TStep::TopSort)
            Engine.TopSort();
        if (Step > TStep::FoundCriticalPath)
            Engine.FoundCriticalPath();
        if (Step > TStep::SplitLongArcs)
            Engine.SplitLongArcs();
        State.ResumeTiming();
        switch (Step) {
        case TStep::TopSort:
            Engine.TopSort();
            break;
        case TStep::FoundCriticalPath:
            Engine.FoundCriticalPath();
            break;
        case TStep::SplitLongArcs:
            Engine.SplitLongArcs();
            break;
        case TStep::PlaceVertices:
            Engine.PlaceVertices();
            break;
        }
    }
    State.counters["objects"] = static_cast<double>(Engine.Circuit->Count());
    State.counters["peak_MB"] = PeakMegabytes();
}

void RecalcLinks(benchmark::State& State) {
    TWorkList& List = SchemeOf(static_cast<int>(State.range(0)));
    for (auto _ : State)
        List.RecalcLinks();
    State.counters["peak_MB"] = PeakMegabytes();
}

void GetCircuit(benchmark::State& State) {
    TWorkList& List = SchemeOf(static_cast<int>(State.range(0)));
    TCircuitEngine Engine(List);
    for (auto _ : State)
        Engine.GetCircuit();
    State.counters["events"] = static_cast<double>(Engine.Circuit->Count() - 3);
    State.counters["peak_MB"] = PeakMegabytes();
}

void TopSort(benchmark::State& State) {
    TimeStep(State, TStep::TopSort);
}
void FoundCriticalPath(benchmark::State& State) {
    TimeStep(State, TStep::FoundCriticalPath);
}
void SplitLongArcs(benchmark::State& State) {
    TimeStep(State, TStep::SplitLongArcs);
}
void PlaceVertices(benchmark::State& State) {
    TimeStep(State, TStep::PlaceVertices);
}

// PlaceVertices again and again on one network (InitRows starts the rows
// afresh each time), so that a profile of this benchmark shows nothing else.
void PlaceVerticesAlone(benchmark::State& State) {
    TWorkList& List = SchemeOf(static_cast<int>(State.range(0)));
    TCircuitEngine Engine(List);
    Engine.GetCircuit();
    Engine.TopSort();
    Engine.FoundCriticalPath();
    Engine.SplitLongArcs();
    for (auto _ : State)
        Engine.PlaceVertices();
    State.counters["peak_MB"] = PeakMegabytes();
}

// What the diagram window does after every change, without drawing.
void RebuildAndAnalyse(benchmark::State& State) {
    TWorkList& List = SchemeOf(static_cast<int>(State.range(0)));
    TCircuitEngine Engine(List);
    for (auto _ : State) {
        List.RecalcLinks();
        Engine.GetCircuit();
        Engine.Analyse();
    }
    State.counters["peak_MB"] = PeakMegabytes();
}

// The time-scaled view's layout, made again from the result after every
// change while that view is shown.
void TimeScaledLayout(benchmark::State& State) {
    TWorkList& List = SchemeOf(static_cast<int>(State.range(0)));
    TCircuitEngine Engine(List);
    Engine.GetCircuit();
    Engine.Analyse();
    for (auto _ : State)
        benchmark::DoNotOptimize(LayTimeScaled(Engine.Result()));
    State.counters["rows"] = LayTimeScaled(Engine.Result()).RowCount;
}

} // namespace

#define KORVANT_SIZES ->Arg(100)->Arg(300)->Arg(1000)->Unit(benchmark::kMillisecond)
// Every iteration of a step rebuilds the network untimed first; a fixed count
// keeps the run short however fast the step is.
#define KORVANT_STEP ->Arg(100)->Arg(300)->Arg(1000)->Iterations(5)->Unit(benchmark::kMillisecond)
// The large sizes are timed a few times only.
#define KORVANT_LARGE ->Arg(2000)->Arg(3000)->Iterations(3)->Unit(benchmark::kMillisecond)

BENCHMARK(RecalcLinks) KORVANT_SIZES;
BENCHMARK(RecalcLinks) KORVANT_LARGE;
BENCHMARK(GetCircuit) KORVANT_SIZES;
BENCHMARK(GetCircuit) KORVANT_LARGE;
BENCHMARK(TopSort) KORVANT_STEP;
BENCHMARK(TopSort) KORVANT_LARGE;
BENCHMARK(FoundCriticalPath) KORVANT_STEP;
BENCHMARK(FoundCriticalPath) KORVANT_LARGE;
BENCHMARK(SplitLongArcs) KORVANT_STEP;
BENCHMARK(SplitLongArcs) KORVANT_LARGE;
BENCHMARK(PlaceVertices) KORVANT_STEP;
BENCHMARK(PlaceVertices) KORVANT_LARGE;
BENCHMARK(PlaceVerticesAlone) KORVANT_SIZES;
BENCHMARK(PlaceVerticesAlone) KORVANT_LARGE;
BENCHMARK(RebuildAndAnalyse) KORVANT_SIZES;
BENCHMARK(RebuildAndAnalyse) KORVANT_LARGE;
BENCHMARK(TimeScaledLayout) KORVANT_SIZES;
BENCHMARK(TimeScaledLayout) KORVANT_LARGE;

BENCHMARK_MAIN();
