#include "model/X87.h"

#include <cmath>

namespace {

constexpr int Bias = 16383;
constexpr int MaxExponent = 0x7FFF;
// A denormal's significand counts units of 2^-(Bias - 1 + 63).
constexpr int DenormalShift = Bias - 1 + 63;
constexpr std::uint64_t IntegerBit = std::uint64_t{1} << 63;

TX87Bytes Pack(bool Negative, int Exponent, std::uint64_t Significand) {
    TX87Bytes Bytes{};
    for (int i = 0; i < 8; ++i)
        Bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(Significand >> (8 * i));
    const unsigned Top = (Negative ? 0x8000u : 0u) | static_cast<unsigned>(Exponent);
    Bytes[8] = static_cast<std::uint8_t>(Top & 0xFF);
    Bytes[9] = static_cast<std::uint8_t>(Top >> 8);
    return Bytes;
}

} // namespace

TX87Bytes EncodeX87(TReal Value) {
    const bool Negative = std::signbit(Value);
    if (std::isnan(Value))
        return Pack(Negative, MaxExponent, IntegerBit | (IntegerBit >> 1));
    if (std::isinf(Value))
        return Pack(Negative, MaxExponent, IntegerBit);
    if (Value == 0)
        return Pack(Negative, 0, 0);

    int e = 0;
    // |Value| = m * 2^e with m in [0.5, 1).
    const TReal m = std::frexp(std::fabs(Value), &e);
    int Exponent = e - 1 + Bias;
    // On a host with a wider significand than 64 bits the scaled value may
    // have a fraction; rint rounds it to nearest, ties to even.
    TReal Scaled = Exponent > 0 ? std::ldexp(m, 64) : std::ldexp(m, e + DenormalShift);
    Scaled = std::rint(Scaled);
    if (Exponent <= 0)
        Exponent = 0;
    const TReal Wrap = std::ldexp(TReal{1}, 64);
    if (Scaled >= Wrap) { // rounded up to the next power of two
        Scaled = std::ldexp(TReal{1}, 63);
        ++Exponent;
    }
    std::uint64_t Significand = static_cast<std::uint64_t>(Scaled);
    if (Exponent == 0 && (Significand & IntegerBit) != 0)
        Exponent = 1; // a denormal rounded up to the smallest normal
    if (Exponent >= MaxExponent)
        return Pack(Negative, MaxExponent, IntegerBit);
    return Pack(Negative, Exponent, Significand);
}

std::optional<TReal> DecodeX87(std::span<const std::uint8_t, 10> Bytes) {
    std::uint64_t Significand = 0;
    for (int i = 7; i >= 0; --i)
        Significand = (Significand << 8) | Bytes[static_cast<std::size_t>(i)];
    const unsigned Top = static_cast<unsigned>(Bytes[8]) | (static_cast<unsigned>(Bytes[9]) << 8);
    const bool Negative = (Top & 0x8000u) != 0;
    const int Exponent = static_cast<int>(Top & 0x7FFFu);
    const bool Normal = (Significand & IntegerBit) != 0;

    if (Exponent == MaxExponent)
        return std::nullopt;
    if (Exponent != 0 && !Normal)
        return std::nullopt;
    if (Exponent == 0 && Normal)
        return std::nullopt;

    // The significand converts exactly where long double has 64 bits; the
    // scaling by a power of two is then exact too, also for denormals.
    const int Scale = Exponent == 0 ? -DenormalShift : Exponent - Bias - 63;
    const TReal Magnitude = std::ldexp(static_cast<TReal>(Significand), Scale);
    if (!std::isfinite(Magnitude))
        return std::nullopt;
    return Negative ? -Magnitude : Magnitude;
}
