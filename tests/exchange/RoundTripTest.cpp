// A scheme written to another program's format and read back is the same
// scheme: names, durations as they are shown, and every cell. A write that
// fails on the device leaves the file that was there.

#include "ExchangeTestSupport.h"

#include "exchange/CsvFile.h"
#include "exchange/Exchange.h"
#include "exchange/MsProjectXml.h"
#include "model/AtomicFile.h"
#include "model/Cp1251.h"

#include <QTemporaryDir>

#include <cstring>
#include <filesystem>
#include <functional>
#include <random>

namespace {

using TWriter = std::function<std::optional<std::string>(const TWorkList&)>;
using TReader =
    std::function<std::optional<TPlan>(std::string_view, std::string_view, std::string&)>;

struct TFormat {
    const char* Name;
    TWriter Write;
    TReader Read;
    // The longest duration the format's plans may hold: MS Project's dates
    // end in 2149, about 32,600 working days after the writer's start.
    TReal Longest = 1e9L;
};

// Names of letters, blanks and the characters the formats quote or escape.
std::string RandomName(std::mt19937& Random, int Index) {
    static const std::vector<std::string> Pieces = {"Бетон", "a", " ", ";", "\"", ",", "&",
                                                    "<",     ">", "'", "ё", "№",  "Ω"};
    std::string Name;
    const int Length = static_cast<int>(Random() % 5);
    for (int k = 0; k < Length; ++k) {
        std::string Piece = Pieces[Random() % Pieces.size()];
        if (IsStorableName(Piece))
            Name += Piece;
    }
    return Name + "#" + std::to_string(Index);
}

// Durations of every size a planner types: whole, with a few decimals, tiny
// and huge.
TReal RandomDuration(std::mt19937& Random, TReal Longest) {
    const TReal Mantissa = static_cast<TReal>(Random() % 1000000 + 1);
    static const TReal Scales[] = {1, 10, 100, 1000, 1e4L, 1e6L, 1e-3L, 1e9L};
    TReal Duration = Mantissa / Scales[Random() % std::size(Scales)];
    while (Duration > Longest)
        Duration /= 1000;
    return Duration;
}

void RandomScheme(TWorkList& List, std::mt19937& Random, TReal Longest) {
    const int n = 1 + static_cast<int>(Random() % 25);
    for (int i = 0; i < n; ++i)
        List.AddWork({RandomName(Random, i), RandomDuration(Random, Longest), {}}, true);
    // Dependencies along a random order, so that none forms a contour.
    std::vector<int> Order(static_cast<std::size_t>(n));
    std::iota(Order.begin(), Order.end(), 0);
    std::shuffle(Order.begin(), Order.end(), Random);
    for (int a = 0; a < n; ++a)
        for (int b = 0; b < a; ++b)
            if (Random() % 4 == 0)
                List.GetWork(Order[static_cast<std::size_t>(a)])
                    .Links[static_cast<std::size_t>(Order[static_cast<std::size_t>(b)])] =
                    LinkDirect;
    List.Changed(0, ckScheme);
}

class RoundTrip : public ::testing::TestWithParam<TFormat> {};

TEST_P(RoundTrip, RandomSchemesComeBackWithTheSameNamesDurationsAndCells) {
    std::mt19937 Random(20260105);
    for (int Trial = 0; Trial < 60; ++Trial) {
        TWorkList List;
        RandomScheme(List, Random, GetParam().Longest);
        const std::optional<std::string> Bytes = GetParam().Write(List);
        ASSERT_TRUE(Bytes);
        std::string Error;
        std::optional<TPlan> Plan = GetParam().Read(*Bytes, "trip", Error);
        ASSERT_TRUE(Plan) << Error << "\n" << *Bytes;
        EXPECT_TRUE(Plan->Warnings.empty()) << Plan->Warnings.front();
        TWorkList Back;
        FillWorkList(Back, std::move(*Plan));
        ASSERT_EQ(Back.Count(), List.Count());
        for (int i = 0; i < List.Count(); ++i) {
            const TWorkData& a = List.GetWork(i);
            const TWorkData& b = Back.GetWork(i);
            EXPECT_EQ(a.Name, b.Name);
            EXPECT_EQ(FormatReal(a.Duration), FormatReal(b.Duration)) << a.Name;
            EXPECT_EQ(a.Links, b.Links) << a.Name << "\n" << *Bytes;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, RoundTrip,
                         ::testing::Values(TFormat{"MsProjectXml",
                                                   [](const TWorkList& List) {
                                                       std::string Error;
                                                       return WriteMsProjectXml(List, Error);
                                                   },
                                                   ReadMsProjectXml, 1000},
                                           TFormat{"Csv",
                                                   [](const TWorkList& List) {
                                                       return std::optional<std::string>(
                                                           WriteCsv(List));
                                                   },
                                                   ReadCsv}),
                         [](const auto& Info) { return std::string(Info.param.Name); });

TEST(FillWorkList, ReplacesTheWorksAndAnnouncesTheSchemeOnce) {
    TWorkList List;
    List.AddWork({"old", 1, {}}, true);
    std::vector<std::int32_t> Kinds;
    List.AddListener([&](TWorkList&, std::int32_t, std::int32_t Kind) { Kinds.push_back(Kind); });
    TPlan Plan;
    Plan.Works = {{"a", 2, {LinkForbidden, LinkFree}}, {"b", 3, {LinkDirect, LinkForbidden}}};
    FillWorkList(List, std::move(Plan));
    EXPECT_EQ(Kinds, std::vector<std::int32_t>{ckScheme});
    EXPECT_FALSE(List.Updating);
    ASSERT_EQ(List.Count(), 2);
    EXPECT_EQ(List.GetWork(1).Links, (TABs{LinkDirect, LinkForbidden}));
}

// The data are on the disk before the file takes the target's name, so a
// device that fails to flush them fails the write, in every format.
TEST(WritePlan, AFailedFlushLeavesTheOldFileAndNamesTheFileAndTheReason) {
    TWorkList List;
    std::mt19937 Random(7);
    RandomScheme(List, Random, 1000);
    const QTemporaryDir Dir;
    const std::filesystem::path Folder = Dir.path().toStdString();
    for (const char* Name : {"plan.kcrct", "plan.xml", "plan.csv"}) {
        const std::string Path = (Folder / Name).string();
        std::ofstream(Path, std::ios::binary) << "old";
        std::string Error;
        {
            const TFileFault Fault(TFileStep::Sync, 1, EIO);
            EXPECT_FALSE(WritePlan(List, Path, PlanFormatOf(Path), Error)) << Name;
        }
        EXPECT_EQ(Error, Path + ": " + std::strerror(EIO));
        std::ifstream In(Path, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(In), {}), "old") << Name;
        std::filesystem::remove(Path);
        EXPECT_TRUE(std::filesystem::is_empty(Folder)) << Name << ": litter left";
    }
}

} // namespace
