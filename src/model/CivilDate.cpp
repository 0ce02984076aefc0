// Days from and to a civil date after Howard Hinnant's days_from_civil and
// civil_from_days: the year is shifted to begin in March, so that the leap day
// is the last day of its year and every era of 400 years has the same length.

#include "model/CivilDate.h"

#include <cstdio>

TCivilDate TCivilDate::FromYmd(int Year, int Month, int Day) {
    const int y = Year - (Month <= 2 ? 1 : 0);
    const int Era = (y >= 0 ? y : y - 399) / 400;
    const int YearOfEra = y - Era * 400;
    const int DayOfYear = (153 * (Month + (Month > 2 ? -3 : 9)) + 2) / 5 + Day - 1;
    const int DayOfEra = YearOfEra * 365 + YearOfEra / 4 - YearOfEra / 100 + DayOfYear;
    return TCivilDate{Era * 146097 + DayOfEra - 719468};
}

void TCivilDate::ToYmd(int& Year, int& Month, int& Day) const {
    const int z = Days + 719468;
    const int Era = (z >= 0 ? z : z - 146096) / 146097;
    const int DayOfEra = z - Era * 146097;
    const int YearOfEra = (DayOfEra - DayOfEra / 1460 + DayOfEra / 36524 - DayOfEra / 146096) / 365;
    const int DayOfYear = DayOfEra - (365 * YearOfEra + YearOfEra / 4 - YearOfEra / 100);
    const int MonthIndex = (5 * DayOfYear + 2) / 153;
    Day = DayOfYear - (153 * MonthIndex + 2) / 5 + 1;
    Month = MonthIndex < 10 ? MonthIndex + 3 : MonthIndex - 9;
    Year = YearOfEra + Era * 400 + (Month <= 2 ? 1 : 0);
}

int TCivilDate::IsoWeekday() const {
    // 1970-01-01 was a Thursday (4).
    const int FromMonday = ((Days + 3) % 7 + 7) % 7;
    return FromMonday + 1;
}

std::string TCivilDate::Iso() const {
    int y = 0, m = 0, d = 0;
    ToYmd(y, m, d);
    char Text[48];
    std::snprintf(Text, sizeof Text, "%04d-%02d-%02d", y, m, d);
    return Text;
}

std::optional<TCivilDate> ParseIsoDate(std::string_view Text) {
    if (Text.size() != 10 || Text[4] != '-' || Text[7] != '-')
        return std::nullopt;
    const auto Number = [&Text](std::size_t From, std::size_t Length) {
        int Value = 0;
        for (std::size_t k = From; k < From + Length; ++k) {
            if (Text[k] < '0' || Text[k] > '9')
                return -1;
            Value = Value * 10 + (Text[k] - '0');
        }
        return Value;
    };
    const int y = Number(0, 4), m = Number(5, 2), d = Number(8, 2);
    if (y < 1 || m < 1 || m > 12 || d < 1 || d > 31)
        return std::nullopt;
    // A day past the end of its month would come back as another date.
    const TCivilDate Date = TCivilDate::FromYmd(y, m, d);
    int yy = 0, mm = 0, dd = 0;
    Date.ToYmd(yy, mm, dd);
    if (yy != y || mm != m || dd != d)
        return std::nullopt;
    return Date;
}
