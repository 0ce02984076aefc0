// Long arcs: an arc that spans several levels is cut into one-level segments
// by chain nodes, one on each level it passes, so that every drawn segment
// joins neighbouring columns and the levels in between make room for the
// arcs that pass through them. The chain nodes join their levels' lists
// after the events, and the crossing reduction moves them like events.

#include "network/CircuitEngine.h"

#include "core/SetEdits.h"

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
