#pragma once
// Small edits of the sets in a vertex's data block that construction and
// gluing repeat: taking a handle out, putting another in its place, moving
// arcs to a new head, merging the lists of finished works.

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
inline void Remove(TMultitude& Set, std::int32_t Key) {
    TMultitude One;
    One.AddKey(Key);
    Set.Subtract(One);
}

inline void Replace(TMultitude& Set, std::int32_t Old, std::int32_t New) {
    Remove(Set, Old);
    Set.AddKey(New);
}

inline std::vector<std::int32_t> Keys(const TMultitude& Set) {
    std::vector<std::int32_t> Result;
    Result.reserve(static_cast<std::size_t>(Set.Count()));
    for (const TMultitudeElement& m : Set)
        Result.push_back(m.Key);
    return Result;
}

// Whether an arc of the set leads to that head.
inline bool HasValue(const TMultitude& Arcs, std::int32_t Value) {
    for (const TMultitudeElement& m : Arcs)
        if (m.Value == Value)
            return true;
    return false;
}

// Every arc whose head is Old gets the head New; the keys, and so the order,
// stay. False when no arc led to Old.
inline bool Retarget(TMultitude& Arcs, std::int32_t Old, std::int32_t New) {
    bool Found = false;
    for (TMultitudeElement& m : Arcs)
        if (m.Value == Old) {
            m.Value = New;
            Found = true;
        }
    return Found;
}

// Whether the two key-ordered sets share a member.
inline bool Intersects(const TMultitude& A, const TMultitude& B) {
    const TMultitude& Small = A.Count() <= B.Count() ? A : B;
    const TMultitude& Large = A.Count() <= B.Count() ? B : A;
    for (const TMultitudeElement& m : Small)
        if (Large.HasKey(m.Key))
            return true;
    return false;
}

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

// The members of Added as they join a list, in Added's order: with the mark
// 1 (finished earlier) and no duration when MarkAsEarlier.
inline std::vector<TFinishedWork> JoiningWorks(const TMultitude& Added, bool MarkAsEarlier) {
    std::vector<TFinishedWork> Result;
    Result.reserve(static_cast<std::size_t>(Added.Count()));
    for (const TMultitudeElement& m : Added)
        Result.push_back(MarkAsEarlier ? TFinishedWork{m.Key, 1, 0}
                                       : TFinishedWork{m.Key, m.Value, m.Weight});
    return Result;
}

// MergeFinished for the usual list: marks 0 and 1 only, in mark order and
// within a mark in key order, no key twice, no nested sets; false (nothing
// done) for any other. A merge at the final event adds a few works to a list
// of hundreds, so the list is walked, not copied and sorted; it is rebuilt
// only when a work joins it.
inline bool MergeIntoMarkedList(TMultitude& Mul3, const TMultitude& Added, bool MarkAsEarlier) {
    const int n = Mul3.Count();
    int Split = 0;
    while (Split < n && Mul3[Split].Value == 0)
        ++Split;
    for (int x = 0; x < n; ++x) {
        const TMultitudeElement& m = Mul3[x];
        if (m.Subset || m.Value != (x < Split ? 0 : 1) ||
            (x != 0 && x != Split && Mul3[x - 1].Key >= m.Key))
            return false;
    }
    // The two runs share no key.
    for (int x = 0, y = Split; x < Split && y < n;) {
        if (Mul3[x].Key == Mul3[y].Key)
            return false;
        Mul3[x].Key < Mul3[y].Key ? ++x : ++y;
    }
    if (!MarkAsEarlier)
        for (const TMultitudeElement& m : Added)
            if (m.Subset || (m.Value != 0 && m.Value != 1))
                return false;
    std::vector<TFinishedWork> Joining = JoiningWorks(Added, MarkAsEarlier);
    // Of equal keys the first in Added's order counts, whatever its mark.
    SortRuns(Joining, FinishedByKey);
    Joining.erase(std::unique(Joining.begin(), Joining.end(),
                              [](const TFinishedWork& A, const TFinishedWork& B) {
                                  return A.Key == B.Key;
                              }),
                  Joining.end());
    Mul3.Compare = CompareValues;
    // Run by run: the joining works of its mark go in among its members by
    // key, unless one of the two runs holds the key already.
    std::vector<TMultitudeElement> Merged;
    bool Joined = false;
    for (int Mark = 0; Mark < 2; ++Mark) {
        const int Begin = Mark == 0 ? 0 : Split;
        const int End = Mark == 0 ? Split : n;
        const int OtherBegin = Mark == 0 ? Split : 0;
        const int OtherEnd = Mark == 0 ? n : Split;
        int x = Begin;
        int y = OtherBegin;
        for (const TFinishedWork& m : Joining) {
            if (m.Value != Mark)
                continue;
            while (x < End && Mul3[x].Key < m.Key) {
                if (Joined)
                    Merged.emplace_back(Mul3[x].Key, Mul3[x].Value, Mul3[x].Weight);
                ++x;
            }
            while (y < OtherEnd && Mul3[y].Key < m.Key)
                ++y;
            if ((x < End && Mul3[x].Key == m.Key) || (y < OtherEnd && Mul3[y].Key == m.Key))
                continue;
            if (!Joined) {
                // The first work that joins: what came before it is copied.
                Joined = true;
                Merged.reserve(static_cast<std::size_t>(n) + Joining.size());
                for (int z = 0; z < x; ++z)
                    Merged.emplace_back(Mul3[z].Key, Mul3[z].Value, Mul3[z].Weight);
            }
            Merged.emplace_back(m.Key, m.Value, m.Weight);
        }
        if (Joined)
            for (; x < End; ++x)
                Merged.emplace_back(Mul3[x].Key, Mul3[x].Value, Mul3[x].Weight);
    }
    if (Joined)
        Mul3.AssignInOrder(std::move(Merged));
    return true;
}

// MergeFinished for any list: both lists copied, ordered by key and merged,
// then ordered by mark; EditFinished itself for a list with a key twice or
// nested sets.
inline void MergeFinishedBySorting(TMultitude& Mul3, const TMultitude& Added,
                                   bool MarkAsEarlier) {
    std::vector<TFinishedWork> Own;
    Own.reserve(static_cast<std::size_t>(Mul3.Count()));
    for (const TMultitudeElement& m : Mul3) {
        if (m.Subset)
            break;
        Own.push_back({m.Key, m.Value, m.Weight});
    }
    std::vector<TFinishedWork> New = JoiningWorks(Added, MarkAsEarlier);
    SortRuns(Own, FinishedByKey);
    SortRuns(New, FinishedByKey);
    bool Plain = Own.size() == static_cast<std::size_t>(Mul3.Count());
    for (std::size_t i = 1; Plain && i < Own.size(); ++i)
        Plain = Own[i - 1].Key < Own[i].Key;
    if (Plain && !MarkAsEarlier)
        for (const TMultitudeElement& m : Added)
            if (m.Subset)
                Plain = false;
    if (!Plain) {
        if (MarkAsEarlier)
            EditFinished(Mul3, [&Added](TMultitude& Set) {
                for (const TMultitudeElement& m : Added)
                    Set.Add(TMultitudeElement(m.Key, 1));
            });
        else
            EditFinished(Mul3, [&Added](TMultitude& Set) { Set.Unite(Added); });
        return;
    }
    std::vector<TFinishedWork> Union;
    Union.reserve(Own.size() + New.size());
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < Own.size() || j < New.size()) {
        if (j == New.size() || (i < Own.size() && Own[i].Key <= New[j].Key)) {
            if (j < New.size() && Own[i].Key == New[j].Key)
                ++j;
            else
                Union.push_back(Own[i++]);
        } else {
            if (Union.empty() || Union.back().Key != New[j].Key)
                Union.push_back(New[j]);
            ++j;
        }
    }
    // Sorting by mark is stable, so members of one mark stay in key order;
    // with the marks 0 and 1 alone that is a stable partition.
    if (std::all_of(Union.begin(), Union.end(),
                    [](const TFinishedWork& m) { return m.Value == 0 || m.Value == 1; }))
        std::stable_partition(Union.begin(), Union.end(),
                              [](const TFinishedWork& m) { return m.Value == 0; });
    else
        std::stable_sort(Union.begin(), Union.end(),
                         [](const TFinishedWork& A, const TFinishedWork& B) { return A.Value < B.Value; });
    Mul3.Clear();
    Mul3.Compare = CompareValues;
    Mul3.Reserve(static_cast<int>(Union.size()));
    for (const TFinishedWork& m : Union)
        Mul3.AppendInOrder(TMultitudeElement(m.Key, m.Value, m.Weight));
}

// Adds the members of Added (in their order, the first of equal keys) whose
// keys Mul3 lacks, then orders by mark: the same set and order as
// EditFinished with Unite, without inserting one member at a time, which is
// quadratic in the works that end at the final event.
inline void MergeFinished(TMultitude& Mul3, const TMultitude& Added, bool MarkAsEarlier) {
    if (!MergeIntoMarkedList(Mul3, Added, MarkAsEarlier))
        MergeFinishedBySorting(Mul3, Added, MarkAsEarlier);
}

// Adds every work of Works not yet in Mul3 with the mark 1 (finished earlier).
inline void AddFinishedEarlier(TMultitude& Mul3, const TMultitude& Works) {
    MergeFinished(Mul3, Works, true);
}

} // namespace SetEdits
