#pragma once
// Durations as the windows show and read them: the general decimal form with
// up to 15 significant digits and the decimal separator of the user's locale.

#include "core/Real.h"
#include "model/Calendar.h"

#include <QString>

#include <optional>

// The locale's decimal separator; '.' for a locale whose separator is not a
// single ASCII character, since durations are plain decimal text.
char DecimalSeparator();

QString DurationText(TReal Duration);
// A finite decimal number with a comma or a point as its separator, whatever
// the locale's, or nothing.
std::optional<TReal> DurationFromText(const QString& Text);

// A moment of the plan: the date in the system's short format and the time
// to the minute, "09.03.2027 08:00" (a plan's times are whole minutes).
QString MomentText(const TMoment& At);
