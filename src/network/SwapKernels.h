#pragma once
// The flat data and the vectorised loops behind ReduceCrossings. The loops
// do not apply the swap rule themselves: they compute the sign sums from
// which SwapRule's crossing gain follows, or pass over the pairs for which
// SwapRule cannot hold. Each says in its heading what it equals in terms of
// SwapRule (network/SwapRule.h); ShortcutTest checks them against it.
//
// Notation used below: u is the member whose pairs are decided, in row a; k
// (or v) a later member of the same level, in row b. D(U, V) is the sum of
// sign(c - e) over u's rows c and k's rows e, out-side with out-side and
// in-side with in-side; SwapRule's crossing gain is D when b > a and -D when
// b < a, so with D != 0 SwapRule(a, b, u, k) is (b > a) == (D > 0), and with
// D = 0 the straight and distance gains decide.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#else
#error "The crossing reduction's pair loops need SSE2 (every x86-64 processor has it)."
#endif

struct TLinkData;

namespace SwapKernels {

// What the swaps read, flat and indexed once for all passes: the rows Y of
// every object with a data block that is a member or a neighbour (the members
// of a level get consecutive indices, in list order), and each member's
// neighbours as indices, out-links and in-links apart. No member of a level
// is a neighbour of another member of the same level (every link leads to a
// higher level; the level object and the roots are no members), so the rows
// a level's sums read stay fixed while its own rows are swapped.
//
// Every member has its level object among its in-links, and that object's
// row M (the member count) is the same for all members of the level, so it
// is kept apart from the other in-links: the in-side sign sum splits into
// D(I'u + M, I'v + M) = D(I'u, I'v) + g(u) - g(v), with I' the other in-rows
// and g(x) = the sum of sign(c - M) over I'x (the pair M, M adds 0). A member
// without its level object (H = 0) keeps the terms that exist:
// H(v) g(u) - H(u) g(v).
struct TNeighbours {
    std::vector<int> Y;
    std::vector<TLinkData*> Block;
    std::vector<std::int32_t> OutN, InN;
    std::vector<std::uint32_t> OutBegin{0}, InBegin{0};
    std::vector<std::uint8_t> HasLevel;

    std::span<const std::int32_t> OutOf(std::size_t x) const {
        return {OutN.data() + OutBegin[x], OutN.data() + OutBegin[x + 1]};
    }
    std::span<const std::int32_t> InOf(std::size_t x) const {
        return {InN.data() + InBegin[x], InN.data() + InBegin[x + 1]};
    }
    // For a member with at most one neighbour on each side (the level
    // object apart): the index of that neighbour, -1 where there is none;
    // NotNarrow in OutOne for every other member.
    static constexpr std::int32_t NotNarrow = -2;
    std::vector<std::int32_t> OutOne, InOne;
};

// sign(c - e) without a subtraction that could overflow.
inline int Sgn(int c, int e) {
    return (c > e) - (c < e);
}

// A narrow member's single row on one side is kept twice, as Lo and Hi, so
// that (c > Lo) - (c < Hi) is sign(c - row) when the row is there and 0 when
// it is missing (Lo = INT_MAX, Hi = INT_MIN): no branch and no correction.
constexpr int MissingLo = std::numeric_limits<int>::max();
constexpr int MissingHi = std::numeric_limits<int>::min();

// Every member's data as the pairs read it, indexed as TNeighbours::Y:
// narrow members (at most one row on each side besides M, most of them
// chain nodes) with their single rows, gathered again whenever their level
// comes; the others (wide) with Missing there, read from their neighbour
// lists.
struct TMemberRows {
    std::vector<int> OutLo, OutHi, InLo, InHi, HasLevel, G;
    // For the straight and distance gains: the number of rows on each side,
    // the level object's row M counted on the in-side.
    std::vector<int> OutCount, InCount;
};

// The rows of one level as the pairs read them: its entries of TMemberRows,
// from its first member on, and what is set again for it in every pass.
struct TLevelRows {
    const int *OutLo, *OutHi, *InLo, *InHi, *HasLevel, *OutCount, *InCount;
    int* G;
    bool AllHaveLevel = true;
    // Positions of the wide members, and the index in Wide of each member
    // (-1 for the narrow ones).
    std::span<const std::size_t> Wide;
    const std::int32_t* WideOf;
    // For wide member Wide[w], Col[ColBegin[w] + j] is the sign sum of the
    // narrow member j < Wide[w] against it, without the level terms.
    std::vector<int> Col;
    std::vector<std::size_t> ColBegin;
    // The neighbour rows of wide member Wide[w]: its out-rows from
    // RowsBegin[2 w], its in-rows from RowsBegin[2 w + 1], up to
    // RowsBegin[2 w + 2].
    std::vector<int> WideRows;
    std::vector<std::size_t> RowsBegin;
    std::span<const int> OutRows(std::size_t w) const {
        return {WideRows.data() + RowsBegin[2 * w], WideRows.data() + RowsBegin[2 * w + 1]};
    }
    std::span<const int> InRows(std::size_t w) const {
        return {WideRows.data() + RowsBegin[2 * w + 1], WideRows.data() + RowsBegin[2 * w + 2]};
    }
    // The sums of those rows, M counted on the in-side.
    std::vector<long long> WideOutSum, WideInSum;
};

// The level's arrays have this many spare entries past the last member, so
// that the loops below run in whole groups of Group positions: they start at
// a multiple of Group at or below the first position asked for and end at
// the next multiple at or above the last. The extra positions are computed
// and never read.
constexpr std::size_t Group = 8;
constexpr std::size_t GroupStart(std::size_t First) {
    return First / Group * Group;
}
constexpr std::size_t GroupEnd(std::size_t Last) {
    return (Last + Group - 1) / Group * Group;
}

// T[k] for k in First..Last-1, whole groups of Group: the sign sums D of the
// narrow member with the rows o and i against the narrow members k, level
// terms included (see TNeighbours). A missing row
// of the member itself is passed as MissingLo.
void NarrowKernel(const int* __restrict OLo, const int* __restrict OHi, const int* __restrict ILo,
                  const int* __restrict IHi, const int* __restrict G, const int* __restrict HL,
                  std::size_t Begin, std::size_t End, int o, int i, int g, int H,
                  int* __restrict T);

inline void NarrowSigns(const TLevelRows& L, std::size_t First, std::size_t Last, int o, int i, int g,
                 int H, int* T) {
    // Without level flags when every member and u itself have the level.
    const int* HL = L.AllHaveLevel && H ? nullptr : L.HasLevel;
    NarrowKernel(L.OutLo, L.OutHi, L.InLo, L.InHi, L.G, HL, GroupStart(First), GroupEnd(Last), o, i,
                 g, H, T);
}

// Adds the sign sums of one row c against the single rows of the narrow
// members k to T[k].
void AddRowSigns(int c, const int* __restrict Lo, const int* __restrict Hi, std::size_t First,
                 std::size_t Last, int* __restrict T);
// Adds the sign sums of the single rows of the narrow members j < Last
// against one row e to C[j].
void AddColumnSigns(int e, const int* __restrict Lo, const int* __restrict Hi, std::size_t Last,
                    int* __restrict C);

// The sum of sign(c - e) over the rows c of one list and e of another.
inline int SignSum(std::span<const int> U, std::span<const int> V) {
    int Total = 0;
    for (const int c : U)
        for (const int e : V)
            Total += Sgn(c, e);
    return Total;
}

// The highest k in [First, Last) for which SwapRule(a, Rows[k], u, k) may
// hold, or Last when it holds for none, given the sign sums T[k] = D of u
// against each k: with T[k] != 0 it equals SwapRule (the crossing gain T[k],
// negated when Rows[k] < a, is positive); with T[k] = 0 the straight and
// distance gains decide, so k is returned for the caller to decide.
inline std::size_t LastCandidate(int a, const int* Rows, const int* T, std::size_t First,
                          std::size_t Last) {
    std::size_t k = Last;
    const __m128i A = _mm_set1_epi32(a);
    const __m128i Zero = _mm_setzero_si128();
    while (k - First >= 4) {
        k -= 4;
        const __m128i t = _mm_loadu_si128(reinterpret_cast<const __m128i*>(T + k));
        const __m128i r = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Rows + k));
        const __m128i Differ = _mm_xor_si128(_mm_cmpgt_epi32(r, A), _mm_cmpgt_epi32(t, Zero));
        const __m128i Candidate = _mm_or_si128(_mm_cmpeq_epi32(t, Zero),
                                               _mm_andnot_si128(Differ, _mm_cmpeq_epi32(t, t)));
        const int Mask = _mm_movemask_ps(_mm_castsi128_ps(Candidate));
        if (Mask != 0)
            return k + static_cast<std::size_t>(31 - std::countl_zero(static_cast<unsigned>(Mask)));
    }
    while (k > First) {
        --k;
        if (T[k] == 0 || (Rows[k] > a) == (T[k] > 0))
            return k;
    }
    return Last;
}

// The narrow data once more, in 16 bits, for the members whose pairs are
// decided eight or sixteen at a time, indexed as TMemberRows and kept up to
// date with it: the single rows O and I of every member (Filler where it
// has none, and for the wide members), the level terms less the wide
// members' sign sums against the member being decided (GT, set again for
// every such member, with a correction that cancels the signs against
// Filler), the rows R themselves, and flags F that say which of a pair's
// straight-gain terms may be negative. Every array has Front spare entries
// before member 0 and after the last, so a group of eight (or sixteen) may
// start below the first position and be masked, or run past the last.
struct TMemberRows16 {
    static constexpr std::size_t Front = 16;
    static constexpr int Filler = std::numeric_limits<std::int16_t>::max();
    // The member has a row on the out-side; its out-row, or its in-row,
    // equals its own row (its link on that side is straight); it has a row
    // on the in-side (always, with the level object).
    static constexpr int FlagOut = 1, FlagOutStraight = 2, FlagInStraight = 4, FlagIn = 8;
    std::vector<std::int16_t> O, I, GT, R, F;

    void Resize(std::size_t Members) {
        for (auto* V : {&O, &I, &GT, &R, &F})
            V->assign(Front + Members + Front, 0);
    }
    static std::int16_t* At(std::vector<std::int16_t>& V, std::size_t x) {
        return V.data() + Front + x;
    }
    // F of a narrow member whose own row is r; o and i its rows or
    // MissingLo.
    static int Flags(int o, int i, int r) {
        return (o != MissingLo ? FlagOut : 0) | (o == r ? FlagOutStraight : 0) |
               (i == r ? FlagInStraight : 0) | FlagIn;
    }
};

// The narrow members' entries of TMemberRows and TMemberRows16 for the
// members [Begin, End) of a level whose level object is in row M (see the
// definition for the arguments).
void GatherRows(const int* __restrict Y, const std::uint32_t* __restrict OutAt,
                const std::uint32_t* __restrict InAt, const std::int16_t* __restrict Narrow, int M,
                std::size_t Begin, std::size_t End, int* __restrict OutLo, int* __restrict OutHi,
                int* __restrict InLo, int* __restrict InHi, int* __restrict G, bool Short,
                std::int16_t* __restrict O16, std::int16_t* __restrict I16,
                std::int16_t* __restrict GT16, std::int16_t* __restrict F16);
// The wide member k's terms for the narrow members before it in a 16-bit
// level (see the definition).
void WideTerms16(const std::int16_t* __restrict O, const std::int16_t* __restrict I, std::size_t k,
                 std::span<const int> Out, std::span<const int> In, int Gk,
                 std::int16_t* __restrict WideGT);

// One level's entries of TMemberRows16, from its first member on (at least
// Front entries before it can be read), and what is set again for it in
// every pass.
struct TLevelRows16 {
    std::int16_t *O, *I, *GT, *R, *F;
    // -1 for the wide members and the narrow ones without a row on a side.
    const std::int16_t* Special;
    // The narrow members without a row on some side, in position order,
    // whose GT depends on whether the member being decided has that row.
    std::span<const std::size_t> Irregular;
    // GT of the wide members, laid out as TLevelRows::Col.
    std::vector<std::int16_t> WideGT;
};

// A narrow member u with the single rows o and i (MissingLo where it has
// none), level term g and row a, every member of the level having its level
// object: what decides its pairs with the later members k.
struct TNarrowMember {
    int o, i, g, a;
    // Which flags of k make the straight gain negative when no row of the
    // pair coincides with the other member's row: u's own link straight at
    // row a costs nV on its side, k's straight links cost nU on theirs.
    int Negative() const {
        return (o == a ? TMemberRows16::FlagOut : 0) | (i == a ? TMemberRows16::FlagIn : 0) |
               (o != MissingLo ? TMemberRows16::FlagOutStraight : 0) |
               TMemberRows16::FlagInStraight;
    }
};

// The narrow-member pair search of a 16-bit level, eight pairs at a time
// (LastCandidate16) or sixteen where the processor has AVX2; both return the
// same position. See LastCandidate16 in SwapKernels.cpp.
using TLastCandidate16 = std::size_t (*)(const TLevelRows16&, const TNarrowMember&, std::size_t,
                                         std::size_t);
std::size_t LastCandidate16(const TLevelRows16& L, const TNarrowMember& U, std::size_t First,
                            std::size_t Top);
// The one the processor runs (and AllowWideVectors allows).
TLastCandidate16 ChooseLastCandidate16();
void AllowWideVectors(bool Allow);

// The wide-member pair search of a 16-bit level (see the definition).
std::size_t WideCandidate16(const TLevelRows16& L, std::span<const std::int16_t> Out,
                            std::span<const std::int16_t> In, int g, int a,
                            const std::int16_t* Given, std::size_t First, std::size_t Top,
                            int& Sum);

} // namespace SwapKernels
