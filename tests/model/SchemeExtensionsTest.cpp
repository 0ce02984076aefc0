// The project calendar and the resources in the scheme file: a scheme
// without them is written as ever, one with them comes back whole and still reads as the same works
// for a reader that stops at TotalSize, and every kind of damage to the
// block ends the load with its message and the works kept.

#include "Recorder.h"

#include "messages/ErrorStrings.h"
#include "model/SchemeExtensions.h"
#include "model/SchemeFile.h"
#include "model/WorkList.h"
#include "model/X87.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace {

TCivilDate Ymd(int y, int m, int d) {
    return TCivilDate::FromYmd(y, m, d);
}

// The acceptance calendar: from Monday 2027-03-01, 08.03.2027 a holiday.
TCalendar March2027() {
    TCalendar c;
    c.Start = Ymd(2027, 3, 1);
    c.Holidays = {Ymd(2027, 3, 8)};
    return c;
}

void TwoWorks(TWorkList& List) {
    List.AddWork(TWorkData{"A", 1, {}}, true);
    List.AddWork(TWorkData{"Bc", 2.5L, {}}, true);
    List.GetWork(0).Links[1] = LinkDirect;
    List.Changed(0, ckScheme);
}

std::string Le32(std::uint32_t v) {
    std::string s;
    for (int k = 0; k < 4; ++k)
        s += static_cast<char>((v >> (8 * k)) & 0xFF);
    return s;
}

std::string Chunk(std::string_view Tag, std::string_view Data) {
    return std::string(Tag) + Le32(static_cast<std::uint32_t>(Data.size())) + std::string(Data) +
           Le32(Crc32(std::string(Tag) + std::string(Data)));
}

const std::string Signature("\x89KVNT\r\n\x1A", 8);

// A calendar chunk's data by hand: start, start time, weekdays, minutes per
// day, periods, holidays, workdays.
std::string CalendarData(std::int32_t Start, std::uint32_t Weekdays,
                         const std::vector<std::int32_t>& Holidays = {},
                         std::uint32_t HolidayCount = ~0u) {
    std::string d = Le32(static_cast<std::uint32_t>(Start)) + Le32(~0u) + Le32(Weekdays) +
                    Le32(480) + Le32(1) + Le32(480) + Le32(1020);
    d += Le32(HolidayCount == ~0u ? static_cast<std::uint32_t>(Holidays.size()) : HolidayCount);
    for (std::int32_t h : Holidays)
        d += Le32(static_cast<std::uint32_t>(h));
    return d + Le32(0);
}

// Workers and a crane; A needs 3 workers, Bc 2 workers and the crane.
void Staff(TWorkList& List) {
    ASSERT_TRUE(List.SetResources({{"Рабочие", "чел.", 5}, {"Кран", "шт.", 1}}));
    TDemands a, b;
    a.Set(0, 3);
    b.Set(0, 2);
    b.Set(1, 1);
    ASSERT_TRUE(List.SetDemands(0, a));
    ASSERT_TRUE(List.SetDemands(1, b));
}

std::string Real(long double v) {
    const TX87Bytes b = EncodeX87(v);
    return std::string(reinterpret_cast<const char*>(b.data()), b.size());
}

// A resources chunk's data by hand: the resource count, one resource of that
// name and availability, then the works' demands as written.
std::string ResourceData(std::uint32_t Count, const std::string& Name, long double Availability,
                         const std::string& Demands = Le32(0)) {
    return Le32(Count) + Le32(static_cast<std::uint32_t>(Name.size())) + Name + Le32(0) +
           Real(Availability) + Demands;
}

// Work Work's demand of Units of resource Resource.
std::string Demand(std::uint32_t Work, std::uint32_t Resource, long double Units) {
    return Le32(Work) + Le32(1) + Le32(Resource) + Real(Units);
}

class SchemeExtensions : public ::testing::Test {
protected:
    TTempFolder Folder;
    TWorkList Saved;
    std::string Classic; // the two works as the file has always held them

    void SetUp() override {
        TwoWorks(Saved);
        Classic = *BuildSchemeImage(Saved);
    }

    // Loads the classic image followed by Tail from a file and from memory,
    // which must agree; the message of a failure is checked.
    bool Load(TWorkList& List, const std::string& Tail, std::string_view Error = {}) {
        const std::string Name = Folder.File("scheme.kcrct");
        WriteBytes(Name, Classic + Tail);
        TRecorder Rec;
        Rec.Attach(List);
        const bool Ok = List.LoadFromFile(Name);
        if (Error.empty())
            EXPECT_TRUE(Rec.Events.size() == 1) << Rec.Events.front();
        else
            EXPECT_EQ(Rec.Events.front(), TRecorder::Error(Error));
        TWorkList Twin;
        EXPECT_EQ(LoadSchemeImage(Twin, Classic + Tail), Ok);
        EXPECT_EQ(Twin.Calendar(), List.Calendar());
        EXPECT_EQ(Twin.Resources(), List.Resources());
        return Ok;
    }
};

TEST(Crc32, IsTheCheckValueOfPngAndZlib) {
    EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);
    EXPECT_EQ(Crc32(""), 0u);
}

TEST_F(SchemeExtensions, ASchemeWithoutACalendarIsWrittenAsEver) {
    EXPECT_EQ(Classic.size(), 55u);
    EXPECT_TRUE(Saved.SetCalendar(March2027()));
    EXPECT_TRUE(Saved.SetCalendar(std::nullopt));
    ASSERT_TRUE(Saved.SetResources({{"Кран", "", 1}}));
    ASSERT_TRUE(Saved.SetResources({}));
    EXPECT_EQ(BuildSchemeImage(Saved), Classic);
    EXPECT_EQ(Saved.SchemeSize(), 55);
}

TEST_F(SchemeExtensions, ACalendarComesBackWholeAfterTheSameWorks) {
    TCalendar Odd = March2027();
    Odd.StartTime = 9 * 60 + 30;
    Odd.Weekdays = 0x3F; // a six-day week
    Odd.Periods = {{7 * 60, 11 * 60}, {11 * 60 + 30, 15 * 60}, {22 * 60, 24 * 60}};
    Odd.MinutesPerDay = 450;
    Odd.Holidays = {Ymd(2027, 5, 9), Ymd(2027, 3, 8), Ymd(2027, 5, 1)}; // sorted by the setter
    Odd.Workdays = {Ymd(2027, 3, 7)};
    for (const TCalendar& c : {March2027(), Odd}) {
        ASSERT_TRUE(Saved.SetCalendar(c));
        const std::string Name = Folder.File("calendar.kcrct");
        ASSERT_TRUE(Saved.SaveToFile(Name));
        const std::string Bytes = ReadBytes(Name);
        EXPECT_EQ(static_cast<std::int64_t>(Bytes.size()), Saved.SchemeSize());
        // A reader that stops at TotalSize finds the two works unchanged.
        EXPECT_EQ(Bytes.substr(0, Classic.size()), Classic);
        TWorkList List;
        ASSERT_TRUE(List.LoadFromFile(Name));
        ASSERT_TRUE(List.Calendar());
        EXPECT_EQ(*List.Calendar(), *Saved.Calendar());
        EXPECT_EQ(List.Count(), 2);
        EXPECT_EQ(BuildSchemeImage(List), Bytes);
    }
    EXPECT_EQ(Saved.Calendar()->Holidays.front(), Ymd(2027, 3, 8));
}

TEST_F(SchemeExtensions, ResourcesAndDemandsComeBackWholeBesideTheCalendar) {
    Staff(Saved);
    for (const bool WithCalendar : {false, true}) {
        ASSERT_TRUE(Saved.SetCalendar(WithCalendar ? std::optional(March2027()) : std::nullopt));
        const std::string Name = Folder.File("resources.kcrct");
        ASSERT_TRUE(Saved.SaveToFile(Name));
        const std::string Bytes = ReadBytes(Name);
        EXPECT_EQ(static_cast<std::int64_t>(Bytes.size()), Saved.SchemeSize());
        EXPECT_EQ(Bytes.substr(0, Classic.size()), Classic);
        TWorkList List;
        ASSERT_TRUE(List.LoadFromFile(Name));
        EXPECT_EQ(List.Resources(), Saved.Resources());
        EXPECT_EQ(List.Calendar(), Saved.Calendar());
        for (int i = 0; i < 2; ++i)
            EXPECT_EQ(List.GetWork(i).Demands, Saved.GetWork(i).Demands) << i;
        EXPECT_EQ(BuildSchemeImage(List), Bytes);
    }
}

TEST_F(SchemeExtensions, AChunkAReaderMayPassOverIsPassedOver) {
    const std::string Tail = Signature + Le32(1) + Chunk("note", "anything at all") +
                             Chunk("CLND", CalendarData(20878, 0x1F, {20885})) + Chunk("KEND", "");
    TWorkList List;
    ASSERT_TRUE(Load(List, Tail));
    ASSERT_TRUE(List.Calendar());
    TCalendar Expected = March2027();
    Expected.Periods = {{8 * 60, 17 * 60}};
    EXPECT_EQ(*List.Calendar(), Expected);
}

// A damaged block after the two works: what follows TotalSize and the
// message it must give.
struct TDamagedBlock {
    const char* What;
    std::string Tail;
    std::string Error;
};

void PrintTo(const TDamagedBlock& d, std::ostream* Out) {
    *Out << d.What;
}

std::vector<TDamagedBlock> DamagedBlocks() {
    const std::string Head = Signature + Le32(1);
    const std::string Calendar = Chunk("CLND", CalendarData(20878, 0x1F, {20885}));
    const std::string End = Chunk("KEND", "");
    const std::string Damaged(Msg::ExtensionDamaged);
    const std::string TooNew(Msg::ExtensionTooNew);
    const auto Because = [](std::string_view Why) {
        return std::string(Msg::ReadError) + "\r" + std::string(Why);
    };
    std::string BadCrc = Head + Calendar + End;
    BadCrc[Head.size() + 9] ^= 1;
    std::vector<std::int32_t> ManyHolidays;
    for (std::int32_t k = 0; k <= static_cast<std::int32_t>(MaxCalendarExceptions); ++k)
        ManyHolidays.push_back(20878 + k);
    return {
        {"signature_cut_short", Signature.substr(0, 3), Damaged},
        {"no_version", Signature, Damaged},
        {"a_later_version", Signature + Le32(2) + End, TooNew},
        {"no_end", Head + Calendar, Damaged},
        {"bad_crc", BadCrc, Damaged},
        {"chunk_cut_short", (Head + Calendar + End).substr(0, Head.size() + 20), Damaged},
        {"length_past_the_end", Head + "CLND" + Le32(0xFFFFFFF0u) + "abcd", Damaged},
        {"calendar_twice", Head + Calendar + Calendar + End, Damaged},
        {"tag_not_letters", Head + Chunk("CL1D", "") + End, Damaged},
        {"bytes_after_the_end", Head + Calendar + End + "x", Damaged},
        {"unknown_chunk_to_understand", Head + Chunk("RSRV", "x") + End, TooNew},
        {"no_resources", Head + Chunk("RSRC", Le32(0) + Le32(0)) + End, Damaged},
        {"resource_count_past_the_chunk",
         Head + Chunk("RSRC", ResourceData(0x10000000u, "Кран", 1)) + End, Damaged},
        {"availability_nan", Head + Chunk("RSRC", ResourceData(1, "Кран", std::nanl(""))) + End,
         Damaged},
        {"availability_negative", Head + Chunk("RSRC", ResourceData(1, "Кран", -1)) + End, Damaged},
        {"resource_name_too_long",
         Head + Chunk("RSRC", ResourceData(1, std::string(MaxResourceTextLength + 1, 'x'), 1)) +
             End,
         Damaged},
        {"demand_of_a_resource_past_the_list",
         Head + Chunk("RSRC", ResourceData(1, "Кран", 1, Le32(1) + Demand(0, 1, 1))) + End,
         Damaged},
        {"demand_of_a_work_past_the_works",
         Head + Chunk("RSRC", ResourceData(1, "Кран", 1, Le32(1) + Demand(2, 0, 1))) + End,
         Damaged},
        {"demand_negative",
         Head + Chunk("RSRC", ResourceData(1, "Кран", 1, Le32(1) + Demand(0, 0, -1))) + End,
         Damaged},
        {"demands_of_works_unsorted",
         Head +
             Chunk("RSRC",
                   ResourceData(1, "Кран", 1, Le32(2) + Demand(1, 0, 1) + Demand(0, 0, 1))) +
             End,
         Damaged},
        {"calendar_bytes_left_over", Head + Chunk("CLND", CalendarData(20878, 0x1F) + "x") + End,
         Damaged},
        {"holiday_count_past_the_chunk",
         Head + Chunk("CLND", CalendarData(20878, 0x1F, {20885}, 0x40000000u)) + End, Damaged},
        {"weekday_bit_past_sunday", Head + Chunk("CLND", CalendarData(20878, 0x9F)) + End, Damaged},
        {"no_working_day", Head + Chunk("CLND", CalendarData(20878, 0)) + End,
         Because(Msg::CalendarNoWorkingDay)},
        {"start_out_of_range", Head + Chunk("CLND", CalendarData(-30000, 0x1F)) + End,
         Because(Msg::CalendarDateOutOfRange)},
        {"holidays_unsorted", Head + Chunk("CLND", CalendarData(20878, 0x1F, {20886, 20885})) + End,
         Damaged},
        {"too_many_holidays", Head + Chunk("CLND", CalendarData(20878, 0x1F, ManyHolidays)) + End,
         Because(Msg::CalendarTooManyExceptions)},
        {"larger_than_a_block_may_be",
         Head + Chunk("note", std::string(MaxExtensionSize, 'x')) + End, Damaged},
    };
}

class DamagedBlock : public SchemeExtensions,
                     public ::testing::WithParamInterface<TDamagedBlock> {};

TEST_P(DamagedBlock, FailsTheLoadWithItsMessageAndKeepsTheWorks) {
    const TDamagedBlock& d = GetParam();
    TWorkList List;
    EXPECT_FALSE(Load(List, d.Tail, d.Error));
    EXPECT_EQ(List.Count(), 2);
    EXPECT_FALSE(List.Calendar());
    EXPECT_TRUE(List.Resources().empty());
    EXPECT_FALSE(List.Updating);
}

INSTANTIATE_TEST_SUITE_P(Cases, DamagedBlock, ::testing::ValuesIn(DamagedBlocks()),
                         [](const auto& Info) { return std::string(Info.param.What); });

TEST(WorkListCalendar, ASetCalendarIsAnnouncedAndARefusedOneChangesNothing) {
    TWorkList List;
    TwoWorks(List);
    TRecorder Rec;
    Rec.Attach(List);
    TCalendar NoDays = March2027();
    NoDays.Weekdays = 0;
    EXPECT_FALSE(List.SetCalendar(NoDays));
    EXPECT_TRUE(Rec.Events.empty());
    EXPECT_TRUE(List.SetCalendar(March2027()));
    EXPECT_EQ(Rec.Events, (std::vector<std::string>{TRecorder::Call("L", 0, ckCalendar, 2, true)}));
    List.Clear();
    EXPECT_FALSE(List.Calendar());
}

TEST(WorkListResources, DemandsTravelWithTheirWorkAndBadOnesAreRefused) {
    TWorkList List;
    TwoWorks(List);
    TRecorder Rec;
    Rec.Attach(List);
    Staff(List);
    EXPECT_EQ(Rec.Events.size(), 3u);
    EXPECT_EQ(Rec.Events.back(), TRecorder::Call("L", 1, ckResources, 2, true));
    TDemands Bad;
    for (const long double Units : {-1.0L, std::numeric_limits<long double>::quiet_NaN()}) {
        Bad.Set(0, Units);
        EXPECT_FALSE(List.SetDemands(0, Bad));
    }
    Bad = {};
    Bad.Set(2, 1);
    EXPECT_FALSE(List.SetDemands(0, Bad));
    // Bc still needs the crane.
    EXPECT_FALSE(List.SetResources({{"Рабочие", "чел.", 5}}));
    EXPECT_FALSE(List.SetResources({{"Рабочие", "чел.", -5}, {"Кран", "шт.", 1}}));
    EXPECT_EQ(Rec.Events.size(), 3u);
    const TDemands BcNeeds = List.GetWork(1).Demands;
    List.MoveWork(1, 0);
    EXPECT_EQ(List.GetWork(0).Demands, BcNeeds);
    const TRemovedWork Removed = List.DeleteWork(0);
    EXPECT_EQ(List.GetWork(0).Demands.Of(0), 3);
    List.RestoreWork(Removed);
    EXPECT_EQ(List.GetWork(0).Demands, BcNeeds);
    List.InsertWork(1, "new", 1);
    EXPECT_TRUE(List.GetWork(1).Demands.Empty());
    List.Clear();
    EXPECT_TRUE(List.Resources().empty());
}

TEST(WorkListResources, ReplacingTheListTakesTheDemandsAlongInOneChangeOrNothing) {
    TWorkList List;
    TwoWorks(List);
    Staff(List);
    TRecorder Rec;
    Rec.Attach(List);
    // The workers leave and the crane moves to place 0. A work that is not
    // in the list, or a demand past the new end, refuses the whole change.
    const std::vector<TResource> Crane = {{"Кран", "шт.", 1}};
    TDemands CraneOnly;
    CraneOnly.Set(0, 1);
    EXPECT_FALSE(List.ReplaceResources(Crane, {{1, CraneOnly}, {2, {}}}));
    EXPECT_FALSE(List.ReplaceResources({}, {{1, CraneOnly}}));
    EXPECT_TRUE(Rec.Events.empty());
    const std::vector<int> NewPlace = {-1, 0};
    EXPECT_EQ(RemapDemands(List.GetWork(1).Demands, NewPlace), CraneOnly);
    EXPECT_TRUE(RemapDemands(List.GetWork(0).Demands, NewPlace).Empty());
    ASSERT_TRUE(List.ReplaceResources(Crane, {{0, {}}, {1, CraneOnly}}));
    EXPECT_EQ(Rec.Events,
              (std::vector<std::string>{TRecorder::Call("L", 0, ckResources, 2, true)}));
    EXPECT_EQ(List.Resources(), Crane);
    EXPECT_EQ(List.GetWork(1).Demands, CraneOnly);
}

} // namespace
