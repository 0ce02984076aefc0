#include "CoreTestSupport.h"

#include "core/Multitude.h"
#include "messages/ErrorStrings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

using coretest::FaultText;
using coretest::Keys;
using coretest::KeySet;
using coretest::KeyValues;
using coretest::WithSubset;

namespace {

constexpr std::int32_t Min32 = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t Max32 = std::numeric_limits<std::int32_t>::max();

TMultitudeElement Member(std::int32_t Key, std::int32_t Value, TReal Weight = 0) {
    return TMultitudeElement(Key, Value, Weight);
}

int Sign(int r) {
    return (r > 0) - (r < 0);
}

} // namespace

// ---------------------------------------------------------------- comparisons

TEST(MultitudeCompare, KeysAndValuesCompareByTheirSignEvenAcrossTheWholeRange) {
    struct Case {
        std::int32_t A, B;
        int Expected;
    };
    // A wrapping 32-bit difference would give the wrong sign on the last rows.
    const Case Cases[] = {{1, 2, -1},         {2, 1, 1},         {7, 7, 0},      {-5, 3, -1},
                          {Min32, Max32, -1}, {Max32, Min32, 1}, {Max32, -1, 1}, {-2, Max32, -1},
                          {Min32, 1, -1},     {Min32, Min32, 0}};
    for (const Case& c : Cases) {
        EXPECT_EQ(Sign(CompareKeys(Member(c.A, 0), Member(c.B, 0))), c.Expected)
            << c.A << " vs " << c.B;
        EXPECT_EQ(Sign(CompareValues(Member(0, c.A), Member(0, c.B))), c.Expected)
            << c.A << " vs " << c.B;
        // Each function looks at its own field only.
        EXPECT_EQ(CompareKeys(Member(5, c.A), Member(5, c.B)), 0);
        EXPECT_EQ(CompareValues(Member(c.A, 5), Member(c.B, 5)), 0);
    }
}

TEST(MultitudeCompare, CompareSubsetIsLexicographicWithAPrefixFirst) {
    struct Case {
        std::initializer_list<std::int32_t> A, B;
        int Expected;
    };
    const Case Cases[] = {
        {{}, {}, 0},          {{}, {1}, -1},           {{1}, {}, 1},
        {{1, 2}, {1, 3}, -1}, {{1, 2}, {1, 2, 3}, -1}, {{1, 2, 3}, {1, 2}, 1},
        {{2}, {1, 5}, 1},     {{1, 5}, {1, 5}, 0},     {{Min32}, {Max32}, -1},
    };
    for (const Case& c : Cases) {
        const TMultitudeElement A = WithSubset(0, c.A);
        const TMultitudeElement B = WithSubset(0, c.B);
        EXPECT_EQ(Sign(CompareSubset(A, B)), c.Expected)
            << ::testing::PrintToString(Keys(*A.Subset)) << " vs "
            << ::testing::PrintToString(Keys(*B.Subset));
    }
}

TEST(MultitudeCompare, CompareSubsetAppliesTheFirstElementsNestedOrder) {
    TMultitudeElement A(0);
    A.Subset = std::make_unique<TMultitude>();
    A.Subset->Add(Member(1, 9));
    A.Subset->Compare = CompareValues;
    TMultitudeElement B(0);
    B.Subset = std::make_unique<TMultitude>();
    B.Subset->Add(Member(2, 3));
    // By values 9 > 3, by keys 1 < 2: the first element's function decides.
    EXPECT_GT(CompareSubset(A, B), 0);
    EXPECT_GT(CompareSubset(B, A), 0);
}

TEST(MultitudeCompare, CompareSubsetRecursesThroughNestedSetsOfSets) {
    auto Outer = [](std::initializer_list<std::int32_t> Inner1,
                    std::initializer_list<std::int32_t> Inner2) {
        TMultitudeElement E(0);
        E.Subset = std::make_unique<TMultitude>();
        E.Subset->Compare = CompareSubset;
        E.Subset->Add(WithSubset(1, Inner1));
        E.Subset->Add(WithSubset(2, Inner2));
        return E;
    };
    const TMultitudeElement A = Outer({1}, {4, 5});
    const TMultitudeElement B = Outer({1}, {4, 6});
    EXPECT_LT(CompareSubset(A, B), 0);
    EXPECT_GT(CompareSubset(B, A), 0);
    EXPECT_EQ(CompareSubset(A, Outer({1}, {4, 5})), 0);
}

TEST(MultitudeCompare, CompareSubsetFaultsOnlyForTwoDifferentElements) {
    const TMultitudeElement Bare(3);
    EXPECT_EQ(CompareSubset(Bare, Bare), 0);
    const TMultitudeElement Other = WithSubset(3, {1});
    EXPECT_EQ(FaultText([&] { CompareSubset(Bare, Other); }), Msg::NotASet);
    EXPECT_EQ(FaultText([&] { CompareSubset(Other, Bare); }), Msg::NotASet);
    EXPECT_EQ(FaultText([&] { CompareSubset(Bare, TMultitudeElement(3)); }), Msg::NotASet);
}

TEST(MultitudeCompare, AFaultingFindOrAddOnASetOfSetsChangesNothing) {
    TMultitude Set;
    Set.Compare = CompareSubset;
    ASSERT_TRUE(Set.Add(WithSubset(1, {1})));
    ASSERT_TRUE(Set.Add(WithSubset(2, {2})));
    int Index = -7;
    EXPECT_EQ(FaultText([&] { Set.Find(TMultitudeElement(9), Index); }), Msg::NotASet);
    EXPECT_EQ(FaultText([&] { Set.Add(TMultitudeElement(9)); }), Msg::NotASet);
    EXPECT_EQ(Keys(Set), (std::vector<std::int32_t>{1, 2}));
}

// ------------------------------------------------------- Find and KeyPosition

TEST(MultitudeSearch, EmptySetFindsNothingAtPositionZero) {
    TMultitude Empty;
    int Index = 42;
    EXPECT_FALSE(Empty.Find(TMultitudeElement(5), Index));
    EXPECT_EQ(Index, 0);
    EXPECT_EQ(Empty.KeyPosition(5), 0);
    EXPECT_FALSE(Empty.HasKey(5));
}

TEST(MultitudeSearch, HitsAndInsertionPositionsOnAKeyOrderedSet) {
    const auto Set = KeySet({2, 5, 9});
    struct Case {
        std::int32_t Key;
        int Position;
        bool Present;
    };
    const Case Cases[] = {{1, 0, false},     {2, 0, true},     {3, 1, false}, {5, 1, true},
                          {6, 2, false},     {8, 2, false},    {9, 2, true},  {10, 3, false},
                          {Min32, 0, false}, {Max32, 3, false}};
    for (const Case& c : Cases) {
        int Index = -1;
        EXPECT_EQ(Set->Find(TMultitudeElement(c.Key), Index), c.Present) << c.Key;
        EXPECT_EQ(Index, c.Position) << "Find " << c.Key;
        EXPECT_EQ(Set->KeyPosition(c.Key), c.Position) << "KeyPosition " << c.Key;
        EXPECT_EQ(Set->HasKey(c.Key), c.Present) << c.Key;
    }
}

TEST(MultitudeSearch, KeyPositionIgnoresTheSetsOwnOrder) {
    TMultitude Set;
    Set.Compare = CompareValues;
    Set.Add(Member(1, 30));
    Set.Add(Member(2, 10));
    Set.Add(Member(3, 20));
    ASSERT_EQ(Keys(Set), (std::vector<std::int32_t>{2, 3, 1}));
    int Index = -1;
    EXPECT_TRUE(Set.Find(Member(99, 20), Index));
    EXPECT_EQ(Index, 1);
    EXPECT_FALSE(Set.Find(Member(99, 15), Index));
    EXPECT_EQ(Index, 1);
    EXPECT_FALSE(Set.Find(Member(99, 35), Index));
    EXPECT_EQ(Index, 3);
}

TEST(MultitudeSearch, RandomSetsGiveTheLowerBoundOnEveryMiss) {
    std::mt19937 Random(20240501);
    for (int Round = 0; Round < 200; ++Round) {
        std::uniform_int_distribution<int> SizeOf(0, 40);
        std::uniform_int_distribution<std::int32_t> KeyOf(-60, 60);
        TMultitude Set;
        std::vector<std::int32_t> Model;
        const int n = SizeOf(Random);
        for (int i = 0; i < n; ++i) {
            const std::int32_t k = KeyOf(Random);
            const bool Fresh = std::find(Model.begin(), Model.end(), k) == Model.end();
            EXPECT_EQ(Set.AddKey(k), Fresh);
            if (Fresh)
                Model.insert(std::lower_bound(Model.begin(), Model.end(), k), k);
        }
        ASSERT_EQ(Keys(Set), Model);
        for (std::int32_t k = -62; k <= 62; ++k) {
            const int Expected =
                static_cast<int>(std::lower_bound(Model.begin(), Model.end(), k) - Model.begin());
            int Index = -1;
            Set.Find(TMultitudeElement(k), Index);
            ASSERT_EQ(Index, Expected) << "Find " << k << " in " << ::testing::PrintToString(Model);
            ASSERT_EQ(Set.KeyPosition(k), Expected)
                << "KeyPosition " << k << " in " << ::testing::PrintToString(Model);
        }
    }
}

// -------------------------------------------------------------------- adding

TEST(MultitudeAdd, AnEqualMemberIsNeverReplacedOrUpdated) {
    TMultitude Set;
    TMultitudeElement First = WithSubset(4, {1, 2});
    First.Value = 11;
    First.Weight = 2.5L;
    ASSERT_TRUE(Set.Add(First));

    TMultitudeElement Second = WithSubset(4, {7});
    Second.Value = 22;
    Second.Weight = 9.75L;
    EXPECT_FALSE(Set.Add(Second));
    EXPECT_FALSE(Set.Add(std::move(Second)));

    ASSERT_EQ(Set.Count(), 1);
    EXPECT_EQ(Set[0].Value, 11);
    EXPECT_EQ(Set[0].Weight, 2.5L);
    EXPECT_EQ(Keys(*Set[0].Subset), (std::vector<std::int32_t>{1, 2}));
}

TEST(MultitudeAdd, TheSetKeepsAClone) {
    TMultitude Set;
    TMultitudeElement Mine = WithSubset(1, {5});
    Mine.Weight = 1.25L;
    ASSERT_TRUE(Set.Add(Mine));
    Mine.Subset->AddKey(6);
    Mine.Value = 3;
    EXPECT_EQ(Keys(*Set[0].Subset), (std::vector<std::int32_t>{5}));
    EXPECT_EQ(Set[0].Value, 0);
    EXPECT_EQ(Set[0].Weight, 1.25L);
    EXPECT_NE(Set[0].Subset.get(), Mine.Subset.get());
}

// Both overloads store what a clone would be: a nested set comes back in key
// order with CompareKeys, and of equal keys only the first is kept.
TEST(MultitudeAdd, BothOverloadsStoreANestedSetInKeyOrder) {
    auto Build = [] {
        TMultitudeElement E(1);
        E.Subset = std::make_unique<TMultitude>();
        E.Subset->Compare = CompareValues;
        E.Subset->Add(Member(4, 1));
        E.Subset->Add(Member(1, 2));
        E.Subset->Add(Member(4, 3));
        return E;
    };
    TMultitude ByCopy;
    ByCopy.Add(Build());
    const TMultitudeElement Source = Build();
    TMultitude ByReference;
    ByReference.Add(Source);
    for (const TMultitude* Set : {&ByCopy, &ByReference}) {
        const TMultitude& Nested = *(*Set)[0].Subset;
        EXPECT_EQ(Nested.Compare, &CompareKeys);
        EXPECT_EQ(KeyValues(Nested),
                  (std::vector<std::pair<std::int32_t, std::int32_t>>{{1, 2}, {4, 1}}));
    }
}

TEST(MultitudeAdd, AddKeyTwiceAddsOnce) {
    TMultitude Set;
    EXPECT_TRUE(Set.AddKey(8));
    EXPECT_FALSE(Set.AddKey(8));
    ASSERT_EQ(Set.Count(), 1);
    EXPECT_EQ(Set[0].Value, 0);
    EXPECT_EQ(Set[0].Weight, 0);
    EXPECT_EQ(Set[0].Subset, nullptr);
}

TEST(MultitudeAdd, AddMarkedTakesTheEnteredCellsOnly) {
    const std::vector<std::int8_t> Row = {0, 1, 2, 3, -1, 1, 5, 4};
    TMultitude Set;
    Set.AddMarked(Row);
    EXPECT_EQ(Keys(Set), (std::vector<std::int32_t>{1, 3, 5}));
    TMultitude Empty;
    Empty.AddMarked({});
    EXPECT_TRUE(Empty.Empty());
}

TEST(MultitudeAdd, AddMarkedKeepsWhatTheSetHeld) {
    auto Set = KeySet({3, 10});
    (*Set)[0].Value = 7;
    const std::vector<std::int8_t> Row = {1, 0, 0, 3};
    Set->AddMarked(Row);
    EXPECT_EQ(Keys(*Set), (std::vector<std::int32_t>{0, 3, 10}));
    EXPECT_EQ((*Set)[1].Value, 7);
}

// ------------------------------------------------------------------ copying

TEST(MultitudeCopy, ASetOrderedByValuesComesBackByKeyKeepingTheFirstOfEqualKeys) {
    TMultitude Set;
    Set.Compare = CompareValues;
    Set.Add(Member(4, 1));
    Set.Add(Member(1, 2));
    Set.Add(Member(4, 3));
    ASSERT_EQ(Set.Count(), 3);
    const auto Copy = Set.Copy();
    EXPECT_EQ(Copy->Compare, &CompareKeys);
    EXPECT_EQ(KeyValues(*Copy),
              (std::vector<std::pair<std::int32_t, std::int32_t>>{{1, 2}, {4, 1}}));
}

// Renumbering changes keys in place and then copies; the copy must not trust
// the old order.
TEST(MultitudeCopy, KeysChangedInPlaceAreResortedByTheCopy) {
    auto Set = KeySet({1, 2, 3, 4});
    const std::int32_t NewKeys[] = {30, 10, 40, 10};
    for (int i = 0; i < 4; ++i) {
        (*Set)[i].Value = i;
        (*Set)[i].Key = NewKeys[i];
    }
    const auto Copy = Set->Copy();
    EXPECT_EQ(KeyValues(*Copy),
              (std::vector<std::pair<std::int32_t, std::int32_t>>{{10, 1}, {30, 0}, {40, 2}}));
}

TEST(MultitudeCopy, CopyIsDeepAndKeepsValuesAndWeights) {
    TMultitude Set;
    TMultitudeElement E = WithSubset(2, {8, 9});
    E.Value = -4;
    E.Weight = 0.1L;
    Set.Add(E);
    Set.AddKey(1);
    const auto Copy = Set.Copy();
    ASSERT_EQ(Keys(*Copy), (std::vector<std::int32_t>{1, 2}));
    EXPECT_EQ((*Copy)[1].Value, -4);
    EXPECT_EQ((*Copy)[1].Weight, 0.1L);
    EXPECT_EQ((*Copy)[0].Subset, nullptr);
    (*Copy)[1].Subset->AddKey(10);
    EXPECT_EQ(Keys(*Set[1].Subset), (std::vector<std::int32_t>{8, 9}));
}

TEST(MultitudeCopy, CloneBringsEveryNestingLevelBackToKeyOrder) {
    TMultitudeElement E(1);
    E.Subset = std::make_unique<TMultitude>();
    E.Subset->Compare = CompareValues;
    TMultitudeElement Inner(5, 1);
    Inner.Subset = std::make_unique<TMultitude>();
    Inner.Subset->Compare = CompareValues;
    Inner.Subset->Add(Member(9, 1));
    Inner.Subset->Add(Member(3, 2));
    E.Subset->Add(std::move(Inner));
    E.Subset->Add(Member(2, 2));

    const TMultitudeElement C = E.Clone();
    EXPECT_EQ(C.Subset->Compare, &CompareKeys);
    EXPECT_EQ(Keys(*C.Subset), (std::vector<std::int32_t>{2, 5}));
    const TMultitude& Nested = *(*C.Subset)[1].Subset;
    EXPECT_EQ(Nested.Compare, &CompareKeys);
    EXPECT_EQ(Keys(Nested), (std::vector<std::int32_t>{3, 9}));
}

// --------------------------------------------------- subtraction, union, cut

TEST(MultitudeSetAlgebra, SubtractRemovesWhatOtherHolds) {
    struct Case {
        std::initializer_list<std::int32_t> This, Other, Expected;
    };
    const Case Cases[] = {
        {{}, {1, 2}, {}},     {{1, 2}, {}, {1, 2}}, {{1, 2, 3, 4}, {2, 4, 6}, {1, 3}},
        {{1, 2}, {1, 2}, {}}, {{5}, {4}, {5}},
    };
    for (const Case& c : Cases) {
        auto This = KeySet(c.This);
        This->Subtract(*KeySet(c.Other));
        EXPECT_EQ(Keys(*This), std::vector<std::int32_t>(c.Expected))
            << ::testing::PrintToString(std::vector<std::int32_t>(c.This));
    }
}

TEST(MultitudeSetAlgebra, SubtractLooksMembersUpWithThisSetsOrder) {
    TMultitude ByValue;
    ByValue.Compare = CompareValues;
    ByValue.Add(Member(1, 10));
    ByValue.Add(Member(2, 20));
    TMultitude Other;
    Other.Add(Member(7, 20));
    ByValue.Subtract(Other);
    EXPECT_EQ(Keys(ByValue), (std::vector<std::int32_t>{1}));
}

TEST(MultitudeSetAlgebra, UniteAddsOnlyWhatIsMissingAndKeepsPresentMembers) {
    TMultitude Set;
    Set.Add(Member(2, 100));
    TMultitude Other;
    Other.Add(Member(1, 1));
    Other.Add(Member(2, 2));
    Other.Add(Member(3, 3));
    Set.Unite(Other);
    EXPECT_EQ(KeyValues(Set),
              (std::vector<std::pair<std::int32_t, std::int32_t>>{{1, 1}, {2, 100}, {3, 3}}));
    Set.Unite(TMultitude());
    EXPECT_EQ(Set.Count(), 3);
}

TEST(MultitudeSetAlgebra, IntersectionMergesTwoSortedSets) {
    struct Case {
        std::initializer_list<std::int32_t> This, Other, Expected;
    };
    const Case Cases[] = {
        {{}, {1, 2}, {}},
        {{1, 2}, {}, {}},
        {{1, 3, 5, 7}, {2, 3, 4, 7, 8}, {3, 7}},
        {{1, 2}, {3, 4}, {}},
        {{Min32, 0, Max32}, {Min32, Max32}, {Min32, Max32}},
    };
    for (const Case& c : Cases) {
        const auto Cut = KeySet(c.This)->Intersection(*KeySet(c.Other));
        EXPECT_EQ(Keys(*Cut), std::vector<std::int32_t>(c.Expected))
            << ::testing::PrintToString(std::vector<std::int32_t>(c.This));
        EXPECT_EQ(Cut->Compare, &CompareKeys);
    }
}

TEST(MultitudeSetAlgebra, IntersectionClonesThisSetsMembers) {
    TMultitude This;
    This.Add(Member(1, 10, 1.5L));
    This.Add(Member(2, 20));
    TMultitude Other;
    Other.Add(Member(1, 99, 7));
    const auto Cut = This.Intersection(Other);
    ASSERT_EQ(Cut->Count(), 1);
    EXPECT_EQ((*Cut)[0].Value, 10);
    EXPECT_EQ((*Cut)[0].Weight, 1.5L);
}

// Sets ordered by value meet by value; the result is still a key-ordered set.
TEST(MultitudeSetAlgebra, IntersectionWalksWithThisSetsComparison) {
    TMultitude This;
    This.Compare = CompareValues;
    This.Add(Member(9, 1));
    This.Add(Member(3, 2));
    This.Add(Member(5, 4));
    TMultitude Other;
    Other.Compare = CompareValues;
    Other.Add(Member(100, 2));
    Other.Add(Member(200, 4));
    const auto Cut = This.Intersection(Other);
    EXPECT_EQ(KeyValues(*Cut),
              (std::vector<std::pair<std::int32_t, std::int32_t>>{{3, 2}, {5, 4}}));
}

TEST(MultitudeSetAlgebra, RandomSetsAgreeWithStandardSetOperations) {
    std::mt19937 Random(77);
    std::uniform_int_distribution<std::int32_t> KeyOf(-30, 30);
    std::uniform_int_distribution<int> SizeOf(0, 25);
    auto RandomKeys = [&] {
        std::vector<std::int32_t> v(static_cast<std::size_t>(SizeOf(Random)));
        for (auto& k : v)
            k = KeyOf(Random);
        std::sort(v.begin(), v.end());
        v.erase(std::unique(v.begin(), v.end()), v.end());
        return v;
    };
    auto SetOf = [](const std::vector<std::int32_t>& v) {
        auto s = std::make_unique<TMultitude>();
        for (std::int32_t k : v)
            s->AddKey(k);
        return s;
    };
    for (int Round = 0; Round < 300; ++Round) {
        const auto a = RandomKeys();
        const auto b = RandomKeys();
        std::vector<std::int32_t> Diff, Union, Cut;
        std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(Diff));
        std::set_union(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(Union));
        std::set_intersection(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(Cut));
        auto s = SetOf(a);
        s->Subtract(*SetOf(b));
        ASSERT_EQ(Keys(*s), Diff);
        auto u = SetOf(a);
        u->Unite(*SetOf(b));
        ASSERT_EQ(Keys(*u), Union);
        ASSERT_EQ(Keys(*SetOf(a)->Intersection(*SetOf(b))), Cut);
    }
}

// ------------------------------------------------------------ order and range

TEST(MultitudeOrder, SortFollowsAReplacedComparison) {
    TMultitude Set;
    Set.Add(Member(1, 3));
    Set.Add(Member(2, 1));
    Set.Add(Member(3, 2));
    Set.Compare = CompareValues;
    Set.Sort();
    EXPECT_EQ(Keys(Set), (std::vector<std::int32_t>{2, 3, 1}));
    int Index = -1;
    EXPECT_TRUE(Set.Find(Member(0, 2), Index));
    EXPECT_EQ(Index, 1);
    Set.Compare = CompareKeys;
    Set.Sort();
    EXPECT_EQ(Keys(Set), (std::vector<std::int32_t>{1, 2, 3}));
}

TEST(MultitudeOrder, SetsOfSetsSortLexicographically) {
    TMultitude Rows;
    Rows.Add(WithSubset(1, {2, 3}));
    Rows.Add(WithSubset(2, {}));
    Rows.Add(WithSubset(3, {2}));
    Rows.Add(WithSubset(4, {1, 9}));
    Rows.Compare = CompareSubset;
    Rows.Sort();
    EXPECT_EQ(Keys(Rows), (std::vector<std::int32_t>{2, 4, 3, 1}));
}

TEST(MultitudeOrder, OutOfRangePositionsFaultAndChangeNothing) {
    auto Set = KeySet({1, 2});
    for (int Bad : {-1, 2, 100}) {
        EXPECT_NE(FaultText([&] { Set->GetElement(Bad); }), "<no fault>") << Bad;
        EXPECT_NE(FaultText([&] { Set->Delete(Bad); }), "<no fault>") << Bad;
    }
    EXPECT_EQ(Keys(*Set), (std::vector<std::int32_t>{1, 2}));
    EXPECT_EQ(Set->GetElement(1).Key, 2);
    Set->Delete(0);
    EXPECT_EQ(Keys(*Set), (std::vector<std::int32_t>{2}));
    Set->Clear();
    EXPECT_TRUE(Set->Empty());
}

TEST(MultitudeBatchEdits, AppendKeyAndDeleteKeysGiveWhatAddKeyAndDeleteGive) {
    auto Appended = KeySet({2, 5});
    auto Added = KeySet({2, 5});
    // Above the last key, below it, and a key already present.
    for (const std::int32_t k : {7, 3, 5, 9}) {
        EXPECT_EQ(Appended->AppendKey(k), Added->AddKey(k)) << k;
        EXPECT_EQ(Keys(*Appended), Keys(*Added)) << k;
    }
    const std::vector<std::int32_t> Gone{2, 4, 7, 9};
    Appended->DeleteKeys(Gone);
    EXPECT_EQ(Keys(*Appended), (std::vector<std::int32_t>{3, 5}));
    Appended->DeleteKeys({});
    EXPECT_EQ(Keys(*Appended), (std::vector<std::int32_t>{3, 5}));
}
