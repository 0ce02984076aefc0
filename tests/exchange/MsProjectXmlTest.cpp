// MS Project XML as MS Project, ProjectLibre and GanttProject write it, and
// the files the program writes for them.

#include "ExchangeTestSupport.h"

#include "exchange/MsProjectXml.h"
#include "messages/ErrorStrings.h"
#include "model/RealText.h"
#include "model/Schedule.h"

#include <QString>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <iterator>
#include <random>
#include <regex>

namespace {

TEST(MsProjectXml, ASavedProjectComesInWithSummariesAndMilestonesResolved) {
    std::string Error;
    const auto Plan = ReadMsProjectXml(SampleBytes("project.xml"), "project.xml", Error);
    ASSERT_TRUE(Plan) << Error;
    // The milestone after "Подготовка" lets "Фундамент" wait for both of its
    // works; the works of "Отделка" wait for what it waits for, and "Сдача"
    // for both of them; the link from the inactive "Кровля" is gone. "Стены"
    // start a day after "Фундамент" does, so that work is split there.
    EXPECT_EQ(Describe(*Plan), (std::vector<std::string>{
                                   "Разметка 1 <-", "Расчистка 2 <- 1", "Фундамент (1/2) 1 <- 1 2",
                                   "Фундамент (2/2) 2.5 <- 3", "Стены 2.5 <- 3", "Стены (2) 1 <- 5",
                                   "Полы 0.25 <- 5", "Сдача 1 <- 6 7"}));
    std::string Warnings;
    for (const std::string& Line : Plan->Warnings)
        Warnings += Line + "\n";
    EXPECT_EQ(Plan->Warnings.size(), 8u) << Warnings;
    for (const char* Expected :
         {"(UID 1) — суммарная", "(UID 4) — веха",
          "(UID 6) («начало — начало», задержка 1 дн.): первая разделена",
          "ожиданий 0, частей работ 2", "(UID 7) не перенесена: задача неактивна",
          "(UID 8) не перенесена: пустая задача", "названа «Стены (2)»"})
        EXPECT_NE(Warnings.find(Expected), std::string::npos) << Expected << "\n" << Warnings;
}

TEST(MsProjectXml, WorkResourcesAndAssignmentsBecomeResourcesAndDemandsAndGoBackOut) {
    const std::string Sample = SampleBytes("project.xml");
    std::string Error;
    const auto Plan = ReadMsProjectXml(Sample, "project.xml", Error);
    ASSERT_TRUE(Plan) << Error;
    // UID 0 is MS Project's placeholder, not a resource.
    EXPECT_EQ(Plan->Resources, (std::vector<TResource>{{"Бригада", "", 1}}));
    EXPECT_EQ(Plan->Works[0].Demands.Of(0), 1);
    EXPECT_TRUE(Plan->Works[1].Demands.Empty());

    TWorkList List;
    List.AddWork({"A", 1, {}}, true);
    List.AddWork({"B", 2, {}}, true);
    List.Changed(0, ckScheme);
    ASSERT_TRUE(List.SetResources({{"Рабочие", "чел.", 8}, {"Кран", "шт.", 0.5L}}));
    TDemands Demands;
    Demands.Set(0, 2.5L);
    Demands.Set(1, 0.5L);
    ASSERT_TRUE(List.SetDemands(1, Demands));
    const auto Xml = WriteMsProjectXml(List, Error);
    ASSERT_TRUE(Xml) << Error;
    const auto Back = ReadMsProjectXml(*Xml, "back.xml", Error);
    ASSERT_TRUE(Back) << Error;
    // MS Project keeps no unit for a work resource.
    EXPECT_EQ(Back->Resources, (std::vector<TResource>{{"Рабочие", "", 8}, {"Кран", "", 0.5L}}));
    EXPECT_TRUE(Back->Works[0].Demands.Empty());
    EXPECT_EQ(Back->Works[1].Demands, Demands);

    std::string Material = Sample;
    Material.replace(Material.find("<Type>1</Type><MaxUnits>"), 14, "<Type>0</Type>");
    const auto Passed = ReadMsProjectXml(Material, "m.xml", Error);
    ASSERT_TRUE(Passed) << Error;
    EXPECT_TRUE(Passed->Resources.empty());
    EXPECT_NE(Passed->Warnings.front().find("«Бригада» (UID 1) — не трудовой ресурс"),
              std::string::npos);
    std::string Bad = Sample;
    Bad.replace(Bad.find("<MaxUnits>1.00"), 14, "<MaxUnits>-1.0");
    EXPECT_NE(Refusal(ReadMsProjectXml, Bad).find("MaxUnits «-1.0» не годится"), std::string::npos);
}

TEST(MsProjectXml, DurationsAreWrittenInHoursMinutesAndSecondsOfEightHourDays) {
    EXPECT_EQ(MsProjectDuration(1.5L), "PT12H0M0S");
    EXPECT_EQ(MsProjectDuration(0.1L), "PT0H48M0S");
    EXPECT_EQ(MsProjectDuration(1.0L / 3), "PT2H40M0S");
    EXPECT_EQ(MsProjectDuration(1e-5L), "PT0H0M0.288S");
}

TEST(MsProjectXml, EveryWrittenDurationReadsBackAsTheSameNumberAsShown) {
    std::mt19937_64 Random(17);
    std::uniform_real_distribution<double> Exponent(-9, 15);
    for (int i = 0; i < 3000; ++i) {
        // Sums of ratios as other programs' days leave them, to the last bit.
        const TReal Days = std::pow(10.0L, static_cast<TReal>(Exponent(Random))) *
                           (1 + static_cast<TReal>(Random() % 1000) / 989);
        if (!DurationAllowed(Days))
            continue;
        const std::string Xml = "<Project xmlns=\"http://schemas.microsoft.com/project\"><Tasks>"
                                "<Task><UID>1</UID><Name>A</Name><Duration>" +
                                MsProjectDuration(Days) + "</Duration></Task></Tasks></Project>";
        std::string Error;
        const auto Plan = ReadMsProjectXml(Xml, "x", Error);
        ASSERT_TRUE(Plan) << Error;
        // Exactly where the reader's seconds can hold it, else as a duration
        // shows it.
        ASSERT_EQ(FormatReal(Plan->Works[0].Duration), FormatReal(Days)) << MsProjectDuration(Days);
    }
}

TEST(MsProjectXml, WrittenTasksCarryTheScheduleInWorkingTimeInTheSchemasOrder) {
    TWorkList List;
    List.AddWork({"Стены", 5, {}}, true);
    List.AddWork({"Крыша & водосток", 1.5L, {}}, true);
    List.GetWork(1).Links[0] = LinkDirect;
    List.Changed(0, ckScheme);
    std::string Error;
    const auto Xml = WriteMsProjectXml(List, Error);
    ASSERT_TRUE(Xml) << Error;
    const std::string Second = Xml->substr(Xml->rfind("<Task>"));
    // Five days end on Friday at 17:00; the next work starts on Monday and,
    // with a lunch hour, ends on Tuesday at 12:00.
    for (const char* Expected :
         {"<Name>Крыша &amp; водосток</Name>", "<Duration>PT12H0M0S</Duration>",
          "<EarlyStart>2026-01-12T08:00:00</EarlyStart>",
          "<EarlyFinish>2026-01-13T12:00:00</EarlyFinish>", "<Critical>1</Critical>",
          "<TotalSlack>0</TotalSlack>", "<PredecessorUID>1</PredecessorUID>"})
        EXPECT_NE(Second.find(Expected), std::string::npos) << Expected << "\n" << Second;
    EXPECT_NE(Xml->find("<FinishDate>2026-01-13T12:00:00</FinishDate>"), std::string::npos);
    // The schema wants the currency between the dates and the calendar.
    const auto Currency = Xml->find("<CurrencyCode>RUB</CurrencyCode>");
    EXPECT_LT(Xml->find("<FinishDate>"), Currency);
    EXPECT_LT(Currency, Xml->find("<CalendarUID>"));

    // MS Project drops children out of the sequence of its schema.
    const std::vector<std::string> Sequence = {
        "UID",        "ID",        "Name",       "OutlineNumber",  "OutlineLevel",
        "Start",      "Finish",    "Duration",   "DurationFormat", "Milestone",
        "Summary",    "Critical",  "EarlyStart", "EarlyFinish",    "LateStart",
        "LateFinish", "FreeSlack", "TotalSlack", "ConstraintType", "PredecessorLink"};
    const std::regex Child(R"(\n   <(\w+)>)");
    std::size_t At = 0;
    for (std::sregex_iterator m(Second.begin(), Second.end(), Child), End; m != End; ++m) {
        const auto Found =
            std::find(Sequence.begin() + static_cast<long>(At), Sequence.end(), (*m)[1].str());
        ASSERT_NE(Found, Sequence.end()) << (*m)[1].str() << " out of order";
        At = static_cast<std::size_t>(Found - Sequence.begin());
    }
}

std::string Project(const std::string& Tasks) {
    return "<Project xmlns=\"http://schemas.microsoft.com/project\"><Tasks>" + Tasks +
           "</Tasks></Project>";
}

std::string Task(int Uid, const std::string& Name, const std::string& Duration,
                 const std::string& Rest = "") {
    return "<Task><UID>" + std::to_string(Uid) + "</UID><Name>" + Name + "</Name><Duration>" +
           Duration + "</Duration>" + Rest + "</Task>";
}

std::string Link(int Uid) {
    return "<PredecessorLink><PredecessorUID>" + std::to_string(Uid) +
           "</PredecessorUID></PredecessorLink>";
}

TEST(MsProjectXml, DamagedFilesAreRefusedSayingWhy) {
    const struct {
        std::string Bytes;
        std::string Why;
    } Cases[] = {
        {"not xml at all", "ошибка XML"},
        {"<Project xmlns=\"http://schemas.microsoft.com/project\"><Tasks><Task>", "ошибка XML"},
        {"<Workbook/>", "нет элемента Project"},
        {Project(Task(1, "A", "PT8H0M0S", Link(99))),
         "(UID 1): нет задачи-предшественника с UID «99»"},
        {Project(Task(1, "A", "PT8H0M0S", Link(2)) + Task(2, "B", "PT8H0M0S", Link(1))),
         "контур: задача «A» (UID 1) и задача «B» (UID 2)"},
        {Project(Task(1, "A", "-PT8H0M0S")),
         "задача «A» (UID 1): длительность «-PT8H0M0S» не годится"},
        {Project(Task(1, "A", "PT99999999999999999999H")), "не годится"},
        {Project(Task(1, "A", "8 hours")), "длительность «8 hours» не прочитана"},
        {Project(Task(1, "A", "PT8H") + Task(1, "B", "PT8H")), "UID 1 носят две задачи"},
        {Project(Task(1, "", "PT8H")), std::string(Msg::EmptyWorkName)},
        {Project(Task(3, "漢字", "PT8H")),
         "задача «漢字» (UID 3): " + std::string(Msg::NameNotStorable)},
        {"<Project><MinutesPerDay>0</MinutesPerDay></Project>", "число минут в дне «0»"},
        {Project(Task(1, "M1", "PT0H", Link(2)) + Task(2, "M2", "PT0H", Link(1)) +
                 Task(3, "A", "PT8H", Link(2))),
         "контур: задача «M1» (UID 1) и задача «M2» (UID 2) ждут окончания друг друга"},
        {Project(Task(1, "A", "PT8H")) + "<Project/>", "строка 1: ошибка XML"},
        {Project(Task(1, "A", "PT8H")) + "junk", "строка 1: ошибка XML"},
    };
    for (const auto& Case : Cases) {
        const std::string Error = Refusal(ReadMsProjectXml, Case.Bytes);
        EXPECT_NE(Error.find(Case.Why), std::string::npos) << Error;
    }
}

TEST(MsProjectXml, OnlyWellFormedDurationsAreTaken) {
    for (const char* Duration : {"PT1H1H1H", "P1DT", "PT", "P", "PT1M1H", "P1H", "PT1D", "PT.5H",
                                 "PT1.H", "P1D1D", "PT8H0M0S junk"}) {
        const std::string Error = Refusal(ReadMsProjectXml, Project(Task(1, "A", Duration)));
        EXPECT_NE(Error.find("не прочитана"), std::string::npos) << Duration << ": " << Error;
    }
    std::string Error;
    const auto Plan = ReadMsProjectXml(
        Project(Task(1, "A", " P1DT2H ") + Task(2, "B", "PT8H0M0S") + Task(3, "C", "PT0H0M14.4S")),
        "x", Error);
    ASSERT_TRUE(Plan) << Error;
    EXPECT_EQ(Describe(*Plan), (std::vector<std::string>{"A 1.25 <-", "B 1 <-", "C 0.0005 <-"}));
}

// A document as UTF-16 with a byte order mark.
std::string Utf16(const std::string& Utf8) {
    const QString Wide = QString::fromStdString(Utf8);
    return "\xFF\xFE" + std::string(reinterpret_cast<const char*>(Wide.utf16()),
                                    static_cast<std::size_t>(Wide.size()) * 2);
}

TEST(MsProjectXml, CrowdedAndDeepElementsAreRefusedBeforeParsing) {
    std::string Crowded = "<Project xmlns=\"http://schemas.microsoft.com/project\">\n<Tasks ";
    for (int k = 0; k < 40000; ++k)
        Crowded += "a" + std::to_string(k) + "='>' ";
    Crowded += "/></Project>";
    for (const std::string& Bytes : {Crowded, Utf16(Crowded)})
        EXPECT_NE(
            Refusal(ReadMsProjectXml, Bytes).find("строка 2: ошибка XML: у элемента больше 128"),
            std::string::npos);
    // Tags in a comment or a CDATA section open nothing; "<!--" in a DTD's
    // literal hides nothing.
    std::string Deep = "<!DOCTYPE Project [<!ENTITY c \"<!--\">]>"
                       "<Project xmlns=\"http://schemas.microsoft.com/project\">\n"
                       "<!-- <a> --><![CDATA[<br><br>]]>";
    for (int k = 0; k < 1000; ++k)
        Deep += "<a><b/>\n";
    EXPECT_NE(
        Refusal(ReadMsProjectXml, Deep).find("строка 257: ошибка XML: элементы вложены глубже 256"),
        std::string::npos);
}

TEST(MsProjectXml, EntityTextPastTheCapIsRefusedInAnyEncoding) {
    const auto WithEntity = [](int References) {
        std::string Name;
        for (int k = 0; k < References; ++k)
            Name += "&a;";
        return "<!DOCTYPE Project [<!ENTITY a \"" + std::string(4000, 'x') + "\">]>\n" +
               Project(Task(1, Name, "PT8H"));
    };
    const std::string Utf16Declared = "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n";
    for (const std::string& Bytes : {WithEntity(1000), Utf16(Utf16Declared + WithEntity(1000))})
        EXPECT_NE(Refusal(ReadMsProjectXml, Bytes)
                      .find("ошибка XML: ссылки на сущности разворачиваются больше чем в 1048576"),
                  std::string::npos);
    // Twenty thousand entities, each twice the one before: counted without
    // recursion, reading each value once.
    std::string Chain = "<!DOCTYPE Project [<!ENTITY e0 \"x\">";
    for (int k = 1; k < 20000; ++k)
        Chain += "<!ENTITY e" + std::to_string(k) + " \"&e" + std::to_string(k - 1) + ";&e" +
                 std::to_string(k - 1) + ";\">";
    Chain += "]>" + Project(Task(1, "&e19999;", "PT8H"));
    EXPECT_NE(Refusal(ReadMsProjectXml, Chain).find("разворачиваются"), std::string::npos);
    std::string Error;
    const auto Plan = ReadMsProjectXml(Utf16(Utf16Declared + WithEntity(2)), "x", Error);
    ASSERT_TRUE(Plan) << Error;
    EXPECT_EQ(Plan->Works[0].Name, std::string(8000, 'x'));
}

TEST(MsProjectXml, EntitiesThatExpandWithoutBoundAreRefusedAtOnce) {
    std::string Laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE Project [\n<!ENTITY l0 \"ha\">\n";
    for (int k = 1; k <= 12; ++k)
        Laughs += "<!ENTITY l" + std::to_string(k) + " \"" + [&] {
            std::string Ten;
            for (int r = 0; r < 10; ++r)
                Ten += "&l" + std::to_string(k - 1) + ";";
            return Ten;
        }() + "\">\n";
    Laughs += "]>\n" + Project(Task(1, "&l12;", "PT8H"));
    const auto Begin = std::chrono::steady_clock::now();
    const std::string Error = Refusal(ReadMsProjectXml, Laughs);
    EXPECT_LT(std::chrono::steady_clock::now() - Begin, std::chrono::seconds(1));
    EXPECT_NE(Error.find("ошибка XML"), std::string::npos) << Error;
}

} // namespace

namespace {

std::string Joined(const std::vector<std::string>& Lines) {
    std::string Out;
    for (const std::string& Line : Lines)
        Out += Line + "\n";
    return Out;
}

// Links of the other types and elapsed time come in as MS Project schedules
// them, each change named in a warning.
TEST(MsProjectXml, LinkTypesElapsedTimeAndSchedulingRulesAreKeptOrNamed) {
    const std::string Xml = R"(<Project xmlns="http://schemas.microsoft.com/project"><Tasks>
<Task><UID>1</UID><Name>A</Name><Duration>PT32H0M0S</Duration><ExternalTask>1</ExternalTask></Task>
<Task><UID>2</UID><Name>B</Name><Duration>PT16H0M0S</Duration><ConstraintType>4</ConstraintType>
 <PredecessorLink><PredecessorUID>1</PredecessorUID><Type>0</Type><LinkLag>4800</LinkLag></PredecessorLink></Task>
<Task><UID>3</UID><Name>C</Name><Duration>PT168H0M0S</Duration><DurationFormat>8</DurationFormat><Manual>1</Manual>
 <PredecessorLink><PredecessorUID>1</PredecessorUID><Type>2</Type><LinkLag>-4800</LinkLag></PredecessorLink></Task>
<Task><UID>4</UID><Name>D</Name><Duration>PT8H0M0S</Duration><Milestone>1</Milestone>
 <PredecessorLink><PredecessorUID>2</PredecessorUID><Type>1</Type><LinkLag>100800</LinkLag><LagFormat>8</LagFormat></PredecessorLink></Task>
</Tasks></Project>)";
    std::string Error;
    const auto Plan = ReadMsProjectXml(Xml, "x", Error);
    ASSERT_TRUE(Plan) << Error;
    // B finishes a day after A (4 + 1 - 2 = starts at 3); C may finish a
    // day before A starts, so it waits for nothing; D waits 7 calendar days
    // (5 working days) after B.
    EXPECT_EQ(Describe(*Plan),
              (std::vector<std::string>{"A (1/2) 3 <-", "A (2/2) 1 <- 1", "B 2 <- 1", "C 5 <-",
                                        "Ожидание: B -> D 5 <- 3", "D 1 <- 5"}))
        << Joined(Plan->Warnings);
    const std::string Warnings = Joined(Plan->Warnings);
    for (const char* Expected :
         {"«A» (UID 1) — внешняя задача",
          "«B» (UID 2): ограничение «начало не ранее» не перенесено",
          "«C» (UID 3): длительность в календарном времени «PT168H0M0S» перенесена как 5 дн.",
          "«C» (UID 3) планируется вручную", "«D» (UID 4) — веха с длительностью 1 дн.",
          "(«окончание — окончание», задержка 1 дн.)", "(«начало — окончание», задержка -1 дн.)",
          "задержка в календарном времени перенесена как 5 дн.", "ожиданий 1, частей работ 2"})
        EXPECT_NE(Warnings.find(Expected), std::string::npos) << Expected << "\n" << Warnings;
}

// The starts MS Project itself stored for one-day task pairs: a plan of one
// pair per kind of link and lag, saved alike by every version from 2003 to
// 2019 (12 days long), and a sample's pairs with a lead and with links
// without lag. The second task of each pair starts on that working day.
TEST(MsProjectXml, EachLinkKindStartsItsTaskWhereMsProjectStoredTheStart) {
    struct TPair {
        int Type;
        int Lag; // tenths of a minute
        TReal Start;
    };
    const TPair Pairs[] = {{1, 0, 1},      {1, 4800, 2}, {1, 9600, 3}, {1, 24000, 6},
                           {1, 48000, 11}, {2, 9600, 1}, {3, 9600, 2}, {0, 9600, 2},
                           {1, -4800, 0},  {3, 0, 0},    {0, 0, 0}};
    std::string Xml = R"(<Project xmlns="http://schemas.microsoft.com/project"><Tasks>)";
    int Uid = 0;
    for (const TPair& Pair : Pairs) {
        const std::string Before = std::to_string(++Uid), After = std::to_string(++Uid);
        Xml += "<Task><UID>" + Before + "</UID><Name>A" + Before +
               "</Name><Duration>PT8H0M0S</Duration></Task><Task><UID>" + After + "</UID><Name>B" +
               After + "</Name><Duration>PT8H0M0S</Duration><PredecessorLink>" +
               "<PredecessorUID>" + Before + "</PredecessorUID><Type>" + std::to_string(Pair.Type) +
               "</Type><LinkLag>" + std::to_string(Pair.Lag) +
               "</LinkLag></PredecessorLink></Task>";
    }
    Xml += "</Tasks></Project>";
    std::string Error;
    auto Plan = ReadMsProjectXml(Xml, "x", Error);
    ASSERT_TRUE(Plan) << Error;
    std::vector<std::string> Names;
    for (const TWorkData& Work : Plan->Works)
        Names.push_back(Work.Name);
    TWorkList List;
    FillWorkList(List, std::move(*Plan));
    const TSchedule Schedule = ComputeSchedule(List);
    ASSERT_TRUE(Schedule.Valid);
    EXPECT_EQ(Schedule.ProjectDuration, 12);
    for (std::size_t k = 0; k < std::size(Pairs); ++k) {
        const std::string Name = "B" + std::to_string(2 * k + 2);
        const auto Found = std::find(Names.begin(), Names.end(), Name);
        ASSERT_NE(Found, Names.end()) << Name;
        EXPECT_EQ(Schedule.Works[static_cast<std::size_t>(Found - Names.begin())].EarlyStart,
                  Pairs[k].Start)
            << "type " << Pairs[k].Type << ", lag " << Pairs[k].Lag;
    }
}

// Elapsed durations and lags run on the clock from where they fall, as MS
// Project schedules them: on a calendar of Monday to Friday, 8-12 and 13-17,
// with Wednesday 10 March a holiday, from Monday 1 March 2027. B's ten days
// of the clock from Wednesday 3 March end on Saturday 13 March 08:00 and
// hold 7 working days (the holiday and a weekend inside); C waits three days
// of the clock from there, of which only Monday 15 is worked; D starts half
// a day of the clock (a working day) after C does; E's five hours from
// Thursday 18 at 08:00 end at 13:00 after four working hours, and F waits two
// hours of the clock from then, not from the end of E's working time. G's
// 60 hours must end with F on Friday 19 at 15:00, so they begin on
// Wednesday 17 at 03:00 and hold 2.75 working days.
TEST(MsProjectXml, ElapsedSpansHoldTheWorkingTimeOfTheCalendarWhereTheyFall) {
    const auto Task = [](int Uid, const std::string& Duration, int Format,
                         const std::string& Link = "") {
        const std::string Id = std::to_string(Uid);
        return "<Task><UID>" + Id + "</UID><Name>" + std::string(1, char('A' + Uid - 1)) +
               "</Name><Duration>" + Duration + "</Duration><DurationFormat>" +
               std::to_string(Format) + "</DurationFormat>" + Link + "</Task>\n";
    };
    const auto Link = [](int Before, int Type, int Lag, int Format) {
        return "<PredecessorLink><PredecessorUID>" + std::to_string(Before) +
               "</PredecessorUID><Type>" + std::to_string(Type) + "</Type><LinkLag>" +
               std::to_string(Lag) + "</LinkLag><LagFormat>" + std::to_string(Format) +
               "</LagFormat></PredecessorLink>";
    };
    const std::string Calendar = R"(<Project xmlns="http://schemas.microsoft.com/project">
 <StartDate>2027-03-01T08:00:00</StartDate><CalendarUID>1</CalendarUID>
 <Calendars><Calendar><UID>1</UID><Name>Standard</Name><BaseCalendarUID>-1</BaseCalendarUID>
  <WeekDays><WeekDay><DayType>1</DayType><DayWorking>0</DayWorking></WeekDay>
   <WeekDay><DayType>7</DayType><DayWorking>0</DayWorking></WeekDay></WeekDays>
  <Exceptions><Exception><TimePeriod><FromDate>2027-03-10T00:00:00</FromDate>
   <ToDate>2027-03-10T23:59:00</ToDate></TimePeriod><Type>1</Type><DayWorking>0</DayWorking>
  </Exception></Exceptions></Calendar></Calendars>
<Tasks>
)";
    const std::string Tasks =
        Task(1, "PT16H0M0S", 7) + Task(2, "PT240H0M0S", 8, Link(1, 1, 0, 7)) +
        Task(3, "PT8H0M0S", 7, Link(2, 1, 43200, 8)) + Task(4, "PT8H0M0S", 7, Link(3, 3, 7200, 8)) +
        Task(5, "PT5H0M0S", 6, Link(4, 1, 0, 7)) + Task(6, "PT8H0M0S", 7, Link(5, 1, 1200, 6)) +
        Task(7, "PT60H0M0S", 8, Link(6, 0, 0, 7)) + "</Tasks></Project>";
    std::string Error;
    auto Plan = ReadMsProjectXml(Calendar + Tasks, "x", Error);
    ASSERT_TRUE(Plan) << Error;
    const std::string Warnings = Joined(Plan->Warnings);
    for (const char* Expected :
         {"«B» (UID 2): длительность в календарном времени «PT240H0M0S» перенесена как 7 дн. "
          "рабочего времени по календарю проекта, считая с 2027-03-03T08:00",
          "«B» (UID 2) → задача «C» (UID 3): задержка в календарном времени перенесена как 1 дн. "
          "рабочего времени по календарю проекта, считая с 2027-03-13T08:00",
          "«C» (UID 3) → задача «D» (UID 4): задержка в календарном времени перенесена как 1 дн.",
          "«E» (UID 5): длительность в календарном времени «PT5H0M0S» перенесена как 0.5 дн. "
          "рабочего времени по календарю проекта, считая с 2027-03-18T08:00",
          "считая с 2027-03-18T13:00",
          "«G» (UID 7): длительность в календарном времени «PT60H0M0S» "
          "перенесена как 2.75 дн. рабочего времени по календарю проекта, считая с "
          "2027-03-17T03:00"})
        EXPECT_NE(Warnings.find(Expected), std::string::npos) << Expected << "\n" << Warnings;
    EXPECT_EQ(Warnings.find("не установились"), std::string::npos) << Warnings;

    std::vector<std::string> Names;
    for (const TWorkData& Work : Plan->Works)
        Names.push_back(Work.Name);
    TWorkList List;
    FillWorkList(List, std::move(*Plan));
    const TSchedule Schedule = ComputeSchedule(List);
    ASSERT_TRUE(Schedule.Valid);
    const std::pair<const char*, TReal> Starts[] = {{"A", 0},  {"B", 2},      {"C", 10}, {"D", 11},
                                                    {"E", 12}, {"F", 12.75L}, {"G", 11}};
    for (const auto& [Name, Start] : Starts) {
        const auto Found = std::find(Names.begin(), Names.end(), Name);
        ASSERT_NE(Found, Names.end()) << Name;
        EXPECT_EQ(Schedule.Works[static_cast<std::size_t>(Found - Names.begin())].EarlyStart, Start)
            << Name;
    }
    EXPECT_EQ(Schedule.ProjectDuration, 13.75L);
}

} // namespace
