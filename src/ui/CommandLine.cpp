#include "ui/CommandLine.h"

#include "model/Messenger.h"
#include "model/WorkList.h"
#include "drawing/Picture.h"
#include "network/CircuitEngine.h"
#include "network/Report.h"

#include <QGuiApplication>

#include <cstdio>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int ExitOk = 0;
constexpr int ExitFile = 2;
constexpr int ExitUsage = 64;
constexpr int ExitInternal = 70;

constexpr std::string_view Usage =
    "usage: korvant [FILE.kcrct]\n"
    "       korvant --report FILE.kcrct [--shortest] [--detailed]\n"
    "       korvant --render FILE.kcrct OUT.png|.jpg|.svg|.pdf [--shortest] [--detailed]\n";

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

struct TArguments {
    std::string Mode;
    std::vector<std::string> Files;
    bool Shortest = false;
    bool Detailed = false;
};

bool Load(TWorkList& List, TConsoleMessenger& Messenger, const std::string& FileName) {
    List.Messenger = &Messenger;
    if (List.LoadFromFile(FileName))
        return true;
    for (const std::string& Error : Messenger.Errors)
        PrintError(Error);
    return false;
}

int Report(const TArguments& Args) {
    if (Args.Files.size() != 1)
        return UsageError("--report takes one scheme file");
    TWorkList List;
    TConsoleMessenger Messenger;
    if (!Load(List, Messenger, Args.Files[0]))
        return ExitFile;
    const std::string Json = ReportJson(List, Args.Shortest ? +1 : -1, Args.Detailed);
    std::fwrite(Json.data(), 1, Json.size(), stdout);
    std::fputc('\n', stdout);
    return std::fflush(stdout) == 0 ? ExitOk : ExitFile;
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
    QGuiApplication App(argc, argv);
    TWorkList List;
    TConsoleMessenger Messenger;
    if (!Load(List, Messenger, Args.Files[0]))
        return ExitFile;
    TCircuitEngine Engine(List);
    Engine.PathSign = Args.Shortest ? +1 : -1;
    Engine.GetCircuit();
    Engine.Analyse();
    const TPicture Picture(Engine.Result(), List,
                           Args.Detailed ? TDiagramKind::Detailed : TDiagramKind::Plain);
    // Fewer than two works: the window shows a white area of its last size;
    // the picture is a white area of the window's first size.
    QString Error;
    if (!SavePicture(Picture, Out, Error, QSize(332, 274))) {
        PrintError("cannot write " + Args.Files[1] + ": " + Error.toStdString());
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
        if (Arg == "--report" || Arg == "--render") {
            if (!Args.Mode.empty())
                return UsageError("only one of --report and --render");
            Args.Mode = Arg;
        } else if (Arg == "--shortest") {
            Args.Shortest = true;
        } else if (Arg == "--detailed") {
            Args.Detailed = true;
        } else if (Arg.starts_with("--")) {
            return UsageError("unknown option " + std::string(Arg));
        } else {
            Args.Files.emplace_back(Arg);
        }
    }
    if (Args.Mode.empty()) {
        if (Args.Shortest || Args.Detailed || Args.Files.size() > 1)
            return UsageError("a window opens one scheme file");
        return std::nullopt;
    }
    // A broken invariant inside the engine ends the run with its text, as the
    // windows would show it in an error box.
    try {
        if (Args.Mode == "--report")
            return Report(Args);
        return Render(Args, argc, argv);
    } catch (const std::exception& Fault) {
        PrintError(std::string("internal fault: ") + Fault.what());
        return ExitInternal;
    }
}
