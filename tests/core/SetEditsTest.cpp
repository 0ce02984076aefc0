// Merging lists of finished works: the search-and-insert path for the usual
// list must give what sorting the union gives, and must step aside for every
// list it does not handle.

#include "core/SetEdits.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <tuple>
#include <vector>

namespace {

struct TSpec {
    std::int32_t Key;
    std::int32_t Value;
    int Weight;
    bool Nested = false;
};

void Fill(TMultitude& Set, const std::vector<TSpec>& Members, TCompareFunc Compare) {
    Set.Compare = Compare;
    for (const TSpec& m : Members) {
        TMultitudeElement Element(m.Key, m.Value, TReal(m.Weight));
        if (m.Nested) {
            Element.Subset = std::make_unique<TMultitude>();
            Element.Subset->AddKey(m.Key + 1);
        }
        Set.AppendInOrder(std::move(Element));
    }
}

std::vector<std::tuple<std::int32_t, std::int32_t, TReal, bool>>
Contents(const TMultitude& Set) {
    std::vector<std::tuple<std::int32_t, std::int32_t, TReal, bool>> Result;
    for (const TMultitudeElement& m : Set)
        Result.emplace_back(m.Key, m.Value, m.Weight, m.Subset != nullptr);
    return Result;
}

// A list of finished works as construction keeps it: the works ending at the
// event (mark 0) by key, then the ones finished earlier (mark 1) by key; now
// and then one of the irregularities that the search path must refuse.
std::vector<TSpec> RandomList(std::mt19937& Random, int Kind) {
    std::vector<TSpec> List;
    const int n = static_cast<int>(Random() % 12);
    for (int Mark = 0; Mark < 2; ++Mark) {
        std::int32_t Key = 0;
        for (int x = 0; x < n / 2 + Mark; ++x) {
            Key += 1 + static_cast<std::int32_t>(Random() % 4);
            List.push_back({Key, Mark, static_cast<int>(Random() % 5)});
        }
    }
    if (List.empty())
        return List;
    const std::size_t At = Random() % List.size();
    switch (Kind) {
    case 1: // the same key in both runs
        List.push_back({List[At].Key, 1, 0});
        break;
    case 2: // out of order
        std::swap(List.front(), List.back());
        break;
    case 3: // another mark
        List[At].Value = 2;
        break;
    case 4:
        List[At].Nested = true;
        break;
    default:
        break;
    }
    return List;
}

std::vector<TSpec> RandomAdded(std::mt19937& Random) {
    std::vector<TSpec> Added;
    const int n = static_cast<int>(Random() % 8);
    for (int x = 0; x < n; ++x) {
        // Keys repeat, within Added and with the list; marks mostly 0 and 1.
        const std::int32_t Mark = Random() % 10 == 0 ? 3 : static_cast<std::int32_t>(Random() % 2);
        Added.push_back({1 + static_cast<std::int32_t>(Random() % 30), Mark,
                         static_cast<int>(Random() % 7), Random() % 15 == 0});
    }
    return Added;
}

// Merges Added into List both ways, the walk (where it takes the list) and
// sorting; Handled tells whether the walk took it.
testing::AssertionResult MergesAlike(const std::vector<TSpec>& List,
                                     const std::vector<TSpec>& Added, bool MarkAsEarlier,
                                     bool& Handled) {
    TMultitude Fast;
    TMultitude Sorted;
    TMultitude Joining;
    Fill(Fast, List, CompareValues);
    Fill(Sorted, List, CompareValues);
    Fill(Joining, Added, CompareKeys);
    Handled = SetEdits::MergeIntoMarkedList(Fast, Joining, MarkAsEarlier);
    if (!Handled)
        SetEdits::MergeFinishedBySorting(Fast, Joining, MarkAsEarlier);
    SetEdits::MergeFinishedBySorting(Sorted, Joining, MarkAsEarlier);
    if (Contents(Fast) != Contents(Sorted))
        return testing::AssertionFailure() << "the merged lists differ";
    if (Fast.Compare != Sorted.Compare)
        return testing::AssertionFailure() << "the lists are left in different orders";
    return testing::AssertionSuccess();
}

TEST(FinishedWorks, MergingByInsertionEqualsMergingBySorting) {
    std::mt19937 Random(20261208);
    int Inserted = 0;
    for (int Case = 0; Case < 3000; ++Case) {
        const auto List = RandomList(Random, static_cast<int>(Random() % 8));
        const auto Added = RandomAdded(Random);
        const bool MarkAsEarlier = Random() % 2 == 0;
        bool Handled = false;
        ASSERT_TRUE(MergesAlike(List, Added, MarkAsEarlier, Handled)) << "case " << Case;
        Inserted += Handled;
    }
    // Both paths were taken often.
    EXPECT_GT(Inserted, 400);
    EXPECT_LT(Inserted, 2900);
}

// The lists merged at an event are mostly lists of finished works
// themselves, or sets of works in key order: the walk reads those in place.
TEST(FinishedWorks, MergingListsOfFinishedWorksEqualsMergingBySorting) {
    std::mt19937 Random(20261209);
    for (int Case = 0; Case < 3000; ++Case) {
        const auto List = RandomList(Random, static_cast<int>(Random() % 8));
        auto Added = RandomList(Random, static_cast<int>(Random() % 8));
        // Now and then one run only, in key order, with any marks.
        if (Random() % 4 == 0) {
            std::sort(Added.begin(), Added.end(),
                      [](const TSpec& A, const TSpec& B) { return A.Key < B.Key; });
            Added.erase(std::unique(Added.begin(), Added.end(),
                                    [](const TSpec& A, const TSpec& B) { return A.Key == B.Key; }),
                        Added.end());
        }
        const bool MarkAsEarlier = Random() % 2 == 0;
        bool Handled = false;
        ASSERT_TRUE(MergesAlike(List, Added, MarkAsEarlier, Handled)) << "case " << Case;
    }
}

TEST(FinishedWorks, AListTheSearchCannotReadIsLeftAsItWas) {
    // The same key in both runs: the sorting path decides what happens.
    const std::vector<TSpec> List = {{2, 0, 0}, {5, 0, 0}, {2, 1, 0}};
    TMultitude Set;
    TMultitude Added;
    Fill(Set, List, CompareValues);
    Fill(Added, {{7, 0, 1}}, CompareKeys);
    EXPECT_FALSE(SetEdits::MergeIntoMarkedList(Set, Added, true));
    TMultitude Before;
    Fill(Before, List, CompareValues);
    EXPECT_EQ(Contents(Set), Contents(Before));
}

} // namespace
