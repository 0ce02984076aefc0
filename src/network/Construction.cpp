// Construction: the events and arcs the diagram starts from. Every distinct set
// of transitive predecessors becomes a start event (PiA vertex) at which the
// works with that set start; every work gets its own end event (W vertex);
// a fictive arc joins each end event to every start event that waits for the
// work; end events with the same successors fall together. The fictive-arc
// reduction then finishes the network.

#include "network/CircuitEngine.h"

#include "core/Graph.h"
#include "core/SetEdits.h"
#include "messages/ErrorStrings.h"
#include "messages/InternalFault.h"
#include "model/WorkList.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>
#include <unordered_map>
#include <vector>

using namespace SetEdits;

namespace {

// A vertex record with the sets construction gives every vertex of its kind;
// Mul1 and Mul3, the sets of works, only where the store keeps them.
TLinkNode NewVertex(std::int32_t TypeID, bool WithWorks) {
    TLinkNode V;
    V.TypeID = TypeID;
    V.Data = std::make_unique<TLinkData>();
    TLinkData& D = *V.Data;
    if (WithWorks)
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

// Strictly ascending keys and no nested sets: a copy is then a clone of
// every member in place.
bool PlainKeys(const TMultitude& Set) {
    for (int i = 0; i < Set.Count(); ++i)
        if (Set[i].Subset || (i > 0 && Set[i - 1].Key >= Set[i].Key))
            return false;
    return true;
}

// The rows of the closure in the order of a stable sort with CompareSubset:
// sets compare as their ascending key lists, and the first key in which two
// lists differ is the lowest bit in which their bit rows differ. The list
// that holds that key is the smaller one unless the other list ends before
// it (is the beginning of the first).
std::vector<int> SortedOrder(const TBitRows& Bits, int n) {
    const std::size_t Words = Bits.WordCount();
    // One past the highest bit of each row, 0 for an empty row.
    std::vector<std::size_t> End(static_cast<std::size_t>(n), 0);
    for (int u = 0; u < n; ++u) {
        const std::uint64_t* R = Bits.Row(u);
        for (std::size_t w = Words; w-- > 0;)
            if (R[w] != 0) {
                End[static_cast<std::size_t>(u)] = w * 64 + 64 - std::countl_zero(R[w]);
                break;
            }
    }
    const auto Less = [&](int a, int b) {
        const std::uint64_t* A = Bits.Row(a);
        const std::uint64_t* B = Bits.Row(b);
        for (std::size_t w = 0; w < Words; ++w)
            if (const std::uint64_t Differ = A[w] ^ B[w]; Differ != 0) {
                const std::size_t Bit = w * 64 + std::countr_zero(Differ);
                const bool InA = (A[w] & (Differ & -Differ)) != 0;
                // The row without the key is smaller only where it ends.
                const std::size_t OtherEnd = End[static_cast<std::size_t>(InA ? b : a)];
                return InA ? OtherEnd > Bit : OtherEnd <= Bit;
            }
        return false;
    };
    std::vector<int> Order(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        Order[static_cast<std::size_t>(i)] = i;
    std::stable_sort(Order.begin(), Order.end(), Less);
    return Order;
}

// The closure of Rows as a graph whose rows are in SortedOrder.
std::unique_ptr<TGraph> SortedClosure(const TMultitude& Rows, const TBitRows& Bits) {
    auto Sorted = std::make_unique<TGraph>();
    Sorted->Rows.Compare = CompareSubset;
    Sorted->Rows.Reserve(Rows.Count());
    for (const int u : SortedOrder(Bits, Rows.Count()))
        Sorted->Rows.AppendInOrder(RowOfBits(Rows, Bits, u));
    return Sorted;
}

} // namespace

void TCircuitEngine::GetCircuit() {
    FreeCircuit();
    const TGraph& Graph = WorkGraph();
    const int n = Graph.Rows.Count();
    if (n < 2)
        return;
    // The closure the work list's analysis computed serves when it is there.
    const TBitRows* Closure = WorkClosure();
    std::optional<TClosureBits> Own;
    if (!Closure || Closure->RowCount() != n) {
        Own = Graph.CloseAndReduceBits();
        // A contour (only a damaged file brings one) gives no predecessor
        // sets, and so no network.
        if (!Own)
            return;
        Closure = &Own->Closure;
    }
    try {
        Checkpoint();
        CreateRoots();
        // Equal sets become neighbours, the empty set first.
        CreatePiA(*Closure, SortedOrder(*Closure, n));
        Own.reset();
        Checkpoint();
        WaCreate();
        Checkpoint();
        LinkEndEvents();
        Checkpoint();
        ReduceFictive();
    } catch (...) {
        // Nothing later may read half a network.
        FreeCircuit();
        throw;
    }
}

std::unique_ptr<TGraph> TCircuitEngine::PredecessorSets() const {
    // Equal sets become neighbours, the empty set first. The closure the
    // work list's analysis computed serves when it is there.
    const TGraph& Graph = WorkGraph();
    const TBitRows* Known = WorkClosure();
    if (Known && Known->RowCount() == Graph.Rows.Count())
        return SortedClosure(Graph.Rows, *Known);
    const auto Result = Graph.CloseAndReduceBits();
    if (!Result)
        return nullptr;
    return SortedClosure(Graph.Rows, Result->Closure);
}

void TCircuitEngine::CreateRoots() {
    Circuit = std::make_unique<TMemoryLinkObject>();
    hAll = AddRoot(TypeAllRoot);
    hPiA = AddRoot(TypePiARoot);
    hW = AddRoot(TypeWRoot);
    const TMultitude& Rows = WorkGraph().Rows;
    std::vector<std::int32_t> Keys(static_cast<std::size_t>(Rows.Count()));
    for (int u = 0; u < Rows.Count(); ++u)
        Keys[static_cast<std::size_t>(u)] = Rows[u].Key;
    Works = std::make_shared<TEventWorks>(std::move(Keys));
}

THandle TCircuitEngine::AddEvent(std::int32_t TypeID) {
    const THandle h = Circuit->AddObject(NewVertex(TypeID, KeepSets));
    Works->Add(h);
    // A fresh handle is in no list yet.
    Circuit->AddNewReference(TypeID == TypePiA ? hPiA : hW, h);
    Circuit->AddNewReference(hAll, h);
    return h;
}

void TCircuitEngine::CreatePiA(const TGraph& SortedClosure) {
    THandle Current = 0;
    const TMultitudeElement* Previous = nullptr;
    for (const TMultitudeElement& Row : SortedClosure.Rows) {
        // The rows are sorted, so a set seen before is the set of the row
        // just before, and of the vertex made last.
        // Sets of different sizes differ; only sets of one size are compared.
        const bool OtherSize = Previous && Previous->Subset && Row.Subset &&
                               Previous->Subset->Count() != Row.Subset->Count();
        if (!Previous || OtherSize || CompareSubset(*Previous, Row) != 0) {
            Current = AddEvent(TypePiA);
            if (KeepSets)
                Data(Current).Mul1 = Row.Subset->Copy();
            std::uint64_t* Bits = Works->Waited(Current);
            for (const TMultitudeElement& m : *Row.Subset) {
                const int b = Works->BitOf(m.Key);
                if (b < 0)
                    RaiseFault(Msg::WorkNotInPiA);
                TBitRows::Set(Bits, b);
            }
        }
        Previous = &Row;
        TLinkData& D = Data(Current);
        D.Mul2->AppendKey(Row.Key);
        D.Arcs->Add(TMultitudeElement(Row.Key, 0, WorkDuration(Row.Key)));
    }
}

void TCircuitEngine::CreatePiA(const TBitRows& Closure, const std::vector<int>& Order) {
    const TMultitude& Rows = WorkGraph().Rows;
    const std::size_t Words = Closure.WordCount();
    if (Words != Works->WordCount())
        RaiseFault(Msg::WorkNotInPiA);
    THandle Current = 0;
    const std::uint64_t* Previous = nullptr;
    for (const int u : Order) {
        const std::uint64_t* Row = Closure.Row(u);
        if (!Previous || !std::equal(Row, Row + Words, Previous)) {
            Current = AddEvent(TypePiA);
            if (KeepSets)
                Data(Current).Mul1 = RowOfBits(Rows, Closure, u).Subset;
            std::copy(Row, Row + Words, Works->Waited(Current));
        }
        Previous = Row;
        const std::int32_t Key = Rows[u].Key;
        TLinkData& D = Data(Current);
        D.Mul2->AppendKey(Key);
        D.Arcs->Add(TMultitudeElement(Key, 0, WorkDuration(Key)));
    }
}

void TCircuitEngine::WaCreate() {
    for (std::size_t i = 0; i < Out(hPiA).size(); ++i) {
        const THandle p = Out(hPiA)[i];
        if (Circuit->FindNodeOnHandle(p) < 0)
            RaiseFault(Msg::PiANotFound);
        for (const std::int32_t k : Keys(*Data(p).Mul2)) {
            const THandle h = AddEvent(TypeW);
            const int Bit = Works->BitOf(k);
            if (Bit < 0)
                RaiseFault(Msg::WorkNotInPiA);
            // The work ends here; it and every work it waits for are finished.
            TBitRows::Set(Works->Waited(h), Bit);
            TBitRows::Set(Works->Ending(h), Bit);
            std::uint64_t* Finished = Works->Finished(h);
            const std::uint64_t* Pi = Works->Waited(p);
            std::copy(Pi, Pi + Works->WordCount(), Finished);
            TBitRows::Set(Finished, Bit);
            TLinkData& W = Data(h);
            if (KeepSets)
                W.Mul3 = FinishedSet(Data(p), k);
            if (W.Mul1)
                W.Mul1->AddKey(k);
            W.Mul4->AddKey(Key(p));
            TMultitude& Arcs = *Data(p).Arcs;
            int Index = 0;
            if (!Arcs.Find(TMultitudeElement(k), Index))
                RaiseFault(Msg::WorkNotInPiA);
            Arcs[Index].Value = Key(h);
            Circuit->AddNewReference(p, h);
        }
    }
}

// The finished works of the end event of work k that starts at the start
// event P, as the store's set: k with mark 0, then every work P waits for
// with mark 1.
std::unique_ptr<TMultitude> TCircuitEngine::FinishedSet(const TLinkData& P, std::int32_t k) const {
    const TMultitude& Pi = *P.Mul1;
    auto Mul3 = std::make_unique<TMultitude>();
    if (PlainKeys(Pi) && !Pi.HasKey(k)) {
        // What the steps below leave for a plain set in key order.
        Mul3->Compare = CompareValues;
        Mul3->Reserve(Pi.Count() + 1);
        Mul3->AppendInOrder(TMultitudeElement(k));
        for (const TMultitudeElement& m : Pi)
            Mul3->AppendInOrder(TMultitudeElement(m.Key, 1, m.Weight));
        return Mul3;
    }
    Mul3 = Pi.Copy();
    for (TMultitudeElement& m : *Mul3)
        m.Value = 1;
    Mul3->Compare = CompareValues;
    Mul3->AddKey(k);
    return Mul3;
}

void TCircuitEngine::MergeWVertices(THandle a, THandle b) {
    Works->MergeEnds(a, b);
    {
        TLinkData& A = Data(a);
        const TLinkData& B = Data(b);
        if (A.Mul1 && B.Mul1 && A.Mul3 && B.Mul3) {
            A.Mul1->Unite(*B.Mul1);
            MergeFinished(*A.Mul3, *B.Mul3, false);
        }
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

// What CreateFictiveArcs, MergeEqualW and the first PruneFictive leave, without
// making the fictive arcs that the pruning would take away again (one for
// every transitive pair of works, most of the network's size before pruning).
//
// The end event of work k gets a fictive arc to every start event f whose set
// Mul1(f) holds k, so its successors are Waits(k) = {f : k in Mul1(f)}, and two
// end events are merged exactly when their Waits are equal. Merging changes
// no end event's successors, so the merges are the classes of equal Waits,
// each merged into its first member in hW order, the classes taken in the
// order of their first members and the members in hW order: the sequence of
// MergeW calls that MergeEqualW makes. They run here on end events that have
// no fictive arcs yet, which only spares MergeW the edits of the successors'
// sets that the arcs made below give directly.
//
// Pruning keeps the arc from a class's event to f exactly when f is not
// reachable from another successor of that event. From a start event s the
// start events reachable are Reach(s), the union of Waits(k) over the works k
// that start at s: a path s -> end of k -> f' -> end of k' -> f has k in
// Mul1(f') = Mul1(k'), and Mul1(f) holds k' with all of its predecessors,
// so k as well, and f is in Waits(k) already. The arcs are then made class by
// class in hW order and start event by start event in hPiA order, which is
// the order of out-links and in-links that the full set of arcs leaves after
// the merges and the pruning.
void TCircuitEngine::LinkEndEvents() {
    const THandleArray PiAs = Out(hPiA);
    const THandleArray Ws = Out(hW);
    const std::size_t p = PiAs.size();
    const std::size_t w = Ws.size();
    const std::size_t Words = (p + 63) / 64;
    const std::vector<std::int32_t> PiAIndex = IndexOfHandles(PiAs);
    // Each end event ends one work and starts from one start event so far.
    std::vector<std::int32_t> WOfWork(Works->WordCount() * 64, -1);
    std::vector<std::int32_t> StartOf(w, -1);
    for (std::size_t i = 0; i < w; ++i) {
        const TLinkData& D = Data(Ws[i]);
        const std::vector<std::int32_t> Ending = Works->KeysOf(Works->Waited(Ws[i]));
        if (Ending.size() != 1 || D.Mul4->Count() != 1)
            RaiseFault(Msg::NodeNotFound);
        WOfWork[static_cast<std::size_t>(Works->BitOf(Ending[0]))] = static_cast<std::int32_t>(i);
        const std::int32_t s = (*D.Mul4)[0].Key;
        if (s <= 0 || static_cast<std::size_t>(s) >= PiAIndex.size() || PiAIndex[s] < 0)
            RaiseFault(Msg::PiANotFound);
        StartOf[i] = PiAIndex[static_cast<std::size_t>(s)];
    }
    std::vector<std::uint64_t> Waits(w * Words, 0);
    const auto Row = [Words](std::vector<std::uint64_t>& Bits, std::size_t i) {
        return Bits.data() + i * Words;
    };
    for (std::size_t f = 0; f < p; ++f) {
        const std::uint64_t* Pi = Works->Waited(PiAs[f]);
        for (std::size_t x = 0; x < Works->WordCount(); ++x)
            for (std::uint64_t Bits = Pi[x]; Bits != 0; Bits &= Bits - 1) {
                const std::int32_t i =
                    WOfWork[x * 64 + static_cast<std::size_t>(std::countr_zero(Bits))];
                if (i < 0)
                    RaiseFault(Msg::WorkNotInPiA);
                Row(Waits, static_cast<std::size_t>(i))[f / 64] |= std::uint64_t{1} << (f % 64);
            }
    }

    // Classes of equal Waits, found by hashing.
    std::vector<std::int32_t> ClassOf(w);
    std::vector<std::size_t> Firsts;
    {
        std::unordered_map<std::uint64_t, std::vector<std::size_t>> ByHash;
        ByHash.reserve(w);
        for (std::size_t i = 0; i < w; ++i) {
            const std::uint64_t* R = Row(Waits, i);
            std::uint64_t h = 1469598103934665603ull;
            for (std::size_t x = 0; x < Words; ++x)
                h = (h ^ R[x]) * 1099511628211ull + (h >> 29);
            std::vector<std::size_t>& Same = ByHash[h];
            std::int32_t Found = -1;
            for (const std::size_t c : Same)
                if (std::memcmp(Row(Waits, Firsts[c]), R, Words * sizeof(std::uint64_t)) == 0) {
                    Found = static_cast<std::int32_t>(c);
                    break;
                }
            if (Found < 0) {
                Found = static_cast<std::int32_t>(Firsts.size());
                Firsts.push_back(i);
                Same.push_back(static_cast<std::size_t>(Found));
            }
            ClassOf[i] = Found;
        }
    }
    std::vector<std::vector<std::size_t>> Members(Firsts.size());
    for (std::size_t i = 0; i < w; ++i)
        if (Firsts[static_cast<std::size_t>(ClassOf[i])] != i)
            Members[static_cast<std::size_t>(ClassOf[i])].push_back(i);

    // Reach(s) for every start event, from the works that start there, before
    // any merge (merging keeps every path).
    std::vector<std::uint64_t> Reach(p * Words, 0);
    for (std::size_t i = 0; i < w; ++i) {
        std::uint64_t* R = Row(Reach, static_cast<std::size_t>(StartOf[i]));
        const std::uint64_t* S = Row(Waits, i);
        for (std::size_t x = 0; x < Words; ++x)
            R[x] |= S[x];
    }

    for (std::size_t c = 0; c < Firsts.size(); ++c)
        for (const std::size_t b : Members[c])
            MergeWVertices(Ws[Firsts[c]], Ws[b]);

    std::vector<std::uint64_t> Beyond(Words);
    for (std::size_t c = 0; c < Firsts.size(); ++c) {
        const THandle a = Ws[Firsts[c]];
        const std::uint64_t* Succ = Row(Waits, Firsts[c]);
        std::fill(Beyond.begin(), Beyond.end(), 0);
        for (std::size_t x = 0; x < Words; ++x)
            for (std::uint64_t Bits = Succ[x]; Bits != 0; Bits &= Bits - 1) {
                const std::size_t f = x * 64 + static_cast<std::size_t>(std::countr_zero(Bits));
                const std::uint64_t* R = Row(Reach, f);
                for (std::size_t y = 0; y < Words; ++y)
                    Beyond[y] |= R[y];
            }
        TLinkData& A = Data(a);
        for (std::size_t x = 0; x < Words; ++x)
            for (std::uint64_t Bits = Succ[x] & ~Beyond[x]; Bits != 0; Bits &= Bits - 1) {
                const THandle t = PiAs[x * 64 + static_cast<std::size_t>(std::countr_zero(Bits))];
                // The reps come in hW order with ascending handles, the start
                // events in hPiA order with ascending handles.
                Circuit->AddNewReference(a, t);
                TLinkData& T = Data(t);
                T.Mul4->AppendKey(Key(a));
                A.FictOut->AppendKey(Key(t));
                T.FictIn->AppendKey(Key(a));
            }
    }
}
