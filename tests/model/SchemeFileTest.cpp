// Scheme files: the exact bytes of two small schemes, round trips, every
// read failure with its message and announcement, and saves that fail without
// harming the file that was there.

#include "Recorder.h"

#include "messages/ErrorStrings.h"
#include "model/Cp1251.h"
#include "model/RealText.h"
#include "model/SchemeFile.h"
#include "model/WorkList.h"
#include "model/X87.h"

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <cstring>
#include <future>
#include <limits>
#include <random>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using Row = TABs;

std::string Hex(std::initializer_list<int> Bytes) {
    std::string s;
    for (int b : Bytes)
        s += static_cast<char>(b);
    return s;
}

// Works "A" (1, depending on the second work) and "Bc" (2.5).
const std::string Example55 =
    Hex({0x37, 0,    0,    0,    0x02, 0, 0,    0, 0, 0, 0,    0,    0,    0,
         0,    0,    0x1C, 0,    0,    0, 0x1D, 0, 0, 0, 0x1F, 0,    0,    0,
         0x41, 0x42, 0x63, 0xFF, 0x01, 0, 0,    0, 0, 0, 0,    0,    0x80, 0xFF,
         0x3F, 0xFF, 0xFF, 0,    0,    0, 0,    0, 0, 0, 0xA0, 0x00, 0x40});

const std::string Example36 =
    Hex({0x24, 0, 0,    0, 0x01, 0, 0,    0,    0, 0, 0, 0, 0, 0, 0, 0,    0x18, 0,
         0,    0, 0x19, 0, 0,    0, 0x41, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F});

// Through replace: GCC 12's link-time view of byte stores into a copied
// string takes them for writes past its end (-Wstringop-overflow).
void Put32(std::string& Image, std::size_t At, std::uint32_t Value) {
    char Bytes[4];
    for (int k = 0; k < 4; ++k)
        Bytes[k] = static_cast<char>((Value >> (8 * k)) & 0xFF);
    Image.replace(At, 4, Bytes, 4);
}

void PutDuration(std::string& Image, std::size_t At, const TX87Bytes& Bytes) {
    std::memcpy(Image.data() + At, Bytes.data(), Bytes.size());
}

std::vector<Row> Cells(const TWorkList& List) {
    std::vector<Row> Rows;
    for (int i = 0; i < List.Count(); ++i)
        Rows.push_back(List.GetWork(i).Links);
    return Rows;
}

void BuildExample(TWorkList& List) {
    List.AddWork(TWorkData{"A", 1, {}}, true);
    List.AddWork(TWorkData{"Bc", 2.5L, {}}, true);
    List.GetWork(0).Links[1] = LinkDirect;
    List.Changed(0, ckScheme);
}

class SchemeFile : public ::testing::Test {
protected:
    TTempFolder Folder;
    TWorkList List;
    TRecorder Rec;
    void SetUp() override { Rec.Attach(List); }

    // Loads Bytes from a file and checks that the outcome was announced the
    // way every load announces it: the message, if any, then one ckScheme.
    bool Load(std::string_view Bytes, std::string_view Error = {}) {
        const std::string Name = Folder.File("scheme.kcrct");
        WriteBytes(Name, Bytes);
        Rec.Events.clear();
        const bool Ok = List.LoadFromFile(Name);
        std::vector<std::string> Expected;
        if (!Error.empty())
            Expected.push_back(TRecorder::Error(Error));
        Expected.push_back(TRecorder::Call("L", 0, ckScheme, List.Count(), true));
        if (HasContourMessage())
            Expected.insert(Expected.begin() + static_cast<long>(Expected.size()) - 1,
                            TRecorder::Error(Msg::Contour));
        EXPECT_EQ(Rec.Events, Expected);
        EXPECT_FALSE(List.Updating);
        // The buffer-level reader tells the same story.
        TWorkList Twin;
        TRecorder TwinRec;
        TwinRec.Attach(Twin);
        EXPECT_EQ(LoadSchemeImage(Twin, Bytes), Ok);
        EXPECT_EQ(TwinRec.Events, Rec.Events);
        EXPECT_EQ(Cells(Twin), Cells(List));
        return Ok;
    }
    bool HasContourMessage() const {
        for (const std::string& e : Rec.Events)
            if (e == TRecorder::Error(Msg::Contour))
                return true;
        return false;
    }
};

TEST_F(SchemeFile, TheTwoWorkExampleIsWrittenByteForByte) {
    BuildExample(List);
    EXPECT_EQ(List.SchemeSize(), 55);
    const std::string Name = Folder.File("example.kcrct");
    Rec.Events.clear();
    EXPECT_TRUE(List.SaveToFile(Name));
    EXPECT_EQ(ReadBytes(Name), Example55);
    EXPECT_FALSE(List.Modified);
    EXPECT_TRUE(Rec.Events.empty());
    EXPECT_EQ(BuildSchemeImage(List), Example55);
}

TEST_F(SchemeFile, TheOneWorkExampleIsWrittenByteForByte) {
    List.AddWork(TWorkData{"A", 1, {}}, true);
    EXPECT_EQ(List.SchemeSize(), 36);
    const std::string Name = Folder.File("one.kcrct");
    EXPECT_TRUE(List.SaveToFile(Name));
    EXPECT_EQ(ReadBytes(Name), Example36);
}

TEST_F(SchemeFile, TheTwoWorkExampleLoadsAndIsAnalysed) {
    List.AddWork(TWorkData{"старая", 9, {}}, true);
    ASSERT_TRUE(Load(Example55));
    ASSERT_EQ(List.Count(), 2);
    EXPECT_EQ(List.GetWork(0).Name, "A");
    EXPECT_EQ(List.GetWork(1).Name, "Bc");
    EXPECT_EQ(List.GetWork(0).Duration, 1);
    EXPECT_EQ(List.GetWork(1).Duration, 2.5L);
    EXPECT_EQ(Cells(List), (std::vector<Row>{{-1, 1}, {-1, -1}}));
    EXPECT_TRUE(List.Graph.Rows[0].Subset->HasKey(1));
}

TEST_F(SchemeFile, SizeCountsNamesInCodePage1251) {
    List.AddWork(TWorkData{"Ёж", 1, {}}, true); // 4 bytes of UTF-8, 2 in the file
    EXPECT_EQ(List.SchemeSize(), 20 + 4 + 2 + 11);
    EXPECT_EQ(BuildSchemeImage(List)->size(), 37u);
}

TEST_F(SchemeFile, SavingAnEmptyListDoesNothing) {
    const std::string Name = Folder.File("empty.kcrct");
    List.Modified = true;
    EXPECT_FALSE(List.SaveToFile(Name));
    EXPECT_FALSE(fs::exists(Name));
    EXPECT_TRUE(List.Modified);
    EXPECT_TRUE(Rec.Events.empty());
}

std::string RandomName(std::mt19937& Random) {
    static const std::vector<std::string> Letters = {
        "а", "б", "в", "г", "д", "е", "ё", "ж", "з", "и", "й", "к", "л", "м", "н",       "о",
        "п", "р", "с", "т", "у", "ф", "х", "ц", "ч", "ш", "щ", "ъ", "ы", "ь", "э",       "ю",
        "я", "А", "Я", "Ё", " ", "-", "1", "Z", "№", "—", "«", "»", "Ї", "ў", "\xC2\x98"};
    std::string Name;
    const int Length = 1 + static_cast<int>(Random() % 12);
    for (int i = 0; i < Length; ++i)
        Name += Letters[Random() % Letters.size()];
    return Name;
}

TReal RandomDuration(std::mt19937& Random) {
    // Full 64-bit significands: fractions that no double could carry.
    const std::uint64_t Significand =
        (std::uint64_t{Random()} << 32) | Random() | (std::uint64_t{1} << 63);
    return std::ldexp(static_cast<TReal>(Significand), static_cast<int>(Random() % 40) - 80);
}

TEST_F(SchemeFile, RandomSchemesComeBackAsTheyWereSaved) {
    std::mt19937 Random(2202);
    for (int Round = 0; Round < 60; ++Round) {
        TWorkList Saved;
        const int n = 1 + static_cast<int>(Random() % 14);
        for (int i = 0; i < n; ++i)
            Saved.AddWork(TWorkData{RandomName(Random), RandomDuration(Random), {}}, true);
        for (int s = 0; s < 2 * n; ++s) {
            const int i = static_cast<int>(Random() % n), j = static_cast<int>(Random() % n);
            if (i > j && Saved.GetWork(i).Links[j] == LinkFree) {
                Saved.GetWork(i).Links[j] = LinkDirect;
                Saved.Changed(i, ckScheme);
            }
        }
        const std::string Name = Folder.File("round" + std::to_string(Round) + ".kcrct");
        ASSERT_TRUE(Saved.SaveToFile(Name));
        EXPECT_EQ(static_cast<std::int64_t>(fs::file_size(Name)), Saved.SchemeSize());

        ASSERT_TRUE(List.LoadFromFile(Name)) << "round " << Round;
        ASSERT_EQ(List.Count(), n);
        for (int i = 0; i < n; ++i) {
            EXPECT_EQ(List.GetWork(i).Name, Saved.GetWork(i).Name);
            EXPECT_EQ(List.GetWork(i).Duration, Saved.GetWork(i).Duration);
        }
        EXPECT_EQ(Cells(List), Cells(Saved));
        // And the same file again.
        ASSERT_TRUE(List.SaveToFile(Name + ".again"));
        EXPECT_EQ(ReadBytes(Name + ".again"), ReadBytes(Name));
    }
}

// A file image put together by hand from the names' bytes, the rows and the
// durations.
std::string MakeImage(const std::vector<std::string>& Names, const std::vector<Row>& Rows,
                      const std::vector<TReal>& Durations) {
    const auto n = static_cast<std::uint32_t>(Names.size());
    std::string Image(16 + 4 * (n + 1), '\0');
    Put32(Image, 4, n);
    for (std::uint32_t i = 0; i < n; ++i) {
        Put32(Image, 16 + 4 * i, static_cast<std::uint32_t>(Image.size()));
        Image += Names[i];
    }
    Put32(Image, 16 + 4 * n, static_cast<std::uint32_t>(Image.size()));
    for (std::uint32_t i = 0; i < n; ++i) {
        for (std::int8_t c : Rows[i])
            Image += static_cast<char>(c);
        const TX87Bytes d = EncodeX87(Durations[i]);
        Image.append(reinterpret_cast<const char*>(d.data()), d.size());
    }
    Put32(Image, 0, static_cast<std::uint32_t>(Image.size()));
    return Image;
}

TEST_F(SchemeFile, EveryNameByteComesBackIncludingTheUndefinedOne) {
    std::string All;
    for (int b = 0; b < 256; ++b)
        All += static_cast<char>(b);
    const std::string Image = MakeImage({All, "\x98"}, {{-1, 0}, {0, -1}}, {1, 2});
    ASSERT_TRUE(Load(Image));
    EXPECT_EQ(List.GetWork(0).Name, Cp1251ToUtf8(All));
    EXPECT_EQ(List.GetWork(1).Name, "\xC2\x98");
    const std::string Again = Folder.File("again.kcrct");
    ASSERT_TRUE(List.SaveToFile(Again));
    EXPECT_EQ(ReadBytes(Again), Image);
}

TEST_F(SchemeFile, AFileLongerThanItsTotalSizeLoadsWithoutTheRest) {
    ASSERT_TRUE(Load(Example55 + "junk that is never read"));
    EXPECT_EQ(List.Count(), 2);
}

TEST_F(SchemeFile, AnEmptySchemeOfTwentyBytesLoadsWithoutAMessage) {
    List.AddWork(TWorkData{"A", 1, {}}, true);
    ASSERT_TRUE(Load(Hex({20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 20, 0, 0, 0})));
    EXPECT_EQ(List.Count(), 0);
}

TEST_F(SchemeFile, OwnCellsAreForbiddenWhateverTheFileHeld) {
    std::string Image = Example55;
    Image[31] = 0; // own cell of "A"
    Image[44] = 3; // own cell of "Bc"
    Image[43] = 0; // "Bc" on "A": not entered
    ASSERT_TRUE(Load(Image));
    EXPECT_EQ(Cells(List), (std::vector<Row>{{-1, 1}, {-1, -1}}));
}

TEST_F(SchemeFile, AContourInTheFileIsReportedAfterALoadThatSucceeded) {
    std::string Image = Example55;
    Image[43] = 1; // "Bc" on "A" as well as "A" on "Bc"
    ASSERT_TRUE(Load(Image));
    EXPECT_EQ(Rec.Events.front(), TRecorder::Error(Msg::Contour));
    EXPECT_TRUE(List.HasContour);
    EXPECT_EQ(Cells(List), (std::vector<Row>{{-1, 1}, {1, -1}}));
}

TEST_F(SchemeFile, LoadingAFileThatDoesNotExistLosesTheOpenScheme) {
    BuildExample(List);
    Rec.Events.clear();
    EXPECT_FALSE(List.LoadFromFile(Folder.File("missing.kcrct")));
    EXPECT_EQ(List.Count(), 0);
    EXPECT_EQ(Rec.Events, (std::vector<std::string>{TRecorder::Error(Msg::ReadError),
                                                    TRecorder::Call("L", 0, ckScheme, 0, true)}));
    EXPECT_FALSE(List.Updating);
}

TEST_F(SchemeFile, OnlyARegularFileIsReadAndAnythingElseIsRefusedAtOnce) {
    const std::string Fifo = Folder.File("pipe.kcrct");
    ASSERT_EQ(::mkfifo(Fifo.c_str(), 0600), 0);
    for (const std::string& Name : {Fifo, std::string("/dev/zero"), std::string("/dev/null"),
                                    Folder.Path.string(), std::string()}) {
        BuildExample(List);
        Rec.Events.clear();
        auto Loading = std::async(std::launch::async, [&] { return List.LoadFromFile(Name); });
        if (Loading.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
            ADD_FAILURE() << Name << " made the load wait";
            // A writer that comes and goes ends the wait with an end of file.
            ::close(::open(Name.c_str(), O_WRONLY | O_NONBLOCK));
        }
        EXPECT_FALSE(Loading.get()) << Name;
        EXPECT_EQ(Rec.Events,
                  (std::vector<std::string>{TRecorder::Error(Msg::ReadError),
                                            TRecorder::Call("L", 0, ckScheme, 0, true)}))
            << Name;
    }
}

TEST_F(SchemeFile, TheBoundsOfAnAllowedDurationLoad) {
    const TReal SmallestNormal = std::numeric_limits<TReal>::min();
    ASSERT_TRUE(Load(MakeImage({"A", "B"}, {{-1, 0}, {0, -1}}, {MaxDuration, SmallestNormal})));
    EXPECT_EQ(List.GetWork(0).Duration, MaxDuration);
    EXPECT_EQ(List.GetWork(1).Duration, SmallestNormal);
}

// A damaged file: its bytes, the message it must give, and how many works
// are left in the list afterwards.
struct TDamage {
    const char* What;
    std::string Bytes;
    std::string_view Error;
    int WorksLeft = 0;
};

void PrintTo(const TDamage& d, std::ostream* Out) {
    *Out << d.What;
}

std::string With32(std::string Image, std::size_t At, std::uint32_t Value) {
    Put32(Image, At, Value);
    return Image;
}

std::string WithDuration(std::string Image, std::size_t At, std::uint64_t Significand,
                         unsigned Top) {
    TX87Bytes b{};
    for (int i = 0; i < 8; ++i)
        b[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(Significand >> (8 * i));
    b[8] = static_cast<std::uint8_t>(Top & 0xFF);
    b[9] = static_cast<std::uint8_t>(Top >> 8);
    PutDuration(Image, At, b);
    return Image;
}

std::string WithX87(std::string Image, std::size_t At, TReal Value) {
    PutDuration(Image, At, EncodeX87(Value));
    return Image;
}

std::vector<TDamage> DamagedFiles() {
    const std::string& E = Example55;
    constexpr std::uint64_t One = std::uint64_t{1} << 63;
    return {
        {"empty_file", "", Msg::ReadError},
        {"three_bytes", E.substr(0, 3), Msg::ReadError},
        {"shorter_than_total_size", E.substr(0, 54), Msg::ReadError},
        {"total_size_one_past_the_file", With32(E, 0, 56), Msg::ReadError},
        {"total_size_huge", With32(E, 0, 0x7FFFFFFF), Msg::ReadError},
        {"total_size_below_four", With32(E, 0, 3), Msg::ReadError},
        {"total_size_zero", With32(E, 0, 0), Msg::ReadError},
        {"total_size_negative", With32(E, 0, 0xFFFFFFFF), Msg::ReadError},
        {"total_size_most_negative", With32(E, 0, 0x80000000), Msg::ReadError},
        {"total_size_four", With32(E, 0, 4), Msg::ReadError},
        {"total_size_without_count", With32(E, 0, 7), Msg::ReadError},
        {"total_size_without_table", With32(E, 0, 16), Msg::ReadError},
        {"count_negative", With32(E, 4, 0xFFFFFFFF), Msg::ReadError},
        {"count_most_negative", With32(E, 4, 0x80000000), Msg::ReadError},
        {"count_huge", With32(E, 4, 0x7FFFFFFF), Msg::ReadError},
        {"count_table_past_the_data", With32(E, 4, 9), Msg::ReadError},
        {"count_too_large_for_the_offsets", With32(E, 4, 3), Msg::ReadError},
        {"offset_backwards", With32(With32(E, 16, 29), 20, 28), Msg::ReadError},
        {"offset_into_the_table", With32(E, 16, 4), Msg::ReadError},
        {"offset_negative", With32(E, 16, 0xFFFFFFF0), Msg::ReadError},
        {"offset_past_the_data", With32(E, 24, 56), Msg::ReadError},
        {"offset_far_past_the_data", With32(E, 20, 0x7FFFFFFF), Msg::ReadError},
        {"records_past_the_data", With32(E, 24, 43), Msg::CountMismatch, 1},
        {"no_room_for_any_record", With32(With32(E, 20, 50), 24, 50), Msg::CountMismatch, 0},
        {"count_zero_offset_past_the_data", With32(With32(E, 4, 0), 16, 60), Msg::ReadError},
        {"first_duration_nan", WithDuration(E, 33, One | 1, 0x7FFF), Msg::ReadError, 0},
        {"second_duration_infinite", WithDuration(E, 45, One, 0xFFFF), Msg::ReadError, 1},
        {"second_duration_unnormal", WithDuration(E, 45, 0x4000000000000000, 0x3FFF),
         Msg::ReadError, 1},
        {"second_duration_pseudo_denormal", WithDuration(E, 45, One, 0), Msg::ReadError, 1},
        // Numbers, but not durations the editor would take.
        {"first_duration_negative", WithDuration(E, 33, One, 0xBFFF), Msg::ReadError, 0},
        {"second_duration_zero", WithDuration(E, 45, 0, 0), Msg::ReadError, 1},
        {"second_duration_negative_zero", WithDuration(E, 45, 0, 0x8000), Msg::ReadError, 1},
        {"second_duration_subnormal", WithDuration(E, 45, 1, 0), Msg::ReadError, 1},
        {"second_duration_largest_extended", WithDuration(E, 45, ~std::uint64_t{0}, 0x7FFE),
         Msg::ReadError, 1},
        {"second_duration_above_the_largest",
         WithX87(E, 45, std::nextafter(MaxDuration, TReal{2} * MaxDuration)), Msg::ReadError, 1},
    };
}

class DamagedSchemeFile : public SchemeFile, public ::testing::WithParamInterface<TDamage> {};

TEST_P(DamagedSchemeFile, EndsOnTheFailurePathWithItsMessage) {
    const TDamage& d = GetParam();
    BuildExample(List); // the scheme open before the load is lost either way
    EXPECT_FALSE(Load(d.Bytes, d.Error));
    ASSERT_EQ(List.Count(), d.WorksLeft);
    // A work read before the failure keeps what the file gave it.
    if (d.WorksLeft > 0) {
        EXPECT_EQ(List.GetWork(0).Name, "A");
    }
    // Works read before the failure keep rows as long as the list.
    for (int i = 0; i < List.Count(); ++i) {
        EXPECT_EQ(List.GetWork(i).Links.size(), static_cast<std::size_t>(List.Count()));
        EXPECT_EQ(List.GetWork(i).Links[static_cast<std::size_t>(i)], LinkForbidden);
    }
    // The list is whole: a work can be added and the scheme saved again.
    List.AddWork(TWorkData{"новая", 1, {}}, true);
    Row Fresh(static_cast<std::size_t>(List.Count()), LinkFree);
    Fresh.back() = LinkForbidden;
    EXPECT_EQ(List.GetWork(List.Count() - 1).Links, Fresh);
}

INSTANTIATE_TEST_SUITE_P(Cases, DamagedSchemeFile, ::testing::ValuesIn(DamagedFiles()),
                         [](const auto& Info) { return std::string(Info.param.What); });

TEST_F(SchemeFile, ACountPastTheLargestSchemeIsRefusedBeforeAnyWorkIsMade) {
    // Room for the offset table, so that only the count itself is wrong.
    std::string Image(16 + 4 * (MaxWorks + 2), '\0');
    Put32(Image, 0, static_cast<std::uint32_t>(Image.size()));
    Put32(Image, 4, MaxWorks + 1);
    EXPECT_FALSE(Load(Image, std::string(Msg::TooManyWorks) + ": " +
                                 std::to_string(MaxWorks + 1) + " (не больше " +
                                 std::to_string(MaxWorks) + ")"));
    EXPECT_EQ(List.Count(), 0);
}

TEST_F(SchemeFile, TheUnreadRecordsColumnsAreCutFromTheWorksThatCame) {
    // Three works declared, records for one: its row loses the two columns of
    // works that never came, so that a new work finds a free cell there.
    std::string Image = Hex({0, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    Image += Hex({32, 0, 0, 0, 33, 0, 0, 0, 34, 0, 0, 0, 35, 0, 0, 0});
    Image += "XYZ";
    Image +=
        Hex({0xFF, 1, 1}) + std::string(reinterpret_cast<const char*>(EncodeX87(2).data()), 10);
    Put32(Image, 0, static_cast<std::uint32_t>(Image.size()));
    EXPECT_FALSE(Load(Image, Msg::CountMismatch));
    ASSERT_EQ(List.Count(), 1);
    EXPECT_EQ(List.GetWork(0).Name, "X");
    EXPECT_EQ(List.GetWork(0).Duration, 2);
    EXPECT_EQ(List.GetWork(0).Links, (Row{-1}));
    List.AddWork(TWorkData{"Y", 1, {}}, true);
    EXPECT_EQ(Cells(List), (std::vector<Row>{{-1, 0}, {0, -1}}));
}

TEST_F(SchemeFile, NameOffsetZeroIsNotWhereNamesStart) {
    // Names are read one after the other from the end of the table; the first
    // offset only gives the length of the first name.
    std::string Image = With32(With32(Example55, 16, 29), 20, 30);
    ASSERT_TRUE(Load(Image));
    EXPECT_EQ(List.GetWork(0).Name, "A");
    EXPECT_EQ(List.GetWork(1).Name, "B");
}

TEST_F(SchemeFile, ANameTheCodePageCannotHoldIsNeverWritten) {
    const std::string Name = Folder.File("names.kcrct");
    WriteBytes(Name, "old content");
    List.AddWork(TWorkData{"Работа", 1, {}}, true);
    List.AddWork(TWorkData{"日本", 2, {}}, true);
    Rec.Events.clear();
    EXPECT_FALSE(List.SaveToFile(Name));
    EXPECT_EQ(Rec.Events, (std::vector<std::string>{TRecorder::Error(Msg::WriteError)}));
    EXPECT_EQ(ReadBytes(Name), "old content");
    EXPECT_TRUE(List.Modified);
    EXPECT_FALSE(BuildSchemeImage(List));
    const std::string Fresh = Folder.File("fresh.kcrct");
    EXPECT_FALSE(List.SaveToFile(Fresh));
    EXPECT_FALSE(fs::exists(Fresh));
    EXPECT_EQ(Entries(Folder.Path), (std::vector<std::string>{"names.kcrct"}));
}

TEST_F(SchemeFile, SavingIntoAFolderThatDoesNotExistFails) {
    BuildExample(List);
    Rec.Events.clear();
    EXPECT_FALSE(List.SaveToFile(Folder.File("no/such/folder.kcrct")));
    EXPECT_EQ(Rec.Events, (std::vector<std::string>{TRecorder::Error(Msg::WriteError)}));
    EXPECT_TRUE(List.Modified);
}

TEST_F(SchemeFile, SavingOverAFolderFailsAndLeavesItAlone) {
    BuildExample(List);
    fs::create_directory(Folder.Path / "dir.kcrct");
    WriteBytes(Folder.File("dir.kcrct/inside"), "x");
    EXPECT_FALSE(List.SaveToFile(Folder.File("dir.kcrct")));
    EXPECT_TRUE(fs::is_directory(Folder.Path / "dir.kcrct"));
    EXPECT_EQ(ReadBytes(Folder.File("dir.kcrct/inside")), "x");
    EXPECT_EQ(Entries(Folder.Path), (std::vector<std::string>{"dir.kcrct"}));
    EXPECT_TRUE(List.Modified);
}

// Lets files grow to a few bytes only while it lives; a write beyond fails
// with an error instead of a signal.
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t Bytes) {
        OldHandler = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &Old);
        rlimit Limit = Old;
        Limit.rlim_cur = Bytes;
        Active = ::setrlimit(RLIMIT_FSIZE, &Limit) == 0;
    }
    TFileSizeLimit(const TFileSizeLimit&) = delete;
    TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;
    ~TFileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &Old);
        std::signal(SIGXFSZ, OldHandler);
    }
    bool Active = false;

private:
    rlimit Old{};
    void (*OldHandler)(int) = nullptr;
};

TEST_F(SchemeFile, AWriteThatFailsHalfwayLeavesTheOldFileAndNoLitter) {
    const std::string Name = Folder.File("kept.kcrct");
    WriteBytes(Name, Example36);
    BuildExample(List);
    Rec.Events.clear();
    bool Saved = true;
    {
        TFileSizeLimit Limit(20);
        ASSERT_TRUE(Limit.Active);
        Saved = List.SaveToFile(Name);
    }
    EXPECT_FALSE(Saved);
    EXPECT_EQ(Rec.Events, (std::vector<std::string>{TRecorder::Error(Msg::WriteError)}));
    EXPECT_EQ(ReadBytes(Name), Example36);
    EXPECT_EQ(Entries(Folder.Path), (std::vector<std::string>{"kept.kcrct"}));
    EXPECT_TRUE(List.Modified);
    // Once there is room the same save goes through.
    EXPECT_TRUE(List.SaveToFile(Name));
    EXPECT_EQ(ReadBytes(Name), Example55);
}

TEST_F(SchemeFile, ASavedFileReplacesTheOldOneAndKeepsItsMode) {
    const std::string Name = Folder.File("mode.kcrct");
    WriteBytes(Name, std::string(1000, 'x'));
    ::chmod(Name.c_str(), 0640);
    BuildExample(List);
    EXPECT_TRUE(List.SaveToFile(Name));
    EXPECT_EQ(ReadBytes(Name), Example55);
    EXPECT_EQ(fs::status(Name).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(Entries(Folder.Path), (std::vector<std::string>{"mode.kcrct"}));
}

TEST_F(SchemeFile, SavingThroughASymbolicLinkWritesTheFileItNames) {
    const std::string Real = Folder.File("real.kcrct");
    const std::string Link = Folder.File("link.kcrct");
    WriteBytes(Real, "old");
    fs::create_symlink(Real, Link);
    BuildExample(List);
    EXPECT_TRUE(List.SaveToFile(Link));
    EXPECT_TRUE(fs::is_symlink(Link));
    EXPECT_EQ(ReadBytes(Real), Example55);
}

TEST_F(SchemeFile, SavingWithARelativeNameWorksInTheCurrentFolder) {
    const fs::path Old = fs::current_path();
    fs::current_path(Folder.Path);
    BuildExample(List);
    const bool Saved = List.SaveToFile("here.kcrct");
    fs::current_path(Old);
    EXPECT_TRUE(Saved);
    EXPECT_EQ(ReadBytes(Folder.File("here.kcrct")), Example55);
}

} // namespace

namespace {

// The fuzzer's seed files say what they are in their names; each must still
// be what it says, or the fuzzer would start from the wrong places.
TEST(FuzzSeeds, SoundSeedsLoadAndDamagedOnesDoNot) {
    const std::vector<std::pair<std::string, bool>> Seeds = {
        {"two_works", true},
        {"one_work", true},
        {"empty", true},
        {"contour", true},
        {"cyrillic_chain", true},
        {"short", false},
        {"total_size_huge", false},
        {"count_negative", false},
        {"offsets_backwards", false},
        {"records_past_data", false},
        {"nan_duration", false},
        {"total_size_zero", false},
        {"negative_duration", false},
        {"zero_duration", false},
        {"huge_duration", false},
        {"calendar", true},
        {"calendar_note", true},
        {"calendar_bad_crc", false},
        {"unknown_chunk", false},
        {"calendar_no_end", false},
    };
    for (const auto& [Name, Sound] : Seeds) {
        const std::string File = std::string(KORVANT_FUZZ_CORPUS) + "/" + Name + ".kcrct";
        ASSERT_TRUE(std::filesystem::exists(File)) << File;
        TWorkList List;
        EXPECT_EQ(List.LoadFromFile(File), Sound) << Name;
    }
    TWorkList Chain;
    ASSERT_TRUE(Chain.LoadFromFile(std::string(KORVANT_FUZZ_CORPUS) + "/cyrillic_chain.kcrct"));
    ASSERT_EQ(Chain.Count(), 3);
    EXPECT_EQ(Chain.GetWork(0).Name, "Работа");
    EXPECT_EQ(Chain.GetWork(1).Name, "Этап");
    EXPECT_EQ(Chain.GetWork(2).Name, "\xC2\x98«№»");
    EXPECT_EQ(Chain.GetWork(0).Links, (TABs{-1, 1, 3}));
    EXPECT_EQ(Chain.GetWork(1).Duration, std::numeric_limits<TReal>::min());
    TWorkList Planned;
    ASSERT_TRUE(Planned.LoadFromFile(std::string(KORVANT_FUZZ_CORPUS) + "/calendar.kcrct"));
    ASSERT_TRUE(Planned.Calendar());
    EXPECT_EQ(Planned.Calendar()->Start, TCivilDate::FromYmd(2027, 3, 1));
    EXPECT_EQ(Planned.Calendar()->Holidays,
              (std::vector<TCivilDate>{TCivilDate::FromYmd(2027, 3, 8)}));
}

} // namespace
