#include "exchange/Psplib.h"

#include "exchange/TaskGraph.h"
#include "model/RealText.h"
#include "model/SchemeFile.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

namespace {

// Upper bound on the jobs of an instance: the largest PSPLIB sets have 120
// jobs, generated ones a few thousand. The jobs that take time become works
// and must not pass MaxWorks; the others are milestones.
constexpr long long MaxJobs = 100000;

// The lines of a text, without their breaks. Only where each begins is
// kept (a file read is below 4 GB), so that a file of blank lines costs four
// bytes a line.
class TLines {
public:
    explicit TLines(std::string_view AText) : Text(AText) {
        Starts.reserve(static_cast<std::size_t>(std::count(Text.begin(), Text.end(), '\n')) + 2);
        Starts.push_back(0);
        for (std::size_t i = Text.find('\n'); i != std::string_view::npos;
             i = Text.find('\n', i + 1))
            Starts.push_back(static_cast<std::uint32_t>(i + 1));
        // A last line without a break ends as if it had one.
        if (!Text.empty() && Text.back() != '\n')
            Starts.push_back(static_cast<std::uint32_t>(Text.size() + 1));
    }
    std::size_t size() const { return Starts.size() - 1; }
    std::string_view operator[](std::size_t k) const {
        std::string_view Line = Text.substr(Starts[k], Starts[k + 1] - 1 - Starts[k]);
        if (!Line.empty() && Line.back() == '\r')
            Line.remove_suffix(1);
        return Line;
    }

private:
    std::string_view Text;
    std::vector<std::uint32_t> Starts;
};

// The whole numbers of a line, or nothing when it holds anything else.
std::optional<std::vector<long long>> Numbers(std::string_view Line) {
    std::vector<long long> Out;
    std::size_t i = 0;
    while (i < Line.size()) {
        if (Line[i] == ' ' || Line[i] == '\t') {
            ++i;
            continue;
        }
        long long Value = 0;
        const auto Result = std::from_chars(Line.data() + i, Line.data() + Line.size(), Value);
        if (Result.ec != std::errc() ||
            (Result.ptr != Line.data() + Line.size() && *Result.ptr != ' ' && *Result.ptr != '\t'))
            return std::nullopt;
        Out.push_back(Value);
        i = static_cast<std::size_t>(Result.ptr - Line.data());
    }
    return Out;
}

class TPsplibReader {
public:
    TPsplibReader(std::string_view Bytes, std::string_view ASource)
        : Text(Bytes), Source(ASource) {}
    std::optional<TPlan> Read(std::string& Error);

private:
    TLines Text;
    std::string Source;
    std::string Why;
    long long Jobs = 0;
    std::vector<std::vector<long long>> Successors;
    std::vector<long long> Durations;

    bool Fail(std::string Text) {
        Why = std::move(Text);
        return false;
    }
    // The line after the one that begins with Heading, or Text.size().
    std::size_t After(std::string_view Heading) const;
    bool ReadJobCount();
    bool ReadPrecedence();
    bool ReadDurations();
    // The next line of a table, past blank lines; false at a section's end.
    bool TableLine(std::size_t& At, std::string_view Section, long long Job,
                   std::vector<long long>& Row);
};

std::size_t TPsplibReader::After(std::string_view Heading) const {
    for (std::size_t k = 0; k < Text.size(); ++k) {
        std::string_view Line = Text[k];
        while (!Line.empty() && Line.front() == ' ')
            Line.remove_prefix(1);
        if (Line.starts_with(Heading))
            return k + 1;
    }
    return Text.size();
}

bool TPsplibReader::ReadJobCount() {
    for (std::size_t k = 0; k < Text.size(); ++k)
        if (const std::string_view Line = Text[k];
            Line.starts_with("jobs (incl. supersource/sink")) {
            const std::size_t Colon = Line.find(':');
            const auto Values =
                Colon == std::string_view::npos ? std::nullopt : Numbers(Line.substr(Colon + 1));
            if (!Values || Values->size() != 1 || (*Values)[0] < 2 || (*Values)[0] > MaxJobs)
                return Fail("число работ в строке «jobs (incl. supersource/sink ):» не годится");
            Jobs = (*Values)[0];
            return true;
        }
    return Fail("нет строки «jobs (incl. supersource/sink ):»");
}

bool TPsplibReader::TableLine(std::size_t& At, std::string_view Section, long long Job,
                              std::vector<long long>& Row) {
    while (At < Text.size() && Text[At].find_first_not_of(" \t") == std::string_view::npos)
        ++At;
    const std::string Where = "раздел «" + std::string(Section) + "» ";
    if (At >= Text.size() || Text[At].starts_with("*"))
        return Fail(Where + "обрывается до работы " + std::to_string(Job));
    const auto Values = Numbers(Text[At]);
    if (!Values)
        return Fail(Where + "строка " + std::to_string(At + 1) + ": не числа");
    if (Values->size() < 3 || (*Values)[0] != Job)
        return Fail(Where + "строка " + std::to_string(At + 1) + ": ждали строку работы " +
                    std::to_string(Job));
    Row = *Values;
    ++At;
    return true;
}

bool TPsplibReader::ReadPrecedence() {
    constexpr std::string_view Section = "PRECEDENCE RELATIONS:";
    std::size_t At = After(Section);
    if (At >= Text.size())
        return Fail("нет раздела «" + std::string(Section) + "»");
    // The column captions (jobnr. #modes #successors successors).
    if (At < Text.size() && Text[At].find("jobnr") != std::string_view::npos)
        ++At;
    // Rows are kept as they are read: the count alone allocates nothing.
    std::vector<long long> Row;
    for (long long Job = 1; Job <= Jobs; ++Job) {
        if (!TableLine(At, Section, Job, Row))
            return false;
        Successors.emplace_back();
        if (Row[1] != 1)
            return Fail("у работы " + std::to_string(Job) +
                        " несколько режимов: это не файл с одним режимом (.sm)");
        if (Row[2] < 0 || static_cast<std::size_t>(Row[2]) != Row.size() - 3)
            return Fail("раздел «" + std::string(Section) + "», работа " + std::to_string(Job) +
                        ": число последователей не совпадает с их списком");
        for (std::size_t k = 3; k < Row.size(); ++k) {
            if (Row[k] < 1 || Row[k] > Jobs)
                return Fail("раздел «" + std::string(Section) + "», работа " + std::to_string(Job) +
                            ": нет работы " + std::to_string(Row[k]));
            Successors[static_cast<std::size_t>(Job - 1)].push_back(Row[k]);
        }
    }
    return true;
}

bool TPsplibReader::ReadDurations() {
    constexpr std::string_view Section = "REQUESTS/DURATIONS:";
    std::size_t At = After(Section);
    if (At >= Text.size())
        return Fail("нет раздела «" + std::string(Section) + "»");
    // The column captions and the dashed line under them.
    while (At < Text.size() &&
           (Text[At].find("jobnr") != std::string_view::npos || Text[At].starts_with("-")))
        ++At;
    std::vector<long long> Row;
    for (long long Job = 1; Job <= Jobs; ++Job) {
        if (!TableLine(At, Section, Job, Row))
            return false;
        if (Row[1] != 1)
            return Fail("раздел «" + std::string(Section) + "», работа " + std::to_string(Job) +
                        ": режим " + std::to_string(Row[1]) + ", а не 1");
        if (Row[2] < 0 || !(Row[2] == 0 || DurationAllowed(static_cast<TReal>(Row[2]))))
            return Fail("раздел «" + std::string(Section) + "», работа " + std::to_string(Job) +
                        ": длительность " + std::to_string(Row[2]) + " не годится");
        Durations.push_back(Row[2]);
    }
    return true;
}

std::optional<TPlan> TPsplibReader::Read(std::string& Error) {
    if (!ReadJobCount() || !ReadPrecedence() || !ReadDurations()) {
        Error = Source + ": " + Why;
        return std::nullopt;
    }
    // The dummy source and sink are never works.
    const long long Works = static_cast<long long>(std::count_if(
        Durations.begin() + 1, Durations.end() - 1, [](long long d) { return d > 0; }));
    if (Works > MaxWorks) {
        Error = Source + ": " + TTaskGraph::TooManyWorks(Works);
        return std::nullopt;
    }
    TTaskGraph Graph;
    std::vector<int> Node(static_cast<std::size_t>(Jobs));
    for (long long Job = 1; Job <= Jobs; ++Job) {
        const long long Duration = Durations[static_cast<std::size_t>(Job - 1)];
        const std::string Name = "Работа " + std::to_string(Job);
        const std::string Label = "работа " + std::to_string(Job);
        int& At = Node[static_cast<std::size_t>(Job - 1)];
        if (Job == 1 || Job == Jobs) {
            At = Graph.AddPassage(Label);
        } else if (Duration == 0) {
            At = Graph.AddPassage(Label);
            Graph.Warn("работа " + std::to_string(Job) +
                       " нулевой длительности — веха: работы после неё ждут работ до неё");
        } else {
            At = Graph.AddWork(Name, static_cast<TReal>(Duration), Label);
        }
    }
    for (long long Job = 1; Job <= Jobs; ++Job)
        for (const long long Next : Successors[static_cast<std::size_t>(Job - 1)])
            Graph.AddLink(Node[static_cast<std::size_t>(Job - 1)],
                          Node[static_cast<std::size_t>(Next - 1)]);
    return Graph.Build(Source, Error);
}

} // namespace

std::optional<TPlan> ReadPsplib(std::string_view Bytes, std::string_view Source,
                                std::string& Error) {
    TPsplibReader Reader(Bytes, Source);
    return Reader.Read(Error);
}
