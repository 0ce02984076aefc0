// Construction: the events and arcs the diagram starts from. Every distinct set
// of transitive predecessors becomes a start event (PiA vertex) at which the
// works with that set start; every work gets its own end event (W vertex);
// a fictive arc joins each end event to every start event that waits for the
// work; end events with the same successors fall together. The fictive-arc
// reduction then finishes the network.

#include "network/CircuitEngine.h"

#include "core/Graph.h"
#include "messages/ErrorStrings.h"
#include "messages/InternalFault.h"
#include "model/WorkList.h"
#include "network/SetEdits.h"

#include <algorithm>

using namespace SetEdits;

namespace {

// A vertex record with the sets construction gives every vertex of its kind;
// Mul1 of a PiA vertex and Mul3 of a W vertex are filled by the caller.
TLinkNode NewVertex(std::int32_t TypeID) {
    TLinkNode V;
    V.TypeID = TypeID;
    V.Data = std::make_unique<TLinkData>();
    TLinkData& D = *V.Data;
    D.Mul1 = std::make_unique<TMultitude>();
    if (TypeID == TypePiA)
        D.Mul2 = std::make_unique<TMultitude>();
    D.Mul4 = std::make_unique<TMultitude>();
    D.FictIn = std::make_unique<TMultitude>();
    D.FictOut = std::make_unique<TMultitude>();
    D.Arcs = std::make_unique<TMultitude>();
    D.CritOut = std::make_unique<TMultitude>();
    return V;
}

} // namespace

void TCircuitEngine::GetCircuit() {
    FreeCircuit();
    if (WorkList.Graph.Rows.Count() < 2)
        return;
    auto Closure = PredecessorSets();
    // A contour (only a damaged file brings one) gives no predecessor sets,
    // and so no network.
    if (!Closure)
        return;
    try {
        CreateRoots();
        CreatePiA(*Closure);
        Closure.reset();
        WaCreate();
        CreateFictiveArcs();
        MergeEqualW();
        ReduceFictive();
    } catch (...) {
        // Nothing later may read half a network.
        FreeCircuit();
        throw;
    }
}

std::unique_ptr<TGraph> TCircuitEngine::PredecessorSets() const {
    auto Result = WorkList.Graph.CloseAndReduce();
    if (!Result)
        return nullptr;
    Result->Reduction.reset();
    auto Closure = std::move(Result->Closure);
    // Equal sets become neighbours, the empty set first.
    Closure->Rows.Compare = CompareSubset;
    Closure->Rows.Sort();
    return Closure;
}

void TCircuitEngine::CreateRoots() {
    Circuit = std::make_unique<TMemoryLinkObject>();
    hAll = AddRoot(TypeAllRoot);
    hPiA = AddRoot(TypePiARoot);
    hW = AddRoot(TypeWRoot);
}

void TCircuitEngine::CreatePiA(const TGraph& SortedClosure) {
    TGraph Seen;
    Seen.Rows.Compare = CompareSubset;
    THandle Current = 0;
    for (const TMultitudeElement& Row : SortedClosure.Rows) {
        // The rows are sorted, so a set seen before is the set of the vertex
        // made last.
        if (Seen.Rows.Add(Row)) {
            TLinkNode V = NewVertex(TypePiA);
            V.Data->Mul1 = Row.Subset->Copy();
            Current = Circuit->AddObject(std::move(V));
            Circuit->AddReference(hPiA, Current);
            Circuit->AddReference(hAll, Current);
        }
        TLinkData& D = Data(Current);
        D.Mul2->AddKey(Row.Key);
        D.Arcs->Add(TMultitudeElement(Row.Key, 0, WorkList.GetWork(Row.Key).Duration));
    }
}

void TCircuitEngine::WaCreate() {
    for (std::size_t i = 0; i < Out(hPiA).size(); ++i) {
        const THandle p = Out(hPiA)[i];
        if (Circuit->FindNodeOnHandle(p) < 0)
            RaiseFault(Msg::PiANotFound);
        for (const std::int32_t k : Keys(*Data(p).Mul2)) {
            TLinkNode V = NewVertex(TypeW);
            V.Data->Mul1->AddKey(k);
            auto Mul3 = Data(p).Mul1->Copy();
            for (TMultitudeElement& m : *Mul3)
                m.Value = 1;
            Mul3->Compare = CompareValues;
            Mul3->AddKey(k);
            V.Data->Mul3 = std::move(Mul3);
            V.Data->Mul4->AddKey(Key(p));
            const THandle h = Circuit->AddObject(std::move(V));
            Circuit->AddReference(hW, h);
            Circuit->AddReference(hAll, h);
            TMultitude& Arcs = *Data(p).Arcs;
            int Index = 0;
            if (!Arcs.Find(TMultitudeElement(k), Index))
                RaiseFault(Msg::WorkNotInPiA);
            Arcs[Index].Value = Key(h);
            Circuit->AddReference(p, h);
        }
    }
}

void TCircuitEngine::CreateFictiveArcs() {
    const THandleArray PiAs = Out(hPiA);
    const THandleArray Ws = Out(hW);
    for (const THandle f : PiAs)
        for (const THandle h : Ws) {
            if (!Intersects(*Data(f).Mul1, *Data(h).Mul1))
                continue;
            // Every pair (h, f) comes once and W vertices have no out-links
            // yet, so the reference is new; handles grow along hPiA and hW,
            // so the keys arrive in ascending order.
            Circuit->AddNewReference(h, f);
            Data(f).Mul4->AppendKey(Key(h));
            Data(h).FictOut->AppendKey(Key(f));
            Data(f).FictIn->AppendKey(Key(h));
        }
}

void TCircuitEngine::MergeEqualW() {
    for (int i = 0; i < static_cast<int>(Out(hW).size()); ++i) {
        int j = i + 1;
        while (j < static_cast<int>(Out(hW).size())) {
            // After a merge the next vertex has moved into position j.
            if (SameSuccessors(i, j))
                MergeW(i, j);
            else
                ++j;
        }
    }
}

bool TCircuitEngine::SameSuccessors(int i, int j) const {
    const THandleArray& Ws = Out(hW);
    const THandleArray& A = Out(Ws[static_cast<std::size_t>(i)]);
    const THandleArray& B = Out(Ws[static_cast<std::size_t>(j)]);
    if (A.size() != B.size())
        return false;
    // Handle arrays hold no handle twice, so equal sorted copies mean that
    // every out-link of one is among the other's.
    THandleArray SortedA = A;
    THandleArray SortedB = B;
    std::sort(SortedA.begin(), SortedA.end());
    std::sort(SortedB.begin(), SortedB.end());
    return SortedA == SortedB;
}

void TCircuitEngine::MergeW(int i, int j) {
    const THandle a = Out(hW)[static_cast<std::size_t>(i)];
    const THandle b = Out(hW)[static_cast<std::size_t>(j)];
    {
        TLinkData& A = Data(a);
        const TLinkData& B = Data(b);
        A.Mul1->Unite(*B.Mul1);
        MergeFinished(*A.Mul3, *B.Mul3, false);
        A.FictIn->Unite(*B.FictIn);
        A.FictOut->Unite(*B.FictOut);
        A.Arcs->Unite(*B.Arcs);
        A.Mul4->Unite(*B.Mul4);
    }
    for (const std::int32_t f : Keys(*Data(b).Mul4)) {
        Circuit->AddReference(static_cast<THandle>(f), a);
        Retarget(*Data(static_cast<THandle>(f)).Arcs, Key(b), Key(a));
    }
    const THandleArray Successors = Out(a);
    for (const THandle y : Successors) {
        Replace(*Data(y).Mul4, Key(b), Key(a));
        Circuit->AddReference(a, y);
        Replace(*Data(y).FictIn, Key(b), Key(a));
    }
    Circuit->DeleteObject(Position(b));
}
