// Path values: every event gets its time (Duration) from the start event, and
// every arc on an optimal route to the end event is marked in its tail's
// CritOut; the diagram draws those red. The mode is folded into the weights
// by PathSign, so one minimising pass finds the longest routes (critical
// path, values zero or negative) or the shortest ones.

#include "network/CircuitEngine.h"

#include "messages/ErrorStrings.h"
#include "messages/InternalFault.h"
#include "core/SetEdits.h"

#include <cmath>

using namespace SetEdits;

namespace {

bool IsEvent(const TLinkNode& N) {
    return N.TypeID == TypePiA || N.TypeID == TypeW;
}

// Ties are decided relative to the largest arc weight, not to the values
// compared.
constexpr TReal TieTolerance = RealTieTolerance;

} // namespace

void TCircuitEngine::FoundCriticalPath() {
    const THandle All = GethALL(TypeAllRoot);
    const THandle Levels = GethALL(TypeLevelsRoot);
    MaxWeight = 0;
    for (const THandle v : Out(All))
        Data(v).Duration = RealInfinity;

    THandle Level = 0;
    if (FindLevel(Levels, 1, Level) && !Out(Level).empty())
        Data(Out(Level)[0]).Duration = 0;
    THandle End = 0;
    for (std::int32_t k = 2; FindLevel(Levels, k, Level); ++k) {
        for (const THandle h : Out(Level))
            UpdateDuration(h);
        if (!Out(Level).empty())
            End = Out(Level)[0];
    }
    if (End != 0)
        SetCriticalPath(End);
}

TReal TCircuitEngine::GetWeigth(THandle b, THandle h) {
    const TLinkData& B = Data(b);
    TReal w = 0;
    // A fictive arc weighs nothing, even beside a real work to the same event.
    if (!B.FictOut->HasKey(Key(h))) {
        // Of several works between the same two events the longest is the
        // arc's weight, in both modes.
        w = -RealInfinity;
        for (const TMultitudeElement& Arc : *B.Arcs)
            if (Arc.Value == Key(h) && Arc.Weight > w)
                w = Arc.Weight;
        if (w == -RealInfinity)
            RaiseFault(Msg::NoArcWeight);
    }
    if (w > MaxWeight)
        MaxWeight = w;
    return static_cast<TReal>(PathSign) * w;
}

void TCircuitEngine::UpdateDuration(THandle h) {
    const THandleArray Predecessors = Node(h).InLinks;
    for (const THandle b : Predecessors) {
        if (!IsEvent(Node(b)))
            continue;
        const TReal Candidate = Data(b).Duration + GetWeigth(b, h);
        if (Candidate < Data(h).Duration)
            Data(h).Duration = Candidate;
    }
}

void TCircuitEngine::SetCriticalPath(THandle h) {
    NewWalk();
    WalkCriticalPath(h);
}

// Each event is walked once. Walking it again along another optimal route
// would add the same marks: the test at an event does not depend on the road
// that led there, and every arc weight was met (so MaxWeight is final) while
// the durations were computed. Without this a chain of equal diamonds costs
// 2^k walks.
void TCircuitEngine::WalkCriticalPath(THandle h) {
    if (!Visit(h))
        return;
    const THandleArray Predecessors = Node(h).InLinks;
    for (const THandle b : Predecessors) {
        if (!IsEvent(Node(b)))
            continue;
        const TReal d = Data(h).Duration - GetWeigth(b, h);
        const TReal Db = Data(b).Duration;
        if (std::fabs(Db - d) / MaxWeight < TieTolerance) {
            if (Db == RealInfinity)
                RaiseFault(Msg::UnreachedVertex);
            Data(b).CritOut->AddKey(Key(h));
            WalkCriticalPath(b);
        }
    }
}
