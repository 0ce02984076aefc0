// The project calendar: civil dates, the checks of a calendar, MS Project's
// worked examples, and the fast clock against a day-by-day walk over random
// calendars.

#include "model/Calendar.h"
#include "messages/ErrorStrings.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace {

TCivilDate Ymd(int y, int m, int d) {
    return TCivilDate::FromYmd(y, m, d);
}

TEST(CivilDate, ConvertsAndParsesAcrossCenturiesAndLeapDays) {
    EXPECT_EQ(Ymd(1970, 1, 1).Days, 0);
    EXPECT_EQ(Ymd(2027, 3, 1).Days, 20878);
    EXPECT_EQ(Ymd(1900, 1, 1), CalendarFirstDate);
    EXPECT_EQ(Ymd(2999, 12, 31), CalendarLastDate);
    EXPECT_EQ(Ymd(2027, 3, 1).IsoWeekday(), 1);
    EXPECT_EQ(Ymd(1900, 1, 1).IsoWeekday(), 1);
    EXPECT_EQ(Ymd(2000, 2, 29).IsoWeekday(), 2);
    // Every day of four centuries comes back as itself, one after another.
    int y = 0, m = 0, d = 0;
    for (std::int32_t Day = Ymd(1899, 12, 31).Days; Day <= Ymd(2300, 1, 1).Days; ++Day) {
        TCivilDate{Day}.ToYmd(y, m, d);
        ASSERT_EQ(TCivilDate::FromYmd(y, m, d).Days, Day);
        ASSERT_EQ(ParseIsoDate(TCivilDate{Day}.Iso()), TCivilDate{Day});
    }
    EXPECT_EQ(ParseIsoDate("2024-02-29"), Ymd(2024, 2, 29));
    for (const char* Bad :
         {"2027-02-29", "1900-02-29", "2027-13-01", "2027-04-31", "0000-01-01", "2027-3-01",
          "2027-03-01T", "2027/03/01", " 2027-03-01", "", "2O27-03-01", "+027-03-01"})
        EXPECT_FALSE(ParseIsoDate(Bad)) << Bad;
}

TEST(Calendar, RefusesWhatCannotBeWorkedByWithItsReason) {
    EXPECT_FALSE(CalendarProblem(TCalendar{}));
    const auto Problem = [](auto Change) {
        TCalendar c;
        c.Start = Ymd(2027, 3, 1);
        Change(c);
        return CalendarProblem(c);
    };
    EXPECT_EQ(Problem([](TCalendar& c) { c.Weekdays = 0; }), Msg::CalendarNoWorkingDay);
    EXPECT_EQ(Problem([](TCalendar& c) {
                  c.Weekdays = 0x80; // only a bit that names no weekday
              }),
              Msg::CalendarNoWorkingDay);
    EXPECT_EQ(Problem([](TCalendar& c) { c.Start = Ymd(1899, 12, 31); }),
              Msg::CalendarDateOutOfRange);
    EXPECT_EQ(Problem([](TCalendar& c) { c.Holidays = {Ymd(3000, 1, 1)}; }),
              Msg::CalendarDateOutOfRange);
    EXPECT_EQ(Problem([](TCalendar& c) { c.Holidays.resize(MaxCalendarExceptions + 1); }),
              Msg::CalendarTooManyExceptions);
    EXPECT_EQ(Problem([](TCalendar& c) { c.Periods = {}; }), Msg::CalendarBadHours);
    EXPECT_EQ(Problem([](TCalendar& c) { c.Periods = {{600, 600}}; }), Msg::CalendarBadHours);
    EXPECT_EQ(Problem([](TCalendar& c) {
                  c.Periods = {{480, 720}, {720, 1020}};
              }),
              Msg::CalendarBadHours);
    EXPECT_EQ(Problem([](TCalendar& c) {
                  c.Periods = {{780, 1020}, {480, 720}};
              }),
              Msg::CalendarBadHours);
    EXPECT_EQ(Problem([](TCalendar& c) { c.Periods = {{1000, 1441}}; }), Msg::CalendarBadHours);
    EXPECT_EQ(Problem([](TCalendar& c) { c.Periods.assign(MaxWorkPeriods + 1, {}); }),
              Msg::CalendarBadHours);
    EXPECT_EQ(Problem([](TCalendar& c) { c.MinutesPerDay = 0; }), Msg::CalendarBadDayLength);
    EXPECT_EQ(Problem([](TCalendar& c) { c.StartTime = 1440; }), Msg::CalendarBadStartTime);
    EXPECT_EQ(Problem([](TCalendar& c) {
                  c.Holidays = {Ymd(2027, 3, 9), Ymd(2027, 3, 8)};
              }),
              Msg::CalendarExceptionClash);
    EXPECT_EQ(Problem([](TCalendar& c) {
                  c.Holidays = {Ymd(2027, 3, 6)};
                  c.Workdays = {Ymd(2027, 3, 6)};
              }),
              Msg::CalendarExceptionClash);
    TCalendar Unsorted;
    Unsorted.Holidays = {Ymd(2027, 3, 9), Ymd(2027, 3, 8), Ymd(2027, 3, 9)};
    NormaliseCalendar(Unsorted);
    EXPECT_EQ(Unsorted.Holidays, (std::vector<TCivilDate>{Ymd(2027, 3, 8), Ymd(2027, 3, 9)}));
    EXPECT_FALSE(CalendarProblem(Unsorted));
}

// A worked example: the change to the standard calendar starting Monday
// 2027-03-01 with the holiday of 08.03.2027, a day number, and the start and
// finish shown for it.
struct TExample {
    const char* What;
    void (*Change)(TCalendar&);
    TReal Day;
    const char* Start;
    const char* Finish;
};

void PrintTo(const TExample& e, std::ostream* Out) {
    *Out << e.What;
}

void Standard(TCalendar&) {}
const std::vector<TExample> Examples = {
    {"project_start", Standard, 0, "2027-03-01T08:00", "2027-03-01T08:00"},
    {"one_day_ends_the_same_evening", Standard, 1, "2027-03-02T08:00", "2027-03-01T17:00"},
    {"half_a_day_ends_before_the_break", Standard, 0.5L, "2027-03-01T13:00", "2027-03-01T12:00"},
    {"quarter_day", Standard, 0.25L, "2027-03-01T10:00", "2027-03-01T10:00"},
    {"a_minute_rounds", Standard, 1.0L / 960, "2027-03-01T08:01", "2027-03-01T08:01"},
    {"friday_evening_then_the_holiday", Standard, 5, "2027-03-09T08:00", "2027-03-05T17:00"},
    {"after_the_holiday", Standard, 6, "2027-03-10T08:00", "2027-03-09T17:00"},
    {"start_on_a_saturday", [](TCalendar& c) { c.Start = Ymd(2027, 2, 27); }, 0, "2027-03-01T08:00",
     "2027-03-01T08:00"},
    {"a_working_saturday", [](TCalendar& c) { c.Workdays = {Ymd(2027, 3, 6)}; }, 5,
     "2027-03-06T08:00", "2027-03-05T17:00"},
    {"a_start_after_lunch", [](TCalendar& c) { c.StartTime = 13 * 60; }, 1, "2027-03-02T13:00",
     "2027-03-02T12:00"},
    {"a_start_in_the_break", [](TCalendar& c) { c.StartTime = 12 * 60 + 30; }, 0,
     "2027-03-01T13:00", "2027-03-01T13:00"},
    {"a_start_after_work", [](TCalendar& c) { c.StartTime = 18 * 60; }, 0.5L, "2027-03-02T13:00",
     "2027-03-02T12:00"},
    {"seven_hour_days", [](TCalendar& c) { c.MinutesPerDay = 420; }, 1, "2027-03-01T16:00",
     "2027-03-01T16:00"},
    {"a_night_shift_ends_at_midnight",
     [](TCalendar& c) {
         c.Periods = {{22 * 60, 24 * 60}};
         c.MinutesPerDay = 120;
     },
     1, "2027-03-02T22:00", "2027-03-02T00:00"},
    {"past_the_year_9999", Standard, 3e6L, nullptr, nullptr},
    {"negative", Standard, -1, nullptr, nullptr},
};

class CalendarExample : public ::testing::TestWithParam<TExample> {};

TEST_P(CalendarExample, ShowsStartAndFinishAsMsProjectDoes) {
    const TExample& e = GetParam();
    TCalendar c;
    c.Start = Ymd(2027, 3, 1);
    c.Holidays = {Ymd(2027, 3, 8)};
    e.Change(c);
    const TCalendarClock Clock(c);
    const auto Text = [](std::optional<TMoment> m) { return m ? m->Iso() : std::string("none"); };
    EXPECT_EQ(Text(Clock.StartOf(e.Day)), e.Start ? e.Start : "none");
    EXPECT_EQ(Text(Clock.FinishOf(e.Day)), e.Finish ? e.Finish : "none");
}

INSTANTIATE_TEST_SUITE_P(Cases, CalendarExample, ::testing::ValuesIn(Examples),
                         [](const auto& Info) { return std::string(Info.param.What); });

// The simplest clock there is: day after day from the start, period after
// period, until the minutes are used up.
std::optional<TMoment> Walk(const TCalendar& c, TReal Day, bool Finish) {
    const std::set<TCivilDate> Off(c.Holidays.begin(), c.Holidays.end());
    const std::set<TCivilDate> On(c.Workdays.begin(), c.Workdays.end());
    long long Left = std::llround(Day * c.MinutesPerDay);
    bool First = true;
    for (TCivilDate d = c.Start; d.Days < c.Start.Days + 200000; ++d.Days, First = false) {
        if (On.count(d) == 0 && (Off.count(d) > 0 || !c.WeekdayWorks(d.IsoWeekday())))
            continue;
        for (const TWorkPeriod& p : c.Periods) {
            int From = p.Start;
            if (First && c.StartTime)
                From = std::clamp(*c.StartTime, p.Start, p.End);
            const int Length = p.End - From;
            // A finish may end on the period's end; a start begins before it.
            // Before anything is worked there is only the start.
            const bool Here = (Finish && Left > 0) ? Left <= Length : Left < Length;
            if (Here) {
                TMoment m{d, From + static_cast<int>(Left)};
                if (m.Minute == 1440)
                    m = TMoment{TCivilDate{d.Days + 1}, 0};
                return m;
            }
            Left -= Length;
        }
    }
    return std::nullopt;
}

TCalendar RandomCalendar(std::mt19937& Random) {
    TCalendar c;
    c.Start = TCivilDate{Ymd(2020, 1, 1).Days + static_cast<std::int32_t>(Random() % 3000)};
    c.Weekdays = static_cast<std::uint8_t>(1 + Random() % 127);
    if (Random() % 3 == 0)
        c.StartTime = static_cast<int>(Random() % 1440);
    c.Periods.clear();
    for (int From = static_cast<int>(Random() % 600); From < 1440 && c.Periods.size() < 4;) {
        const int To = std::min(1440, From + 1 + static_cast<int>(Random() % 300));
        c.Periods.push_back({From, To});
        From = To + 1 + static_cast<int>(Random() % 200);
    }
    c.MinutesPerDay = 1 + static_cast<int>(Random() % 900);
    const int Exceptions = static_cast<int>(Random() % 40);
    for (int k = 0; k < Exceptions; ++k) {
        const TCivilDate d{c.Start.Days - 10 + static_cast<std::int32_t>(Random() % 400)};
        (Random() % 2 ? c.Holidays : c.Workdays).push_back(d);
    }
    NormaliseCalendar(c);
    std::vector<TCivilDate> Holidays;
    std::set_difference(c.Holidays.begin(), c.Holidays.end(), c.Workdays.begin(), c.Workdays.end(),
                        std::back_inserter(Holidays));
    c.Holidays = Holidays;
    return c;
}

std::string Describe(const TCalendar& c) {
    std::string s = "start " + c.Start.Iso() + " weekdays " + std::to_string(c.Weekdays) +
                    " minutes/day " + std::to_string(c.MinutesPerDay) + " start time " +
                    (c.StartTime ? std::to_string(*c.StartTime) : "none") + " periods";
    for (const TWorkPeriod& p : c.Periods)
        s += " " + std::to_string(p.Start) + "-" + std::to_string(p.End);
    s += " holidays";
    for (TCivilDate d : c.Holidays)
        s += " " + d.Iso();
    s += " workdays";
    for (TCivilDate d : c.Workdays)
        s += " " + d.Iso();
    return s;
}

TEST(CalendarClock, AgreesWithADayByDayWalkOnRandomCalendars) {
    std::mt19937 Random(2803);
    for (int Round = 0; Round < 300; ++Round) {
        const TCalendar c = RandomCalendar(Random);
        ASSERT_FALSE(CalendarProblem(c)) << Describe(c);
        const TCalendarClock Clock(c);
        for (int k = 0; k < 40; ++k) {
            // Whole days, halves and arbitrary fractions, up to about two years.
            TReal Day = static_cast<TReal>(Random() % 500);
            if (k % 3 == 1)
                Day += 0.5L;
            else if (k % 3 == 2)
                Day += static_cast<TReal>(Random() % 1000) / 997;
            ASSERT_EQ(Clock.StartOf(Day), Walk(c, Day, false))
                << Describe(c) << " day " << double(Day);
            ASSERT_EQ(Clock.FinishOf(Day), Walk(c, Day, true))
                << Describe(c) << " day " << double(Day);
        }
        for (int k = 0; k < 20; ++k) {
            const TCivilDate d{c.Start.Days - 20 + static_cast<std::int32_t>(Random() % 500)};
            const bool Works = std::binary_search(c.Workdays.begin(), c.Workdays.end(), d) ||
                               (!std::binary_search(c.Holidays.begin(), c.Holidays.end(), d) &&
                                c.WeekdayWorks(d.IsoWeekday()));
            ASSERT_EQ(Clock.IsWorkingDay(d), Works) << Describe(c) << " " << d.Iso();
        }
    }
}

// Counted minute by minute: the minutes of [From, To) on a working day
// inside a working period.
std::int64_t CountMinutes(const TCalendar& c, TMoment From, TMoment To) {
    std::int64_t Count = 0;
    for (TMoment m = From; m.Date < To.Date || (m.Date == To.Date && m.Minute < To.Minute);
         m = m.Plus(1)) {
        const bool Works = std::binary_search(c.Workdays.begin(), c.Workdays.end(), m.Date) ||
                           (!std::binary_search(c.Holidays.begin(), c.Holidays.end(), m.Date) &&
                            c.WeekdayWorks(m.Date.IsoWeekday()));
        Count += Works && std::any_of(c.Periods.begin(), c.Periods.end(), [&](TWorkPeriod p) {
                     return m.Minute >= p.Start && m.Minute < p.End;
                 });
    }
    return Count;
}

TEST(CalendarClock, CountsWorkingMinutesBetweenMomentsAsAMinuteByMinuteWalk) {
    std::mt19937 Random(1707);
    for (int Round = 0; Round < 60; ++Round) {
        const TCalendar c = RandomCalendar(Random);
        const TCalendarClock Clock(c);
        for (int k = 0; k < 4; ++k) {
            const TMoment From{
                TCivilDate{c.Start.Days - 15 + static_cast<std::int32_t>(Random() % 400)},
                static_cast<int>(Random() % 1440)};
            const TMoment To = From.Plus(static_cast<std::int64_t>(Random() % (12 * 1440)));
            const std::int64_t Count = CountMinutes(c, From, To);
            ASSERT_EQ(Clock.WorkingMinutesBetween(From, To), Count)
                << Describe(c) << " from " << From.Iso() << " to " << To.Iso();
            ASSERT_EQ(Clock.WorkingMinutesBetween(To, From), -Count);
        }
    }
}

} // namespace
