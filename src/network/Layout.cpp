// Layout: places the network on the diagram's grid, column = level, row = Y.
// Arcs that span several levels are cut into one-level segments by chain
// nodes, so that every drawn segment joins neighbouring columns and the
// levels in between make room for the arcs that pass through them. Rows are
// then improved by pairwise swaps inside each level (fewer crossings first,
// then more straight segments, then shorter ones), and the events are
// numbered in level order.

#include "network/CircuitEngine.h"

#include "network/SetEdits.h"

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
        Circuit->AddReference(Prev, New);
        Circuit->AddReference(All, New);
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

int TCircuitEngine::ReduceCrossings() {
    const THandle Levels = GethALL(TypeLevelsRoot);
    const THandleArray LevelList = Out(Levels);
    const int Passes = static_cast<int>(LevelList.size()) / 4 + 1;
    std::vector<int> UOut;
    std::vector<int> VOut;
    std::vector<int> UIn;
    std::vector<int> VIn;
    for (int Pass = 0; Pass < Passes; ++Pass)
        for (const THandle L : LevelList) {
            const THandleArray Members = Out(L);
            const std::size_t m = Members.size();
            // The loops run over list positions; only the rows move.
            for (std::size_t j = 0; j < m; ++j)
                for (std::size_t k = m - 1; k > j; --k) {
                    const THandle u = Members[j];
                    const THandle v = Members[k];
                    TLinkData& U = Data(u);
                    TLinkData& V = Data(v);
                    const int a = U.Y;
                    const int b = V.Y;
                    NeighbourRows(Out(u), UOut);
                    NeighbourRows(Out(v), VOut);
                    NeighbourRows(Node(u).InLinks, UIn);
                    NeighbourRows(Node(v).InLinks, VIn);
                    const int Crossing =
                        CrossingGain(a, b, UOut, VOut) + CrossingGain(a, b, UIn, VIn);
                    const int Straight =
                        StraightGain(a, b, UOut, VOut) + StraightGain(a, b, UIn, VIn);
                    const long long Distance =
                        DistanceGain(a, b, UOut, VOut) + DistanceGain(a, b, UIn, VIn);
                    if (Crossing > 0 || (Crossing == 0 && Straight > 0) ||
                        (Crossing == 0 && Straight == 0 && Distance > 0))
                        std::swap(U.Y, V.Y);
                }
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
