// The reference build: the network built step by step, as the program first
// built it, for the tests to compare the fast construction with. A fictive arc
// from the end of every work to every start event that waits for it
// (CreateFictiveArcs), end events with the same successors merged pair by pair
// (MergeEqualW), and every fictive arc removed that another path implies, one
// search per arc (PruneFictiveBySearch). GetCircuit runs none of these: its
// LinkEndEvents and PruneFictive leave the same network, link for link.

#include "network/CircuitEngine.h"

#include "core/SetEdits.h"

#include <algorithm>
#include <cstdint>
#include <vector>

using namespace SetEdits;

void TCircuitEngine::CreateFictiveArcs() {
    const THandleArray PiAs = Out(hPiA);
    const THandleArray Ws = Out(hW);
    for (const THandle f : PiAs)
        for (const THandle h : Ws) {
            if (!Works->Intersect(Works->Waited(f), Works->Waited(h)))
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
    MergeWVertices(Out(hW)[static_cast<std::size_t>(i)], Out(hW)[static_cast<std::size_t>(j)]);
}

void TCircuitEngine::PruneFictiveBySearch() {
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

