// Levels of the events and the level index, on hand-made networks and on
// networks built from work lists.

#include "NetworkTestSupport.h"

#include "messages/ErrorStrings.h"
#include "messages/InternalFault.h"
#include "network/Dump.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace NetworkTest;
using ::testing::ElementsAre;

namespace {

class TopSort : public ::testing::Test {
protected:
    std::unique_ptr<TWorkList> List = std::make_unique<TWorkList>();
    TCircuitEngine Engine{*List};
    THandNetwork Net{Engine};

    std::int32_t Level(THandle h) const { return DataOf(Engine, h).TopN; }
    THandleArray Members(std::int32_t k) const {
        THandle L = 0;
        if (!Engine.FindLevel(k, L))
            return {};
        return NodeOf(Engine, L).OutLinks;
    }
};

} // namespace

TEST_F(TopSort, EventsWithoutPredecessorsAllGetLevelOne) {
    const THandle a = Net.Event();
    const THandle b = Net.Event();
    const THandle c = Net.Event(TypePiA);
    Engine.TopSort();
    const THandle Levels = Engine.GethALL(TypeLevelsRoot);
    ASSERT_EQ(NodeOf(Engine, Levels).OutLinks.size(), 1u);
    EXPECT_EQ(NodeOf(Engine, Levels).RootFlag, 1);
    EXPECT_FALSE(NodeOf(Engine, Levels).Data);
    EXPECT_THAT(Members(1), ElementsAre(a, b, c));
    for (const THandle e : {a, b, c})
        EXPECT_EQ(Level(e), 1);
}

TEST_F(TopSort, AChainGetsOneLevelPerEvent) {
    std::vector<THandle> Chain{Net.Event(TypePiA)};
    for (int i = 1; i < 6; ++i) {
        Chain.push_back(Net.Event());
        Net.Real(Chain[i - 1], Chain[i], i, 1);
    }
    Engine.TopSort();
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(Level(Chain[i]), i + 1);
        EXPECT_THAT(Members(i + 1), ElementsAre(Chain[i]));
        EXPECT_THAT(Keys(*DataOf(Engine, Chain[i]).Mul4), ::testing::IsEmpty());
    }
    THandle L = 0;
    EXPECT_FALSE(Engine.FindLevel(7, L));
    // A level object knows its number and nothing else.
    ASSERT_TRUE(Engine.FindLevel(3, L));
    EXPECT_EQ(NodeOf(Engine, L).TypeID, TypeLevel);
    EXPECT_FALSE(DataOf(Engine, L).Mul1);
    EXPECT_THAT(NodeOf(Engine, L).InLinks, ElementsAre(Engine.GethALL(TypeLevelsRoot)));
}

TEST_F(TopSort, AnEventWaitsForTheNextScanWhenItsLastPredecessorIsNumbered) {
    // b comes after a in hAll's list but still gets the next level.
    const THandle a = Net.Event(TypePiA);
    const THandle b = Net.Event();
    const THandle c = Net.Event();
    Net.Real(a, b, 0, 1);
    Net.Real(b, c, 1, 1);
    Net.Real(a, c, 2, 1);
    Engine.TopSort();
    EXPECT_EQ(Level(a), 1);
    EXPECT_EQ(Level(b), 2);
    EXPECT_EQ(Level(c), 3);
}

TEST_F(TopSort, LevelObjectsStandInOrderOfFirstAppearance) {
    // The first event in hAll's list is at level 2.
    const THandle Late = Net.Event();
    const THandle Early = Net.Event(TypePiA);
    const THandle Other = Net.Event();
    Net.Real(Early, Late, 0, 1);
    Net.Real(Early, Other, 1, 1);
    Engine.TopSort();
    const THandleArray& LevelList = NodeOf(Engine, Engine.GethALL(TypeLevelsRoot)).OutLinks;
    ASSERT_EQ(LevelList.size(), 2u);
    EXPECT_EQ(DataOf(Engine, LevelList[0]).TopN, 2);
    EXPECT_EQ(DataOf(Engine, LevelList[1]).TopN, 1);
    EXPECT_THAT(Members(1), ElementsAre(Early));
    EXPECT_THAT(Members(2), ElementsAre(Late, Other));
}

TEST_F(TopSort, AContourAmongEventsIsAFault) {
    const THandle a = Net.Event(TypePiA);
    const THandle b = Net.Event();
    const THandle c = Net.Event();
    Net.Real(a, b, 0, 1);
    Net.Real(b, c, 1, 1);
    Net.Fictive(c, b);
    try {
        Engine.TopSort();
        FAIL() << "contour not found";
    } catch (const EInternalFault& Fault) {
        EXPECT_EQ(Fault.what(), Msg::TopSortFailed);
    }
    EXPECT_EQ(Level(a), 1);
    EXPECT_EQ(Level(b), 0);
    EXPECT_EQ(Level(c), 0);
    EXPECT_THROW(Engine.GethALL(TypeLevelsRoot), EInternalFault);
}

TEST_F(TopSort, BuildingTheLevelsAgainAddsNothing) {
    const THandle a = Net.Event(TypePiA);
    const THandle b = Net.Event();
    Net.Real(a, b, 0, 1);
    Engine.TopSort();
    const std::string Once = DumpStore(*Engine.Circuit);
    Engine.BuildLevels();
    EXPECT_EQ(DumpStore(*Engine.Circuit), Once);
}

TEST(TopSortOfABuiltNetwork, LevelsOfTheFourWorkExample) {
    // K after A and B, L after B only: start 4, x = 7, y = 8, end 9.
    auto List = MakeList({{1, 2, 3, 4}, {{}, {}, {0, 1}, {1}}});
    TCircuitEngine Engine(*List);
    Engine.GetCircuit();
    Engine.TopSort();
    EXPECT_EQ(DataOf(Engine, 4).TopN, 1);
    EXPECT_EQ(DataOf(Engine, 8).TopN, 2);
    EXPECT_EQ(DataOf(Engine, 7).TopN, 3);
    EXPECT_EQ(DataOf(Engine, 9).TopN, 4);
    // Construction issued handles up to 10; the level root comes next, then
    // one level object per level in order of first appearance (4, 7, 8, 9
    // have levels 1, 3, 2, 4).
    EXPECT_EQ(Engine.GethALL(TypeLevelsRoot), 11u);
    EXPECT_THAT(NodeOf(Engine, 11).OutLinks, ElementsAre(12u, 13u, 14u, 15u));
    EXPECT_EQ(DataOf(Engine, 13).TopN, 3);
    EXPECT_THAT(NodeOf(Engine, 13).OutLinks, ElementsAre(7u));
    for (const THandle e : Events(Engine))
        EXPECT_TRUE(DataOf(Engine, e).Mul4->Empty());
}
