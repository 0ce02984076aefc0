// Layout: places the network on the diagram's grid, column = level, row = Y.
// Arcs that span several levels are cut into one-level segments by chain
// nodes, so that every drawn segment joins neighbouring columns and the
// levels in between make room for the arcs that pass through them. Rows are
// then improved by pairwise swaps inside each level (fewer crossings first,
// then more straight segments, then shorter ones), and the events are
// numbered in level order.

#include "network/CircuitEngine.h"

#include "network/SetEdits.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <cstdint>
#include <limits>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
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

void TCircuitEngine::NeighbourRows(const THandleArray& Links, std::vector<int>& Rows) const {
    Rows.clear();
    // Roots carry no data block and never count; a level object does, with
    // its member count as its row.
    for (const THandle x : Links) {
        const TLinkNode& N = Node(x);
        if (N.Data)
            Rows.push_back(N.Data->Y);
    }
}

namespace {

// The neighbour rows of the members of one level, flat: member i's sorted
// rows of one side are Rows[Begin[i] .. Begin[i + 1]), with their count and
// sum kept beside them. No member of a level is a neighbour of another member
// of the same level (every link leads to a higher level; the level object and
// the roots are no members), so these rows stay fixed while the level's own
// rows are swapped.
struct TSide {
    std::vector<int> Rows;
    std::vector<std::uint32_t> Begin;
    std::vector<long long> Count;
    std::vector<long long> Sum;

    void Clear() {
        Rows.clear();
        Begin.assign(1, 0);
        Count.clear();
        Sum.clear();
    }
    void Close() {
        const auto First = Rows.begin() + Begin.back();
        std::sort(First, Rows.end());
        long long s = 0;
        for (auto It = First; It != Rows.end(); ++It)
            s += *It;
        Count.push_back(static_cast<long long>(Rows.end() - First));
        Sum.push_back(s);
        Begin.push_back(static_cast<std::uint32_t>(Rows.size()));
    }
    std::span<const int> Of(std::size_t i) const {
        return {Rows.data() + Begin[i], Rows.data() + Begin[i + 1]};
    }
};

// Sum over c in U and e in V of sign(c - e), both sorted: the crossing gain of
// the pair up to the sign that the order of the two members gives.
long long SignSum(std::span<const int> U, std::span<const int> V) {
    long long Total = 0;
    if (U.size() * V.size() <= 16) {
        for (const int c : U)
            for (const int e : V)
                Total += (c > e) - (c < e);
        return Total;
    }
    // For every c: (#e < c) - (#e > c), with two cursors moving up V.
    std::size_t Below = 0;
    std::size_t NotAbove = 0;
    for (const int c : U) {
        while (Below < V.size() && V[Below] < c)
            ++Below;
        if (NotAbove < Below)
            NotAbove = Below;
        while (NotAbove < V.size() && V[NotAbove] <= c)
            ++NotAbove;
        Total += static_cast<long long>(Below) - static_cast<long long>(V.size() - NotAbove);
    }
    return Total;
}

// The lists are a few rows long: a plain count beats a search.
long long CountOf(std::span<const int> Rows, int r) {
    long long n = 0;
    for (const int x : Rows)
        n += x == r;
    return n;
}

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

// The neighbour rows of one level, arranged for the sign sums of one member
// against all later members as loops the compiler can vectorise.
//
// Every member of a level has the level object among its in-links, and the
// level object's row M is the same for all of them, so the in-side sign sum
// splits: D(I'u + M, I'v + M) = D(I'u, I'v) + g(u) - g(v), with I' the other
// in-rows and g(x) = sum of sign(c - M) over I'x (the pair M, M adds 0). A
// member without the level object among its in-links (H = 0) keeps the terms
// that exist: H(v) g(u) - H(u) g(v). Most members, the chain nodes above all,
// then have at most one row on each side: those are narrow and held in plain
// arrays; the others are wide and summed from their sorted rows.
struct TLevelRows {
    std::vector<int> OutLo, OutHi, InLo, InHi, HasLevel, G;
    bool AllHaveLevel = true;
    // In-rows without the level object's, sorted, per member.
    std::vector<int> InRows;
    std::vector<std::uint32_t> InBegin;
    std::vector<std::size_t> Wide;
    // For wide member Wide[w], Col[ColBegin[w] + j] is the sign sum of the
    // narrow member j < Wide[w] against it, without the level terms.
    std::vector<int> Col;
    std::vector<std::size_t> ColBegin;

    std::span<const int> InOf(std::size_t i) const {
        return {InRows.data() + InBegin[i], InRows.data() + InBegin[i + 1]};
    }
};

// T[k] for k in First..Last-1: the sign sums of the narrow member with the
// rows o and i against the narrow members k, level terms included. A missing
// row of the member itself is passed as MissingLo.
KORVANT_WIDE_VECTORS
void NarrowSigns(const TLevelRows& L, std::size_t First, std::size_t Last, int o, int i, int g,
                 int H, int* T) {
    const int* OLo = L.OutLo.data();
    const int* OHi = L.OutHi.data();
    const int* ILo = L.InLo.data();
    const int* IHi = L.InHi.data();
    const int* G = L.G.data();
    // A missing row of u: every pair with it adds 0 (c = MissingLo would
    // not, so the mask takes it out).
    const int MO = o == MissingLo ? 0 : -1;
    const int MI = i == MissingLo ? 0 : -1;
    if (L.AllHaveLevel && H) {
        for (std::size_t k = First; k < Last; ++k)
            T[k] = (MO & ((o > OLo[k]) - (o < OHi[k]))) + (MI & ((i > ILo[k]) - (i < IHi[k]))) +
                   g - G[k];
        return;
    }
    const int* HL = L.HasLevel.data();
    const int MH = -H;
    for (std::size_t k = First; k < Last; ++k)
        T[k] = (MO & ((o > OLo[k]) - (o < OHi[k]))) + (MI & ((i > ILo[k]) - (i < IHi[k]))) +
               ((-HL[k]) & g) - (MH & G[k]);
}

// Adds the sign sums of one row c against the single rows of the narrow
// members k to T[k].
KORVANT_WIDE_VECTORS
void AddRowSigns(int c, const int* Lo, const int* Hi, std::size_t First, std::size_t Last,
                 int* T) {
    for (std::size_t k = First; k < Last; ++k)
        T[k] += (c > Lo[k]) - (c < Hi[k]);
}

// Adds the sign sums of the single rows of the narrow members j < Last
// against one row e to C[j].
KORVANT_WIDE_VECTORS
void AddColumnSigns(int e, const int* Lo, const int* Hi, std::size_t Last, int* C) {
    for (std::size_t j = 0; j < Last; ++j)
        C[j] += (Hi[j] > e) - (Lo[j] < e);
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

} // namespace

// The gains are those of CrossingGain, StraightGain and DistanceGain, in
// closed form over the neighbour rows of the two members (n = count, S = sum,
// cnt(x) = how many rows equal x, D = the sum of sign(c - e)):
//   crossing = D(U, V), negated when b < a;
//   straight = -nV cntU(a) - nU cntV(b) + nU cntV(a) + nV cntU(b);
//   distance = 2 (a - b) (nU SV - nV SU), the squares cancelling.
// All of it is exact integer arithmetic, so every decision, and with it every
// row, is the one the pairwise sums give. For one member u the sums D against
// all later members are computed first (they do not depend on this level's
// rows); the pairs are then decided from the last member up, and as only a
// swap changes u's row, all pairs down to the next possible swap are tested
// together.
int TCircuitEngine::ReduceCrossings() {
    const THandle Levels = GethALL(TypeLevelsRoot);
    const THandleArray LevelList = Out(Levels);
    const int Passes = static_cast<int>(LevelList.size()) / 4 + 1;

    // Everything the passes read, flat and indexed once: the rows of all
    // objects with a data block that are members or neighbours (members of a
    // level get consecutive indices, in list order), and every member's
    // neighbours as indices. Roots carry no data block and never count.
    std::vector<std::int32_t> IndexOf(static_cast<std::size_t>(Circuit->LastHandle) + 1, -1);
    std::vector<int> Y;
    std::vector<TLinkData*> Block;
    const auto IndexOfHandle = [&](THandle h) -> std::int32_t {
        if (IndexOf[h] < 0) {
            TLinkNode& N = Node(h);
            if (!N.Data)
                return -1;
            IndexOf[h] = static_cast<std::int32_t>(Y.size());
            Y.push_back(N.Data->Y);
            Block.push_back(N.Data.get());
        }
        return IndexOf[h];
    };
    std::vector<std::size_t> LevelBegin;
    for (const THandle Level : LevelList) {
        LevelBegin.push_back(Y.size());
        for (const THandle x : Out(Level))
            IndexOfHandle(x);
    }
    const std::size_t MemberCount = Y.size();
    LevelBegin.push_back(MemberCount);
    std::vector<std::int32_t> OutN, InN;
    std::vector<std::uint32_t> OutBegin{0}, InBegin{0};
    std::vector<std::uint8_t> HasLevelOf(MemberCount, 0);
    for (std::size_t l = 0; l < LevelList.size(); ++l)
        for (const THandle x : Out(LevelList[l])) {
            const TLinkNode& N = Node(x);
            for (const THandle y : N.OutLinks)
                if (const std::int32_t i = IndexOfHandle(y); i >= 0)
                    OutN.push_back(i);
            for (const THandle y : N.InLinks) {
                if (y == LevelList[l]) {
                    HasLevelOf[static_cast<std::size_t>(IndexOf[x])] = 1;
                    IndexOfHandle(y);
                } else if (const std::int32_t i = IndexOfHandle(y); i >= 0)
                    InN.push_back(i);
            }
            OutBegin.push_back(static_cast<std::uint32_t>(OutN.size()));
            InBegin.push_back(static_cast<std::uint32_t>(InN.size()));
        }

    TSide OutSide;
    TSide InSide;
    TLevelRows L;
    std::vector<int> T;
    std::vector<std::int32_t> WideOf;
    for (int Pass = 0; Pass < Passes; ++Pass)
        for (std::size_t l = 0; l < LevelList.size(); ++l) {
            const std::size_t Base = LevelBegin[l];
            const std::size_t m = LevelBegin[l + 1] - Base;
            if (m < 2)
                continue;
            const int M = Data(LevelList[l]).Y;
            int* Rows = Y.data() + Base;
            OutSide.Clear();
            InSide.Clear();
            for (auto* V : {&L.OutLo, &L.OutHi, &L.InLo, &L.InHi, &L.HasLevel, &L.G})
                V->assign(m, 0);
            L.AllHaveLevel = true;
            L.InRows.clear();
            L.InBegin.assign(1, 0);
            L.Wide.clear();
            WideOf.assign(m, -1);
            for (std::size_t x = 0; x < m; ++x) {
                const std::size_t Me = Base + x;
                for (std::uint32_t e = OutBegin[Me]; e < OutBegin[Me + 1]; ++e)
                    OutSide.Rows.push_back(Y[static_cast<std::size_t>(OutN[e])]);
                OutSide.Close();
                const auto InFirst = L.InRows.size();
                for (std::uint32_t e = InBegin[Me]; e < InBegin[Me + 1]; ++e)
                    L.InRows.push_back(Y[static_cast<std::size_t>(InN[e])]);
                std::sort(L.InRows.begin() + static_cast<std::ptrdiff_t>(InFirst), L.InRows.end());
                L.InBegin.push_back(static_cast<std::uint32_t>(L.InRows.size()));
                const auto InRows = L.InOf(x);
                // The full in-rows, the level object's among them.
                InSide.Rows.insert(InSide.Rows.end(), InRows.begin(), InRows.end());
                L.HasLevel[x] = HasLevelOf[Me];
                L.AllHaveLevel = L.AllHaveLevel && HasLevelOf[Me];
                if (HasLevelOf[Me])
                    InSide.Rows.push_back(M);
                InSide.Close();
                const auto OutRows = OutSide.Of(x);
                int g = 0;
                for (const int c : InRows)
                    g += Sgn(c, M);
                L.G[x] = g;
                if (OutRows.size() <= 1 && InRows.size() <= 1) {
                    L.OutLo[x] = OutRows.empty() ? MissingLo : OutRows[0];
                    L.OutHi[x] = OutRows.empty() ? MissingHi : OutRows[0];
                    L.InLo[x] = InRows.empty() ? MissingLo : InRows[0];
                    L.InHi[x] = InRows.empty() ? MissingHi : InRows[0];
                } else {
                    // Wide: adds nothing through the narrow arrays.
                    L.OutLo[x] = L.InLo[x] = MissingLo;
                    L.OutHi[x] = L.InHi[x] = MissingHi;
                    WideOf[x] = static_cast<std::int32_t>(L.Wide.size());
                    L.Wide.push_back(x);
                }
            }
            // The narrow members before each wide one, against it.
            L.Col.clear();
            L.ColBegin.clear();
            for (const std::size_t k : L.Wide) {
                L.ColBegin.push_back(L.Col.size());
                L.Col.resize(L.Col.size() + k, 0);
                int* C = L.Col.data() + L.ColBegin.back();
                for (const int e : OutSide.Of(k))
                    AddColumnSigns(e, L.OutLo.data(), L.OutHi.data(), k, C);
                for (const int e : L.InOf(k))
                    AddColumnSigns(e, L.InLo.data(), L.InHi.data(), k, C);
            }
            T.assign(m, 0);
            // The loops run over list positions; only the rows move.
            for (std::size_t j = 0; j + 1 < m; ++j) {
                const int g = L.G[j];
                const int H = L.HasLevel[j];
                const auto LevelTerms = [&](std::size_t k) {
                    return (L.HasLevel[k] ? g : 0) - (H ? L.G[k] : 0);
                };
                if (WideOf[j] < 0) {
                    NarrowSigns(L, j + 1, m, L.OutLo[j], L.InLo[j], g, H, T.data());
                    for (auto w = L.Wide.size(); w-- > 0 && L.Wide[w] > j;)
                        T[L.Wide[w]] = L.Col[L.ColBegin[w] + j] + LevelTerms(L.Wide[w]);
                } else {
                    const auto UO = OutSide.Of(j);
                    const auto UI = L.InOf(j);
                    NarrowSigns(L, j + 1, m, MissingLo, MissingLo, g, H, T.data());
                    for (const int c : UO)
                        AddRowSigns(c, L.OutLo.data(), L.OutHi.data(), j + 1, m, T.data());
                    for (const int c : UI)
                        AddRowSigns(c, L.InLo.data(), L.InHi.data(), j + 1, m, T.data());
                    for (auto w = L.Wide.size(); w-- > 0 && L.Wide[w] > j;) {
                        const std::size_t k = L.Wide[w];
                        T[k] = static_cast<int>(SignSum(UO, OutSide.Of(k)) +
                                                SignSum(UI, L.InOf(k))) +
                               LevelTerms(k);
                    }
                }
                const std::span<const int> UO = OutSide.Of(j);
                const std::span<const int> UI = InSide.Of(j);
                const long long nUO = OutSide.Count[j];
                const long long nUI = InSide.Count[j];
                const long long SUO = OutSide.Sum[j];
                const long long SUI = InSide.Sum[j];
                // Pairs (j, k) from k = m - 1 down to j + 1; only the pairs
                // that may swap are looked at one by one.
                for (std::size_t Top = m;;) {
                    const int a = Rows[j];
                    const std::size_t q = LastCandidate(a, Rows, T.data(), j + 1, Top);
                    if (q == Top)
                        break;
                    Top = q;
                    const int b = Rows[q];
                    bool Swap = T[q] != 0;
                    if (!Swap) {
                        const std::span<const int> VO = OutSide.Of(q);
                        const std::span<const int> VI = InSide.Of(q);
                        const long long nVO = OutSide.Count[q];
                        const long long nVI = InSide.Count[q];
                        const long long Straight =
                            -nVO * CountOf(UO, a) - nUO * CountOf(VO, b) + nUO * CountOf(VO, a) +
                            nVO * CountOf(UO, b) - nVI * CountOf(UI, a) - nUI * CountOf(VI, b) +
                            nUI * CountOf(VI, a) + nVI * CountOf(UI, b);
                        if (Straight > 0)
                            Swap = true;
                        else if (Straight == 0) {
                            const long long Distance =
                                2 * static_cast<long long>(a - b) *
                                (nUO * OutSide.Sum[q] - nVO * SUO + nUI * InSide.Sum[q] -
                                 nVI * SUI);
                            Swap = Distance > 0;
                        }
                    }
                    if (Swap)
                        std::swap(Rows[j], Rows[q]);
                }
            }
        }
    for (std::size_t i = 0; i < MemberCount; ++i)
        Block[i]->Y = Y[i];
    return Passes;
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
