#include "core/SetEdits.h"

#include <algorithm>

namespace SetEdits {

void Remove(TMultitude& Set, std::int32_t Key) {
    TMultitude One;
    One.AddKey(Key);
    Set.Subtract(One);
}

void Replace(TMultitude& Set, std::int32_t Old, std::int32_t New) {
    Remove(Set, Old);
    Set.AddKey(New);
}

std::vector<std::int32_t> Keys(const TMultitude& Set) {
    std::vector<std::int32_t> Result;
    Result.reserve(static_cast<std::size_t>(Set.Count()));
    for (const TMultitudeElement& m : Set)
        Result.push_back(m.Key);
    return Result;
}

bool HasValue(const TMultitude& Arcs, std::int32_t Value) {
    for (const TMultitudeElement& m : Arcs)
        if (m.Value == Value)
            return true;
    return false;
}

bool Retarget(TMultitude& Arcs, std::int32_t Old, std::int32_t New) {
    bool Found = false;
    for (TMultitudeElement& m : Arcs)
        if (m.Value == Old) {
            m.Value = New;
            Found = true;
        }
    return Found;
}

bool Intersects(const TMultitude& A, const TMultitude& B) {
    const TMultitude& Small = A.Count() <= B.Count() ? A : B;
    const TMultitude& Large = A.Count() <= B.Count() ? B : A;
    for (const TMultitudeElement& m : Small)
        if (Large.HasKey(m.Key))
            return true;
    return false;
}

namespace {

// The members of Added as they join a list, in Added's order: with the mark
// 1 (finished earlier) and no duration when MarkAsEarlier.
std::vector<TFinishedWork> JoiningWorks(const TMultitude& Added, bool MarkAsEarlier) {
    std::vector<TFinishedWork> Result;
    Result.reserve(static_cast<std::size_t>(Added.Count()));
    for (const TMultitudeElement& m : Added)
        Result.push_back(MarkAsEarlier ? TFinishedWork{m.Key, 1, 0}
                                       : TFinishedWork{m.Key, m.Value, m.Weight});
    return Result;
}

} // namespace

bool MergeIntoMarkedList(TMultitude& Mul3, const TMultitude& Added, bool MarkAsEarlier) {
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

void MergeFinishedBySorting(TMultitude& Mul3, const TMultitude& Added, bool MarkAsEarlier) {
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

void MergeFinished(TMultitude& Mul3, const TMultitude& Added, bool MarkAsEarlier) {
    if (!MergeIntoMarkedList(Mul3, Added, MarkAsEarlier))
        MergeFinishedBySorting(Mul3, Added, MarkAsEarlier);
}

void AddFinishedEarlier(TMultitude& Mul3, const TMultitude& Works) {
    MergeFinished(Mul3, Works, true);
}

} // namespace SetEdits
