#pragma once
// A day of the proleptic Gregorian calendar as a count of days since
// 1970-01-01, with the conversions the project calendar, its file chunk and
// the reports need. Plain arithmetic, no time zones: a plan's dates are the
// dates on the wall of the site.

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct TCivilDate {
    std::int32_t Days = 0; // since 1970-01-01, which is a Thursday

    static TCivilDate FromYmd(int Year, int Month, int Day);
    void ToYmd(int& Year, int& Month, int& Day) const;
    // 1 for Monday .. 7 for Sunday.
    int IsoWeekday() const;
    // "YYYY-MM-DD" for years 0..9999.
    std::string Iso() const;

    friend auto operator<=>(TCivilDate, TCivilDate) = default;
};

// Exactly "YYYY-MM-DD" naming a real day of years 1..9999; anything else,
// 2027-02-29 among it, is nothing.
std::optional<TCivilDate> ParseIsoDate(std::string_view Text);
