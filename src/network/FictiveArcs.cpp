// Fictive arcs: construction joins the end of every work to every start event
// that waits for it. Here the diagram loses every fictive arc that another
// path already implies, and every fictive arc that carries no information is
// contracted: an end event whose only successor is fictive absorbs it, a start
// event whose only predecessor is fictive is absorbed by it. What remains is
// the network the diagram shows.

#include "network/CircuitEngine.h"

#include "messages/ErrorStrings.h"
#include "messages/InternalFault.h"
#include "network/SetEdits.h"

using namespace SetEdits;

void TCircuitEngine::ReduceFictive() {
    do
        PruneFictive();
    while (GlueFictive());
}

void TCircuitEngine::PruneFictive() {
    for (std::size_t i = 0; i < Out(hW).size(); ++i) {
        const THandle a = Out(hW)[i];
        std::size_t j = 0;
        while (j < Out(a).size()) {
            const THandle t = Out(a)[j];
            // A removed out-link lets the next one move into position j.
            if (Data(a).FictOut->HasKey(Key(t)) && ReachableOtherwise(a, t, static_cast<int>(j)))
                RemoveFictive(a, static_cast<int>(j));
            else
                ++j;
        }
    }
}

bool TCircuitEngine::ReachableOtherwise(THandle From, THandle Target, int SkipPosition) {
    const THandleArray& First = Out(From);
    for (std::size_t p = 0; p < First.size(); ++p)
        if (static_cast<int>(p) != SkipPosition && First[p] == Target)
            return true;
    // Every vertex is explored at most once per query: one that did not lead
    // to Target the first time will not the second. Without this the walk
    // follows every path, and their number grows exponentially.
    NewWalk();
    std::vector<THandle> Pending;
    for (std::size_t p = 0; p < First.size(); ++p)
        if (static_cast<int>(p) != SkipPosition && Visit(First[p]))
            Pending.push_back(First[p]);
    while (!Pending.empty()) {
        const THandle x = Pending.back();
        Pending.pop_back();
        for (const THandle y : Out(x)) {
            if (y == Target)
                return true;
            if (Visit(y))
                Pending.push_back(y);
        }
    }
    return false;
}

void TCircuitEngine::RemoveFictive(THandle Vertex, int Position) {
    const THandle t = Out(Vertex)[static_cast<std::size_t>(Position)];
    Remove(*Data(Vertex).FictOut, Key(t));
    Remove(*Data(t).Mul4, Key(Vertex));
    Remove(*Data(t).FictIn, Key(Vertex));
    Circuit->DelReference(t, Vertex);
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
            if (Node(b).TypeID == TypeW)
                EditFinished(*W.Mul3, [&B](TMultitude& Mul3) { Mul3.Unite(*B.Mul3); });
            else
                AddFinishedEarlier(*W.Mul3, *B.Mul1);
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
            if (!V.Mul3)
                RaiseFault(Msg::NodeNotFound);
            AddFinishedEarlier(*V.Mul3, *P.Mul1);
        }
        Circuit->DeleteObject(Position(p));
        Absorbed = true;
        // The next PiA vertex has moved into position i.
    }
    return Absorbed;
}
