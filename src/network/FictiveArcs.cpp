// Fictive arcs: construction joins the end of every work to every start event
// that waits for it. Here the diagram loses every fictive arc that another
// path already implies, and every fictive arc that carries no information is
// contracted: an end event whose only successor is fictive absorbs it, a start
// event whose only predecessor is fictive is absorbed by it. What remains is
// the network the diagram shows.

#include "network/CircuitEngine.h"

#include "core/SetEdits.h"
#include "messages/ErrorStrings.h"
#include "messages/InternalFault.h"

#include <algorithm>
#include <cstdint>
#include <vector>

using namespace SetEdits;

void TCircuitEngine::ReduceFictive() {
    do {
        PruneFictive();
        Checkpoint();
    } while (GlueFictive());
}

// The walk over hW and each vertex's out-links removes a fictive arc a -> t
// when t can be reached from a without it (ReachableOtherwise). Removing such
// an arc changes no reachability at all: every path that used it can take the
// other route instead. So, all through the walk, "reachable" means what it
// meant in the network the walk started from, and the arc is removed exactly
// when some other out-link s of a reaches t. The out-links of a that the walk
// already removed do not matter either: a removed s was reached by another
// out-link s' of a, which then reaches t too; following such witnesses ends
// at one that stays. Hence the test below, from the reachability sets of the
// network before the walk: t is in the union of what a's successors reach
// (t never reaches itself, the network has no contour). The arcs removed, and
// the order of their removal, are those of the arc-by-arc search.
void TCircuitEngine::PruneFictive() {
    const THandleArray& All = Out(hAll);
    const std::size_t n = All.size();
    const std::vector<std::int32_t> Index = IndexOfHandles(All);
    // A topological order of the events (Kahn over out-links).
    std::vector<std::uint32_t> Pending(n, 0);
    for (std::size_t i = 0; i < n; ++i)
        for (const THandle y : Out(All[i]))
            if (Index[y] >= 0)
                ++Pending[static_cast<std::size_t>(Index[y])];
    std::vector<std::uint32_t> Order;
    Order.reserve(n);
    for (std::size_t i = 0; i < n; ++i)
        if (Pending[i] == 0)
            Order.push_back(static_cast<std::uint32_t>(i));
    for (std::size_t q = 0; q < Order.size(); ++q)
        for (const THandle y : Out(All[Order[q]]))
            if (Index[y] >= 0 && --Pending[static_cast<std::size_t>(Index[y])] == 0)
                Order.push_back(static_cast<std::uint32_t>(Index[y]));
    if (Order.size() != n) {
        // Only a broken network has a contour; search arc by arc there.
        PruneFictiveBySearch();
        return;
    }
    // Reach[v]: the events reachable from v by at least one arc.
    const std::size_t Words = (n + 63) / 64;
    std::vector<std::uint64_t> Reach(n * Words, 0);
    const auto Row = [&](std::size_t v) { return Reach.data() + v * Words; };
    for (std::size_t q = n; q-- > 0;) {
        const std::size_t v = Order[q];
        std::uint64_t* R = Row(v);
        for (const THandle y : Out(All[v])) {
            const std::int32_t s = Index[y];
            if (s < 0)
                continue;
            const std::uint64_t* S = Row(static_cast<std::size_t>(s));
            for (std::size_t w = 0; w < Words; ++w)
                R[w] |= S[w];
            R[static_cast<std::size_t>(s) / 64] |= std::uint64_t{1} << (s % 64);
        }
    }
    std::vector<std::uint64_t> Beyond(Words);
    std::vector<std::int32_t> Lost;
    std::vector<std::vector<std::int32_t>> HeadLost(n);
    for (std::size_t i = 0; i < Out(hW).size(); ++i) {
        const THandle a = Out(hW)[i];
        std::fill(Beyond.begin(), Beyond.end(), 0);
        for (const THandle y : Out(a))
            if (const std::int32_t s = Index[y]; s >= 0) {
                const std::uint64_t* S = Row(static_cast<std::size_t>(s));
                for (std::size_t w = 0; w < Words; ++w)
                    Beyond[w] |= S[w];
            }
        // RemoveFictive arc by arc, with the set edits gathered: a's FictOut
        // loses its keys at once after a's walk, and each head's Mul4 and
        // FictIn at the end (nothing in the walk reads those). Deleting keys
        // from a key-ordered set leaves the same set in any order.
        TLinkData& A = Data(a);
        Lost.clear();
        std::size_t j = 0;
        while (j < Out(a).size()) {
            const THandle t = Out(a)[j];
            const std::int32_t x = Index[t];
            const bool Implied =
                x >= 0 && (Beyond[static_cast<std::size_t>(x) / 64] >> (x % 64) & 1) != 0;
            const std::size_t Before = Out(a).size();
            if (Implied && A.FictOut->HasKey(Key(t)) &&
                !std::binary_search(Lost.begin(), Lost.end(), Key(t))) {
                Lost.insert(std::upper_bound(Lost.begin(), Lost.end(), Key(t)), Key(t));
                HeadLost[static_cast<std::size_t>(x)].push_back(Key(a));
                Circuit->DelReference(t, a);
            }
            // A removed out-link lets the next one move into position j.
            if (Out(a).size() == Before)
                ++j;
        }
        A.FictOut->DeleteKeys(Lost);
    }
    for (std::size_t v = 0; v < n; ++v) {
        std::vector<std::int32_t>& Keys = HeadLost[v];
        if (Keys.empty())
            continue;
        std::sort(Keys.begin(), Keys.end());
        TLinkData& T = Data(All[v]);
        T.Mul4->DeleteKeys(Keys);
        T.FictIn->DeleteKeys(Keys);
    }
}

bool TCircuitEngine::GlueFictive() {
    const bool OutAbsorbed = GlueingOutFictive();
    const bool InAbsorbed = GlueingInFictive();
    return OutAbsorbed || InAbsorbed;
}

bool TCircuitEngine::GlueingOutFictive() {
    bool Absorbed = false;
    // The walk moves on after every vertex; when an absorbed W vertex stood
    // before position i, one vertex is passed over until the next pass.
    for (std::size_t i = 0; i < Out(hW).size(); ++i) {
        const THandle w = Out(hW)[i];
        if (Out(w).size() != 1)
            continue;
        const THandle b = Out(w)[0];
        if (!Data(w).FictOut->HasKey(Key(b)))
            continue;

        const THandleArray Successors = Out(b);
        for (const THandle f : Successors) {
            Circuit->AddReference(w, f);
            Replace(*Data(f).Mul4, Key(b), Key(w));
            if (Data(b).FictOut->HasKey(Key(f)))
                Replace(*Data(f).FictIn, Key(b), Key(w));
            else if (!HasValue(*Data(b).Arcs, Key(f)))
                RaiseFault(Msg::NoOutArcDuration);
        }
        {
            TLinkData& W = Data(w);
            const TLinkData& B = Data(b);
            W.Arcs->Unite(*B.Arcs);
            for (const TMultitudeElement& m : *B.FictOut)
                W.FictOut->AddKey(m.Key);
        }
        for (const std::int32_t g : Keys(*Data(b).Mul4)) {
            if (g == Key(w))
                continue;
            const THandle hg = static_cast<THandle>(g);
            const bool Fictive = Data(b).FictIn->HasKey(g);
            Circuit->AddReference(hg, w);
            if (Fictive)
                Replace(*Data(hg).FictOut, Key(b), Key(w));
            else if (!Retarget(*Data(hg).Arcs, Key(b), Key(w)))
                RaiseFault(Msg::NoInArcDuration);
        }
        {
            TLinkData& W = Data(w);
            const TLinkData& B = Data(b);
            W.Mul4->Unite(*B.Mul4);
            W.FictIn->Unite(*B.FictIn);
            Remove(*W.Mul4, Key(w));
            Remove(*W.FictIn, Key(w));
            Remove(*W.FictOut, Key(b));
            // The works that end here keep mark 0 and first place; those
            // finished at the absorbed event join with mark 1 unless present.
            if (Node(b).TypeID == TypeW) {
                Works->MergeFinished(w, b);
                if (W.Mul3 && B.Mul3)
                    MergeFinished(*W.Mul3, *B.Mul3, false);
            } else {
                Works->AddFinishedEarlier(w, b);
                if (W.Mul3 && B.Mul1)
                    AddFinishedEarlier(*W.Mul3, *B.Mul1);
            }
        }
        Circuit->DeleteObject(Position(b));
        Absorbed = true;
    }
    return Absorbed;
}

bool TCircuitEngine::GlueingInFictive() {
    bool Absorbed = false;
    std::size_t i = 0;
    while (i < Out(hPiA).size()) {
        const THandle p = Out(hPiA)[i];
        if (Data(p).FictIn->Count() != 1) {
            ++i;
            continue;
        }
        if (Data(p).Mul4->Count() != 1)
            RaiseFault(Msg::PiARealInArc);
        const THandle v = static_cast<THandle>((*Data(p).Mul4)[0].Key);

        const THandleArray Successors = Out(p);
        for (const THandle c : Successors) {
            Circuit->AddReference(v, c);
            Replace(*Data(c).Mul4, Key(p), Key(v));
        }
        Data(v).Arcs->Unite(*Data(p).Arcs);
        if (!Data(p).FictOut->Empty())
            RaiseFault(Msg::PiAFictiveOut);
        for (const std::int32_t g : Keys(*Data(p).Mul4)) {
            if (g == Key(v))
                continue;
            const THandle hg = static_cast<THandle>(g);
            Circuit->AddReference(hg, v);
            Data(hg).FictOut->AddKey(Key(v));
            Remove(*Data(hg).FictOut, Key(p));
        }
        {
            TLinkData& V = Data(v);
            const TLinkData& P = Data(p);
            V.Mul4->Unite(*P.Mul4);
            V.FictIn->Unite(*P.FictIn);
            Remove(*V.Mul4, Key(v));
            Remove(*V.FictIn, Key(v));
            Remove(*V.FictOut, Key(p));
            if (Node(v).TypeID != TypeW)
                RaiseFault(Msg::NodeNotFound);
            Works->AddFinishedEarlier(v, p);
            if (V.Mul3 && P.Mul1)
                AddFinishedEarlier(*V.Mul3, *P.Mul1);
        }
        Circuit->DeleteObject(Position(p));
        Absorbed = true;
        // The next PiA vertex has moved into position i.
    }
    return Absorbed;
}
