// The project calendar through MS Project XML: what MS Project writes comes
// in as the scheme's calendar, the scheme's calendar goes out with the dates
// it gives, and what MS Project cannot hold is refused.

#include "ExchangeTestSupport.h"

#include "exchange/Exchange.h"
#include "exchange/MsProjectXml.h"
#include "messages/ErrorStrings.h"

#include <filesystem>
#include <fstream>
#include <random>

namespace {

TCivilDate Date(int y, int m, int d) {
    return TCivilDate::FromYmd(y, m, d);
}

// Two works one after the other on Calendar.
void Chain(TWorkList& List, const TCalendar& Calendar, TReal First, TReal Second) {
    List.AddWork({"Котлован", First, {}}, true);
    List.AddWork({"Фундамент", Second, {}}, true);
    List.GetWork(1).Links[0] = LinkDirect;
    List.Changed(0, ckScheme);
    EXPECT_TRUE(List.SetCalendar(Calendar));
}

TEST(MsProjectCalendar, ASchemesCalendarGoesOutWithItsDatesAndComesBackTheSame) {
    TCalendar Calendar;
    Calendar.Start = Date(2027, 3, 1); // a Monday
    Calendar.StartTime = 10 * 60;
    Calendar.Holidays = {Date(2027, 3, 8), Date(2027, 3, 9)};
    Calendar.Workdays = {Date(2027, 3, 13)}; // a Saturday
    TWorkList List;
    Chain(List, Calendar, 3, 5);
    std::string Error;
    const auto Xml = WriteMsProjectXml(List, Error);
    ASSERT_TRUE(Xml) << Error;
    // Three days from Monday 10:00 end on Thursday 10:00; five more skip the
    // two holidays and end on the working Saturday.
    const std::string Second = Xml->substr(Xml->rfind("<Task>"));
    for (const char* Expected :
         {"<Start>2027-03-04T10:00:00</Start>", "<Finish>2027-03-13T10:00:00</Finish>",
          "<Duration>PT40H0M0S</Duration>"})
        EXPECT_NE(Second.find(Expected), std::string::npos) << Expected << "\n" << Second;
    for (const char* Expected :
         {"<StartDate>2027-03-01T10:00:00</StartDate>",
          "<FinishDate>2027-03-13T10:00:00</FinishDate>",
          // The holidays as one run, in both forms.
          "<DayType>0</DayType>\n     <DayWorking>0</DayWorking>\n     <TimePeriod>\n"
          "      <FromDate>2027-03-08T00:00:00</FromDate>\n"
          "      <ToDate>2027-03-09T23:59:00</ToDate>",
          "<Occurrences>2</Occurrences>", "<Name>Рабочий день</Name>"})
        EXPECT_NE(Xml->find(Expected), std::string::npos) << Expected << "\n" << *Xml;

    const auto Back = ReadMsProjectXml(*Xml, "back.xml", Error);
    ASSERT_TRUE(Back) << Error;
    EXPECT_TRUE(Back->Warnings.empty()) << Back->Warnings.front();
    ASSERT_TRUE(Back->Calendar);
    EXPECT_EQ(*Back->Calendar, Calendar);
    EXPECT_EQ(Describe(*Back), (std::vector<std::string>{"Котлован 3 <-", "Фундамент 5 <- 1"}));
}

// Any calendar a scheme may hold comes back the same, but for what means the
// same: a start time at the start of the working day is no start time.
TEST(MsProjectCalendar, RandomCalendarsComeBackTheSame) {
    std::mt19937 Random(28);
    const auto Pick = [&Random](int From, int To) {
        return From + static_cast<int>(Random() % static_cast<unsigned>(To - From + 1));
    };
    for (int Trial = 0; Trial < 200; ++Trial) {
        TCalendar Calendar;
        Calendar.Weekdays = static_cast<std::uint8_t>(Pick(1, 127));
        Calendar.Periods.clear();
        for (int At = Pick(0, 600); At < 24 * 60 && Calendar.Periods.size() < 3;) {
            const int End = std::min(24 * 60, At + Pick(1, 600));
            Calendar.Periods.push_back({At, End});
            At = End + Pick(1, 300);
        }
        Calendar.MinutesPerDay = Pick(1, 24 * 60);
        Calendar.Start = Date(Pick(1984, 2100), Pick(1, 12), Pick(1, 28));
        if (const int Time = Pick(1, 24 * 60 - 1); Trial % 2 && Time != Calendar.Periods[0].Start)
            Calendar.StartTime = Time;
        for (int k = Pick(0, 40); k > 0; --k)
            (k % 2 ? Calendar.Holidays : Calendar.Workdays)
                .push_back(TCivilDate{Calendar.Start.Days + Pick(-400, 4000)});
        NormaliseCalendar(Calendar);
        std::erase_if(Calendar.Workdays, [&](TCivilDate d) {
            return std::binary_search(Calendar.Holidays.begin(), Calendar.Holidays.end(), d);
        });
        TWorkList List;
        Chain(List, Calendar, static_cast<TReal>(Pick(1, 40)) / 4, Pick(1, 20));
        std::string Error;
        const auto Xml = WriteMsProjectXml(List, Error);
        ASSERT_TRUE(Xml) << Error;
        const auto Back = ReadMsProjectXml(*Xml, "back.xml", Error);
        ASSERT_TRUE(Back && Back->Calendar) << Error << *Xml;
        EXPECT_EQ(*Back->Calendar, Calendar) << *Xml;
        EXPECT_TRUE(Back->Warnings.empty()) << Back->Warnings.front();
    }
}

// A calendar derived from a base one as MS Project writes it: Friday made
// free, a holiday in the Project 2007 form, New Year's Day every year, a
// working Saturday in the older WeekDay form, and what the scheme cannot
// keep: a weekly exception, a working day's own hours, a work week.
const std::string Derived = R"(<Project xmlns="http://schemas.microsoft.com/project">
 <StartDate>2027-03-01T08:00:00</StartDate><CalendarUID>3</CalendarUID>
 <MinutesPerDay>420</MinutesPerDay>
 <Calendars>
  <Calendar><UID>1</UID><Name>Стандартный</Name><BaseCalendarUID>-1</BaseCalendarUID>
   <WeekDays><WeekDay><DayType>1</DayType><DayWorking>0</DayWorking></WeekDay>
    <WeekDay><DayType>7</DayType><DayWorking>0</DayWorking></WeekDay></WeekDays>
   <Exceptions>
    <Exception><TimePeriod><FromDate>2027-03-08T00:00:00</FromDate>
     <ToDate>2027-03-08T23:59:00</ToDate></TimePeriod><Type>1</Type><DayWorking>0</DayWorking></Exception>
    <Exception><TimePeriod><FromDate>2027-01-01T00:00:00</FromDate>
     <ToDate>2029-01-01T23:59:00</ToDate></TimePeriod><Type>2</Type><Month>0</Month>
     <MonthDay>1</MonthDay><DayWorking>0</DayWorking></Exception></Exceptions></Calendar>
  <Calendar><UID>3</UID><Name>Стройка</Name><BaseCalendarUID>1</BaseCalendarUID>
   <WeekDays><WeekDay><DayType>6</DayType><DayWorking>0</DayWorking></WeekDay>
    <WeekDay><DayType>0</DayType><DayWorking>1</DayWorking><TimePeriod>
     <FromDate>2027-03-13T00:00:00</FromDate><ToDate>2027-03-14T00:00:00</ToDate></TimePeriod>
    </WeekDay></WeekDays>
   <Exceptions><Exception><TimePeriod><FromDate>2027-04-01T00:00:00</FromDate>
     <ToDate>2027-05-01T23:59:00</ToDate></TimePeriod><Name>Планёрки</Name><Type>6</Type>
     <DayWorking>0</DayWorking></Exception>
    <Exception><TimePeriod><FromDate>2027-03-20T00:00:00</FromDate>
     <ToDate>2027-03-20T23:59:00</ToDate></TimePeriod><Name>Аврал</Name><DayWorking>1</DayWorking>
     <WorkingTimes><WorkingTime><FromTime>09:00:00</FromTime><ToTime>13:00:00</ToTime>
     </WorkingTime></WorkingTimes></Exception></Exceptions>
   <WorkWeeks><WorkWeek><Name>Лето</Name></WorkWeek></WorkWeeks></Calendar>
 </Calendars>
 <Tasks><Task><UID>1</UID><Name>A</Name><Duration>PT7H0M0S</Duration></Task></Tasks>
</Project>)";

TEST(MsProjectCalendar, ADerivedCalendarComesInWithItsBaseAndBothFormsOfExceptions) {
    std::string Error;
    const auto Plan = ReadMsProjectXml(Derived, "derived.xml", Error);
    ASSERT_TRUE(Plan) << Error;
    ASSERT_TRUE(Plan->Calendar);
    TCalendar Expected;
    Expected.Start = Date(2027, 3, 1);
    Expected.Weekdays = 0x0F;
    Expected.MinutesPerDay = 420;
    Expected.Holidays = {Date(2027, 1, 1), Date(2027, 3, 8), Date(2028, 1, 1), Date(2029, 1, 1)};
    Expected.Workdays = {Date(2027, 3, 13), Date(2027, 3, 20)};
    EXPECT_EQ(*Plan->Calendar, Expected);
    EXPECT_EQ(Describe(*Plan), std::vector<std::string>{"A 1 <-"});
    std::string Warnings;
    for (const std::string& Line : Plan->Warnings)
        Warnings += Line + "\n";
    EXPECT_EQ(Plan->Warnings.size(), 3u) << Warnings;
    for (const char* Said : {"«Планёрки» (повторение вида «6») не перенесено",
                             "«Аврал» — рабочий день со своими часами",
                             "рабочие недели календаря «Стройка» на отдельные периоды"})
        EXPECT_NE(Warnings.find(Said), std::string::npos) << Warnings;

    const auto Sample = ReadMsProjectXml(SampleBytes("project.xml"), "project.xml", Error);
    ASSERT_TRUE(Sample && Sample->Calendar) << Error;
    EXPECT_EQ(Sample->Calendar->Start, Date(2025, 3, 3));
    EXPECT_EQ(Sample->Calendar->Holidays, std::vector<TCivilDate>{Date(2025, 5, 1)});
}

TEST(MsProjectCalendar, ACalendarTheSchemeCannotKeepIsLeftOutSayingWhyAndTheWorksComeIn) {
    const auto Replace = [](std::string Text, const std::string& From, const std::string& To) {
        return Text.replace(Text.find(From), From.size(), To);
    };
    const struct {
        std::string Bytes;
        std::string Why;
    } Cases[] = {
        {Replace(Derived, "<CalendarUID>3", "<CalendarUID>7"), "с UID «7» нет в файле"},
        {Replace(Derived, "<BaseCalendarUID>1", "<BaseCalendarUID>2"),
         "нет базового календаря с UID «2»"},
        {Replace(Derived, "<BaseCalendarUID>-1", "<BaseCalendarUID>3"), "по кругу"},
        {Replace(Derived, "<StartDate>2027-03-01T08", "<StartDate>2027-02-30T08"),
         "дата начала проекта «2027-02-30T08:00:00» не прочитана"},
        {Replace(Derived, "<FromDate>2027-03-08", "<FromDate>1800-03-08"),
         std::string(Msg::CalendarDateOutOfRange)},
        // Every day of thirty years.
        {Replace(Derived, "<ToDate>2027-03-08", "<ToDate>2057-03-08"),
         std::string(Msg::CalendarTooManyExceptions)},
        // The same twenty years thirty times over: few dates, but reading
        // them all would keep a hostile file's reader busy.
        {Replace(
             Derived, "<Exceptions>\n    <Exception>",
             "<Exceptions>\n" +
                 [] {
                     std::string Many;
                     for (int k = 0; k < 30; ++k)
                         Many += "<Exception><TimePeriod><FromDate>2000-01-01T00:00:00</FromDate>"
                                 "<ToDate>2020-01-01T00:00:00</ToDate></TimePeriod><Type>1</Type>"
                                 "<DayWorking>0</DayWorking></Exception>";
                     return Many;
                 }() +
                 "<Exception>"),
         std::string(Msg::CalendarTooManyExceptions)},
        {Replace(Derived, "<UID>3</UID>",
                 "<UID>3</UID><WeekDays><WeekDay><DayType>2</DayType>"
                 "<DayWorking>1</DayWorking><WorkingTimes><WorkingTime>"
                 "<FromTime>8</FromTime></WorkingTime></WorkingTimes>"
                 "</WeekDay></WeekDays>"),
         "рабочее время «8» — «» не прочитано"},
        {Replace(Derived, "<DayType>6</DayType><DayWorking>0",
                 "<DayType>2</DayType><DayWorking>0</DayWorking></WeekDay><WeekDay><DayType>3"
                 "</DayType><DayWorking>0</DayWorking></WeekDay><WeekDay><DayType>4</DayType>"
                 "<DayWorking>0</DayWorking></WeekDay><WeekDay><DayType>5</DayType><DayWorking>0"
                 "</DayWorking></WeekDay><WeekDay><DayType>6</DayType><DayWorking>0"),
         std::string(Msg::CalendarNoWorkingDay)},
    };
    for (const auto& Case : Cases) {
        std::string Error;
        const auto Plan = ReadMsProjectXml(Case.Bytes, "c.xml", Error);
        ASSERT_TRUE(Plan) << Error;
        EXPECT_FALSE(Plan->Calendar) << Case.Why;
        EXPECT_EQ(Describe(*Plan), std::vector<std::string>{"A 1 <-"});
        std::string Warnings;
        for (const std::string& Line : Plan->Warnings)
            Warnings += Line + "\n";
        EXPECT_NE(Warnings.find("план перенесён без календаря"), std::string::npos) << Warnings;
        EXPECT_NE(Warnings.find(Case.Why), std::string::npos) << Warnings;
    }
}

TEST(MsProjectCalendar, APlanOutsideMsProjectsYearsIsRefusedAndTheOldFileKept) {
    const std::filesystem::path Path =
        std::filesystem::temp_directory_path() / "korvant-mspcal-refused.xml";
    std::ofstream(Path) << "old";
    TCalendar Calendar;
    for (const auto& [Start, Why] :
         {std::pair{Date(1983, 12, 30), "начало 1983-12-30, окончание 1984-02-02"},
          std::pair{Date(2149, 12, 1), "начало 2149-12-01, окончание 2150-01-02"}}) {
        Calendar.Start = Start;
        std::string Error;
        TWorkList List;
        Chain(List, Calendar, 5, 20);
        EXPECT_FALSE(WritePlan(List, Path.string(), TPlanFormat::MsProjectXml, Error));
        EXPECT_NE(Error.find("даты плана выходят за годы, которые может хранить MS Project (с "
                             "1984-01-01 по 2149-12-31)"),
                  std::string::npos)
            << Error;
        EXPECT_NE(Error.find(Why), std::string::npos) << Error;
        std::ifstream In(Path);
        std::string Content;
        In >> Content;
        EXPECT_EQ(Content, "old");
    }
    Calendar.Start = Date(2149, 11, 1);
    std::string Error;
    TWorkList List;
    Chain(List, Calendar, 5, 20);
    EXPECT_TRUE(WritePlan(List, Path.string(), TPlanFormat::MsProjectXml, Error)) << Error;

    // Without a calendar the plan is dated from Monday 2026-01-05 on the
    // standard week: 33,000 working days run past 2149, and such a plan is
    // refused too rather than written without its dates.
    std::ofstream(Path) << "old";
    TWorkList Long;
    Chain(Long, Calendar, 16000, 17000);
    ASSERT_TRUE(Long.SetCalendar(std::nullopt));
    EXPECT_FALSE(WritePlan(Long, Path.string(), TPlanFormat::MsProjectXml, Error));
    EXPECT_NE(Error.find("начало 2026-01-05, окончание 2152-"), std::string::npos) << Error;
    std::ifstream In(Path);
    std::string Content;
    In >> Content;
    EXPECT_EQ(Content, "old");
    std::filesystem::remove(Path);
}

} // namespace
