#pragma once
// The rule that decides whether two members of a level swap their rows while
// the crossings are reduced: the swap is taken when it removes more crossings
// than it creates; on a tie in crossings, when it makes more links straight;
// on a tie in both, when it makes the links shorter (in squared row distance).
//
// This is the one place where the rule is written. ReduceCrossings decides
// its pairs from flat arrays in vectorised loops (CrossingReduction.cpp,
// SwapKernels.cpp), each of which states what it computes in terms of
// SwapRule; ReduceCrossingsPairwise applies SwapRule itself, pair by pair.
// Whoever changes the rule changes SwapRule and the gains below, then runs
// ShortcutTest (RowSwapsEqualThePairwiseRule and the kernel tests say which
// fast path no longer agrees), LayoutTest and the golden files of GoldenTest,
// which record the rows of the worked examples.

#include <cstddef>
#include <span>

// Gains of swapping the rows a and b of two members of a level whose
// neighbours (on one side: out-links or in-links) lie in the rows U and V.
// Each sums its term over every pair of a row c of U and a row e of V.

// +1 for a pair of links that cross now and not after the swap, -1 for one
// that crosses only after it; links to the same row never cross.
int CrossingGain(int a, int b, std::span<const int> U, std::span<const int> V);
// How many more links are straight (their two ends in one row) after it.
int StraightGain(int a, int b, std::span<const int> U, std::span<const int> V);
// How much shorter the links are after it, in squared row distance.
long long DistanceGain(int a, int b, std::span<const int> U, std::span<const int> V);

// The neighbour rows of one member on both sides; the level object counts as
// an in-neighbour with its row (the member count), roots do not count.
struct TSwapSides {
    std::span<const int> Out;
    std::span<const int> In;
};

// Whether u in row a and v in row b swap: the gains summed over both sides,
// crossings first, then straight links, then distance.
bool SwapRule(int a, int b, TSwapSides U, TSwapSides V);

// How many passes the swaps make over levels of these member counts: a
// quarter of the levels and one more, as long as the pairs those passes
// decide (each pass the sum of the squared counts) stay within SwapBudget;
// past it as many passes as fit, never fewer than MinSwapPasses. On large
// schemes the swaps do not settle (at 3,000 works thousands of rows still
// swap after two hundred passes) while every pass costs more: 10,000 works
// made 683 passes in about 80 s. Schemes of up to about 3,000 project-like
// works stay within the budget and keep every pass.
inline constexpr unsigned long long SwapBudget = 1ull << 35;
inline constexpr int MinSwapPasses = 8;
int SwapPasses(std::span<const std::size_t> LevelSizes);
