#pragma once
// The 80-bit extended format in which the scheme file keeps durations: a
// 64-bit significand with an explicit integer bit, then the sign and a 15-bit
// exponent (bias 16383), little-endian. Both directions work by value, so the
// file means the same on a host whose long double has another layout; on
// x86-64 every finite value goes there and back unchanged.

#include "core/Real.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>

using TX87Bytes = std::array<std::uint8_t, 10>;

// Finite values are rounded to nearest (exact on x86-64); infinities and NaNs
// get the format's own encodings, though no duration of a scheme is either.
TX87Bytes EncodeX87(TReal Value);

// The value of ten bytes, or nothing when they do not hold a finite number in
// canonical form: NaN, infinity, an unnormal (integer bit clear under a
// non-zero exponent), a pseudo-denormal (integer bit set under a zero
// exponent), or, on another host, a number its long double cannot hold.
std::optional<TReal> DecodeX87(std::span<const std::uint8_t, 10> Bytes);
