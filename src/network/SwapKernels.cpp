// The vectorised loops of the crossing reduction: sign sums eight or sixteen
// members at a time, and the searches that pass over the pairs whose swap
// SwapRule rules out. What each equals is said in its heading; ShortcutTest
// holds them to it.

#include "network/SwapKernels.h"

#include <atomic>
#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#endif

namespace SwapKernels {

// The hot loops get a second, AVX2 build where the processor has it; the
// choice is made once, when the program starts. Not under ThreadSanitizer,
// whose instrumented resolver would run before the sanitizer is set up.
#if defined(__GNUC__) && defined(__x86_64__) && !defined(__clang__) && !defined(__SANITIZE_THREAD__)
#define KORVANT_WIDE_VECTORS __attribute__((target_clones("avx2", "default")))
#else
#define KORVANT_WIDE_VECTORS
#endif

// T[k] for k in First..Last-1: the sign sums D of the narrow member with the
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

// The highest k in [First, Top) for which SwapRule(a, b, u, k) may hold, or
// Top when it holds for none; First >= 1. Equals SwapRule exactly where the
// sign sum T = D + g - GT is nonzero; with a zero sum SwapRule is known false
// (the straight gain negative) when none of u's rows is k's row b, none of
// k's rows is a, and one of the flags S that make a straight term negative is
// set; every other zero-sum pair is returned, for the caller to decide.
// Eight pairs at a time, from the top.
std::size_t LastCandidate16(const TLevelRows16& L, const TNarrowMember& U, std::size_t First,
                            std::size_t Top) {
    std::size_t k = Top;
    const int o = U.o == MissingLo ? TMemberRows16::Filler : U.o;
    const int i = U.i == MissingLo ? TMemberRows16::Filler : U.i;
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
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
// Equals LastCandidate16, sixteen pairs at a time, for processors with AVX2.
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

// Equals LastCandidate for a wide member u, in 16 bits: the highest k in
// [First, Top) for which SwapRule(a, b, u, k) may hold (its sign sum is zero)
// or holds (the crossing gain is positive), or Top when none does; First >= 1, every member having its level object. u
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

void AllowWideVectors(bool Allow) {
    WideVectorsAllowed.store(Allow, std::memory_order_relaxed);
}

} // namespace SwapKernels
