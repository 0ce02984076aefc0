#include "exchange/IsoDuration.h"

#include "model/RealText.h"

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The length of a number of digits, with a point and more digits after it,
// at the start of Text; 0 when there is none.
std::size_t NumberLength(std::string_view Text) {
    std::size_t i = 0;
    while (i < Text.size() && IsDigit(Text[i]))
        ++i;
    if (i == 0)
        return 0;
    if (i < Text.size() && Text[i] == '.') {
        std::size_t j = i + 1;
        while (j < Text.size() && IsDigit(Text[j]))
            ++j;
        if (j == i + 1)
            return 0;
        i = j;
    }
    return i;
}

} // namespace

std::optional<TSpan> ParseIsoDuration(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    const bool Negative = s.starts_with('-');
    if (Negative)
        s.remove_prefix(1);
    if (!s.starts_with('P'))
        return std::nullopt;
    s.remove_prefix(1);
    // The designators in the order they may come: D before the T, the others
    // after it. Next is the first one still allowed.
    constexpr std::string_view Units = "DHMS";
    std::size_t Next = 0;
    bool InTime = false, Any = false, AnyTime = false;
    TSpan Span;
    while (!s.empty()) {
        if (s.front() == 'T' && !InTime) {
            InTime = true;
            Next = 1;
            s.remove_prefix(1);
            continue;
        }
        const std::size_t Length = NumberLength(s);
        if (Length == 0 || Length == s.size())
            return std::nullopt;
        const std::size_t Unit = Units.find(s[Length], Next);
        if (Unit == std::string_view::npos || (Unit == 0) == InTime)
            return std::nullopt;
        const std::optional<TReal> Number = ParseReal(s.substr(0, Length));
        if (!Number)
            return std::nullopt;
        switch (Units[Unit]) {
        case 'D':
            Span.Days = *Number;
            break;
        case 'H':
            Span.Seconds += *Number * 3600;
            break;
        case 'M':
            Span.Seconds += *Number * 60;
            break;
        default:
            Span.Seconds += *Number;
            break;
        }
        Any = true;
        AnyTime = AnyTime || InTime;
        Next = Unit + 1;
        s.remove_prefix(Length + 1);
    }
    if (!Any || (InTime && !AnyTime))
        return std::nullopt;
    if (Negative) {
        Span.Days = -Span.Days;
        Span.Seconds = -Span.Seconds;
    }
    return Span;
}
