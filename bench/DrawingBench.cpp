// The diagram's pictures at the benchmark sizes: one screenful of the
// detailed view painted, its ranking and its labels alone, switching to it
// (its whole layout and geometry made), and the whole detailed diagram
// written as SVG and as PDF; the Gantt chart made from a result (what an
// edit costs with its window open) and a screenful of it painted; the load
// chart of ten resources made from the schedule and a screenful of it; the
// same for the time-scaled network (its layout, labels and geometry).

#include "ProjectScheme.h"

#include "drawing/GanttChart.h"
#include "drawing/Labels.h"
#include "drawing/LoadChart.h"
#include "drawing/Picture.h"
#include "drawing/TimeScaledPicture.h"
#include "network/CircuitEngine.h"
#include "network/DetailedRanking.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

struct TAnalysed {
    explicit TAnalysed(int n) : Engine(List) {
        FillProjectScheme(List, n);
        Engine.GetCircuit();
        Engine.Analyse();
    }
    TWorkList List;
    TCircuitEngine Engine;
};

TAnalysed& AnalysedOf(int n) {
    static std::unique_ptr<TAnalysed> Current;
    if (!Current || Current->List.Count() != n)
        Current = std::make_unique<TAnalysed>(n);
    return *Current;
}

// The middle of the picture, as large as a window on a full-HD screen.
void DetailedScreenful(benchmark::State& State) {
    TAnalysed& A = AnalysedOf(static_cast<int>(State.range(0)));
    const TPicture Picture(A.Engine.Result(), A.List, TDiagramKind::Detailed);
    QImage Screen(1900, 1000, QImage::Format_RGB32);
    const QSize Size = Picture.Size();
    const QRectF Part(QPointF(Size.width() / 2.0, Size.height() / 3.0), QSizeF(Screen.size()));
    for (auto _ : State) {
        Screen.fill(Qt::white);
        QPainter Painter(&Screen);
        Painter.translate(-Part.topLeft());
        Picture.Paint(Painter, Part);
    }
}

void SwitchToDetailed(benchmark::State& State) {
    TAnalysed& A = AnalysedOf(static_cast<int>(State.range(0)));
    for (auto _ : State) {
        const TPicture Picture(A.Engine.Result(), A.List, TDiagramKind::Detailed);
        benchmark::DoNotOptimize(Picture.Size());
    }
}

// The phases the detailed view adds to the rows: its own columns, and the
// labels measured and placed.
void DetailedRanking(benchmark::State& State) {
    TAnalysed& A = AnalysedOf(static_cast<int>(State.range(0)));
    for (auto _ : State)
        benchmark::DoNotOptimize(DetailedColumns(A.Engine.Result()));
}

void DetailedLabels(benchmark::State& State) {
    TAnalysed& A = AnalysedOf(static_cast<int>(State.range(0)));
    const TDetailedRows Rows = DetailedLayout(A.Engine.Result());
    for (auto _ : State) {
        const TDetailedSizes Sizes = DetailedSizes(A.List);
        benchmark::DoNotOptimize(PlaceDetailed(A.Engine.Result(), Rows, Sizes));
    }
}

void WholeFile(benchmark::State& State, const char* Name) {
    TAnalysed& A = AnalysedOf(static_cast<int>(State.range(0)));
    const TPicture Picture(A.Engine.Result(), A.List, TDiagramKind::Detailed);
    QTemporaryDir Dir;
    QString Error;
    for (auto _ : State)
        if (!SavePicture(Picture, Dir.filePath(QString::fromUtf8(Name)), Error))
            State.SkipWithError(Error.toStdString().c_str());
}

void DetailedSvg(benchmark::State& State) {
    WholeFile(State, "d.svg");
}
void DetailedPdf(benchmark::State& State) {
    WholeFile(State, "d.pdf");
}

// The Gantt chart of the plan with the standard calendar from a Monday.
std::unique_ptr<TGanttChart> GanttOf(TAnalysed& A) {
    std::vector<std::string> Names;
    for (int i = 0; i < A.List.Count(); ++i)
        Names.push_back(A.List.GetWork(i).Name);
    TCalendar Calendar;
    Calendar.Start = TCivilDate::FromYmd(2027, 3, 1);
    return std::make_unique<TGanttChart>(A.Engine.Result().Schedule, Names,
                                         EssentialSuccessors(A.List), Calendar);
}

void GanttChart(benchmark::State& State) {
    TAnalysed& A = AnalysedOf(static_cast<int>(State.range(0)));
    for (auto _ : State)
        benchmark::DoNotOptimize(GanttOf(A)->Size());
}

// A full-HD window's view of the middle of the chart, links on.
void GanttScreenful(benchmark::State& State) {
    TAnalysed& A = AnalysedOf(static_cast<int>(State.range(0)));
    const std::unique_ptr<TGanttChart> Chart = GanttOf(A);
    QImage Screen(1900, 1000, QImage::Format_RGB32);
    const QSize Size = Chart->Size();
    const QPointF Offset(Size.width() / 2.0, Size.height() / 2.0);
    for (auto _ : State) {
        Screen.fill(Qt::white);
        QPainter Painter(&Screen);
        Chart->PaintView(Painter, Offset, QSizeF(Screen.size()));
    }
}

// Ten resources, each work using two of them: a load that changes at almost
// every start and finish.
struct TLoadCase {
    std::vector<TResource> Resources;
    std::vector<TDemands> Demands;
};

TLoadCase LoadCaseOf(int n) {
    TLoadCase Case;
    for (int k = 0; k < 10; ++k)
        Case.Resources.push_back({"Ресурс " + std::to_string(k + 1), "чел.", 12});
    Case.Demands.resize(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        Case.Demands[static_cast<std::size_t>(i)].Set(static_cast<std::size_t>(i % 10), 1 + i % 4);
        Case.Demands[static_cast<std::size_t>(i)].Set(static_cast<std::size_t>((i * 7 + 3) % 10),
                                                      1 + i % 3);
    }
    return Case;
}

std::unique_ptr<TLoadChart> LoadOf(const TAnalysed& A, const TGanttChart& Axis,
                                   const TLoadCase& Case) {
    std::vector<TReal> Start, Finish;
    for (const TWorkTimes& Times : A.Engine.Result().Schedule.Works) {
        Start.push_back(Times.EarlyStart);
        Finish.push_back(Times.EarlyFinish);
    }
    return std::make_unique<TLoadChart>(Axis, Case.Resources,
                                        ResourceLoads(Case.Resources, Case.Demands, Start, Finish));
}

// What an edit adds with the load shown: the loads and their chart.
void LoadChart(benchmark::State& State) {
    TAnalysed& A = AnalysedOf(static_cast<int>(State.range(0)));
    const std::unique_ptr<TGanttChart> Axis = GanttOf(A);
    const TLoadCase Case = LoadCaseOf(A.List.Count());
    for (auto _ : State)
        benchmark::DoNotOptimize(LoadOf(A, *Axis, Case)->Size());
}

// A full-HD window's view of the middle of the load chart.
void LoadScreenful(benchmark::State& State) {
    TAnalysed& A = AnalysedOf(static_cast<int>(State.range(0)));
    const std::unique_ptr<TGanttChart> Axis = GanttOf(A);
    const std::unique_ptr<TLoadChart> Load = LoadOf(A, *Axis, LoadCaseOf(A.List.Count()));
    QImage Screen(1900, 1000, QImage::Format_RGB32);
    const QPointF Offset(Load->Size().width() / 2.0, 0);
    for (auto _ : State) {
        Screen.fill(Qt::white);
        QPainter Painter(&Screen);
        Load->PaintView(Painter, Offset, QSizeF(Screen.size()));
    }
}

// The time-scaled network in the standard calendar from a Monday.
std::unique_ptr<TTimeScaledPicture> TimeScaledOf(TAnalysed& A) {
    std::vector<std::string> Names;
    for (int i = 0; i < A.List.Count(); ++i)
        Names.push_back(A.List.GetWork(i).Name);
    TCalendar Calendar;
    Calendar.Start = TCivilDate::FromYmd(2027, 3, 1);
    return std::make_unique<TTimeScaledPicture>(A.Engine.Result(), Names, Calendar);
}

void TimeScaledPicture(benchmark::State& State) {
    TAnalysed& A = AnalysedOf(static_cast<int>(State.range(0)));
    for (auto _ : State)
        benchmark::DoNotOptimize(TimeScaledOf(A)->Size());
    State.counters["width"] = TimeScaledOf(A)->Size().width();
    State.counters["height"] = TimeScaledOf(A)->Size().height();
}

void TimeScaledScreenful(benchmark::State& State) {
    TAnalysed& A = AnalysedOf(static_cast<int>(State.range(0)));
    const std::unique_ptr<TTimeScaledPicture> Picture = TimeScaledOf(A);
    QImage Screen(1900, 1000, QImage::Format_RGB32);
    const QSize Size = Picture->Size();
    const QRectF Part(QPointF(Size.width() / 2.0, Size.height() / 3.0), QSizeF(Screen.size()));
    for (auto _ : State) {
        Screen.fill(Qt::white);
        QPainter Painter(&Screen);
        Painter.translate(-Part.topLeft());
        Picture->Paint(Painter, Part);
    }
}

} // namespace

BENCHMARK(LoadChart)->Arg(1000)->Arg(3000)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadScreenful)->Arg(1000)->Arg(3000)->Unit(benchmark::kMillisecond);
BENCHMARK(GanttChart)->Arg(1000)->Arg(3000)->Unit(benchmark::kMillisecond);
BENCHMARK(GanttScreenful)->Arg(1000)->Arg(3000)->Unit(benchmark::kMillisecond);
BENCHMARK(TimeScaledPicture)->Arg(1000)->Arg(3000)->Unit(benchmark::kMillisecond);
BENCHMARK(TimeScaledScreenful)->Arg(1000)->Arg(3000)->Unit(benchmark::kMillisecond);
BENCHMARK(DetailedScreenful)->Arg(1000)->Arg(3000)->Unit(benchmark::kMillisecond);
BENCHMARK(DetailedRanking)->Arg(1000)->Arg(3000)->Unit(benchmark::kMillisecond);
BENCHMARK(DetailedLabels)->Arg(1000)->Arg(3000)->Unit(benchmark::kMillisecond);
BENCHMARK(SwitchToDetailed)->Arg(1000)->Arg(3000)->Unit(benchmark::kMillisecond);
BENCHMARK(DetailedSvg)->Arg(1000)->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK(DetailedPdf)->Arg(1000)->Iterations(2)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication App(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
