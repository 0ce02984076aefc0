// korvant --report, --render and --convert as scripts use them: exit codes,
// stdout, stderr and the files they write.

#include "FullDisk.h"

#include "model/WorkList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct TRun {
    int Exit = -1;
    std::string Out;
    std::string Err;
};

class CommandLine : public ::testing::Test {
protected:
    fs::path Dir;

    void SetUp() override {
        Dir = fs::temp_directory_path() /
              ("korvant-cli-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(Dir);
    }
    void TearDown() override { fs::remove_all(Dir); }

    static std::string Slurp(const fs::path& File) {
        std::ifstream In(File, std::ios::binary);
        std::stringstream S;
        S << In.rdbuf();
        return S.str();
    }

    // Environment goes before the command, e.g. "env -u XDG_RUNTIME_DIR".
    TRun Run(const std::string& Arguments, const std::string& Environment = "") {
        const fs::path Out = Dir / "stdout";
        const fs::path Err = Dir / "stderr";
        const std::string Command = Environment + " QT_QPA_PLATFORM=offscreen " + KORVANT_EXE +
                                    " " + Arguments + " >" + Out.string() + " 2>" + Err.string();
        const int Status = std::system(Command.c_str());
        TRun R;
        R.Exit = WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
        R.Out = Slurp(Out);
        R.Err = Slurp(Err);
        return R;
    }

    fs::path Write(const std::string& Name, const std::string& Bytes) {
        const fs::path File = Dir / Name;
        std::ofstream(File, std::ios::binary) << Bytes;
        return File;
    }

    // Works "A" (1, depending on "Bc") and "Bc" (2.5): the 55-byte file.
    fs::path TwoWorks() {
        const unsigned char Bytes[] = {0x37, 0, 0,    0, 2, 0,    0,   0,    0,    0,    0,
                                       0,    0, 0,    0, 0, 0x1C, 0,   0,    0,    0x1D, 0,
                                       0,    0, 0x1F, 0, 0, 0,    'A', 'B',  'c',  0xFF, 0x01,
                                       0,    0, 0,    0, 0, 0,    0,   0x80, 0xFF, 0x3F, 0xFF,
                                       0xFF, 0, 0,    0, 0, 0,    0,   0,    0xA0, 0x00, 0x40};
        return Write("two.kcrct", std::string(reinterpret_cast<const char*>(Bytes), sizeof Bytes));
    }

    fs::path Scheme(const std::vector<std::pair<double, std::vector<int>>>& Works) {
        TWorkList List;
        for (std::size_t i = 0; i < Works.size(); ++i)
            List.AddWork({"W" + std::to_string(i), static_cast<TReal>(Works[i].first), {}}, true);
        for (std::size_t i = 0; i < Works.size(); ++i)
            for (int j : Works[i].second)
                List.GetWork(static_cast<int>(i)).Links[static_cast<std::size_t>(j)] = LinkDirect;
        List.Changed(0, ckScheme);
        const fs::path File = Dir / "scheme.kcrct";
        EXPECT_TRUE(List.SaveToFile(File.string()));
        return File;
    }
};

} // namespace

TEST_F(CommandLine, ReportOfTheTwoWorkExampleListsItsWorksAndCells) {
    const TRun R = Run("--report " + TwoWorks().string());
    ASSERT_EQ(R.Exit, 0) << R.Err;
    EXPECT_NE(R.Out.find(R"("mode": "critical")"), std::string::npos) << R.Out;
    EXPECT_NE(R.Out.find(R"("works": [{"name": "A", "duration": 1.0, )"), std::string::npos)
        << R.Out;
    EXPECT_NE(R.Out.find(R"({"name": "Bc", "duration": 2.5, )"), std::string::npos) << R.Out;
    EXPECT_NE(R.Out.find(R"("cells": [[-1, 1], [-1, -1]])"), std::string::npos) << R.Out;
    EXPECT_NE(R.Out.find(R"("contour": false)"), std::string::npos) << R.Out;
    EXPECT_NE(R.Out.find(R"("path_length": 3.5)"), std::string::npos) << R.Out;
    EXPECT_EQ(std::count(R.Out.begin(), R.Out.end(), '\n'), 1) << "one JSON object, one line";
}

TEST_F(CommandLine, ShortestModeIsReported) {
    // Two routes from start to end: 1 + 1 and 5.
    const fs::path File = Scheme({{1, {}}, {1, {0}}, {5, {}}});
    const TRun Critical = Run("--report " + File.string());
    const TRun Shortest = Run("--report " + File.string() + " --shortest");
    ASSERT_EQ(Critical.Exit, 0);
    ASSERT_EQ(Shortest.Exit, 0);
    EXPECT_NE(Critical.Out.find(R"("path_length": 5.0)"), std::string::npos) << Critical.Out;
    EXPECT_NE(Shortest.Out.find(R"("mode": "shortest")"), std::string::npos) << Shortest.Out;
    EXPECT_NE(Shortest.Out.find(R"("path_length": 2.0)"), std::string::npos) << Shortest.Out;
}

TEST_F(CommandLine, AContourIsASuccessWithoutANetwork) {
    // Each of the two works depends on the other: only a damaged file holds that.
    const unsigned char Bytes[] = {0x37, 0, 0,    0, 2, 0,    0,   0,    0,    0,    0,
                                   0,    0, 0,    0, 0, 0x1C, 0,   0,    0,    0x1D, 0,
                                   0,    0, 0x1F, 0, 0, 0,    'A', 'B',  'c',  0xFF, 0x01,
                                   0,    0, 0,    0, 0, 0,    0,   0x80, 0xFF, 0x3F, 0x01,
                                   0xFF, 0, 0,    0, 0, 0,    0,   0,    0xA0, 0x00, 0x40};
    const fs::path File =
        Write("contour.kcrct", std::string(reinterpret_cast<const char*>(Bytes), sizeof Bytes));
    const TRun R = Run("--report " + File.string());
    ASSERT_EQ(R.Exit, 0) << R.Err;
    EXPECT_NE(R.Out.find(R"("contour": true)"), std::string::npos) << R.Out;
    EXPECT_NE(R.Out.find(R"("events": [])"), std::string::npos) << R.Out;
    EXPECT_NE(R.Out.find(R"("path_length": null)"), std::string::npos) << R.Out;
}

TEST_F(CommandLine, AFileThatCannotBeLoadedExitsWithTwoAndItsMessage) {
    for (const fs::path& File :
         {Dir / "missing.kcrct", Write("short.kcrct", std::string("\x37\0\0\0\2\0", 6))}) {
        const TRun R = Run("--report " + File.string());
        EXPECT_EQ(R.Exit, 2) << File;
        EXPECT_TRUE(R.Out.empty()) << R.Out;
        EXPECT_NE(R.Err.find(File.string() + ": Ошибка при чтении файла"), std::string::npos)
            << R.Err;
    }
    EXPECT_NE(
        Run("--report " + (Dir / "missing.kcrct").string()).Err.find("(No such file or directory)"),
        std::string::npos);
}

TEST_F(CommandLine, BadArgumentsExitWithSixtyFourAndAUsageLine) {
    for (const std::string& Arguments :
         {std::string("--report"), std::string("--report a b"), std::string("--frobnicate"),
          std::string("--render only-one.kcrct"), std::string("--report a --render b c"),
          std::string("--convert a.kcrct"), std::string("--convert a.kcrct b.txt"),
          std::string("--convert a.doc b.xml"), std::string("--convert a.kcrct b.sm"),
          std::string("--convert a.kcrct b.xml --shortest"),
          std::string("--report a.kcrct --detailed --no-layout"),
          std::string("--render a.kcrct b.png --no-layout")}) {
        const TRun R = Run(Arguments);
        EXPECT_EQ(R.Exit, 64) << Arguments;
        EXPECT_NE(R.Err.find("usage: korvant"), std::string::npos) << Arguments;
    }
}

TEST_F(CommandLine, StartGivesTheReportDatesAndKeepsTheSchemesOwnCalendar) {
    // W0 (1 day), then W1 (2 days): Monday 08:00 to Wednesday 17:00.
    const fs::path File = Scheme({{1, {}}, {2, {0}}});
    const TRun Plain = Run("--report " + File.string());
    ASSERT_EQ(Plain.Exit, 0) << Plain.Err;
    EXPECT_NE(Plain.Out.find(R"("calendar": null)"), std::string::npos) << Plain.Out;
    EXPECT_NE(Plain.Out.find(R"("project_finish_date": null})"), std::string::npos) << Plain.Out;
    const TRun Dated = Run("--report " + File.string() + " --start 2027-03-01");
    ASSERT_EQ(Dated.Exit, 0) << Dated.Err;
    EXPECT_NE(Dated.Out.find(R"("calendar": {"start": "2027-03-01", "weekdays": [1, 2, 3, 4, 5], )"
                             R"("holidays": [], "workdays": []})"),
              std::string::npos)
        << Dated.Out;
    EXPECT_NE(Dated.Out.find(R"("early_start_date": "2027-03-02T08:00")"), std::string::npos);
    EXPECT_NE(Dated.Out.find(R"("project_finish_date": "2027-03-03T17:00"})"), std::string::npos)
        << Dated.Out;

    // A scheme's own holiday stays when --start moves its start.
    TWorkList List;
    ASSERT_TRUE(List.LoadFromFile(File.string()));
    TCalendar Calendar;
    Calendar.Start = TCivilDate::FromYmd(2026, 1, 5);
    Calendar.Holidays = {TCivilDate::FromYmd(2027, 3, 2)};
    ASSERT_TRUE(List.SetCalendar(Calendar));
    ASSERT_TRUE(List.SaveToFile(File.string()));
    const TRun Moved = Run("--report " + File.string() + " --start 2027-03-01");
    ASSERT_EQ(Moved.Exit, 0) << Moved.Err;
    EXPECT_NE(Moved.Out.find(R"("start": "2027-03-01", "weekdays": [1, 2, 3, 4, 5], )"
                             R"("holidays": ["2027-03-02"])"),
              std::string::npos)
        << Moved.Out;
    EXPECT_NE(Moved.Out.find(R"("project_finish_date": "2027-03-04T17:00"})"), std::string::npos)
        << Moved.Out;

    for (const std::string& Bad :
         {std::string("--start 2027-02-29"), std::string("--start"),
          std::string("--start 1899-12-31"), std::string("--start 01.03.2027")}) {
        const TRun R = Run("--report " + File.string() + " " + Bad);
        EXPECT_EQ(R.Exit, 64) << Bad;
        EXPECT_NE(R.Err.find("usage: korvant"), std::string::npos) << Bad;
    }
    EXPECT_EQ(
        Run("--render " + File.string() + " " + (Dir / "a.png").string() + " --start 2027-03-01")
            .Exit,
        64);
}

TEST_F(CommandLine, ConvertKeepsASchemesCalendarAndWarnsWhereTheFormatCannot) {
    const fs::path File = Scheme({{1, {}}, {2, {0}}});
    TWorkList List;
    ASSERT_TRUE(List.LoadFromFile(File.string()));
    TCalendar Calendar;
    Calendar.Start = TCivilDate::FromYmd(2027, 3, 1);
    Calendar.Holidays = {TCivilDate::FromYmd(2027, 3, 8)};
    ASSERT_TRUE(List.SetCalendar(Calendar));
    ASSERT_TRUE(List.SaveToFile(File.string()));
    const fs::path Copy = Dir / "copy.kcrct";
    const TRun Scheme = Run("--convert " + File.string() + " " + Copy.string());
    ASSERT_EQ(Scheme.Exit, 0) << Scheme.Err;
    EXPECT_TRUE(Scheme.Err.empty()) << Scheme.Err;
    EXPECT_EQ(Slurp(Copy), Slurp(File));
    const TRun Csv = Run("--convert " + File.string() + " " + (Dir / "plan.csv").string());
    ASSERT_EQ(Csv.Exit, 0) << Csv.Err;
    EXPECT_NE(Csv.Err.find("korvant: warning: the project calendar is not written to"),
              std::string::npos)
        << Csv.Err;
    // MS Project XML carries it there and back; --start moves its start.
    const fs::path Xml = Dir / "plan.xml";
    const TRun Out = Run("--convert " + File.string() + " " + Xml.string());
    ASSERT_EQ(Out.Exit, 0) << Out.Err;
    EXPECT_TRUE(Out.Err.empty()) << Out.Err;
    const TRun Back = Run("--convert " + Xml.string() + " " + Copy.string());
    ASSERT_EQ(Back.Exit, 0) << Back.Err;
    TWorkList Read;
    ASSERT_TRUE(Read.LoadFromFile(Copy.string()));
    EXPECT_EQ(Read.Calendar(), Calendar);
    ASSERT_EQ(Run("--convert " + File.string() + " " + Xml.string() + " --start 2027-04-05").Exit,
              0);
    EXPECT_NE(Slurp(Xml).find("<StartDate>2027-04-05T08:00:00</StartDate>"), std::string::npos);
}

TEST_F(CommandLine, HelpPrintsTheUsageAndSucceeds) {
    const TRun R = Run("--help");
    EXPECT_EQ(R.Exit, 0);
    EXPECT_EQ(R.Out.rfind("usage: korvant", 0), 0u) << R.Out;
    EXPECT_NE(R.Out.find("--convert IN OUT"), std::string::npos) << R.Out;
}

TEST_F(CommandLine, RenderWritesThePictureOfTheDiagram) {
    // A chain of two works: three events in a row, 200 x 40 pixels.
    const fs::path File = Scheme({{3, {}}, {4, {0}}});
    const fs::path Png = Dir / "chain.png";
    // Without a runtime folder in the environment Qt would say so.
    const TRun R = Run("--render " + File.string() + " " + Png.string(), "env -u XDG_RUNTIME_DIR");
    ASSERT_EQ(R.Exit, 0) << R.Err;
    EXPECT_EQ(R.Err, "");
    const std::string Bytes = Slurp(Png);
    ASSERT_GT(Bytes.size(), 24u);
    EXPECT_EQ(Bytes.substr(1, 3), "PNG");
    const auto BigEndian = [&](std::size_t At) {
        return (static_cast<unsigned char>(Bytes[At]) << 24) |
               (static_cast<unsigned char>(Bytes[At + 1]) << 16) |
               (static_cast<unsigned char>(Bytes[At + 2]) << 8) |
               static_cast<unsigned char>(Bytes[At + 3]);
    };
    EXPECT_EQ(BigEndian(16), 200u);
    EXPECT_EQ(BigEndian(20), 40u);
}

TEST_F(CommandLine, RenderChoosesTheFormatByTheSuffixAndRefusesOthers) {
    const fs::path File = Scheme({{1, {}}, {2, {0}}});
    const TRun Svg =
        Run("--render " + File.string() + " " + (Dir / "d.svg").string() + " --detailed");
    ASSERT_EQ(Svg.Exit, 0) << Svg.Err;
    std::ifstream In(Dir / "d.svg");
    const std::string Text((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
    EXPECT_NE(Text.find("<svg"), std::string::npos);
    const TRun Gif = Run("--render " + File.string() + " " + (Dir / "d.gif").string());
    EXPECT_EQ(Gif.Exit, 64);
    EXPECT_NE(Gif.Err.find(".png, .jpg, .jpeg, .svg, .pdf"), std::string::npos) << Gif.Err;
    EXPECT_FALSE(fs::exists(Dir / "d.gif"));
}

TEST_F(CommandLine, RenderGanttDrawsTheWorksOnTheDatesOfTheStartGiven) {
    const fs::path File = Scheme({{1, {}}, {2, {0}}});
    const fs::path Svg = Dir / "gantt.svg";
    const TRun R =
        Run("--render " + File.string() + " " + Svg.string() + " --gantt --start 2027-03-01");
    ASSERT_EQ(R.Exit, 0) << R.Err;
    const std::string Text = Slurp(Svg);
    // The works by name and the week of the start in the header.
    EXPECT_NE(Text.find(">W0<"), std::string::npos);
    EXPECT_NE(Text.find(">W1<"), std::string::npos);
    EXPECT_NE(Text.find("01.03.2027"), std::string::npos);
    EXPECT_EQ(Run("--render " + File.string() + " " + Svg.string() + " --gantt --detailed").Exit,
              64);
    EXPECT_EQ(Run("--report " + File.string() + " --gantt").Exit, 64);
}

TEST_F(CommandLine, RenderTimeScaledLabelsTheWorksUnderTheDateHeader) {
    const fs::path File = Scheme({{1, {}}, {2, {0}}, {0.5, {}}});
    const fs::path Svg = Dir / "timescaled.svg";
    const TRun R =
        Run("--render " + File.string() + " " + Svg.string() + " --timescaled --start 2027-03-01");
    ASSERT_EQ(R.Exit, 0) << R.Err;
    const std::string Text = Slurp(Svg);
    EXPECT_NE(Text.find(">W1 (2)<"), std::string::npos);
    EXPECT_NE(Text.find(">W2 (0.5)<"), std::string::npos);
    EXPECT_NE(Text.find("01.03.2027"), std::string::npos);
    EXPECT_EQ(Run("--render " + File.string() + " " + Svg.string() + " --timescaled --gantt").Exit,
              64);
    EXPECT_EQ(Run("--report " + File.string() + " --timescaled").Exit, 64);
}

TEST_F(CommandLine, RenderOfAMissingFileWritesNothing) {
    const fs::path Png = Dir / "none.png";
    const TRun R = Run("--render " + (Dir / "missing.kcrct").string() + " " + Png.string());
    EXPECT_EQ(R.Exit, 2);
    EXPECT_FALSE(fs::exists(Png));
}

TEST_F(CommandLine, ConvertTakesASchemeThroughXmlAndCsvAndBackUnchanged) {
    const fs::path File = Scheme({{1.5, {}}, {0.125, {0}}, {2, {0, 1}}, {7.25, {}}});
    for (const char* Suffix : {".xml", ".csv"}) {
        const fs::path Other = Dir / (std::string("plan") + Suffix);
        const fs::path Back = Dir / "back.kcrct";
        const TRun There = Run("--convert " + File.string() + " " + Other.string());
        ASSERT_EQ(There.Exit, 0) << There.Err;
        const TRun Again = Run("--convert " + Other.string() + " " + Back.string());
        ASSERT_EQ(Again.Exit, 0) << Again.Err;
        EXPECT_EQ(Again.Err, "");
        // MS Project XML always has a project calendar, and it comes in: the
        // standard week from the start the file was written with.
        if (Suffix == std::string(".xml")) {
            TWorkList List;
            ASSERT_TRUE(List.LoadFromFile(Back.string()));
            TCalendar Standard;
            Standard.Start = TCivilDate::FromYmd(2026, 1, 5);
            EXPECT_EQ(List.Calendar(), Standard);
            ASSERT_TRUE(List.SetCalendar(std::nullopt));
            ASSERT_TRUE(List.SaveToFile(Back.string()));
        }
        EXPECT_EQ(Slurp(Back), Slurp(File)) << Suffix;
    }
}

TEST_F(CommandLine, ConvertTellsWhatItChangedAsWarnings) {
    const fs::path Out = Dir / "house.kcrct";
    const TRun R = Run("--convert " KORVANT_EXCHANGE_DATA "/project.xml " + Out.string());
    ASSERT_EQ(R.Exit, 0) << R.Err;
    EXPECT_NE(R.Err.find("korvant: warning: задача «Подготовка» (UID 1) — суммарная"),
              std::string::npos)
        << R.Err;
    TWorkList List;
    ASSERT_TRUE(List.LoadFromFile(Out.string()));
    // Seven works, one of them split in two where a later work starts.
    EXPECT_EQ(List.Count(), 8);
}

TEST_F(CommandLine, APsplibInstanceHasTheCriticalPathWorkedOutByHand) {
    // Jobs 3 (5 days), the milestone 5 and 7 (6 days): 11 days.
    const fs::path Out = Dir / "instance.kcrct";
    ASSERT_EQ(Run("--convert " KORVANT_EXCHANGE_DATA "/instance.sm " + Out.string()).Exit, 0);
    const TRun R = Run("--report " + Out.string());
    ASSERT_EQ(R.Exit, 0) << R.Err;
    EXPECT_NE(R.Out.find(R"("path_length": 11.0)"), std::string::npos) << R.Out;
    EXPECT_EQ(R.Out.find("leveled"), std::string::npos) << R.Out;
}

TEST_F(CommandLine, LevelAddsTheLevelledScheduleOrNamesTheWorkThatCannotFit) {
    const fs::path Out = Dir / "instance.kcrct";
    ASSERT_EQ(Run("--convert " KORVANT_EXCHANGE_DATA "/instance.sm " + Out.string()).Exit, 0);
    const TRun R = Run("--report --level --no-layout " + Out.string());
    ASSERT_EQ(R.Exit, 0) << R.Err;
    EXPECT_NE(R.Out.find(R"("resources": [{"name": "R 1", "unit": "", "availability": 5.0}, )"),
              std::string::npos)
        << R.Out;
    EXPECT_NE(R.Out.find(R"("demands": [3.0, 1.0], "leveled_start": )"), std::string::npos)
        << R.Out;
    // Jobs 3, 6 and 7 need 2, 2 and 3 of the 4 units of R 2, no two of them
    // at once, and 6 waits for 3: 5 + 4 + 6 days, the critical path's 11 no
    // longer.
    EXPECT_NE(R.Out.find(R"("leveled_duration": 15.0})"), std::string::npos) << R.Out;

    TWorkList List;
    ASSERT_TRUE(List.LoadFromFile(Out.string()));
    TDemands Greedy;
    Greedy.Set(1, 9);
    ASSERT_TRUE(List.SetDemands(2, Greedy));
    ASSERT_TRUE(List.SaveToFile(Out.string()));
    const TRun Fault = Run("--report --level " + Out.string());
    EXPECT_EQ(Fault.Exit, 2);
    EXPECT_TRUE(Fault.Out.empty()) << Fault.Out;
    EXPECT_NE(Fault.Err.find("work «Работа 4» needs 9 units of «R 2», only 4 are available"),
              std::string::npos)
        << Fault.Err;
    EXPECT_EQ(Run("--render " + Out.string() + " a.png --level").Exit, 64);
}

TEST_F(CommandLine, RenderLoadShowsTheOverAllocationThatLevellingRemoves) {
    const fs::path File = Dir / "instance.kcrct";
    ASSERT_EQ(Run("--convert " KORVANT_EXCHANGE_DATA "/instance.sm " + File.string()).Exit, 0);
    const fs::path Early = Dir / "early.svg", Levelled = Dir / "levelled.svg";
    const TRun R = Run("--render " + File.string() + " " + Early.string() + " --load");
    ASSERT_EQ(R.Exit, 0) << R.Err;
    ASSERT_EQ(Run("--render " + File.string() + " " + Levelled.string() + " --load --level").Exit,
              0);
    const std::string EarlyText = Slurp(Early), LevelledText = Slurp(Levelled);
    EXPECT_NE(EarlyText.find(">R 2<"), std::string::npos);
    EXPECT_NE(EarlyText.find("коэффициент неравномерности: "), std::string::npos);
    // Over-allocated columns are painted red; the levelled load has none.
    EXPECT_NE(EarlyText.find("#dc2828"), std::string::npos);
    EXPECT_EQ(LevelledText.find("#dc2828"), std::string::npos);
    EXPECT_EQ(Run("--report " + File.string() + " --load").Exit, 64);
}

TEST_F(CommandLine, AFailedConvertLeavesNothingAtTheOutputAndKeepsWhatWasThere) {
    const fs::path Missing = Dir / "missing.xml";
    const TRun NoInput = Run("--convert " + Missing.string() + " " + (Dir / "a.csv").string());
    EXPECT_EQ(NoInput.Exit, 2);
    EXPECT_NE(NoInput.Err.find(Missing.string() + ": No such file or directory"), std::string::npos)
        << NoInput.Err;
    EXPECT_FALSE(fs::exists(Dir / "a.csv"));

    const fs::path Bad = Write("bad.csv", "Наименование;Длительность\nA;-1\n");
    const fs::path Kept = Write("kept.xml", "what the user had");
    const TRun Refused = Run("--convert " + Bad.string() + " " + Kept.string());
    EXPECT_EQ(Refused.Exit, 2);
    EXPECT_NE(Refused.Err.find("строка 2, столбец «Длительность»"), std::string::npos)
        << Refused.Err;
    EXPECT_EQ(Slurp(Kept), "what the user had");

    const fs::path Nowhere = Dir / "no-such-folder" / "out.xml";
    const TRun Unwritable = Run("--convert " + Scheme({{1, {}}}).string() + " " + Nowhere.string());
    EXPECT_EQ(Unwritable.Exit, 2);
    EXPECT_NE(Unwritable.Err.find(Nowhere.string()), std::string::npos) << Unwritable.Err;
    EXPECT_EQ(std::distance(fs::directory_iterator(Dir), fs::directory_iterator()), 5)
        << "no temporary file is left behind";
}

// Onto a file system with no room left, every format fails (2) with the file
// and the reason on stderr, and what was at the output stays byte for byte.
TEST_F(CommandLine, WritingOntoAFullDiskFailsInEveryFormatAndKeepsTheOldFile) {
    TFullDisk Disk;
    if (!Disk.Ready())
        GTEST_SKIP() << Disk.Why;
    const std::vector<std::pair<std::string, std::string>> Cases = {
        {"--convert", "out.kcrct"}, {"--convert", "out.xml"}, {"--convert", "out.csv"},
        {"--render", "out.png"},    {"--render", "out.jpg"},  {"--render", "out.svg"},
        {"--render", "out.pdf"}};
    std::vector<std::string> Names;
    for (const auto& [Mode, Name] : Cases) {
        Disk.Put(Name, "the old " + Name);
        Names.push_back(Name);
    }
    std::sort(Names.begin(), Names.end());
    ASSERT_TRUE(Disk.Fill());
    const std::string In = TwoWorks().string();
    for (const auto& [Mode, Name] : Cases) {
        const std::string Out = Disk.File(Name);
        const TRun R = Run(Mode + " " + In + " " + Out, "LC_ALL=C");
        EXPECT_EQ(R.Exit, 2) << Name;
        EXPECT_NE(R.Err.find(Out + ": No space left on device"), std::string::npos) << R.Err;
        EXPECT_EQ(Slurp(Out), "the old " + Name);
    }
    EXPECT_EQ(Disk.Entries(), Names) << "no temporary file is left behind";
}

TEST_F(CommandLine, OutputThatCannotBeWrittenFailsWithTheReason) {
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    for (const std::string& Arguments :
         {"--report " + TwoWorks().string(), std::string("--help")}) {
        const std::string Command = "LC_ALL=C QT_QPA_PLATFORM=offscreen " KORVANT_EXE " " +
                                    Arguments + " >/dev/full 2>" + (Dir / "stderr").string();
        const int Status = std::system(Command.c_str());
        EXPECT_EQ(WIFEXITED(Status) ? WEXITSTATUS(Status) : -1, 2) << Arguments;
        EXPECT_EQ(Slurp(Dir / "stderr"),
                  "korvant: cannot write the standard output: No space left on device\n");
    }
}

// The detailed report describes the detailed picture: its size in points is
// the page of the PDF --render writes.
TEST_F(CommandLine, DetailedReportGivesTheSizeOfTheDetailedPicture) {
    const fs::path File = Scheme({{1, {}}, {2, {0}}, {3, {0}}, {4, {1, 2}}});
    const TRun Report = Run("--report " + File.string() + " --detailed");
    ASSERT_EQ(Report.Exit, 0) << Report.Err;
    ASSERT_EQ(
        Run("--render " + File.string() + " " + (Dir / "d.pdf").string() + " --detailed").Exit, 0);
    std::ifstream In(Dir / "d.pdf", std::ios::binary);
    const std::string Pdf((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
    std::smatch Box;
    ASSERT_TRUE(std::regex_search(Pdf, Box, std::regex(R"(MediaBox \[0 0 ([\d.]+) ([\d.]+)\])")));
    std::smatch Size;
    ASSERT_TRUE(std::regex_search(Report.Out, Size,
                                  std::regex(R"("width": ([\d.]+), "height": ([\d.]+)\}\s*$)")))
        << Report.Out;
    // The PDF's page is in whole points.
    EXPECT_NEAR(std::stod(Size[1]), std::stod(Box[1]), 0.5);
    EXPECT_NEAR(std::stod(Size[2]), std::stod(Box[2]), 0.5);
}
