#include "model/RealText.h"

#include <charconv>
#include <cmath>
#include <system_error>

// Both directions go through <charconv>, which ignores the process locale:
// Qt sets the user's locale at start-up, and a locale with a decimal comma
// must not change what the file, the report or the checks below see.

std::string FormatReal(TReal Value, char DecimalSeparator) {
    char Buffer[64];
    const auto Result =
        std::to_chars(Buffer, Buffer + sizeof Buffer, Value, std::chars_format::general, 15);
    std::string Text(Buffer, Result.ptr);
    if (DecimalSeparator != '.')
        for (char& c : Text)
            if (c == '.')
                c = DecimalSeparator;
    return Text;
}

std::optional<TReal> ParseReal(std::string_view Text, char DecimalSeparator) {
    // The form is checked by hand so that only plain decimal numbers pass:
    // no "inf", no "nan", no hexadecimal, no other separator.
    std::string Plain;
    std::size_t i = 0;
    const auto Digit = [&](std::size_t k) {
        return k < Text.size() && Text[k] >= '0' && Text[k] <= '9';
    };
    if (i < Text.size() && (Text[i] == '+' || Text[i] == '-')) {
        if (Text[i] == '-')
            Plain += '-';
        ++i;
    }
    bool Digits = false;
    while (Digit(i)) {
        Plain += Text[i++];
        Digits = true;
    }
    if (i < Text.size() && Text[i] == DecimalSeparator) {
        Plain += '.';
        ++i;
        while (Digit(i)) {
            Plain += Text[i++];
            Digits = true;
        }
    }
    if (!Digits)
        return std::nullopt;
    if (i < Text.size() && (Text[i] == 'e' || Text[i] == 'E')) {
        Plain += 'e';
        ++i;
        if (i < Text.size() && (Text[i] == '+' || Text[i] == '-'))
            Plain += Text[i++];
        if (!Digit(i))
            return std::nullopt;
        while (Digit(i))
            Plain += Text[i++];
    }
    if (i != Text.size())
        return std::nullopt;
    TReal Value = 0;
    const auto Result =
        std::from_chars(Plain.data(), Plain.data() + Plain.size(), Value, std::chars_format::general);
    if (Result.ec != std::errc() || Result.ptr != Plain.data() + Plain.size() || !std::isfinite(Value))
        return std::nullopt;
    return Value;
}

bool DurationAllowed(TReal Value) {
    return std::isnormal(Value) && Value > 0 && Value <= MaxDuration;
}
