#pragma once
// Durations and times as the user sees them: the general decimal form with up
// to 15 significant digits and the system's decimal separator, read back with
// the same separator.

#include "core/Real.h"

#include <optional>
#include <string>
#include <string_view>

std::string FormatReal(TReal Value, char DecimalSeparator = '.');

// A finite number written in decimal (optional sign, digits with at most one
// separator, optional exponent). Refuses "inf", "nan", hexadecimal forms, any
// other separator, and values beyond the range of the extended type.
std::optional<TReal> ParseReal(std::string_view Text, char DecimalSeparator = '.');

// Largest duration a work may have: sums of a thousand such durations keep
// every digit the 80-bit type carries and never overflow.
inline constexpr TReal MaxDuration = 1e15L;

// The one rule for a duration, in the editor, the scheme reader and every
// importer: positive, normal (no zero, no subnormal) and at most MaxDuration.
bool DurationAllowed(TReal Value);
