// The project calendar's checks and its clock. The clock never walks the
// days: weekdays are counted by whole weeks, the exceptions by binary search
// in sorted lists, and the working day sought by binary search over that
// count, so a mapping costs a few dozen steps however far the date lies.

#include "model/Calendar.h"

#include "messages/ErrorStrings.h"
#include "messages/InternalFault.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>

namespace {

constexpr std::int32_t LastMappedDay = 2932896; // 9999-12-31
constexpr std::int32_t FirstMonday = 4;         // 1970-01-05

bool InRange(TCivilDate Date) {
    return Date >= CalendarFirstDate && Date <= CalendarLastDate;
}

bool Ascending(const std::vector<TCivilDate>& Dates) {
    return std::adjacent_find(Dates.begin(), Dates.end(), std::greater_equal<>()) == Dates.end();
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

} // namespace

void NormaliseCalendar(TCalendar& Calendar) {
    for (std::vector<TCivilDate>* Dates : {&Calendar.Holidays, &Calendar.Workdays}) {
        std::sort(Dates->begin(), Dates->end());
        Dates->erase(std::unique(Dates->begin(), Dates->end()), Dates->end());
    }
}

std::optional<std::string_view> CalendarProblem(const TCalendar& c) {
    if (c.Holidays.size() + c.Workdays.size() > MaxCalendarExceptions)
        return Msg::CalendarTooManyExceptions;
    if (!InRange(c.Start) || !std::all_of(c.Holidays.begin(), c.Holidays.end(), InRange) ||
        !std::all_of(c.Workdays.begin(), c.Workdays.end(), InRange))
        return Msg::CalendarDateOutOfRange;
    if (c.StartTime && (*c.StartTime < 0 || *c.StartTime >= 24 * 60))
        return Msg::CalendarBadStartTime;
    if (c.MinutesPerDay < 1 || c.MinutesPerDay > 24 * 60)
        return Msg::CalendarBadDayLength;
    if (c.Periods.empty() || c.Periods.size() > MaxWorkPeriods)
        return Msg::CalendarBadHours;
    int Previous = -1;
    for (const TWorkPeriod& p : c.Periods) {
        if (p.Start <= Previous || p.Start < 0 || p.End <= p.Start || p.End > 24 * 60)
            return Msg::CalendarBadHours;
        Previous = p.End;
    }
    if (!Ascending(c.Holidays) || !Ascending(c.Workdays))
        return Msg::CalendarExceptionClash;
    std::vector<TCivilDate> Both;
    std::set_intersection(c.Holidays.begin(), c.Holidays.end(), c.Workdays.begin(),
                          c.Workdays.end(), std::back_inserter(Both));
    if (!Both.empty())
        return Msg::CalendarExceptionClash;
    // Without a working weekday only the listed workdays are worked, and the
    // work of a long plan would run past them into nowhere.
    if ((c.Weekdays & 0x7F) == 0)
        return Msg::CalendarNoWorkingDay;
    return std::nullopt;
}

std::string TMoment::Iso() const {
    char Time[32];
    std::snprintf(Time, sizeof Time, "T%02d:%02d", Minute / 60, Minute % 60);
    return Date.Iso() + Time;
}

TMoment TMoment::Plus(std::int64_t Minutes) const {
    const std::int64_t Total = std::int64_t{Date.Days} * 24 * 60 + Minute + Minutes;
    const std::int64_t Day = FloorDiv(Total, 24 * 60);
    return TMoment{TCivilDate{static_cast<std::int32_t>(Day)},
                   static_cast<int>(Total - Day * 24 * 60)};
}

TCalendarClock::TCalendarClock(const TCalendar& c)
    : StartDay(c.Start.Days), Weekdays(c.Weekdays & 0x7F), PerWeek(std::popcount(Weekdays)),
      MinutesPerDay(c.MinutesPerDay), Periods(c.Periods) {
    if (const auto Problem = CalendarProblem(c))
        RaiseFault(*Problem);
    for (const TWorkPeriod& p : Periods)
        DayLength += p.End - p.Start;
    for (const TCivilDate d : c.Holidays)
        if (c.WeekdayWorks(d.IsoWeekday()))
            Holidays.push_back(d.Days);
    for (const TCivilDate d : c.Workdays)
        if (!c.WeekdayWorks(d.IsoWeekday()))
            Workdays.push_back(d.Days);
    DaysBeforeStart = WorkingDaysBefore(StartDay);
    if (c.StartTime && IsWorkingDay(c.Start))
        for (const TWorkPeriod& p : Periods)
            StartOffset += std::clamp(*c.StartTime, p.Start, p.End) - p.Start;
}

std::int64_t TCalendarClock::WeekdaysBefore(std::int64_t x) const {
    const std::int64_t Weeks = FloorDiv(x - FirstMonday, 7);
    const auto Rest = static_cast<int>(x - FirstMonday - 7 * Weeks);
    return Weeks * PerWeek + std::popcount(static_cast<unsigned>(Weekdays & ((1u << Rest) - 1)));
}

std::int64_t TCalendarClock::NthWeekday(std::int64_t n) const {
    const std::int64_t Weeks = FloorDiv(n - 1, PerWeek);
    auto Rest = static_cast<int>(n - 1 - Weeks * PerWeek);
    int Day = 0;
    for (;; ++Day)
        if (((Weekdays >> Day) & 1) && Rest-- == 0)
            break;
    return FirstMonday + 7 * Weeks + Day;
}

std::int64_t TCalendarClock::WorkingDaysBefore(std::int64_t x) const {
    const auto Below = [x](const std::vector<std::int32_t>& Days) {
        return std::lower_bound(Days.begin(), Days.end(), x) - Days.begin();
    };
    return WeekdaysBefore(x) - Below(Holidays) + Below(Workdays);
}

bool TCalendarClock::IsWorkingDay(TCivilDate Date) const {
    return WorkingDaysBefore(std::int64_t{Date.Days} + 1) > WorkingDaysBefore(Date.Days);
}

std::int64_t TCalendarClock::WorkingMinutesBefore(const TMoment& m) const {
    std::int64_t Minutes = (WorkingDaysBefore(m.Date.Days) - DaysBeforeStart) * DayLength;
    if (IsWorkingDay(m.Date))
        for (const TWorkPeriod& p : Periods)
            Minutes += std::clamp(m.Minute, p.Start, p.End) - p.Start;
    return Minutes;
}

std::int64_t TCalendarClock::WorkingMinutesBetween(const TMoment& From, const TMoment& To) const {
    return WorkingMinutesBefore(To) - WorkingMinutesBefore(From);
}

std::optional<std::int64_t> TCalendarClock::WorkingMinutes(TReal Day) const {
    const TReal Minutes = Day * MinutesPerDay;
    // Past any working time before the year 9999, whatever the calendar.
    if (!(Minutes >= 0) || Minutes > 5e9L)
        return std::nullopt;
    return StartOffset + std::llround(Minutes);
}

std::optional<TMoment> TCalendarClock::Locate(std::int64_t Minutes, bool Finish) const {
    // A finish counts the minute it ends on, a start the minute it begins:
    // the finish's day and period are those where the count is reached, the
    // start's those where it is passed.
    const std::int64_t Shift = Finish ? 1 : 0;
    const std::int64_t Index = (Minutes - Shift) / DayLength; // working day, from 0
    std::int64_t Rest = Minutes - Index * DayLength;
    // The Index-th working day on or after the start: the first day d after
    // which Index + 1 of them have passed. The exceptions move it at most by
    // their number of working days either way from where the weekdays alone
    // would put it, so the search runs over that window only.
    const std::int64_t Wanted = DaysBeforeStart + Index + 1;
    std::int64_t Low = std::max<std::int64_t>(
        StartDay, NthWeekday(Wanted - static_cast<std::int64_t>(Workdays.size())));
    std::int64_t High = NthWeekday(Wanted + static_cast<std::int64_t>(Holidays.size()));
    if (High > LastMappedDay) {
        High = LastMappedDay;
        if (WorkingDaysBefore(High + 1) < Wanted)
            return std::nullopt;
    }
    while (Low < High) {
        const std::int64_t Middle = Low + (High - Low) / 2;
        if (WorkingDaysBefore(Middle + 1) >= Wanted)
            High = Middle;
        else
            Low = Middle + 1;
    }
    // Rest is below the day's length (a start) or at most it (a finish), so
    // the last period holds whatever the others do not.
    std::size_t k = 0;
    for (; k + 1 < Periods.size(); ++k) {
        const std::int64_t Length = Periods[k].End - Periods[k].Start;
        if (Rest < Length + Shift)
            break;
        Rest -= Length;
    }
    TMoment m{TCivilDate{static_cast<std::int32_t>(Low)},
              Periods[k].Start + static_cast<int>(Rest)};
    if (m.Minute == 24 * 60) {
        m.Minute = 0;
        ++m.Date.Days;
    }
    return m;
}

std::optional<TMoment> TCalendarClock::StartOf(TReal Day) const {
    const auto Minutes = WorkingMinutes(Day);
    return Minutes ? Locate(*Minutes, false) : std::nullopt;
}

std::optional<TMoment> TCalendarClock::FinishOf(TReal Day) const {
    const auto Minutes = WorkingMinutes(Day);
    // Nothing has been worked yet at the start moment: it has no day before.
    if (!Minutes || *Minutes <= StartOffset)
        return StartOf(Day);
    return Locate(*Minutes, true);
}
