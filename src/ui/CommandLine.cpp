#include "ui/CommandLine.h"

#include "drawing/GanttChart.h"
#include "drawing/Labels.h"
#include "drawing/LoadChart.h"
#include "drawing/Picture.h"
#include "drawing/TimeScaledPicture.h"
#include "exchange/Exchange.h"
#include "model/Calendar.h"
#include "model/Levelling.h"
#include "model/Messenger.h"
#include "model/RealText.h"
#include "model/ResourceLoad.h"
#include "model/WorkList.h"
#include "network/CircuitEngine.h"
#include "network/Report.h"

#include <QGuiApplication>
#include <QPainter>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <stdlib.h>

namespace {

constexpr int ExitOk = 0;
constexpr int ExitFile = 2;
constexpr int ExitUsage = 64;
constexpr int ExitInternal = 70;

// clang-format off
constexpr std::string_view Usage =
    "usage: korvant [FILE.kcrct]\n"
    "       korvant --report FILE.kcrct [--shortest] [--detailed | --no-layout] [--start YYYY-MM-DD]\n"
    "                                   [--level]\n"
    "       korvant --render FILE.kcrct OUT.png|.jpg|.svg|.pdf [--shortest] [--detailed]\n"
    "       korvant --render FILE.kcrct OUT.png|.jpg|.svg|.pdf --gantt [--shortest] [--start YYYY-MM-DD]\n"
    "                                   [--load] [--level]\n"
    "       korvant --render FILE.kcrct OUT.png|.jpg|.svg|.pdf --load [--start YYYY-MM-DD] [--level]\n"
    "       korvant --render FILE.kcrct OUT.png|.jpg|.svg|.pdf --timescaled [--shortest]\n"
    "                                   [--start YYYY-MM-DD]\n"
    "       korvant --convert IN OUT [--start YYYY-MM-DD]\n"
    "                                  (.kcrct scheme, .xml MS Project XML, .csv, .sm PSPLIB to read)\n"
    "       korvant --help\n";
// clang-format on

// Collects what the model would show in boxes. The contour message is not a
// load failure: the scheme is loaded and reported with "contour": true.
class TConsoleMessenger : public TMessenger {
public:
    std::vector<std::string> Errors;
    void Notice(std::string_view) override {}
    void FileError(std::string_view Text) override { Errors.emplace_back(Text); }
    bool Question(std::string_view) override { return false; }
};

void PrintError(std::string_view Text) {
    std::string Line(Text);
    for (char& c : Line)
        if (c == '\r')
            c = '\n';
    std::fprintf(stderr, "korvant: %s\n", Line.c_str());
}

int UsageError(std::string_view Why) {
    std::fprintf(stderr, "korvant: %.*s\n%.*s", static_cast<int>(Why.size()), Why.data(),
                 static_cast<int>(Usage.size()), Usage.data());
    return ExitUsage;
}

// What went to stdout must have arrived: a report cut short on a full disk
// or a closed pipe is a failed write like any other.
int FinishOutput() {
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return ExitOk;
    PrintError(std::string("cannot write the standard output: ") + std::strerror(errno));
    return ExitFile;
}

struct TArguments {
    std::string Mode;
    std::vector<std::string> Files;
    bool Shortest = false;
    bool Detailed = false;
    bool NoLayout = false;
    // The report adds the schedule levelled by the scheme's resources.
    bool Level = false;
    bool Gantt = false;
    // The load chart of the resources, alone or under the Gantt chart.
    bool Load = false;
    bool TimeScaled = false;
    // The project's start for this run: a scheme without a calendar gets the
    // standard one from that day, one with a calendar starts then.
    std::optional<TCivilDate> Start;
};

// The catalogue's text of a failed load, after the file's name and, where the
// system gives one, the reason.
bool Load(TWorkList& List, TConsoleMessenger& Messenger, const std::string& FileName) {
    List.Messenger = &Messenger;
    if (List.LoadFromFile(FileName))
        return true;
    const std::optional<std::string> Why = FileUnreadable(FileName);
    for (const std::string& Error : Messenger.Errors)
        PrintError(FileName + ": " + Error + (Why ? " (" + *Why + ")" : std::string()));
    return false;
}

// Qt wants a private runtime folder and says so on stderr when the
// environment names none; a run without a display gets one of its own for
// as long as it lasts.
class TRuntimeDir {
public:
    TRuntimeDir() {
        if (std::getenv("XDG_RUNTIME_DIR"))
            return;
        std::string Template =
            (std::filesystem::temp_directory_path() / "korvant-runtime-XXXXXX").string();
        if (::mkdtemp(Template.data())) {
            Dir = Template;
            ::setenv("XDG_RUNTIME_DIR", Dir.c_str(), 1);
        }
    }
    TRuntimeDir(const TRuntimeDir&) = delete;
    TRuntimeDir& operator=(const TRuntimeDir&) = delete;
    ~TRuntimeDir() {
        if (Dir.empty())
            return;
        ::unsetenv("XDG_RUNTIME_DIR");
        std::error_code Ignored;
        std::filesystem::remove_all(Dir, Ignored);
    }

private:
    std::string Dir;
};

// The levelled schedule of the loaded scheme, or the reason there is none: a
// contour, or a work that wants more of a resource than there is at once.
std::optional<TLevelledSchedule> LevelScheme(const TWorkList& List, std::string& Why) {
    if (List.HasContour) {
        Why = "a scheme with a contour cannot be levelled";
        return std::nullopt;
    }
    std::vector<TDemands> Demands;
    Demands.reserve(static_cast<std::size_t>(List.Count()));
    for (int i = 0; i < List.Count(); ++i)
        Demands.push_back(List.GetWork(i).Demands);
    TLevelledSchedule Levelled = Level(LevellingProblemOf(List, List.Resources(), Demands));
    if (Levelled.Valid())
        return Levelled;
    if (const auto& Fault = Levelled.Fault) {
        const TResource& r = List.Resources()[Fault->Resource];
        Why = "work «" + List.GetWork(static_cast<int>(Fault->Work)).Name + "» needs " +
              FormatReal(Fault->Demand) + " units of «" + r.Name + "», only " +
              FormatReal(Fault->Availability) + " are available";
    } else {
        Why = "a scheme with a contour cannot be levelled";
    }
    return std::nullopt;
}

// The run's own start date, when one is given; false when the scheme's
// calendar cannot start then.
bool ApplyStart(const TArguments& Args, TWorkList& List) {
    if (!Args.Start)
        return true;
    TCalendar Calendar = List.Calendar().value_or(TCalendar{});
    Calendar.Start = *Args.Start;
    return List.SetCalendar(Calendar);
}

// The Gantt chart and the load chart of the whole plan (either or both, as
// asked), a day wide enough to read and the whole plan about as wide as a
// landscape page on a screen; the levelled schedule's bars and load when
// Levelled is given.
bool SaveGantt(const TArguments& Args, const TWorkList& List, const TNetworkView& View,
               const TLevelledSchedule* Levelled, const QString& Out, QString& Error) {
    TReal Last = View.Schedule.ProjectDuration;
    if (Levelled)
        Last = std::max(Last, Levelled->Duration);
    const double Span = static_cast<double>(Last) * (List.Calendar() ? 1.4 : 1.0);
    TGanttOptions Options;
    Options.PixelsPerDay = Span > 0 ? std::clamp(1400 / Span, 2.0, 24.0) : 24.0;
    if (Args.Load)
        Options.LeastNameWidth = LoadNameWidth(List.Resources(), Options.Font);
    std::vector<std::string> Names;
    std::vector<TDemands> Demands;
    for (int i = 0; i < List.Count(); ++i) {
        Names.push_back(List.GetWork(i).Name);
        Demands.push_back(List.GetWork(i).Demands);
    }
    const TGanttChart Chart(View.Schedule, Names, EssentialSuccessors(List), List.Calendar(),
                            Options, Levelled);
    std::vector<TReal> Start, Finish;
    if (Levelled) {
        Start = Levelled->Start;
        Finish = Levelled->Finish;
    } else {
        for (const TWorkTimes& Times : View.Schedule.Works) {
            Start.push_back(Times.EarlyStart);
            Finish.push_back(Times.EarlyFinish);
        }
    }
    const TLoadChart Load(Chart, List.Resources(),
                          ResourceLoads(List.Resources(), Demands, Start, Finish));
    // Fewer than two works or a contour: a white area, as for the diagram.
    const QSize Blank(332, 274);
    if (!Args.Gantt) {
        const QSize Size = Load.Empty() ? Blank : LoadPictureSize(Chart, Load);
        return SavePainting(
            Size,
            [&](QPainter& Painter, const QRectF& Part) {
                if (!Load.Empty())
                    PaintLoadPicture(Painter, Part, Chart, Load);
            },
            Out, Error);
    }
    const TLoadChart* Under = Args.Load ? &Load : nullptr;
    const QSize Size = Chart.Empty() ? Blank : StackedSize(Chart, Under);
    return SavePainting(
        Size,
        [&](QPainter& Painter, const QRectF& Part) { PaintStacked(Painter, Part, Chart, Under); },
        Out, Error);
}

// The time-scaled network of the whole plan, at the scale that gives most
// labels their room.
bool SaveTimeScaled(const TWorkList& List, const TNetworkView& View, const QString& Out,
                    QString& Error) {
    std::vector<std::string> Names;
    for (int i = 0; i < List.Count(); ++i)
        Names.push_back(List.GetWork(i).Name);
    const TTimeScaledPicture Picture(View, Names, List.Calendar());
    const QSize Size = Picture.Empty() ? QSize(332, 274) : Picture.Size();
    return SavePainting(
        Size, [&Picture](QPainter& Painter, const QRectF& Part) { Picture.Paint(Painter, Part); },
        Out, Error);
}

// The scheme of a --report or --render run, with the start date it is given
// and, when asked, its levelled schedule; the exit code when any of that
// fails.
// The list keeps Messenger for what it reports later.
std::optional<int> LoadForRun(const TArguments& Args, TWorkList& List, TConsoleMessenger& Messenger,
                              std::optional<TLevelledSchedule>& Levelled) {
    if (!Load(List, Messenger, Args.Files[0]))
        return ExitFile;
    if (!ApplyStart(Args, List))
        return UsageError("--start " + Args.Start->Iso() + " does not suit the scheme's calendar");
    if (Args.Level) {
        std::string Why;
        Levelled = LevelScheme(List, Why);
        if (!Levelled) {
            PrintError(Args.Files[0] + ": " + Why);
            return ExitFile;
        }
    }
    return std::nullopt;
}

int Report(const TArguments& Args, int argc, char** argv) {
    if (Args.Files.size() != 1)
        return UsageError("--report takes one scheme file");
    if (Args.NoLayout && Args.Detailed)
        return UsageError("--no-layout and --detailed exclude each other");
    TWorkList List;
    TConsoleMessenger Messenger;
    std::optional<TLevelledSchedule> Levelled;
    if (const std::optional<int> Failed = LoadForRun(Args, List, Messenger, Levelled))
        return *Failed;
    const TLevelledSchedule* Levels = Levelled ? &*Levelled : nullptr;
    const TReportSink Put = [](std::string_view Part) {
        std::fwrite(Part.data(), 1, Part.size(), stdout);
    };
    if (Args.Detailed) {
        // The detailed view's labels are measured in its font.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        const TRuntimeDir RuntimeDir;
        QGuiApplication App(argc, argv);
        const TDetailedSizes Sizes = DetailedSizes(List);
        WriteReport(Put, List, Args.Shortest ? +1 : -1, &Sizes, true, Levels);
    } else {
        WriteReport(Put, List, Args.Shortest ? +1 : -1, nullptr, !Args.NoLayout, Levels);
    }
    std::fputc('\n', stdout);
    return FinishOutput();
}

int Render(const TArguments& Args, int argc, char** argv) {
    if (Args.Files.size() != 2)
        return UsageError("--render takes a scheme file and a picture file");
    const QString Out = QString::fromStdString(Args.Files[1]);
    if (PictureFormatOf(Out) == TPictureFormat::None)
        return UsageError("cannot tell the picture format of " + Args.Files[1] +
                          "; known suffixes: " + PictureSuffixes().toStdString());
    // Fonts need a GUI application; the offscreen platform needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const TRuntimeDir RuntimeDir;
    QGuiApplication App(argc, argv);
    TWorkList List;
    TConsoleMessenger Messenger;
    std::optional<TLevelledSchedule> Levelled;
    if (const std::optional<int> Failed = LoadForRun(Args, List, Messenger, Levelled))
        return *Failed;
    TCircuitEngine Engine(List);
    Engine.PathSign = Args.Shortest ? +1 : -1;
    Engine.KeepSets = false;
    Engine.GetCircuit();
    Engine.Analyse();
    QString Error;
    bool Saved = false;
    if (Args.Gantt || Args.Load) {
        Saved = SaveGantt(Args, List, Engine.Result(), Levelled ? &*Levelled : nullptr, Out, Error);
    } else if (Args.TimeScaled) {
        Saved = SaveTimeScaled(List, Engine.Result(), Out, Error);
    } else {
        const TPicture Picture(Engine.Result(), List,
                               Args.Detailed ? TDiagramKind::Detailed : TDiagramKind::Plain);
        // Fewer than two works: the window shows a white area of its last
        // size; the picture is a white area of the window's first size.
        Saved = SavePicture(Picture, Out, Error, QSize(332, 274));
    }
    if (!Saved) {
        PrintError("cannot write " + Args.Files[1] + ": " + Error.toStdString());
        return ExitFile;
    }
    return ExitOk;
}

// Reads IN in the format its suffix names, writes OUT in the format its
// suffix names; what the reader changed on the way goes to stderr as
// warnings.
int Convert(const TArguments& Args) {
    if (Args.Files.size() != 2)
        return UsageError("--convert takes an input file and an output file");
    if (Args.Shortest || Args.Detailed)
        return UsageError("--convert takes no --shortest or --detailed");
    const TPlanFormat In = PlanFormatOf(Args.Files[0]);
    const TPlanFormat Out = PlanFormatOf(Args.Files[1]);
    if (In == TPlanFormat::Unknown)
        return UsageError("cannot tell the format of " + Args.Files[0] +
                          "; known suffixes: .kcrct, .xml, .csv, .sm");
    if (!CanWritePlan(Out))
        return UsageError("cannot write " + Args.Files[1] +
                          "; suffixes written: .kcrct, .xml, .csv");
    std::string Error;
    std::optional<TPlan> Plan = ReadPlan(Args.Files[0], In, Error);
    if (!Plan) {
        PrintError(Error);
        return ExitFile;
    }
    for (const std::string& Warning : Plan->Warnings)
        PrintError("warning: " + Warning);
    TWorkList List;
    TConsoleMessenger Messenger;
    List.Messenger = &Messenger;
    FillWorkList(List, std::move(*Plan));
    if (!ApplyStart(Args, List))
        return UsageError("--start " + Args.Start->Iso() + " does not suit the plan's calendar");
    // A scheme file and MS Project XML keep the calendar; CSV has no place
    // for it.
    if (List.Calendar() && Out == TPlanFormat::Csv)
        PrintError("warning: the project calendar is not written to " + Args.Files[1]);
    // MS Project XML carries the resources and demands but no unit of a work
    // resource; CSV carries neither.
    if (!List.Resources().empty() && Out == TPlanFormat::Csv)
        PrintError("warning: the resources and demands are not written to " + Args.Files[1]);
    if (Out == TPlanFormat::MsProjectXml &&
        std::any_of(List.Resources().begin(), List.Resources().end(),
                    [](const TResource& r) { return !r.Unit.empty(); }))
        PrintError("warning: the resources' units are not written to " + Args.Files[1]);
    if (!WritePlan(List, Args.Files[1], Out, Error)) {
        PrintError(Error);
        return ExitFile;
    }
    return ExitOk;
}

} // namespace

std::optional<int> RunCommandLine(int argc, char** argv) {
    if (argc < 2)
        return std::nullopt;
    TArguments Args;
    for (int i = 1; i < argc; ++i) {
        const std::string_view Arg = argv[i];
        if (Arg == "--help") {
            std::fwrite(Usage.data(), 1, Usage.size(), stdout);
            return FinishOutput();
        }
        if (Arg == "--report" || Arg == "--render" || Arg == "--convert") {
            if (!Args.Mode.empty())
                return UsageError("only one of --report, --render and --convert");
            Args.Mode = Arg;
        } else if (Arg == "--shortest") {
            Args.Shortest = true;
        } else if (Arg == "--detailed") {
            Args.Detailed = true;
        } else if (Arg == "--gantt") {
            Args.Gantt = true;
        } else if (Arg == "--timescaled") {
            Args.TimeScaled = true;
        } else if (Arg == "--no-layout") {
            Args.NoLayout = true;
        } else if (Arg == "--load") {
            Args.Load = true;
        } else if (Arg == "--level") {
            Args.Level = true;
        } else if (Arg == "--start") {
            const std::optional<TCivilDate> Date =
                i + 1 < argc ? ParseIsoDate(argv[i + 1]) : std::nullopt;
            if (!Date || *Date < CalendarFirstDate || *Date > CalendarLastDate)
                return UsageError("--start takes a date YYYY-MM-DD from 1900-01-01 to 2999-12-31");
            Args.Start = Date;
            ++i;
        } else if (Arg.starts_with("--")) {
            return UsageError("unknown option " + std::string(Arg));
        } else {
            Args.Files.emplace_back(Arg);
        }
    }
    if (Args.NoLayout && Args.Mode != "--report")
        return UsageError("--no-layout belongs to --report");
    if (Args.Mode.empty()) {
        if (Args.Shortest || Args.Detailed || Args.Gantt || Args.Load || Args.TimeScaled ||
            Args.Start || Args.Level || Args.Files.size() > 1)
            return UsageError("a window opens one scheme file");
        return std::nullopt;
    }
    if (Args.Gantt && (Args.Mode != "--render" || Args.Detailed))
        return UsageError("--gantt goes with --render, without --detailed");
    if (Args.Load && (Args.Mode != "--render" || Args.Detailed))
        return UsageError("--load goes with --render, without --detailed");
    if (Args.TimeScaled && (Args.Mode != "--render" || Args.Detailed || Args.Gantt || Args.Load))
        return UsageError("--timescaled goes with --render, without --detailed, --gantt or --load");
    if (Args.Start && Args.Mode != "--report" && Args.Mode != "--convert" && !Args.Gantt &&
        !Args.Load && !Args.TimeScaled)
        return UsageError(
            "--start goes with --report, --convert or --render --gantt, --load or --timescaled");
    if (Args.Level && Args.Mode != "--report" && !Args.Gantt && !Args.Load)
        return UsageError("--level goes with --report or --render --gantt or --load");
    // A broken invariant inside the engine ends the run with its text, as the
    // windows would show it in an error box.
    try {
        if (Args.Mode == "--report")
            return Report(Args, argc, argv);
        if (Args.Mode == "--convert")
            return Convert(Args);
        return Render(Args, argc, argv);
    } catch (const std::exception& Fault) {
        PrintError(std::string("internal fault: ") + Fault.what());
        return ExitInternal;
    }
}
