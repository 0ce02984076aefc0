#pragma once
// Durations, path values and event times are carried in 80-bit extended
// precision throughout the program. On x86-64 that is the compiler's long
// double; the scheme file has its own codec and does not rely on this layout.

#include <limits>

using TReal = long double;

inline constexpr TReal RealInfinity = std::numeric_limits<TReal>::infinity();

// Two path values are taken as equal when they differ by less than this part
// of the largest work duration: in double precision a chain of twenty works of
// 0.1 would already miss its own marks. The path marks and the schedule's
// critical works use the same tolerance, so they agree.
inline constexpr TReal RealTieTolerance = 1e-15L;
