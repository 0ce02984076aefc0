#pragma once
// Small edits of the sets in a vertex's data block that construction and
// gluing repeat: taking a handle out, putting another in its place, moving
// arcs to a new head, merging the lists of finished works. The sets are the
// core's; the network's phases call these on the sets of its store.

#include "core/Multitude.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace SetEdits {

// Key as stored in a set for a store handle.
inline std::int32_t Key(std::uint32_t Handle) {
    return static_cast<std::int32_t>(Handle);
}

// Removes the member with that key (compared by the set's own Compare).
void Remove(TMultitude& Set, std::int32_t Key);

void Replace(TMultitude& Set, std::int32_t Old, std::int32_t New);

std::vector<std::int32_t> Keys(const TMultitude& Set);

// Whether an arc of the set leads to that head.
bool HasValue(const TMultitude& Arcs, std::int32_t Value);

// Every arc whose head is Old gets the head New; the keys, and so the order,
// stay. False when no arc led to Old.
bool Retarget(TMultitude& Arcs, std::int32_t Old, std::int32_t New);

// Whether the two key-ordered sets share a member.
bool Intersects(const TMultitude& A, const TMultitude& B);

// Runs Edit on a list of finished works (Mul3) in key order, so that a work
// already present is found and keeps its mark, then puts the works that end
// at the event (mark 0) first again.
template <class TEdit> void EditFinished(TMultitude& Mul3, TEdit&& Edit) {
    Mul3.Compare = CompareKeys;
    Mul3.Sort();
    Edit(Mul3);
    Mul3.Compare = CompareValues;
    Mul3.Sort();
}

// Sorts stably by Less, cheaply when the list is in order already or is two
// ordered runs (a list of finished works in mark order, read by key).
template <class T, class TLess> void SortRuns(std::vector<T>& List, TLess Less) {
    auto Break = std::is_sorted_until(List.begin(), List.end(), Less);
    if (Break == List.end())
        return;
    if (std::is_sorted(Break, List.end(), Less))
        std::inplace_merge(List.begin(), Break, List.end(), Less);
    else
        std::stable_sort(List.begin(), List.end(), Less);
}

// A member of a list of finished works, without a nested set.
struct TFinishedWork {
    std::int32_t Key;
    std::int32_t Value;
    TReal Weight;
};

inline bool FinishedByKey(const TFinishedWork& A, const TFinishedWork& B) {
    return A.Key < B.Key;
}

// The one merge of lists of finished works (Mul3): adds the members of Added
// (in their order, the first of equal keys) whose keys Mul3 lacks, with the
// mark 1 and no duration when MarkAsEarlier, then orders by mark. It equals
// EditFinished with Unite (or with Add of mark 1), without inserting one
// member at a time, which is quadratic in the works that end at the final
// event. It runs the first of the two steps below that takes the list.
void MergeFinished(TMultitude& Mul3, const TMultitude& Added, bool MarkAsEarlier);

// The steps of MergeFinished, open for the tests that hold them equal.
//
// The fast step, for the usual list: marks 0 and 1 only, in mark order and
// within a mark in key order, no key twice, no nested sets; false (nothing
// done) for any other. Equals MergeFinishedBySorting on every list it takes:
// a merge at the final event adds a few works to a list of hundreds, so the
// list is walked, not copied and sorted, and rebuilt only when a work joins.
bool MergeIntoMarkedList(TMultitude& Mul3, const TMultitude& Added, bool MarkAsEarlier);
// The general step: both lists copied, ordered by key and merged, then
// ordered by mark; a list no build makes (a key twice, nested sets) goes
// through EditFinished itself.
void MergeFinishedBySorting(TMultitude& Mul3, const TMultitude& Added, bool MarkAsEarlier);

// Adds every work of Works not yet in Mul3 with the mark 1 (finished earlier).
void AddFinishedEarlier(TMultitude& Mul3, const TMultitude& Works);

} // namespace SetEdits
