#pragma once
// The project calendar: when work is done. A duration stays a number of
// working days; the calendar turns a day number of the schedule into a date
// and a time of day the way MS Project shows it, so that a plan can be
// reported in dates. TCalendar is the plain definition that the scheme file
// and the dialogs keep; TCalendarClock is the fast mapping built from a valid
// one, read-only once made, so that any number of readers can share it.

#include "core/Real.h"
#include "model/CivilDate.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Working time of a day, in minutes after midnight: Start < End <= 1440.
struct TWorkPeriod {
    int Start = 0;
    int End = 0;
    friend bool operator==(const TWorkPeriod&, const TWorkPeriod&) = default;
};

struct TCalendar {
    // The first day of the project; work begins at the first working moment
    // on or after it (after StartTime on that day, when there is one).
    TCivilDate Start;
    std::optional<int> StartTime; // minutes after midnight
    // Bit 0 Monday .. bit 6 Sunday.
    std::uint8_t Weekdays = 0x1F;
    // The same on every working day, in order, not touching one another.
    std::vector<TWorkPeriod> Periods = {{8 * 60, 12 * 60}, {13 * 60, 17 * 60}};
    // Working minutes in one day of duration. Usually the length of the
    // periods, but a plan from MS Project brings its own.
    int MinutesPerDay = 480;
    // Exceptions to the weekdays, each list ascending without repeats.
    std::vector<TCivilDate> Holidays; // not worked
    std::vector<TCivilDate> Workdays; // worked although their weekday is not

    bool WeekdayWorks(int IsoWeekday) const { return (Weekdays >> (IsoWeekday - 1)) & 1; }
    friend bool operator==(const TCalendar&, const TCalendar&) = default;
};

inline constexpr TCivilDate CalendarFirstDate{-25567};      // 1900-01-01
inline constexpr TCivilDate CalendarLastDate{376199};       // 2999-12-31
inline constexpr std::size_t MaxCalendarExceptions = 10000; // holidays and workdays together
inline constexpr std::size_t MaxWorkPeriods = 10;

// Sorts the exception lists and drops repeated dates.
void NormaliseCalendar(TCalendar& Calendar);
// Why the calendar cannot be used (a text of the catalogue), or nothing.
// The exception lists must be ascending without repeats.
std::optional<std::string_view> CalendarProblem(const TCalendar& Calendar);

// A moment on the wall clock of the site.
struct TMoment {
    TCivilDate Date;
    int Minute = 0; // 0..1439
    // "YYYY-MM-DDTHH:MM".
    std::string Iso() const;
    // The moment Minutes of the clock later (earlier when negative).
    TMoment Plus(std::int64_t Minutes) const;
    friend bool operator==(const TMoment&, const TMoment&) = default;
};

// Day number t of the schedule is the moment t x MinutesPerDay working
// minutes (rounded to the minute) after the project's start. Where that
// moment is the edge of a working period, a start is shown at the beginning
// of the next period and a finish at the end of the last one: a one-day work
// from Monday runs Monday 08:00 - Monday 17:00. Nothing for a moment past the
// year 9999 or a negative day number.
class TCalendarClock {
public:
    // Raises an internal fault for a calendar CalendarProblem refuses.
    explicit TCalendarClock(const TCalendar& Calendar);

    std::optional<TMoment> StartOf(TReal Day) const;
    std::optional<TMoment> FinishOf(TReal Day) const;
    // The moment an event happens: when the works into it finish, and the
    // project's start for day 0.
    std::optional<TMoment> EventAt(TReal Day) const {
        return Day > 0 ? FinishOf(Day) : StartOf(Day);
    }
    bool IsWorkingDay(TCivilDate Date) const;
    // The working minutes from From to To (negative when To comes first):
    // how much of an elapsed span, running on the clock, is working time.
    std::int64_t WorkingMinutesBetween(const TMoment& From, const TMoment& To) const;

private:
    // Working days in [Monday 1970-01-05, x) counted by weekday alone, then
    // with the exceptions; both grow by one at each working day.
    std::int64_t WeekdaysBefore(std::int64_t x) const;
    std::int64_t WorkingDaysBefore(std::int64_t x) const;
    // The day that is the n-th of the working weekdays from that Monday on
    // (n from 1; before it for n <= 0), so WeekdaysBefore(day + 1) == n.
    std::int64_t NthWeekday(std::int64_t n) const;
    // The moment Minutes working minutes after the start of the start day.
    // Working minutes from the beginning of the start day to Moment.
    std::int64_t WorkingMinutesBefore(const TMoment& Moment) const;
    std::optional<TMoment> Locate(std::int64_t Minutes, bool Finish) const;
    std::optional<std::int64_t> WorkingMinutes(TReal Day) const;

    std::int32_t StartDay = 0;
    std::uint8_t Weekdays = 0;
    int PerWeek = 0;
    std::int64_t DayLength = 0; // minutes of the periods
    int MinutesPerDay = 0;
    std::int64_t StartOffset = 0;     // working minutes of the start day before the start
    std::int64_t DaysBeforeStart = 0; // WorkingDaysBefore(StartDay)
    std::vector<TWorkPeriod> Periods;
    // The exceptions that change something: holidays on working weekdays,
    // workdays on free ones.
    std::vector<std::int32_t> Holidays;
    std::vector<std::int32_t> Workdays;
};
