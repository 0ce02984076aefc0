// Chain nodes for long arcs, rows and their improvement by swaps, event
// numbers, and the grid geometry.

#include "NetworkTestSupport.h"

#include "network/SwapRule.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace NetworkTest;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

class Layout : public ::testing::Test {
protected:
    std::unique_ptr<TWorkList> List = std::make_unique<TWorkList>();
    TCircuitEngine Engine{*List};
    THandNetwork Net{Engine};

    void Analyse() {
        Engine.TopSort();
        Engine.FoundCriticalPath();
        Engine.SplitLongArcs();
    }
    const TLinkData& D(THandle h) const { return DataOf(Engine, h); }
    THandleArray Members(std::int32_t k) const {
        THandle L = 0;
        if (!Engine.FindLevel(k, L))
            return {};
        return NodeOf(Engine, L).OutLinks;
    }
    // s -> a -> b -> c -> d, levels 1 to 5.
    std::vector<THandle> Spine() {
        std::vector<THandle> E{Net.Event(TypePiA)};
        for (int i = 1; i < 5; ++i) {
            E.push_back(Net.Event());
            Net.Real(E[i - 1], E[i], i, 1);
        }
        return E;
    }
};

} // namespace

TEST_F(Layout, AMarkedRealArcOverThreeLevelsGetsTwoChainNodes) {
    const auto E = Spine();
    // From level 2 to level 5, longer than the spine: on the critical path.
    Net.Real(E[1], E[4], 9, 100);
    Analyse();
    const THandle First = NodeOf(Engine, E[1]).OutLinks.back();
    ASSERT_GT(First, E[4]);
    const THandle Second = NodeOf(Engine, First).OutLinks.at(0);
    for (const auto& [Chain, Level] : {std::pair{First, 3}, std::pair{Second, 4}}) {
        EXPECT_EQ(NodeOf(Engine, Chain).TypeID, TypeRealChain);
        EXPECT_EQ(D(Chain).TopN, Level);
        EXPECT_THAT(Keys(*D(Chain).CritOut), ElementsAre(0));
        EXPECT_FALSE(D(Chain).Mul1);
        EXPECT_FALSE(D(Chain).Arcs);
        // After the events of its level.
        EXPECT_EQ(Members(Level).back(), Chain);
    }
    EXPECT_THAT(NodeOf(Engine, Second).OutLinks, ElementsAre(E[4]));
    THandle L3 = 0;
    ASSERT_TRUE(Engine.FindLevel(3, L3));
    EXPECT_THAT(NodeOf(Engine, First).InLinks, ElementsAre(E[1], 1u, L3));
    // The direct link stays.
    EXPECT_THAT(NodeOf(Engine, E[1]).OutLinks, ElementsAre(E[2], E[4], First));
    // Every arc between neighbouring levels stays as it was.
    EXPECT_THAT(NodeOf(Engine, E[2]).OutLinks, ElementsAre(E[3]));
}

TEST_F(Layout, AnUnmarkedFictiveArcGetsFictiveChainNodesWithoutMark) {
    const auto E = Spine();
    Net.Fictive(E[1], E[4]);
    Analyse();
    const THandle First = NodeOf(Engine, E[1]).OutLinks.back();
    const THandle Second = NodeOf(Engine, First).OutLinks.at(0);
    for (const THandle Chain : {First, Second}) {
        EXPECT_EQ(NodeOf(Engine, Chain).TypeID, TypeFictiveChain);
        ASSERT_TRUE(D(Chain).CritOut);
        EXPECT_THAT(Keys(*D(Chain).CritOut), IsEmpty());
    }
    EXPECT_EQ(D(First).TopN, 3);
    EXPECT_EQ(D(Second).TopN, 4);
}

TEST_F(Layout, AnArcBetweenNeighbouringLevelsGetsNoChainNode) {
    Spine();
    const std::uint32_t Before = Engine.Circuit->Count();
    Engine.TopSort();
    const std::uint32_t Sorted = Engine.Circuit->Count();
    ASSERT_GT(Sorted, Before);
    Engine.FoundCriticalPath();
    Engine.SplitLongArcs();
    EXPECT_EQ(Engine.Circuit->Count(), Sorted);
}

TEST_F(Layout, RowsFollowTheLevelListAndALevelCountsItsMembers) {
    const THandle s = Net.Event(TypePiA);
    const THandle a = Net.Event();
    const THandle b = Net.Event();
    const THandle c = Net.Event();
    Net.Real(s, a, 0, 1);
    Net.Real(s, b, 1, 1);
    Net.Real(s, c, 2, 1);
    Analyse();
    Engine.InitRows();
    EXPECT_EQ(D(s).Y, 0);
    EXPECT_EQ(D(a).Y, 0);
    EXPECT_EQ(D(b).Y, 1);
    EXPECT_EQ(D(c).Y, 2);
    THandle L = 0;
    ASSERT_TRUE(Engine.FindLevel(2, L));
    EXPECT_EQ(D(L).Y, 3);
    ASSERT_TRUE(Engine.FindLevel(1, L));
    EXPECT_EQ(D(L).Y, 1);
}

TEST_F(Layout, ASwapUndoesACrossingButNotTheNumbers) {
    // s -> a, s -> b; a -> d, b -> c: with a above b and c above d the two
    // arcs into level 3 cross.
    const THandle s = Net.Event(TypePiA);
    const THandle a = Net.Event();
    const THandle b = Net.Event();
    const THandle c = Net.Event();
    const THandle d = Net.Event();
    Net.Real(s, a, 0, 1);
    Net.Real(s, b, 1, 1);
    Net.Real(a, d, 2, 1);
    Net.Real(b, c, 3, 1);
    Analyse();
    Engine.PlaceVertices();
    EXPECT_EQ(D(a).Y, 1);
    EXPECT_EQ(D(b).Y, 0);
    EXPECT_EQ(D(c).Y, 0);
    EXPECT_EQ(D(d).Y, 1);
    EXPECT_EQ(D(s).Number, 1);
    EXPECT_EQ(D(a).Number, 2);
    EXPECT_EQ(D(b).Number, 3);
    EXPECT_EQ(D(c).Number, 4);
    EXPECT_EQ(D(d).Number, 5);
}

TEST_F(Layout, MembersWithNothingToGainKeepTheirRows) {
    // Both members of level 2 hang between the same two events.
    const THandle s = Net.Event(TypePiA);
    const THandle a = Net.Event();
    const THandle b = Net.Event();
    const THandle e = Net.Event();
    Net.Real(s, a, 0, 1);
    Net.Real(s, b, 1, 1);
    Net.Real(a, e, 2, 1);
    Net.Real(b, e, 3, 1);
    Analyse();
    Engine.PlaceVertices();
    EXPECT_EQ(D(a).Y, 0);
    EXPECT_EQ(D(b).Y, 1);
    EXPECT_EQ(D(s).Y, 0);
    EXPECT_EQ(D(e).Y, 0);
}

TEST_F(Layout, ChainNodesGetRowsButNoNumber) {
    const auto E = Spine();
    Net.Real(E[0], E[2], 9, 1);
    Analyse();
    Engine.PlaceVertices();
    const THandle Chain = NodeOf(Engine, E[0]).OutLinks.back();
    EXPECT_EQ(D(Chain).Number, 0);
    EXPECT_EQ(D(Chain).TopN, 2);
    EXPECT_EQ(Members(2).size(), 2u);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(D(E[i]).Number, i + 1);
}

TEST_F(Layout, PassesGrowWithAQuarterOfTheLevels) {
    std::vector<THandle> Chain{Net.Event(TypePiA)};
    for (int i = 1; i < 8; ++i) {
        Chain.push_back(Net.Event());
        Net.Real(Chain[i - 1], Chain[i], i, 1);
    }
    Analyse();
    Engine.InitRows();
    EXPECT_EQ(Engine.ReduceCrossings(), 3);
}

TEST(LayoutPasses, OnePassUpToThreeLevelsTwoFromFour) {
    for (const auto& [Levels, Passes] :
         {std::pair{1, 1}, std::pair{2, 1}, std::pair{3, 1}, std::pair{4, 2}, std::pair{7, 2}}) {
        auto List = std::make_unique<TWorkList>();
        TCircuitEngine Engine(*List);
        THandNetwork Net(Engine);
        THandle Last = Net.Event(TypePiA);
        for (int i = 1; i < Levels; ++i) {
            const THandle Next = Net.Event();
            Net.Real(Last, Next, i, 1);
            Last = Next;
        }
        Engine.TopSort();
        Engine.InitRows();
        EXPECT_EQ(Engine.ReduceCrossings(), Passes) << Levels << " levels";
    }
}

TEST(LayoutPasses, AQuarterOfTheLevelsWithinTheBudgetOfPairsAndAtLeastEightBeyondIt) {
    // 3,000 project-like works: 842 levels, about 4.5e7 pairs a pass.
    std::vector<std::size_t> Levels(842, 231);
    ASSERT_LE(4.5e7 * 211, static_cast<double>(SwapBudget));
    EXPECT_EQ(SwapPasses(Levels), 211);
    // 10,000 works: 2,729 levels and 1.27e9 pairs a pass.
    Levels.assign(2729, 682);
    EXPECT_EQ(SwapPasses(Levels), static_cast<int>(SwapBudget / (2729ull * 682 * 682)));
    EXPECT_LT(SwapPasses(Levels), 2729 / 4 + 1);
    Levels.assign(12000, 4000);
    EXPECT_EQ(SwapPasses(Levels), MinSwapPasses);
    EXPECT_EQ(SwapPasses({}), 1);
}

TEST(LayoutGains, EachMeasureOfASwap) {
    const std::vector<int> Below{1};
    const std::vector<int> Above{0};
    // u in row 0 links row 1, v in row 1 links row 0: they cross.
    EXPECT_EQ(CrossingGain(0, 1, Below, Above), 1);
    EXPECT_EQ(CrossingGain(0, 1, Above, Below), -1);
    EXPECT_EQ(StraightGain(0, 1, Below, Above), 2);
    EXPECT_EQ(StraightGain(0, 1, Above, Below), -2);
    EXPECT_EQ(DistanceGain(0, 1, Below, Above), 2);
    EXPECT_EQ(DistanceGain(0, 1, Above, Below), -2);
    // A shared neighbour with itself counts for nothing.
    const std::vector<int> Shared{3};
    EXPECT_EQ(CrossingGain(0, 1, Shared, Shared), 0);
    EXPECT_EQ(StraightGain(0, 1, Shared, Shared), 0);
    EXPECT_EQ(DistanceGain(0, 1, Shared, Shared), 0);
    EXPECT_EQ(CrossingGain(0, 1, {}, Below), 0);
}

TEST(GridGeometry, CirclesOfTwentyPixelsSixtyApart) {
    EXPECT_EQ(TCircuitEngine::XCoord(2, CoordCentre), 120);
    EXPECT_EQ(TCircuitEngine::XCoord(1, CoordNear), 50);
    EXPECT_EQ(TCircuitEngine::XCoord(1, CoordFar), 70);
    EXPECT_EQ(TCircuitEngine::XCoord(1, CoordCentre), 60);
    EXPECT_EQ(TCircuitEngine::XCoord(4, 3), 0);
    EXPECT_EQ(TCircuitEngine::XCoord(4, -1), 0);
    EXPECT_EQ(TCircuitEngine::YCoord(0, CoordNear), 10);
    EXPECT_EQ(TCircuitEngine::YCoord(0, CoordFar), 30);
    EXPECT_EQ(TCircuitEngine::YCoord(0, CoordCentre), 20);
    EXPECT_EQ(TCircuitEngine::YCoord(3, CoordCentre), 200);
    EXPECT_EQ(TCircuitEngine::YCoord(3, 5), 10);
}
