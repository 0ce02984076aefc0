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
#include <cstdint>
#include <limits>
#include <utility>

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

long long CountOf(std::span<const int> Rows, int r) {
    const auto Range = std::equal_range(Rows.begin(), Rows.end(), r);
    return Range.second - Range.first;
}

// Up to Lanes neighbour rows of each member of one side, column-wise and
// padded with a row above every real one, so that the sign sums of one member
// against all later members run as one loop the compiler can vectorise. Each
// padding row adds exactly -1 per row of the other member, which is taken
// back afterwards; a member with more rows is summed the ordinary way.
constexpr int Lanes = 4;
constexpr int PadRow = std::numeric_limits<int>::max();

struct TLanes {
    std::vector<int> Column[Lanes];
    std::vector<int> Count;

    void Fill(const TSide& Side, std::size_t m) {
        for (auto& C : Column)
            C.assign(m, PadRow);
        Count.assign(m, 0);
        for (std::size_t i = 0; i < m; ++i) {
            const auto Rows = Side.Of(i);
            Count[i] = static_cast<int>(Rows.size());
            for (std::size_t w = 0; w < Rows.size() && w < Lanes; ++w)
                Column[w][i] = Rows[w];
        }
    }
    // Adds sign(c - e) over e in the lanes of members First..Last-1 to
    // Total[k], for one row c.
    void AddSigns(int c, std::size_t First, std::size_t Last, int* Total) const {
        const int* C0 = Column[0].data();
        const int* C1 = Column[1].data();
        const int* C2 = Column[2].data();
        const int* C3 = Column[3].data();
        for (std::size_t k = First; k < Last; ++k)
            Total[k] += (c > C0[k]) - (c < C0[k]) + (c > C1[k]) - (c < C1[k]) + (c > C2[k]) -
                        (c < C2[k]) + (c > C3[k]) - (c < C3[k]);
    }
};

} // namespace

// The gains are those of CrossingGain, StraightGain and DistanceGain, in
// closed form over the neighbour rows of the two members (n = count, S = sum,
// cnt(x) = how many rows equal x, D = the sum of sign(c - e)):
//   crossing = D(U, V), negated when b < a;
//   straight = -nV cntU(a) - nU cntV(b) + nU cntV(a) + nV cntU(b);
//   distance = 2 (a - b) (nU SV - nV SU), the squares cancelling.
// All of it is exact integer arithmetic, so every decision, and with it every
// row, is the one the pairwise sums give.
int TCircuitEngine::ReduceCrossings() {
    const THandle Levels = GethALL(TypeLevelsRoot);
    const THandleArray LevelList = Out(Levels);
    const int Passes = static_cast<int>(LevelList.size()) / 4 + 1;
    TSide OutSide;
    TSide InSide;
    std::vector<int> Rows;
    std::vector<TLinkData*> Blocks;
    TLanes OutLanes;
    TLanes InLanes;
    std::vector<int> Signs;
    std::vector<std::size_t> Wide;
    for (int Pass = 0; Pass < Passes; ++Pass)
        for (const THandle L : LevelList) {
            const THandleArray& Members = Out(L);
            const std::size_t m = Members.size();
            if (m < 2)
                continue;
            OutSide.Clear();
            InSide.Clear();
            Rows.clear();
            Blocks.clear();
            for (const THandle x : Members) {
                TLinkNode& N = Node(x);
                Blocks.push_back(N.Data.get());
                Rows.push_back(N.Data->Y);
                for (const THandle y : N.OutLinks)
                    if (const TLinkNode& Y = Node(y); Y.Data)
                        OutSide.Rows.push_back(Y.Data->Y);
                OutSide.Close();
                for (const THandle y : N.InLinks)
                    if (const TLinkNode& Y = Node(y); Y.Data)
                        InSide.Rows.push_back(Y.Data->Y);
                InSide.Close();
            }
            OutLanes.Fill(OutSide, m);
            InLanes.Fill(InSide, m);
            Wide.clear();
            for (std::size_t i = 0; i < m; ++i)
                if (OutLanes.Count[i] > Lanes || InLanes.Count[i] > Lanes)
                    Wide.push_back(i);
            Signs.assign(m, 0);
            // The loops run over list positions; only the rows move.
            for (std::size_t j = 0; j < m; ++j) {
                const std::span<const int> UO = OutSide.Of(j);
                const std::span<const int> UI = InSide.Of(j);
                // The sign sums of j against every later member first: they do
                // not depend on the rows, which the swaps below change.
                const bool UWide = OutLanes.Count[j] > Lanes || InLanes.Count[j] > Lanes;
                if (UWide) {
                    for (std::size_t k = j + 1; k < m; ++k)
                        Signs[k] = static_cast<int>(SignSum(UO, OutSide.Of(k)) +
                                                    SignSum(UI, InSide.Of(k)));
                } else {
                    std::fill(Signs.begin() + static_cast<std::ptrdiff_t>(j) + 1, Signs.end(), 0);
                    for (const int c : UO)
                        OutLanes.AddSigns(c, j + 1, m, Signs.data());
                    for (const int c : UI)
                        InLanes.AddSigns(c, j + 1, m, Signs.data());
                    const int nO = static_cast<int>(UO.size());
                    const int nI = static_cast<int>(UI.size());
                    for (std::size_t k = j + 1; k < m; ++k)
                        Signs[k] += nO * (Lanes - OutLanes.Count[k]) + nI * (Lanes - InLanes.Count[k]);
                    for (const std::size_t k : Wide)
                        if (k > j)
                            Signs[k] = static_cast<int>(SignSum(UO, OutSide.Of(k)) +
                                                        SignSum(UI, InSide.Of(k)));
                }
                const long long nUO = OutSide.Count[j];
                const long long nUI = InSide.Count[j];
                const long long SUO = OutSide.Sum[j];
                const long long SUI = InSide.Sum[j];
                for (std::size_t k = m - 1; k > j; --k) {
                    const int a = Rows[j];
                    const int b = Rows[k];
                    const std::span<const int> VO = OutSide.Of(k);
                    const std::span<const int> VI = InSide.Of(k);
                    long long Crossing = Signs[k];
                    if (b < a)
                        Crossing = -Crossing;
                    bool Swap = Crossing > 0;
                    if (Crossing == 0) {
                        const long long nVO = OutSide.Count[k];
                        const long long nVI = InSide.Count[k];
                        const long long Straight =
                            -nVO * CountOf(UO, a) - nUO * CountOf(VO, b) + nUO * CountOf(VO, a) +
                            nVO * CountOf(UO, b) - nVI * CountOf(UI, a) - nUI * CountOf(VI, b) +
                            nUI * CountOf(VI, a) + nVI * CountOf(UI, b);
                        if (Straight > 0)
                            Swap = true;
                        else if (Straight == 0) {
                            const long long Distance =
                                2 * static_cast<long long>(a - b) *
                                (nUO * OutSide.Sum[k] - nVO * SUO + nUI * InSide.Sum[k] -
                                 nVI * SUI);
                            Swap = Distance > 0;
                        }
                    }
                    if (Swap)
                        std::swap(Rows[j], Rows[k]);
                }
            }
            for (std::size_t i = 0; i < m; ++i)
                Blocks[i]->Y = Rows[i];
        }
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
