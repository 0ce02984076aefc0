#pragma once
// Durations as project files write them: the ISO 8601 form of xsd:duration
// without years and months, PnDTnHnMnS. Each part at most once and in that
// order, any of them left out but not all, a T only before a time part, a
// number of digits with decimals anywhere ("PT8H0M0S", "P1DT2H",
// "PT0H0M0.288S"), a minus before it; blanks around it are ignored.

#include "core/Real.h"

#include <optional>
#include <string_view>

// Days and seconds are kept apart, since what a day is becomes known only at
// the end of a project file.
struct TSpan {
    TReal Days = 0;
    TReal Seconds = 0;
};

// Nothing when the text is not such a duration ("PT1H1H", "P1DT", "8 hours").
std::optional<TSpan> ParseIsoDuration(std::string_view Text);
