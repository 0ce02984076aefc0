#pragma once
// Sorted, owning sets of numbered elements. Every collection of numbered
// things in the program is one of these: successor sets of graph rows, the
// works, predecessors and arcs of a network event, renumbering tables. An
// element may own a nested set, so a set can also serve as a set of sets.

#include "core/Real.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

class TMultitude;
class TMultitudeElement;

// Negative, zero or positive as the first element is smaller than, equal to or
// greater than the second.
using TCompareFunc = int (*)(const TMultitudeElement& First, const TMultitudeElement& Second);

int CompareKeys(const TMultitudeElement& First, const TMultitudeElement& Second);
int CompareValues(const TMultitudeElement& First, const TMultitudeElement& Second);
// Lexicographic over the nested sets; raises an internal fault when one of two
// different elements has no nested set.
int CompareSubset(const TMultitudeElement& First, const TMultitudeElement& Second);

class TMultitudeElement {
public:
    // The extended real first and the two numbers last: 32 bytes a member
    // instead of the 48 that padding makes of the order Key, Value, Weight.
    TReal Weight = 0;
    std::unique_ptr<TMultitude> Subset;
    std::int32_t Key = 0;
    std::int32_t Value = 0;

    TMultitudeElement() = default;
    explicit TMultitudeElement(std::int32_t AKey, std::int32_t AValue = 0, TReal AWeight = 0)
        : Weight(AWeight), Key(AKey), Value(AValue) {}
    TMultitudeElement(TMultitudeElement&&) noexcept;
    TMultitudeElement& operator=(TMultitudeElement&&) noexcept;
    ~TMultitudeElement();

    // A deep copy; a nested set comes back ordered by key (see TMultitude::Copy).
    TMultitudeElement Clone() const;
};

class TMultitude {
public:
    TCompareFunc Compare = CompareKeys;

    TMultitude() = default;
    TMultitude(const TMultitude&) = delete;
    TMultitude& operator=(const TMultitude&) = delete;

    int Count() const { return static_cast<int>(Items.size()); }
    bool Empty() const { return Items.empty(); }

    // The member at Index, not a copy. Raises an internal fault outside 0..Count-1.
    TMultitudeElement& GetElement(int Index);
    const TMultitudeElement& GetElement(int Index) const;
    TMultitudeElement& operator[](int Index) { return Items[static_cast<std::size_t>(Index)]; }
    const TMultitudeElement& operator[](int Index) const {
        return Items[static_cast<std::size_t>(Index)];
    }

    // Binary search with Compare, the searched element always first. On a miss
    // Index is the insertion position that keeps the order.
    bool Find(const TMultitudeElement& Element, int& Index) const;
    // Binary search on Key alone, ignoring Compare: position of the key, or
    // where it would be inserted; 0 for an empty set.
    int KeyPosition(std::int32_t Key) const;
    // Whether a member has this key; meaningful for sets ordered by key.
    bool HasKey(std::int32_t Key) const;

    // Inserts a clone unless a member compares equal; an equal member is never
    // replaced or updated.
    bool Add(const TMultitudeElement& Element);
    bool Add(TMultitudeElement&& Element);
    bool AddKey(std::int32_t Key);
    // AddKey for a set known to be ordered by key: a key above the last one is
    // appended without a search (where AddKey would put it too).
    bool AppendKey(std::int32_t Key);
    // Appends without a search: for a caller that builds a set in its Compare
    // order from members that are all different under it.
    void AppendInOrder(TMultitudeElement&& Element) { Items.push_back(std::move(Element)); }
    void Reserve(int Count) { Items.reserve(static_cast<std::size_t>(Count)); }
    // Takes Members as the whole set: for a caller that built them in its
    // Compare order, all different under it.
    void AssignInOrder(std::vector<TMultitudeElement>&& Members) { Items = std::move(Members); }
    // AddKey of every position whose cell is 1 or 3 (an entered dependency).
    void AddMarked(std::span<const std::int8_t> Row);

    void Sort();
    // Clones of all members in a new set ordered by key; of several members
    // with the same key only the first in this set's order is kept.
    std::unique_ptr<TMultitude> Copy() const;
    void Subtract(const TMultitude& Other);
    void Unite(const TMultitude& Other);
    std::unique_ptr<TMultitude> Intersection(const TMultitude& Other) const;

    void Delete(int Index);
    // Deletes every member whose key is in SortedKeys (ascending), keeping the
    // others in their order: for a set ordered by key, the same as deleting
    // them one by one.
    void DeleteKeys(std::span<const std::int32_t> SortedKeys);
    void Clear() { Items.clear(); }

    auto begin() const { return Items.begin(); }
    auto end() const { return Items.end(); }
    auto begin() { return Items.begin(); }
    auto end() { return Items.end(); }

private:
    std::vector<TMultitudeElement> Items;

    bool InsertSorted(TMultitudeElement&& Element);
};

// Defined here, where TMultitude is complete, so that moving and destroying
// members (millions of them in a large network) are inlined.
inline TMultitudeElement::TMultitudeElement(TMultitudeElement&&) noexcept = default;
inline TMultitudeElement& TMultitudeElement::operator=(TMultitudeElement&&) noexcept = default;
inline TMultitudeElement::~TMultitudeElement() = default;
