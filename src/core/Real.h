#pragma once
// Durations, path values and event times are carried in 80-bit extended
// precision throughout the program. On x86-64 that is the compiler's long
// double; the scheme file has its own codec and does not rely on this layout.

#include <limits>

using TReal = long double;

inline constexpr TReal RealInfinity = std::numeric_limits<TReal>::infinity();
