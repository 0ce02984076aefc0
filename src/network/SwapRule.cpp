// The swap rule of the crossing reduction, written plainly, and the crossing
// reduction that applies it pair by pair: the reference that the fast loops
// of ReduceCrossings must equal row for row.

#include "network/SwapRule.h"

#include "network/CircuitEngine.h"

#include <algorithm>
#include <utility>
#include <vector>

int CrossingGain(int a, int b, std::span<const int> U, std::span<const int> V) {
    int Gain = 0;
    for (const int c : U)
        for (const int e : V)
            if (c != e)
                // The two links cross now exactly when their ends are in the
                // opposite order of the two members.
                Gain += (e < c) != (b < a) ? 1 : -1;
    return Gain;
}

int StraightGain(int a, int b, std::span<const int> U, std::span<const int> V) {
    int Gain = 0;
    for (const int c : U)
        for (const int e : V)
            Gain += -int{a == c} - int{b == e} + int{a == e} + int{b == c};
    return Gain;
}

long long DistanceGain(int a, int b, std::span<const int> U, std::span<const int> V) {
    const auto Sq = [](long long x) { return x * x; };
    long long Gain = 0;
    for (const int c : U)
        for (const int e : V)
            Gain += Sq(a - c) + Sq(b - e) - Sq(a - e) - Sq(b - c);
    return Gain;
}

bool SwapRule(int a, int b, TSwapSides U, TSwapSides V) {
    const long long Crossing = CrossingGain(a, b, U.Out, V.Out) + CrossingGain(a, b, U.In, V.In);
    if (Crossing != 0)
        return Crossing > 0;
    const long long Straight = StraightGain(a, b, U.Out, V.Out) + StraightGain(a, b, U.In, V.In);
    if (Straight != 0)
        return Straight > 0;
    return DistanceGain(a, b, U.Out, V.Out) + DistanceGain(a, b, U.In, V.In) > 0;
}

namespace {

// The rows of the linked objects that have a data block.
std::vector<int> RowsOf(const TMemoryLinkObject& Store, const THandleArray& Links) {
    std::vector<int> Rows;
    for (const THandle x : Links)
        if (const TLinkNode& N = Store.Get(x); N.Data)
            Rows.push_back(N.Data->Y);
    return Rows;
}

} // namespace

int SwapPasses(std::span<const std::size_t> LevelSizes) {
    const int Passes = static_cast<int>(LevelSizes.size()) / 4 + 1;
    unsigned long long Pairs = 0;
    for (const std::size_t m : LevelSizes)
        Pairs += static_cast<unsigned long long>(m) * m;
    if (Pairs == 0 || Pairs * static_cast<unsigned long long>(Passes) <= SwapBudget)
        return Passes;
    return std::max(MinSwapPasses, static_cast<int>(SwapBudget / Pairs));
}

int TCircuitEngine::ReduceCrossingsPairwise() {
    const THandleArray LevelList = Out(GethALL(TypeLevelsRoot));
    std::vector<std::size_t> Sizes;
    for (const THandle L : LevelList)
        Sizes.push_back(Out(L).size());
    const int Passes = SwapPasses(Sizes);
    for (int Pass = 0; Pass < Passes; ++Pass)
        for (const THandle L : LevelList) {
            const THandleArray& Members = Out(L);
            for (std::size_t j = 0; j < Members.size(); ++j)
                for (std::size_t k = Members.size() - 1; k > j; --k) {
                    const TLinkNode& U = Node(Members[j]);
                    const TLinkNode& V = Node(Members[k]);
                    const auto UO = RowsOf(*Circuit, U.OutLinks);
                    const auto UI = RowsOf(*Circuit, U.InLinks);
                    const auto VO = RowsOf(*Circuit, V.OutLinks);
                    const auto VI = RowsOf(*Circuit, V.InLinks);
                    if (SwapRule(U.Data->Y, V.Data->Y, {UO, UI}, {VO, VI}))
                        std::swap(U.Data->Y, V.Data->Y);
                }
        }
    return Passes;
}
