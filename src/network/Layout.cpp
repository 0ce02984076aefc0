// Layout: places the network on the diagram's grid, column = level, row = Y.
// Arcs that span several levels are cut into one-level segments by chain
// nodes, so that every drawn segment joins neighbouring columns and the
// levels in between make room for the arcs that pass through them. Rows are
// then improved by pairwise swaps inside each level (fewer crossings first,
// then more straight segments, then shorter ones), and the events are
// numbered in level order.

#include "network/CircuitEngine.h"

#include "core/SetEdits.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <bit>
#include <cstring>
#include <cstdint>
#include <limits>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#endif

using namespace SetEdits;

void TCircuitEngine::SplitLongArcs() {
    const THandle All = GethALL(TypeAllRoot);
    // Chain nodes added below are not visited.
    const std::size_t n = Out(All).size();
    for (std::size_t i = 0; i < n; ++i) {
        const THandle c = Out(All)[i];
        const THandleArray Successors = Out(c);
        for (const THandle d : Successors)
            InsertChain(c, d, Data(d).TopN - Data(c).TopN);
    }
    BuildLevels();
}

// The direct link from c to d stays; only the chain's segments are drawn.
void TCircuitEngine::InsertChain(THandle c, THandle d, std::int32_t Span) {
    if (Span < 2)
        return;
    const THandle All = GethALL(TypeAllRoot);
    const TLinkData& C = Data(c);
    const std::int32_t Kind =
        C.FictOut && C.FictOut->HasKey(Key(d)) ? TypeFictiveChain : TypeRealChain;
    const bool Marked = C.CritOut && C.CritOut->HasKey(Key(d));
    THandle Prev = c;
    std::int32_t t = C.TopN;
    for (std::int32_t s = 1; s < Span; ++s) {
        ++t;
        TLinkNode Chain;
        Chain.TypeID = Kind;
        Chain.Data = std::make_unique<TLinkData>();
        Chain.Data->CritOut = std::make_unique<TMultitude>();
        // Handle 0 is never issued, so it cannot be mistaken for a successor.
        if (Marked)
            Chain.Data->CritOut->AddKey(0);
        Chain.Data->TopN = t;
        // Its in-links will be the node before it and its level object.
        Chain.InLinks.reserve(2);
        const THandle New = Circuit->AddObject(std::move(Chain));
        // A fresh handle is in no array yet: no search through hAll's
        // out-links, which hold every chain node.
        Circuit->AddNewReference(Prev, New);
        Circuit->AddNewReference(All, New);
        Prev = New;
    }
    Circuit->AddReference(Prev, d);
}

void TCircuitEngine::PlaceVertices() {
    InitRows();
    ReduceCrossings();
    NumberEvents();
}

void TCircuitEngine::InitRows() {
    const THandle Levels = GethALL(TypeLevelsRoot);
    for (const THandle L : Out(Levels)) {
        const THandleArray& Members = Out(L);
        for (std::size_t j = 0; j < Members.size(); ++j)
            Data(Members[j]).Y = static_cast<std::int32_t>(j);
        Data(L).Y = static_cast<std::int32_t>(Members.size());
    }
}

namespace {

// sign(c - e) without a subtraction that could overflow.
inline int Sgn(int c, int e) {
    return (c > e) - (c < e);
}

// A narrow member's single row on one side is kept twice, as Lo and Hi, so
// that (c > Lo) - (c < Hi) is sign(c - row) when the row is there and 0 when
// it is missing (Lo = INT_MAX, Hi = INT_MIN): no branch and no correction.
constexpr int MissingLo = std::numeric_limits<int>::max();
constexpr int MissingHi = std::numeric_limits<int>::min();

// The hot loops get a second, AVX2 build where the processor has it; the
// choice is made once, when the program starts.
#if defined(__GNUC__) && defined(__x86_64__) && !defined(__clang__)
#define KORVANT_WIDE_VECTORS __attribute__((target_clones("avx2", "default")))
#else
#define KORVANT_WIDE_VECTORS
#endif

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

// T[k] for k in First..Last-1: the sign sums of the narrow member with the
// rows o and i against the narrow members k, level terms included. A missing
// row of the member itself is passed as MissingLo.
KORVANT_WIDE_VECTORS
void NarrowKernel(const int* __restrict OLo, const int* __restrict OHi, const int* __restrict ILo,
                  const int* __restrict IHi, const int* __restrict G, const int* __restrict HL,
                  std::size_t Begin, std::size_t End, int o, int i, int g, int H,
                  int* __restrict T) {
    // A missing row of u adds 0 to every pair (c = MissingLo would not, so
    // the mask takes it out).
    const int MO = o == MissingLo ? 0 : -1;
    const int MI = i == MissingLo ? 0 : -1;
    if (!HL) {
        for (std::size_t k = Begin; k < End; ++k)
            T[k] = (MO & ((o > OLo[k]) - (o < OHi[k]))) + (MI & ((i > ILo[k]) - (i < IHi[k]))) +
                   g - G[k];
        return;
    }
    const int MH = -H;
    for (std::size_t k = Begin; k < End; ++k)
        T[k] = (MO & ((o > OLo[k]) - (o < OHi[k]))) + (MI & ((i > ILo[k]) - (i < IHi[k]))) +
               ((-HL[k]) & g) - (MH & G[k]);
}

void NarrowSigns(const TLevelRows& L, std::size_t First, std::size_t Last, int o, int i, int g,
                 int H, int* T) {
    // Without level flags when every member and u itself have the level.
    const int* HL = L.AllHaveLevel && H ? nullptr : L.HasLevel;
    NarrowKernel(L.OutLo, L.OutHi, L.InLo, L.InHi, L.G, HL, GroupStart(First), GroupEnd(Last), o, i,
                 g, H, T);
}

// Adds the sign sums of one row c against the single rows of the narrow
// members k to T[k].
KORVANT_WIDE_VECTORS
void AddRowSigns(int c, const int* __restrict Lo, const int* __restrict Hi, std::size_t First,
                 std::size_t Last, int* __restrict T) {
    const std::size_t End = GroupEnd(Last);
    for (std::size_t k = GroupStart(First); k < End; ++k)
        T[k] += (c > Lo[k]) - (c < Hi[k]);
}

// Adds the sign sums of the single rows of the narrow members j < Last
// against one row e to C[j].
KORVANT_WIDE_VECTORS
void AddColumnSigns(int e, const int* __restrict Lo, const int* __restrict Hi, std::size_t Last,
                    int* __restrict C) {
    for (std::size_t j = 0; j < Last; ++j)
        C[j] += (Hi[j] > e) - (Lo[j] < e);
}

// WideGT[j] for the narrow members j < k of a 16-bit level (O and I their
// single rows, Filler where missing, and for the wide members): the level
// term Gk of the wide member k with the rows Out and In, less the sign sum of
// j's rows against k's, less one for each row j has (the groups of sixteen
// count its signs against k's Filler as -1 each).
KORVANT_WIDE_VECTORS
void WideTerms16(const std::int16_t* __restrict O, const std::int16_t* __restrict I, std::size_t k,
                 std::span<const int> Out, std::span<const int> In, int Gk,
                 std::int16_t* __restrict WideGT) {
    constexpr std::int16_t Filler = std::numeric_limits<std::int16_t>::max();
    for (std::size_t j = 0; j < k; ++j)
        WideGT[j] = static_cast<std::int16_t>(Gk - (O[j] != Filler) - (I[j] != Filler));
    for (const int e : Out) {
        const auto E = static_cast<std::int16_t>(e);
        for (std::size_t j = 0; j < k; ++j)
            WideGT[j] = static_cast<std::int16_t>(WideGT[j] -
                                                  (O[j] != Filler ? (O[j] > E) - (O[j] < E) : 0));
    }
    for (const int e : In) {
        const auto E = static_cast<std::int16_t>(e);
        for (std::size_t j = 0; j < k; ++j)
            WideGT[j] = static_cast<std::int16_t>(WideGT[j] -
                                                  (I[j] != Filler ? (I[j] > E) - (I[j] < E) : 0));
    }
}

// The sum of sign(c - e) over the rows c of one list and e of another.
int SignSum(std::span<const int> U, std::span<const int> V) {
    int Total = 0;
    for (const int c : U)
        for (const int e : V)
            Total += Sgn(c, e);
    return Total;
}

// The highest k in [First, Last) whose pair with a row-a member may swap, or
// Last when none may: with a nonzero sign sum T[k] the test is the decision
// itself (the crossing gain T[k], negated when Rows[k] < a, is positive);
// with zero the straight and distance gains decide.
std::size_t LastCandidate(int a, const int* Rows, const int* T, std::size_t First,
                          std::size_t Last) {
    std::size_t k = Last;
#if defined(__SSE2__)
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
#endif
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
// members [Begin, End) of a level whose level object is in row M, from the
// rows Y of their neighbours: OutAt and InAt index the single neighbour on
// each side, or an entry of Y that holds MissingLo where there is none and
// for every side of a wide member. Narrow is -1 for the narrow members, 0
// for the wide ones, whose level terms are set again afterwards. The 16-bit
// entries are written only when Short (O16 and the others point to the
// first member's entries).
KORVANT_WIDE_VECTORS
void GatherRows(const int* __restrict Y, const std::uint32_t* __restrict OutAt,
                const std::uint32_t* __restrict InAt, const std::int16_t* __restrict Narrow, int M,
                std::size_t Begin, std::size_t End, int* __restrict OutLo, int* __restrict OutHi,
                int* __restrict InLo, int* __restrict InHi, int* __restrict G, bool Short,
                std::int16_t* __restrict O16, std::int16_t* __restrict I16,
                std::int16_t* __restrict GT16, std::int16_t* __restrict F16) {
    for (std::size_t x = Begin; x < End; ++x) {
        const int o = Y[OutAt[x]];
        const int i = Y[InAt[x]];
        OutLo[x] = o;
        OutHi[x] = o == MissingLo ? MissingHi : o;
        InLo[x] = i;
        InHi[x] = i == MissingLo ? MissingHi : i;
        G[x] = i == MissingLo ? 0 : (i > M) - (i < M);
    }
    if (!Short)
        return;
    constexpr int Filler = TMemberRows16::Filler;
    for (std::size_t x = Begin; x < End; ++x) {
        const int o = OutLo[x];
        const int i = InLo[x];
        const int r = Y[x];
        O16[x] = static_cast<std::int16_t>(o == MissingLo ? Filler : o);
        I16[x] = static_cast<std::int16_t>(i == MissingLo ? Filler : i);
        GT16[x] = static_cast<std::int16_t>(G[x]);
        F16[x] = static_cast<std::int16_t>(Narrow[x] & TMemberRows16::Flags(o, i, r));
    }
}

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

// The highest k in [First, Top) whose pair with u may swap, or Top when
// none may; First >= 1. Exact where the sign sum T is nonzero; with a zero
// sum the straight gain is known negative (no swap) when none of u's rows is
// k's row, none of k's rows is a, and a negative term is there; every other
// zero-sum pair is left to the full rule.
std::size_t LastCandidate16(const TLevelRows16& L, const TNarrowMember& U, std::size_t First,
                            std::size_t Top) {
    std::size_t k = Top;
    const int o = U.o == MissingLo ? TMemberRows16::Filler : U.o;
    const int i = U.i == MissingLo ? TMemberRows16::Filler : U.i;
#if defined(__SSE2__)
    // From position At, which may be as low as -Front.
    const auto Load = [&](const std::int16_t* V, std::ptrdiff_t At) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(V + At));
    };
    const __m128i A = _mm_set1_epi16(static_cast<short>(U.a));
    const __m128i O = _mm_set1_epi16(static_cast<short>(o));
    const __m128i I = _mm_set1_epi16(static_cast<short>(i));
    const __m128i MO = _mm_set1_epi16(U.o == MissingLo ? 0 : -1);
    const __m128i MI = _mm_set1_epi16(U.i == MissingLo ? 0 : -1);
    const __m128i G = _mm_set1_epi16(static_cast<short>(U.g));
    const __m128i S = _mm_set1_epi16(static_cast<short>(U.Negative()));
    const __m128i Zero = _mm_setzero_si128();
    const __m128i One = _mm_set1_epi16(1);
    const __m128i MinusOne = _mm_cmpeq_epi16(Zero, Zero);
    // sign(x - y) for rows below 2^15, where x - y cannot wrap.
    const auto Sign = [&](__m128i x, __m128i y) {
        return _mm_max_epi16(_mm_min_epi16(_mm_sub_epi16(x, y), One), MinusOne);
    };
    while (k > First) {
        // Positions k - 8 .. k - 1; the ones below First are masked off.
        const std::ptrdiff_t At = static_cast<std::ptrdiff_t>(k) - 8;
        const __m128i Ok = Load(L.O, At);
        const __m128i Ik = Load(L.I, At);
        const __m128i T =
            _mm_add_epi16(_mm_add_epi16(_mm_and_si128(MO, Sign(O, Ok)), _mm_and_si128(MI, Sign(I, Ik))),
                          _mm_sub_epi16(G, Load(L.GT, At)));
        const __m128i R = Load(L.R, At);
        // The crossing gain T sign(b - a), positive.
        const __m128i Below = _mm_cmpgt_epi16(A, R);
        const __m128i Cross =
            _mm_cmpgt_epi16(_mm_sub_epi16(_mm_xor_si128(T, Below), Below), Zero);
        const __m128i TZero = _mm_cmpeq_epi16(T, Zero);
        const __m128i Coincide =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(Ok, A), _mm_cmpeq_epi16(Ik, A)),
                         _mm_or_si128(_mm_cmpeq_epi16(R, O), _mm_cmpeq_epi16(R, I)));
        const __m128i NotNegative = _mm_cmpeq_epi16(_mm_and_si128(Load(L.F, At), S), Zero);
        const __m128i Candidate =
            _mm_or_si128(Cross, _mm_and_si128(TZero, _mm_or_si128(Coincide, NotNegative)));
        unsigned Mask = static_cast<unsigned>(_mm_movemask_epi8(Candidate));
        if (k < First + 8)
            Mask &= ~((1u << (2 * (First + 8 - k))) - 1);
        if (Mask != 0)
            return k - 8 + static_cast<std::size_t>(31 - std::countl_zero(Mask)) / 2;
        k = k < First + 8 ? First : k - 8;
    }
    return Top;
#else
    while (k > First) {
        --k;
        const int Ok = L.O[k];
        const int Ik = L.I[k];
        const int b = L.R[k];
        const int t = (U.o != MissingLo ? Sgn(o, Ok) : 0) + (U.i != MissingLo ? Sgn(i, Ik) : 0) +
                      U.g - L.GT[k];
        if (t != 0 ? (b > U.a) == (t > 0)
                   : Ok == U.a || Ik == U.a || b == o || b == i || (L.F[k] & U.Negative()) == 0)
            return k;
    }
    return Top;
#endif
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
// LastCandidate16 sixteen pairs at a time, for processors with AVX2.
#define KORVANT_AVX2 __attribute__((target("avx2")))
KORVANT_AVX2 inline __m256i Load16Wide(const std::int16_t* V, std::ptrdiff_t At) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(V + At));
}
// sign(x - y) for rows below 2^15, where x - y cannot wrap.
KORVANT_AVX2 inline __m256i SignWide(__m256i x, __m256i y) {
    return _mm256_max_epi16(_mm256_min_epi16(_mm256_sub_epi16(x, y), _mm256_set1_epi16(1)),
                            _mm256_set1_epi16(-1));
}

// One group of sixteen positions At .. At + 15 for LastCandidate16Wide: the
// candidates' byte mask. Both, when u has a row on each side, leaves out the
// masks of missing rows.
template <bool Both>
KORVANT_AVX2 inline std::uint32_t Candidates16Wide(const TLevelRows16& L, std::ptrdiff_t At,
                                                   __m256i A, __m256i O, __m256i I, __m256i MO,
                                                   __m256i MI, __m256i G, __m256i S) {
    const __m256i Zero = _mm256_setzero_si256();
    const __m256i Ok = Load16Wide(L.O, At);
    const __m256i Ik = Load16Wide(L.I, At);
    const __m256i SO = SignWide(O, Ok);
    const __m256i SI = SignWide(I, Ik);
    const __m256i T = _mm256_add_epi16(
        Both ? _mm256_add_epi16(SO, SI)
             : _mm256_add_epi16(_mm256_and_si256(MO, SO), _mm256_and_si256(MI, SI)),
        _mm256_sub_epi16(G, Load16Wide(L.GT, At)));
    const __m256i R = Load16Wide(L.R, At);
    const __m256i Below = _mm256_cmpgt_epi16(A, R);
    const __m256i Cross =
        _mm256_cmpgt_epi16(_mm256_sub_epi16(_mm256_xor_si256(T, Below), Below), Zero);
    const __m256i TZero = _mm256_cmpeq_epi16(T, Zero);
    const __m256i Coincide =
        _mm256_or_si256(_mm256_or_si256(_mm256_cmpeq_epi16(Ok, A), _mm256_cmpeq_epi16(Ik, A)),
                        _mm256_or_si256(_mm256_cmpeq_epi16(R, O), _mm256_cmpeq_epi16(R, I)));
    const __m256i NotNegative = _mm256_cmpeq_epi16(_mm256_and_si256(Load16Wide(L.F, At), S), Zero);
    const __m256i Candidate =
        _mm256_or_si256(Cross, _mm256_and_si256(TZero, _mm256_or_si256(Coincide, NotNegative)));
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(Candidate));
}

template <bool Both>
KORVANT_AVX2 std::size_t LastCandidate16WideOf(const TLevelRows16& L, const TNarrowMember& U,
                                               std::size_t First, std::size_t Top) {
    const int o = U.o == MissingLo ? TMemberRows16::Filler : U.o;
    const int i = U.i == MissingLo ? TMemberRows16::Filler : U.i;
    const __m256i A = _mm256_set1_epi16(static_cast<short>(U.a));
    const __m256i O = _mm256_set1_epi16(static_cast<short>(o));
    const __m256i I = _mm256_set1_epi16(static_cast<short>(i));
    const __m256i MO = _mm256_set1_epi16(U.o == MissingLo ? 0 : -1);
    const __m256i MI = _mm256_set1_epi16(U.i == MissingLo ? 0 : -1);
    const __m256i G = _mm256_set1_epi16(static_cast<short>(U.g));
    const __m256i S = _mm256_set1_epi16(static_cast<short>(U.Negative()));
    std::size_t k = Top;
    // Whole groups above First first, then the last one, masked below First.
    for (; k >= First + 16; k -= 16)
        if (const std::uint32_t Mask = Candidates16Wide<Both>(
                L, static_cast<std::ptrdiff_t>(k) - 16, A, O, I, MO, MI, G, S);
            Mask != 0)
            return k - 16 + static_cast<std::size_t>(31 - std::countl_zero(Mask)) / 2;
    if (k > First) {
        std::uint32_t Mask =
            Candidates16Wide<Both>(L, static_cast<std::ptrdiff_t>(k) - 16, A, O, I, MO, MI, G, S);
        Mask &= ~((std::uint32_t{1} << (2 * (First + 16 - k))) - 1);
        if (Mask != 0)
            return k - 16 + static_cast<std::size_t>(31 - std::countl_zero(Mask)) / 2;
    }
    return Top;
}

KORVANT_AVX2 std::size_t LastCandidate16Wide(const TLevelRows16& L, const TNarrowMember& U,
                                             std::size_t First, std::size_t Top) {
    return U.o != MissingLo && U.i != MissingLo ? LastCandidate16WideOf<true>(L, U, First, Top)
                                                : LastCandidate16WideOf<false>(L, U, First, Top);
}
#undef KORVANT_AVX2

#endif

// Sixteen 16-bit lanes; two SSE2 registers where AVX2 is missing.
using TLanes16 = short __attribute__((vector_size(32)));

// Filled through a reference: a vector passed by value would take another
// calling convention where AVX2 is on.
inline void LoadLanes(TLanes16& v, const std::int16_t* p) {
    std::memcpy(&v, p, sizeof v);
}

// The highest k in [First, Top) whose pair with a wide member u may swap, or
// Top when none may; First >= 1, every member having its level object. u
// has the rows Out and In, the level term g and the row a; the sign sum
// against a narrow member k with a row on both sides is computed here, for
// the others (Special[k] = -1) it is Given[k]. As in LastCandidate, a pair
// may swap when its sum is zero or its crossing gain positive. The sum of
// the pair found is left in Sum.
KORVANT_WIDE_VECTORS
std::size_t WideCandidate16(const TLevelRows16& L, std::span<const std::int16_t> Out,
                            std::span<const std::int16_t> In, int g, int a,
                            const std::int16_t* Given, std::size_t First, std::size_t Top,
                            int& Sum) {
    constexpr int Lanes = 16;
    const TLanes16 Lane = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    const TLanes16 Zero = {};
    std::size_t k = Top;
    while (k > First) {
        // Positions k - 16 .. k - 1; the ones below First are masked off.
        const std::ptrdiff_t At = static_cast<std::ptrdiff_t>(k) - Lanes;
        TLanes16 O, I, GT, R, Special, Known;
        LoadLanes(O, L.O + At);
        LoadLanes(I, L.I + At);
        LoadLanes(GT, L.GT + At);
        LoadLanes(R, L.R + At);
        LoadLanes(Special, L.Special + At);
        LoadLanes(Known, Given + At);
        TLanes16 T = static_cast<short>(g) - GT;
        // sign(c - x) = (c < x) - (c > x), the comparisons giving -1.
        for (const short c : Out)
            T += (c < O) - (c > O);
        for (const short c : In)
            T += (c < I) - (c > I);
        T = (Special & Known) | (~Special & T);
        const TLanes16 Below = R < static_cast<short>(a);
        const TLanes16 Candidate = ((((T ^ Below) - Below) > Zero) | (T == Zero)) &
                                   (Lane + static_cast<short>(At) >= static_cast<short>(First));
        std::uint64_t Words[4];
        std::memcpy(Words, &Candidate, sizeof Words);
        for (int w = 3; w >= 0; --w)
            if (Words[w] != 0) {
                const int Found = w * 4 + (63 - std::countl_zero(Words[w])) / 16;
                Sum = T[Found];
                return static_cast<std::size_t>(At + Found);
            }
        k = k < First + Lanes ? First : k - Lanes;
    }
    return Top;
}

std::atomic<bool> WideVectorsAllowed{true};

// Which of the two the processor runs.
using TLastCandidate16 = std::size_t (*)(const TLevelRows16&, const TNarrowMember&, std::size_t,
                                         std::size_t);
TLastCandidate16 ChooseLastCandidate16() {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    static const bool HasAvx2 = __builtin_cpu_supports("avx2");
    if (HasAvx2 && WideVectorsAllowed.load(std::memory_order_relaxed))
        return &LastCandidate16Wide;
#endif
    return &LastCandidate16;
}

} // namespace

// The gains are those of CrossingGain, StraightGain and DistanceGain, in
// closed form over the neighbour rows of the two members (n = count, S = sum,
// cnt(x) = how many rows equal x, D = the sum of sign(c - e)):
//   crossing = D(U, V), negated when b < a;
//   straight = -nV cntU(a) - nU cntV(b) + nU cntV(a) + nV cntU(b);
//   distance = 2 (a - b) (nU SV - nV SU), the squares cancelling.
// All of it is exact integer arithmetic, so every decision, and with it every
// row, is the one the pairwise sums give. The sums D do not depend on this
// level's rows, so they are known before its pairs are decided; the pairs of
// one member u are decided from the last member up, and as only a swap
// changes u's row, the pairs down to the next one that may swap are passed
// over in groups (sixteen or eight at a time in 16 bits, four in 32).
int TCircuitEngine::ReduceCrossings() {
    const THandle Levels = GethALL(TypeLevelsRoot);
    const THandleArray LevelList = Out(Levels);
    const int Passes = static_cast<int>(LevelList.size()) / 4 + 1;

    TNeighbours N;
    std::vector<std::int32_t> IndexOf(static_cast<std::size_t>(Circuit->LastHandle) + 1, -1);
    // Roots carry no data block and never count.
    const auto IndexOfHandle = [&](THandle h) -> std::int32_t {
        if (IndexOf[h] < 0) {
            TLinkNode& Object = Node(h);
            if (!Object.Data)
                return -1;
            IndexOf[h] = static_cast<std::int32_t>(N.Y.size());
            N.Y.push_back(Object.Data->Y);
            N.Block.push_back(Object.Data.get());
        }
        return IndexOf[h];
    };
    std::vector<std::size_t> LevelBegin;
    std::vector<int> LevelRow;
    for (const THandle Level : LevelList) {
        LevelBegin.push_back(N.Y.size());
        LevelRow.push_back(Data(Level).Y);
        for (const THandle x : Out(Level))
            IndexOfHandle(x);
    }
    const std::size_t MemberCount = N.Y.size();
    LevelBegin.push_back(MemberCount);
    N.HasLevel.assign(MemberCount, 0);
    for (const THandle Level : LevelList)
        for (const THandle x : Out(Level)) {
            const TLinkNode& Object = Node(x);
            for (const THandle y : Object.OutLinks)
                if (const std::int32_t i = IndexOfHandle(y); i >= 0)
                    N.OutN.push_back(i);
            for (const THandle y : Object.InLinks)
                if (y == Level)
                    N.HasLevel[static_cast<std::size_t>(IndexOf[x])] = 1;
                else if (const std::int32_t i = IndexOfHandle(y); i >= 0)
                    N.InN.push_back(i);
            N.OutBegin.push_back(static_cast<std::uint32_t>(N.OutN.size()));
            N.InBegin.push_back(static_cast<std::uint32_t>(N.InN.size()));
            const std::size_t Me = N.OutBegin.size() - 2;
            const auto Outs = N.OutOf(Me);
            const auto Ins = N.InOf(Me);
            const bool Narrow = Outs.size() <= 1 && Ins.size() <= 1;
            N.OutOne.push_back(!Narrow ? TNeighbours::NotNarrow : Outs.empty() ? -1 : Outs[0]);
            N.InOne.push_back(!Narrow || Ins.empty() ? -1 : Ins[0]);
        }

    // Rows fit in 16 bits when no level has as many members.
    std::size_t Largest = 0;
    for (std::size_t l = 0; l + 1 < LevelBegin.size(); ++l)
        Largest = std::max(Largest, LevelBegin[l + 1] - LevelBegin[l]);
    const bool RowsFitShort = Largest < static_cast<std::size_t>(TMemberRows16::Filler);
    constexpr int ShortBound = TMemberRows16::Filler - 8;

    // Where a member's single neighbours are found: their index, or an
    // entry Missing.
    const auto Missing = static_cast<std::uint32_t>(N.Y.size());
    N.Y.push_back(MissingLo);
    // What stays fixed through the passes: the members' counts and level
    // flags, which of them are wide, which narrow ones lack a row on a side.
    TMemberRows MR;
    const std::size_t Padded = MemberCount + Group;
    for (auto* V : {&MR.OutLo, &MR.InLo})
        V->assign(Padded, MissingLo);
    for (auto* V : {&MR.OutHi, &MR.InHi})
        V->assign(Padded, MissingHi);
    for (auto* V : {&MR.HasLevel, &MR.G, &MR.OutCount, &MR.InCount})
        V->assign(Padded, 0);
    std::vector<std::uint32_t> OutAt(MemberCount, Missing), InAt(MemberCount, Missing);
    std::vector<std::int16_t> NarrowMask(MemberCount, 0);
    std::vector<std::int32_t> WideOf(MemberCount, -1);
    std::vector<std::size_t> WidePositions, WideBegin{0}, IrregularPositions, IrregularBegin{0};
    std::vector<std::uint8_t> AllHaveLevel;
    for (std::size_t l = 0; l + 1 < LevelBegin.size(); ++l) {
        const std::size_t Base = LevelBegin[l];
        bool All = true;
        std::int32_t w = 0;
        for (std::size_t Me = Base; Me < LevelBegin[l + 1]; ++Me) {
            const int HasLevel = N.HasLevel[Me];
            MR.HasLevel[Me] = HasLevel;
            All = All && HasLevel;
            if (const std::int32_t OutOne = N.OutOne[Me]; OutOne != TNeighbours::NotNarrow) {
                const std::int32_t InOne = N.InOne[Me];
                MR.OutCount[Me] = OutOne >= 0;
                MR.InCount[Me] = (InOne >= 0) + HasLevel;
                if (OutOne >= 0)
                    OutAt[Me] = static_cast<std::uint32_t>(OutOne);
                if (InOne >= 0)
                    InAt[Me] = static_cast<std::uint32_t>(InOne);
                NarrowMask[Me] = -1;
                if (OutOne < 0 || InOne < 0)
                    IrregularPositions.push_back(Me - Base);
            } else {
                MR.OutCount[Me] = static_cast<int>(N.OutOf(Me).size());
                MR.InCount[Me] = static_cast<int>(N.InOf(Me).size()) + HasLevel;
                WideOf[Me] = w++;
                WidePositions.push_back(Me - Base);
            }
        }
        AllHaveLevel.push_back(All);
        WideBegin.push_back(WidePositions.size());
        IrregularBegin.push_back(IrregularPositions.size());
    }

    // A level's sign sums fit in 16 bits when they stay below ShortBound:
    // a narrow member's level term is at most 1 and its sums against the
    // other narrow members at most 2 in size; a wide member's level term is
    // at most its in-link count, and a narrow member's sum against it at
    // most its link count.
    std::vector<std::uint8_t> ShortLevel;
    for (std::size_t l = 0; l + 1 < LevelBegin.size(); ++l) {
        std::size_t Links = 0;
        for (std::size_t w = WideBegin[l]; w < WideBegin[l + 1]; ++w) {
            const std::size_t x = LevelBegin[l] + WidePositions[w];
            Links = std::max(Links, N.OutOf(x).size() + N.InOf(x).size());
        }
        ShortLevel.push_back(2 * Links + 4 < static_cast<std::size_t>(ShortBound));
    }
    TMemberRows16 MR16;
    MR16.Resize(MemberCount);
    std::vector<std::int16_t> Special16(TMemberRows16::Front + MemberCount + TMemberRows16::Front);
    for (std::size_t l = 0; l + 1 < LevelBegin.size(); ++l) {
        for (std::size_t w = WideBegin[l]; w < WideBegin[l + 1]; ++w)
            Special16[TMemberRows16::Front + LevelBegin[l] + WidePositions[w]] = -1;
        for (std::size_t x = IrregularBegin[l]; x < IrregularBegin[l + 1]; ++x)
            Special16[TMemberRows16::Front + LevelBegin[l] + IrregularPositions[x]] = -1;
    }
    for (std::size_t y = 0; y < MemberCount; ++y)
        *TMemberRows16::At(MR16.R, y) = static_cast<std::int16_t>(N.Y[y]);

    TLevelRows L;
    TLevelRows16 L16;
    const TLastCandidate16 NextCandidate = ChooseLastCandidate16();
    std::vector<int> T;
    std::vector<std::int16_t> T16, Out16, In16;
    for (int Pass = 0; Pass < Passes; ++Pass)
        for (std::size_t l = 0; l < LevelList.size(); ++l) {
            const std::size_t Base = LevelBegin[l];
            const std::size_t m = LevelBegin[l + 1] - Base;
            if (m < 2)
                continue;
            const int M = LevelRow[l];
            int* Rows = N.Y.data() + Base;
            L.OutLo = MR.OutLo.data() + Base;
            L.OutHi = MR.OutHi.data() + Base;
            L.InLo = MR.InLo.data() + Base;
            L.InHi = MR.InHi.data() + Base;
            L.HasLevel = MR.HasLevel.data() + Base;
            L.OutCount = MR.OutCount.data() + Base;
            L.InCount = MR.InCount.data() + Base;
            L.G = MR.G.data() + Base;
            L.AllHaveLevel = AllHaveLevel[l];
            L.Wide = {WidePositions.data() + WideBegin[l], WidePositions.data() + WideBegin[l + 1]};
            L.WideOf = WideOf.data() + Base;
            // Rows fit in 16 bits, and so do the sums, bounded by the wide
            // members' link counts: the narrow members are decided eight or
            // sixteen pairs at a time.
            const bool Short = L.AllHaveLevel && RowsFitShort && ShortLevel[l];
            // The narrow members' rows, read again.
            GatherRows(N.Y.data(), OutAt.data(), InAt.data(), NarrowMask.data(), M, Base, Base + m,
                       MR.OutLo.data(), MR.OutHi.data(), MR.InLo.data(), MR.InHi.data(),
                       MR.G.data(), Short, TMemberRows16::At(MR16.O, 0),
                       TMemberRows16::At(MR16.I, 0), TMemberRows16::At(MR16.GT, 0),
                       TMemberRows16::At(MR16.F, 0));
            // The wide members' rows, level terms and sums.
            L.WideRows.clear();
            L.RowsBegin.assign(1, 0);
            L.WideOutSum.clear();
            L.WideInSum.clear();
            for (const std::size_t x : L.Wide) {
                int g = 0;
                long long OutSum = 0;
                long long InSum = L.HasLevel[x] ? M : 0;
                for (const std::int32_t i : N.OutOf(Base + x)) {
                    L.WideRows.push_back(N.Y[static_cast<std::size_t>(i)]);
                    OutSum += L.WideRows.back();
                }
                L.RowsBegin.push_back(L.WideRows.size());
                for (const std::int32_t i : N.InOf(Base + x)) {
                    L.WideRows.push_back(N.Y[static_cast<std::size_t>(i)]);
                    g += Sgn(L.WideRows.back(), M);
                    InSum += L.WideRows.back();
                }
                L.RowsBegin.push_back(L.WideRows.size());
                L.G[x] = g;
                L.WideOutSum.push_back(OutSum);
                L.WideInSum.push_back(InSum);
            }
            // The narrow members before each wide one, against it: as sign
            // sums Col, or in a 16-bit level as the terms WideGT that the
            // groups of sixteen take.
            L.Col.clear();
            L.ColBegin.clear();
            std::size_t Columns = 0;
            for (const std::size_t k : L.Wide) {
                L.ColBegin.push_back(Columns);
                Columns += k;
            }
            if (Short) {
                L16.WideGT.resize(Columns);
                for (std::size_t w = 0; w < L.Wide.size(); ++w)
                    WideTerms16(TMemberRows16::At(MR16.O, Base), TMemberRows16::At(MR16.I, Base),
                                L.Wide[w], L.OutRows(w), L.InRows(w), L.G[L.Wide[w]],
                                L16.WideGT.data() + L.ColBegin[w]);
            } else {
                L.Col.assign(Columns, 0);
                for (std::size_t w = 0; w < L.Wide.size(); ++w) {
                    const std::size_t k = L.Wide[w];
                    int* C = L.Col.data() + L.ColBegin[w];
                    for (const int e : L.OutRows(w))
                        AddColumnSigns(e, L.OutLo, L.OutHi, k, C);
                    for (const int e : L.InRows(w))
                        AddColumnSigns(e, L.InLo, L.InHi, k, C);
                }
            }
            T.resize(m + Group);
            // How many rows of member x equal r, on either side.
            const auto CountOut = [&](std::size_t x, int r) -> long long {
                if (L.WideOf[x] < 0)
                    return L.OutLo[x] == r;
                return std::ranges::count(L.OutRows(static_cast<std::size_t>(L.WideOf[x])), r);
            };
            const auto CountIn = [&](std::size_t x, int r) -> long long {
                const long long n = L.HasLevel[x] && M == r;
                if (L.WideOf[x] < 0)
                    return n + (L.InLo[x] == r);
                return n + std::ranges::count(L.InRows(static_cast<std::size_t>(L.WideOf[x])), r);
            };
            // The sums of member x's rows, M counted on the in-side.
            const auto SumOut = [&](std::size_t x) -> long long {
                if (const std::int32_t w = L.WideOf[x]; w >= 0)
                    return L.WideOutSum[static_cast<std::size_t>(w)];
                return L.OutLo[x] != MissingLo ? L.OutLo[x] : 0;
            };
            const auto SumIn = [&](std::size_t x) -> long long {
                if (const std::int32_t w = L.WideOf[x]; w >= 0)
                    return L.WideInSum[static_cast<std::size_t>(w)];
                return (L.InLo[x] != MissingLo ? L.InLo[x] : 0) + (L.HasLevel[x] ? M : 0);
            };
            // The full rule for a pair whose crossing gain (sign sum T) is
            // known: u at position j with row a, v at q with row b.
            const auto Swaps = [&](std::size_t j, std::size_t q, int a, int b, int T) {
                if (T != 0)
                    return (b > a) == (T > 0);
                const long long nUO = L.OutCount[j];
                const long long nUI = L.InCount[j];
                const long long nVO = L.OutCount[q];
                const long long nVI = L.InCount[q];
                const long long Straight =
                    -nVO * CountOut(j, a) - nUO * CountOut(q, b) + nUO * CountOut(q, a) +
                    nVO * CountOut(j, b) - nVI * CountIn(j, a) - nUI * CountIn(q, b) +
                    nUI * CountIn(q, a) + nVI * CountIn(j, b);
                if (Straight != 0)
                    return Straight > 0;
                const long long Distance =
                    2 * static_cast<long long>(a - b) *
                    (nUO * SumOut(q) - nVO * SumOut(j) + nUI * SumIn(q) - nVI * SumIn(j));
                return Distance > 0;
            };
            // Swaps for two narrow members of a level where every member has
            // its level object, without the neighbour lists.
            const auto NarrowSwaps = [&](std::size_t j, std::size_t q, int a, int b) {
                const int oU = L.OutLo[j];
                const int iU = L.InLo[j];
                const int oV = L.OutLo[q];
                const int iV = L.InLo[q];
                int T = L.G[j] - L.G[q];
                if (oU != MissingLo)
                    T += (oU > oV) - (oU < L.OutHi[q]);
                if (iU != MissingLo)
                    T += (iU > iV) - (iU < L.InHi[q]);
                if (T != 0)
                    return (b > a) == (T > 0);
                const int nUO = oU != MissingLo;
                const int nUI = (iU != MissingLo) + 1;
                const int nVO = oV != MissingLo;
                const int nVI = (iV != MissingLo) + 1;
                // The level object's row M is on the in-side of both.
                const int Straight = -nVO * (oU == a) - nUO * (oV == b) + nUO * (oV == a) +
                                     nVO * (oU == b) - nVI * ((iU == a) + (M == a)) -
                                     nUI * ((iV == b) + (M == b)) + nUI * ((iV == a) + (M == a)) +
                                     nVI * ((iU == b) + (M == b));
                if (Straight != 0)
                    return Straight > 0;
                const long long SUO = nUO ? oU : 0;
                const long long SVO = nVO ? oV : 0;
                const long long SUI = (iU != MissingLo ? iU : 0) + static_cast<long long>(M);
                const long long SVI = (iV != MissingLo ? iV : 0) + static_cast<long long>(M);
                const long long Distance = 2 * static_cast<long long>(a - b) *
                                           (nUO * SVO - nVO * SUO + nUI * SVI - nVI * SUI);
                return Distance > 0;
            };
            if (Short) {
                L16.O = TMemberRows16::At(MR16.O, Base);
                L16.I = TMemberRows16::At(MR16.I, Base);
                L16.GT = TMemberRows16::At(MR16.GT, Base);
                L16.R = TMemberRows16::At(MR16.R, Base);
                L16.F = TMemberRows16::At(MR16.F, Base);
                L16.Special = Special16.data() + TMemberRows16::Front + Base;
                L16.Irregular = {IrregularPositions.data() + IrregularBegin[l],
                                 IrregularPositions.data() + IrregularBegin[l + 1]};
            }
            // The members at j and q had the rows a and b and swap them; in
            // a 16-bit level the rows there and the straight flags follow.
            const auto SwapRows = [&](std::size_t j, std::size_t q, int a, int b) {
                std::swap(Rows[j], Rows[q]);
                if (!Short)
                    return;
                L16.R[j] = static_cast<std::int16_t>(b);
                L16.R[q] = static_cast<std::int16_t>(a);
                if (L.WideOf[q] < 0)
                    L16.F[q] =
                        static_cast<std::int16_t>(TMemberRows16::Flags(L.OutLo[q], L.InLo[q], a));
            };
            // The sign sum of the narrow member j against k, level terms
            // included.
            const auto NarrowAgainst = [&](std::size_t j, std::size_t k) {
                const int o = L.OutLo[j];
                const int i = L.InLo[j];
                if (L.WideOf[k] >= 0) {
                    const std::size_t At = L.ColBegin[static_cast<std::size_t>(L.WideOf[k])] + j;
                    if (!Short)
                        return L.Col[At] + L.G[j] - L.G[k];
                    // WideGT = G(k) - Col - the rows j has.
                    return L.G[j] - L16.WideGT[At] - (o != MissingLo) - (i != MissingLo);
                }
                int t = L.G[j] - L.G[k];
                if (o != MissingLo)
                    t += (o > L.OutLo[k]) - (o < L.OutHi[k]);
                if (i != MissingLo)
                    t += (i > L.InLo[k]) - (i < L.InHi[k]);
                return t;
            };
            // The pairs of the wide member j with the later members, sixteen
            // bits wide: the sign sums first, whose signs are all the rule
            // takes from them, then the pairs that may swap.
            const auto WideRows16 = [&](std::size_t j, std::span<const int> UO,
                                        std::span<const int> UI) {
                Out16.assign(UO.begin(), UO.end());
                In16.assign(UI.begin(), UI.end());
                T16.resize(TMemberRows16::Front + m + Group);
                std::int16_t* ST = T16.data() + TMemberRows16::Front;
                const auto Sign = [](int t) {
                    return static_cast<std::int16_t>((t > 0) - (t < 0));
                };
                for (auto x = L16.Irregular.size(); x-- > 0 && L16.Irregular[x] > j;) {
                    const std::size_t k = L16.Irregular[x];
                    int t = L.G[j] - L.G[k];
                    for (const int c : UO)
                        t += (c > L.OutLo[k]) - (c < L.OutHi[k]);
                    for (const int c : UI)
                        t += (c > L.InLo[k]) - (c < L.InHi[k]);
                    ST[k] = Sign(t);
                }
                for (auto w = L.Wide.size(); w-- > 0 && L.Wide[w] > j;) {
                    const std::size_t k = L.Wide[w];
                    ST[k] = Sign(SignSum(UO, L.OutRows(w)) + SignSum(UI, L.InRows(w)) + L.G[j] -
                                 L.G[k]);
                }
                for (std::size_t Top = m;;) {
                    const int a = Rows[j];
                    int Sum = 0;
                    const std::size_t q =
                        WideCandidate16(L16, Out16, In16, L.G[j], a, ST, j + 1, Top, Sum);
                    if (q == Top)
                        break;
                    Top = q;
                    const int b = Rows[q];
                    if (Swaps(j, q, a, b, Sum))
                        SwapRows(j, q, a, b);
                }
            };
            // The loops run over list positions; only the rows move.
            for (std::size_t j = 0; j + 1 < m; ++j) {
                if (Short && L.WideOf[j] < 0) {
                    TNarrowMember U{L.OutLo[j], L.InLo[j], L.G[j], Rows[j]};
                    // The groups count the signs against Filler for the
                    // members without a row on a side; GT takes them back.
                    for (auto w = L.Wide.size(); w-- > 0 && L.Wide[w] > j;)
                        L16.GT[L.Wide[w]] = L16.WideGT[L.ColBegin[w] + j];
                    // A member without a row on a side: the groups count
                    // u's signs against Filler there, GT takes them back.
                    for (auto x = L16.Irregular.size(); x-- > 0 && L16.Irregular[x] > j;) {
                        const std::size_t k = L16.Irregular[x];
                        const int Counted =
                            (L.OutLo[k] == MissingLo && U.o != MissingLo ? -1 : 0) +
                            (L.InLo[k] == MissingLo && U.i != MissingLo ? -1 : 0);
                        // T = the groups' signs + g - GT.
                        L16.GT[k] = static_cast<std::int16_t>(Counted + L.G[k]);
                    }
                    for (std::size_t Top = m;;) {
                        const std::size_t q = NextCandidate(L16, U, j + 1, Top);
                        if (q == Top)
                            break;
                        Top = q;
                        const int a = Rows[j];
                        const int b = Rows[q];
                        if (L.WideOf[q] < 0 ? NarrowSwaps(j, q, a, b)
                                            : Swaps(j, q, a, b, NarrowAgainst(j, q))) {
                            SwapRows(j, q, a, b);
                            U.a = b;
                        }
                    }
                    continue;
                }
                const int g = L.G[j];
                const int H = L.HasLevel[j];
                const auto LevelTerms = [&](std::size_t k) {
                    return (L.HasLevel[k] ? g : 0) - (H ? L.G[k] : 0);
                };
                if (L.WideOf[j] < 0) {
                    NarrowSigns(L, j + 1, m, L.OutLo[j], L.InLo[j], g, H, T.data());
                    for (auto w = L.Wide.size(); w-- > 0 && L.Wide[w] > j;)
                        T[L.Wide[w]] = L.Col[L.ColBegin[w] + j] + LevelTerms(L.Wide[w]);
                } else {
                    const auto UO = L.OutRows(static_cast<std::size_t>(L.WideOf[j]));
                    const auto UI = L.InRows(static_cast<std::size_t>(L.WideOf[j]));
                    // A wide member of a 16-bit level whose sums fit as well.
                    if (Short && UO.size() + 2 * UI.size() < ShortBound) {
                        WideRows16(j, UO, UI);
                        continue;
                    }
                    NarrowSigns(L, j + 1, m, MissingLo, MissingLo, g, H, T.data());
                    for (const int c : UO)
                        AddRowSigns(c, L.OutLo, L.OutHi, j + 1, m, T.data());
                    for (const int c : UI)
                        AddRowSigns(c, L.InLo, L.InHi, j + 1, m, T.data());
                    for (auto w = L.Wide.size(); w-- > 0 && L.Wide[w] > j;)
                        T[L.Wide[w]] = SignSum(UO, L.OutRows(w)) + SignSum(UI, L.InRows(w)) +
                                       LevelTerms(L.Wide[w]);
                }
                // Pairs (j, k) from k = m - 1 down to j + 1; only the pairs
                // that may swap are looked at one by one.
                for (std::size_t Top = m;;) {
                    const int a = Rows[j];
                    const std::size_t q = LastCandidate(a, Rows, T.data(), j + 1, Top);
                    if (q == Top)
                        break;
                    Top = q;
                    const int b = Rows[q];
                    if (Swaps(j, q, a, b, T[q]))
                        SwapRows(j, q, a, b);
                }
            }
        }
    for (std::size_t i = 0; i < MemberCount; ++i)
        N.Block[i]->Y = N.Y[i];
    return Passes;
}

void TCircuitEngine::AllowWideVectors(bool Allow) {
    WideVectorsAllowed.store(Allow, std::memory_order_relaxed);
}

int TCircuitEngine::CrossingGain(int a, int b, std::span<const int> U, std::span<const int> V) {
    int Gain = 0;
    for (const int c : U)
        for (const int e : V)
            if (c != e)
                // The two links cross now exactly when their ends are in the
                // opposite order of the two members.
                Gain += (e < c) != (b < a) ? 1 : -1;
    return Gain;
}

int TCircuitEngine::StraightGain(int a, int b, std::span<const int> U, std::span<const int> V) {
    int Gain = 0;
    for (const int c : U)
        for (const int e : V)
            Gain += -int{a == c} - int{b == e} + int{a == e} + int{b == c};
    return Gain;
}

long long TCircuitEngine::DistanceGain(int a, int b, std::span<const int> U,
                                       std::span<const int> V) {
    const auto Sq = [](long long x) { return x * x; };
    long long Gain = 0;
    for (const int c : U)
        for (const int e : V)
            Gain += Sq(a - c) + Sq(b - e) - Sq(a - e) - Sq(b - c);
    return Gain;
}

// Numbers follow the levels and, inside a level, its list order, not the rows.
void TCircuitEngine::NumberEvents() {
    const THandle Levels = GethALL(TypeLevelsRoot);
    std::int32_t Counter = 1;
    THandle Level = 0;
    for (std::int32_t k = 1; FindLevel(Levels, k, Level); ++k)
        for (const THandle m : Out(Level)) {
            const std::int32_t Type = Node(m).TypeID;
            if (Type != TypeFictiveChain && Type != TypeRealChain)
                Data(m).Number = Counter++;
        }
}

int TCircuitEngine::XCoord(int t, int Kind) {
    switch (Kind) {
    case CoordNear:
        return GridStep * t - EventDiameter / 2;
    case CoordFar:
        return GridStep * t + EventDiameter / 2;
    case CoordCentre:
        return GridStep * t;
    default:
        return 0;
    }
}

int TCircuitEngine::YCoord(int r, int Kind) {
    switch (Kind) {
    case CoordNear:
        return GridStep * r + EventDiameter / 2;
    case CoordFar:
        return GridStep * r + EventDiameter / 2 + EventDiameter;
    case CoordCentre:
        return GridStep * r + EventDiameter;
    default:
        return EventDiameter / 2;
    }
}
