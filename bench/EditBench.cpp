// One edit as the user makes it, timed inside the program's real start-up: a
// left click on a free cell of the dependency table, which enters a
// dependency, goes through Changed, RecalcLinks and the listeners (matrix
// redraw; the analyser's snapshot, whose analysis runs on its own thread).
// EditAnswer times what the window's thread spends before it answers again;
// EditEndToEnd waits until the analysis is handed over and the views have
// taken it, with the diagram laid out as for its shown window (and in the
// detailed view for EditEndToEndDetailed, in the time-scaled one for
// EditEndToEndTimeScaled); EditToSchedule the same with only the main window
// open, so that no layout is made. Each stage is timed on its
// own as well, at 200, 1000, 3000 and (for the answer, the schedule and the
// load) 10,000 works.
//
// The schemes: n works with whole durations from 1 to 20; the first three
// depend on nothing, every later work depends on one to three works chosen
// among the twenty before it. The generator is seeded with 20240601 + n, the
// same schemes the network benchmark times.
//
// The clicked cell is the first free one of the last row from the middle
// column on; every timed click is undone by an untimed right click on the
// same cell, so all iterations start from the same matrix.
//
// Peak memory (getrusage's ru_maxrss) is reported by PeakMemory/3000, which
// builds every window for 3000 works; run it alone for a clean figure:
//   edit_bench --benchmark_filter=PeakMemory
//
// Windows are created as start-up creates them and never shown, on Qt's
// offscreen platform.

#include "ProjectScheme.h"
#include "model/WorkList.h"
#include "ui/Analyser.h"
#include "ui/CircuitForm.h"
#include "ui/GanttForm.h"
#include "ui/Dialogs.h"
#include "ui/EditHistory.h"
#include "ui/MainForm.h"
#include "ui/StartUp.h"
#include "ui/WorksArcsForm.h"
#include "ui/WorksTableForm.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>

#include <sys/resource.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>

namespace {

// Boxes would block a benchmark: everything is answered at once.
class TSilentDialogs : public TDialogs {
public:
    void Notice(std::string_view) override {}
    void FileError(std::string_view) override {}
    bool Question(std::string_view) override { return false; }
    std::optional<std::string> OpenFileName() override { return std::nullopt; }
    std::optional<std::string> SaveFileName(const std::string&) override { return std::nullopt; }
    void Error(std::string_view) override {}
    void Plain(std::string_view) override {}
    void ShowHelp(const std::string&) override {}
};

// Fills List as a load does: rows given whole while nothing is announced,
// then one ckScheme.
void FillScheme(TWorkList& List, int n) {
    List.Updating = true;
    FillProjectScheme(List, n);
    List.Updating = false;
    List.Changed(0, ckScheme);
}

struct TProgram {
    explicit TProgram(int n) : Size(n), StartUp(Dialogs, Sign) {
        FillScheme(StartUp.WorkList, n);
        TWorkList& List = StartUp.WorkList;
        Row = n - 1;
        const TABs& Links = List.GetWork(Row).Links;
        Column = n / 2;
        while (Column < n && Links[static_cast<std::size_t>(Column)] != LinkFree)
            ++Column;
    }

    // Puts the pointer over the chosen cell, scrolling the table there when
    // it scrolls, and releases Button.
    void Click(Qt::MouseButton Button) {
        TWorksTableForm& Table = *StartUp.WorksTableForm;
        const TTableMetrics M = Table.Metrics();
        Table.TabImMouseMove(M.HeaderSize + Column * M.CellSize + M.CellSize / 2,
                             M.HeaderSize + Row * M.CellSize + M.CellSize / 2);
        Table.TabImMouseUp(Button);
    }
    std::int8_t& Cell() {
        return StartUp.WorkList.GetWork(Row).Links[static_cast<std::size_t>(Column)];
    }
    // What the views get once the analysis is handed over: Layout as for a
    // shown diagram window, Detailed in its detailed view.
    void Show(bool Layout, bool Detailed) {
        StartUp.Analyser->Want(this, Layout, Detailed);
        StartUp.CircuitForm->SetDetailed(Detailed);
        Settle();
    }
    void Settle() { StartUp.Analyser->Settle(); }

    int Size;
    TSilentDialogs Dialogs;
    std::int32_t Sign = -1;
    TStartUp StartUp;
    int Row = 0;
    int Column = 0;
};

// One program at a time: the largest takes gigabytes before the table scrolls.
TProgram& ProgramOf(int n) {
    static std::unique_ptr<TProgram> Current;
    if (!Current || Current->Size != n) {
        Current.reset();
        Current = std::make_unique<TProgram>(n);
    }
    return *Current;
}

void PeakMemoryCounter(benchmark::State& State) {
    rusage Usage{};
    getrusage(RUSAGE_SELF, &Usage);
    State.counters["peak_MB"] = static_cast<double>(Usage.ru_maxrss) / 1024.0;
}

// The click, and the analysis it starts handed over when Settled.
void Edit(benchmark::State& State, bool Settled) {
    TProgram& P = ProgramOf(static_cast<int>(State.range(0)));
    for (auto _ : State) {
        P.Click(Qt::LeftButton);
        if (Settled)
            P.Settle();
        State.PauseTiming();
        P.Settle();
        if (P.Cell() != LinkDirect)
            State.SkipWithError("the click entered no dependency");
        P.Click(Qt::RightButton);
        P.Settle();
        State.ResumeTiming();
    }
    PeakMemoryCounter(State);
}

void EditAnswer(benchmark::State& State) {
    ProgramOf(static_cast<int>(State.range(0))).Show(false, false);
    Edit(State, false);
}

void EditToSchedule(benchmark::State& State) {
    ProgramOf(static_cast<int>(State.range(0))).Show(false, false);
    Edit(State, true);
}

void EditEndToEnd(benchmark::State& State) {
    ProgramOf(static_cast<int>(State.range(0))).Show(true, false);
    Edit(State, true);
}

void EditEndToEndDetailed(benchmark::State& State) {
    TProgram& P = ProgramOf(static_cast<int>(State.range(0)));
    P.Show(true, true);
    Edit(State, true);
    P.Show(false, false);
}

// The same with the Gantt chart's window shown beside the diagram window,
// its chart made again from every analysis.
void EditEndToEndGantt(benchmark::State& State) {
    TProgram& P = ProgramOf(static_cast<int>(State.range(0)));
    P.StartUp.GanttForm->show();
    P.Show(true, false);
    Edit(State, true);
    P.StartUp.GanttForm->hide();
}

// The same in the diagram window's time-scaled view, its layout and picture
// made again from every analysis.
void EditEndToEndTimeScaled(benchmark::State& State) {
    TProgram& P = ProgramOf(static_cast<int>(State.range(0)));
    P.Show(true, false);
    P.StartUp.CircuitForm->SetTimeScaled(true);
    Edit(State, true);
    P.StartUp.CircuitForm->SetTimeScaled(false);
}

// The Gantt chart's window alone beside the main window: the analysis needs
// no layout, and the chart is made again from every analysis.
void EditToScheduleGantt(benchmark::State& State) {
    TProgram& P = ProgramOf(static_cast<int>(State.range(0)));
    P.StartUp.GanttForm->show();
    P.Show(false, false);
    Edit(State, true);
    P.StartUp.GanttForm->hide();
}

// Loading a scheme file of n works through the main window until its
// schedule is handed over (the works-arcs table filled), only the main
// window open.
void LoadToSchedule(benchmark::State& State) {
    const int n = static_cast<int>(State.range(0));
    const std::string File = QDir::temp().filePath(QStringLiteral("korvant-load-bench.kcrct")).toStdString();
    {
        TWorkList List;
        FillProjectScheme(List, n);
        List.SaveToFile(File);
    }
    TProgram& P = ProgramOf(n);
    P.Show(false, false);
    for (auto _ : State) {
        P.StartUp.MainForm->LoadScheme(File);
        P.Settle();
    }
    QFile::remove(QString::fromStdString(File));
    PeakMemoryCounter(State);
}

// The cell is entered without a notification, so that the stage alone runs
// on the matrix the edit leaves.
void StageRecalcLinks(benchmark::State& State) {
    TProgram& P = ProgramOf(static_cast<int>(State.range(0)));
    TWorkList& List = P.StartUp.WorkList;
    for (auto _ : State) {
        State.PauseTiming();
        P.Cell() = LinkDirect;
        State.ResumeTiming();
        List.RecalcLinks();
        State.PauseTiming();
        P.Cell() = LinkFree;
        List.RecalcLinks();
        State.ResumeTiming();
    }
}

void StageMatrixRedraw(benchmark::State& State) {
    TProgram& P = ProgramOf(static_cast<int>(State.range(0)));
    for (auto _ : State)
        P.StartUp.WorksTableForm->Redraw(P.StartUp.WorkList);
}

// What a shown table paints after the redraw: the part in view, at most one
// available screen's worth.
void StageMatrixPaint(benchmark::State& State) {
    TProgram& P = ProgramOf(static_cast<int>(State.range(0)));
    TWorksTableForm& Table = *P.StartUp.WorksTableForm;
    const QSize View = Table.size();
    QImage Target(View, QImage::Format_RGB32);
    for (auto _ : State) {
        QPainter Painter(&Target);
        Table.render(&Painter);
    }
    State.counters["view_w"] = View.width();
    State.counters["view_h"] = View.height();
}

// The analysis with the plain layout, on the analyser's thread.
void StageAnalysis(benchmark::State& State) {
    TProgram& P = ProgramOf(static_cast<int>(State.range(0)));
    P.Show(true, false);
    for (auto _ : State) {
        P.StartUp.Analyser->Refresh();
        P.Settle();
    }
}

void StageWorksArcsRefill(benchmark::State& State) {
    TProgram& P = ProgramOf(static_cast<int>(State.range(0)));
    for (auto _ : State)
        P.StartUp.ArcWorkForm->RefreshTable();
}

// The list's own edits, through the main window's history as the menu and
// the keys make them, timed end to end (the history, Changed, the main grid
// and the three windows). Prepare runs once; Timed runs inside the clock and
// Untimed puts the scheme back outside it.
using TStep = void (*)(TEditHistory&, int);

void HistoryStep(benchmark::State& State, TStep Prepare, TStep Timed, TStep Untimed) {
    TProgram& P = ProgramOf(static_cast<int>(State.range(0)));
    TEditHistory& History = P.StartUp.MainForm->History;
    const int Middle = P.Size / 2;
    P.Show(true, false);
    Prepare(History, Middle);
    P.Settle();
    for (auto _ : State) {
        Timed(History, Middle);
        P.Settle();
        State.PauseTiming();
        Untimed(History, Middle);
        P.Settle();
        State.ResumeTiming();
    }
    History.Reset();
}

void Nothing(TEditHistory&, int) {}
void Undo(TEditHistory& History, int) {
    History.Stack.undo();
}
void Redo(TEditHistory& History, int) {
    History.Stack.redo();
}
void Delete(TEditHistory& History, int i) {
    History.DeleteWork(i);
}

void DeleteWork(benchmark::State& State) {
    HistoryStep(State, Nothing, Delete, Undo);
}
void InsertWork(benchmark::State& State) {
    HistoryStep(
        State, Nothing, [](TEditHistory& H, int i) { H.InsertWork(i, "Вставленная", 2); }, Undo);
}
void MoveWork(benchmark::State& State) {
    HistoryStep(State, Nothing, [](TEditHistory& H, int i) { H.MoveWork(i, i - 1); }, Undo);
}
void UndoDelete(benchmark::State& State) {
    HistoryStep(State, Delete, Undo, Redo);
}
void RedoDelete(benchmark::State& State) {
    HistoryStep(
        State, [](TEditHistory& H, int i) { Delete(H, i); Undo(H, i); }, Redo, Undo);
}

void PeakMemory(benchmark::State& State) {
    TProgram& P = ProgramOf(static_cast<int>(State.range(0)));
    // The diagram laid out as its shown window has it, up to 3,000 works.
    P.Show(P.Size <= 3000, false);
    for (auto _ : State)
        benchmark::DoNotOptimize(P.StartUp.WorkList.Count());
    PeakMemoryCounter(State);
}

void Register() {
    for (int n : {200, 1000, 3000, 10000}) {
        // The largest sizes take seconds an edit: a few iterations suffice.
        const int Iterations = n >= 3000 ? 3 : (n >= 1000 ? 10 : 0);
        const auto Add = [&](const std::string& Name, void (*Function)(benchmark::State&)) {
            auto* B = benchmark::RegisterBenchmark(Name.c_str(), Function)
                          ->Arg(n)
                          ->Unit(benchmark::kMillisecond)
                          ->UseRealTime();
            if (Iterations > 0)
                B->Iterations(Iterations);
            B->Repetitions(n >= 3000 ? 3 : 5)->ReportAggregatesOnly(true);
        };
        Add("EditAnswer", EditAnswer);
        Add("EditToSchedule", EditToSchedule);
        if (n == 10000) {
            Add("LoadToSchedule", LoadToSchedule);
            continue;
        }
        Add("EditEndToEnd", EditEndToEnd);
        Add("EditEndToEndDetailed", EditEndToEndDetailed);
        Add("EditEndToEndGantt", EditEndToEndGantt);
        Add("EditToScheduleGantt", EditToScheduleGantt);
        Add("EditEndToEndTimeScaled", EditEndToEndTimeScaled);
        Add("StageRecalcLinks", StageRecalcLinks);
        Add("StageMatrixRedraw", StageMatrixRedraw);
        Add("StageMatrixPaint", StageMatrixPaint);
        Add("StageAnalysis", StageAnalysis);
        Add("StageWorksArcsRefill", StageWorksArcsRefill);
        if (n == 1000) {
            Add("DeleteWork", DeleteWork);
            Add("InsertWork", InsertWork);
            Add("MoveWork", MoveWork);
            Add("UndoDelete", UndoDelete);
            Add("RedoDelete", RedoDelete);
        }
    }
    benchmark::RegisterBenchmark("PeakMemory", PeakMemory)->Arg(3000)->Arg(10000)->Iterations(1);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication App(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    Register();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
