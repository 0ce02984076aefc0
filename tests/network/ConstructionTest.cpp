// Building the network from the work list: the vertices with their handles
// and sets at each stage, the merge of end events, and the finished networks
// after the fictive arcs have been reduced.

#include "NetworkTestSupport.h"

#include "core/Graph.h"
#include "messages/ErrorStrings.h"
#include "messages/InternalFault.h"
#include "network/Dump.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace NetworkTest;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

using TKeys = std::vector<std::int32_t>;
using TPairs = std::vector<std::pair<std::int32_t, std::int32_t>>;

constexpr int A = 0;
constexpr int B = 1;
constexpr int K = 2;
constexpr int L = 3;

// The stages of GetCircuit up to (and including) the merge of end events.
void BuildUntilMerge(TCircuitEngine& Engine, bool Merge) {
    auto Closure = Engine.PredecessorSets();
    ASSERT_TRUE(Closure);
    Engine.CreateRoots();
    Engine.CreatePiA(*Closure);
    Engine.WaCreate();
    Engine.CreateFictiveArcs();
    if (Merge)
        Engine.MergeEqualW();
}

THandleArray OutOf(const TCircuitEngine& Engine, THandle h) {
    return NodeOf(Engine, h).OutLinks;
}

// Arcs of an event as (work, head) pairs.
TPairs ArcsOf(const TCircuitEngine& Engine, THandle h) {
    return Pairs(*DataOf(Engine, h).Arcs);
}

} // namespace

TEST(GetCircuit, NoNetworkWithFewerThanTwoWorks) {
    for (const int n : {0, 1}) {
        auto List = MakeList({std::vector<TReal>(static_cast<std::size_t>(n), 1), {}});
        TCircuitEngine Engine(*List);
        Engine.GetCircuit();
        EXPECT_FALSE(Engine.Circuit) << n << " works";
        Engine.Analyse();
        EXPECT_FALSE(Engine.Circuit);
        try {
            Engine.GethALL(TypeAllRoot);
            FAIL() << "GethALL without a network";
        } catch (const EInternalFault& Fault) {
            EXPECT_EQ(Fault.what(), Msg::RootNotFound);
        }
    }
}

TEST(GetCircuit, ARebuildThrowsTheOldNetworkAway) {
    auto List = MakeList({{1, 2}, {{}, {A}}});
    TCircuitEngine Engine(*List);
    Engine.GetCircuit();
    ASSERT_TRUE(Engine.Circuit);
    List->Clear();
    TWorkData W{"only", 1, {}};
    List->AddWork(W, true);
    Engine.GetCircuit();
    EXPECT_FALSE(Engine.Circuit);
}

TEST(GetCircuit, RootsComeFirstAndAreFoundByKind) {
    auto List = MakeList({{1, 2}, {}});
    TCircuitEngine Engine(*List);
    Engine.GetCircuit();
    EXPECT_EQ(Engine.GethALL(TypeAllRoot), 1u);
    EXPECT_EQ(Engine.GethALL(TypePiARoot), 2u);
    EXPECT_EQ(Engine.GethALL(TypeWRoot), 3u);
    for (const THandle Root : {1u, 2u, 3u}) {
        EXPECT_EQ(NodeOf(Engine, Root).RootFlag, 1);
        EXPECT_FALSE(NodeOf(Engine, Root).Data);
    }
    try {
        Engine.GethALL(TypeLevelsRoot);
        FAIL() << "no level root before TopSort";
    } catch (const EInternalFault& Fault) {
        EXPECT_EQ(Fault.what(), Msg::RootNotFound);
    }
}

TEST(PredecessorSets, EqualSetsAreNeighboursAndTheEmptySetComesFirst) {
    // 0: {}, 1: {0}, 2: {}, 3: {0, 1}, 4: {0}
    auto List = MakeList({{1, 1, 1, 1, 1}, {{}, {0}, {}, {1}, {0}}});
    TCircuitEngine Engine(*List);
    const auto Closure = Engine.PredecessorSets();
    ASSERT_TRUE(Closure);
    std::vector<std::pair<int, TKeys>> Rows;
    for (const TMultitudeElement& Row : Closure->Rows)
        Rows.emplace_back(Row.Key, Keys(*Row.Subset));
    EXPECT_EQ(Rows, (std::vector<std::pair<int, TKeys>>{
                        {0, {}}, {2, {}}, {1, {0}}, {4, {0}}, {3, {0, 1}}}));
}

TEST(GetCircuit, TwoIndependentWorksBeforeAndAfterTheMerge) {
    auto List = MakeList({{1, 2.5}, {}});
    TCircuitEngine Engine(*List);
    BuildUntilMerge(Engine, false);
    EXPECT_THAT(OutOf(Engine, 2), ElementsAre(4u));
    EXPECT_THAT(OutOf(Engine, 3), ElementsAre(5u, 6u));
    EXPECT_THAT(Keys(*DataOf(Engine, 4).Mul1), IsEmpty());
    EXPECT_THAT(Keys(*DataOf(Engine, 4).Mul2), ElementsAre(A, B));
    EXPECT_EQ(ArcsOf(Engine, 4), (TPairs{{A, 5}, {B, 6}}));
    EXPECT_THAT(OutOf(Engine, 5), IsEmpty());
    EXPECT_THAT(OutOf(Engine, 6), IsEmpty());

    Engine.MergeEqualW();
    EXPECT_THAT(OutOf(Engine, 3), ElementsAre(5u));
    EXPECT_EQ(Engine.Circuit->FindNodeOnHandle(6), -1);
    EXPECT_THAT(Keys(*DataOf(Engine, 5).Mul1), ElementsAre(A, B));
    EXPECT_EQ(Pairs(*DataOf(Engine, 5).Mul3), (TPairs{{A, 0}, {B, 0}}));
    EXPECT_EQ(ArcsOf(Engine, 4), (TPairs{{A, 5}, {B, 5}}));
    EXPECT_THAT(OutOf(Engine, 4), ElementsAre(5u));
}

TEST(GetCircuit, TwoIndependentWorksAsAWholeStore) {
    auto List = MakeList({{1, 2.5}, {}});
    TCircuitEngine Engine(*List);
    Engine.GetCircuit();
    EXPECT_EQ(DumpStore(*Engine.Circuit), R"([0] handle 1 type 100 root
  out 4 5
  in
[1] handle 2 type 110 root
  out 4
  in
[2] handle 3 type 111 root
  out 5
  in
[3] handle 4 type 10
  out 5
  in 2 1
  Mul1 {}
  Mul2 {0 1}
  Mul3 -
  Mul4 {}
  FictIn {}
  FictOut {}
  CritOut {}
  Arcs {0>5@1 1>5@2.5}
  TopN 0 Y 0 Number 0 Duration 0
[4] handle 5 type 11
  out
  in 3 1 4
  Mul1 {0 1}
  Mul2 -
  Mul3 {0 1}
  Mul4 {4}
  FictIn {}
  FictOut {}
  CritOut {}
  Arcs {}
  TopN 0 Y 0 Number 0 Duration 0
)");
}

TEST(GetCircuit, ASecondWorkAfterTheFirstGetsItsOwnStartEvent) {
    auto List = MakeList({{1, 2}, {{}, {A}}});
    TCircuitEngine Engine(*List);
    BuildUntilMerge(Engine, true);
    // PiA vertices 4 ({}) and 5 ({A}); W vertices 6 (A) and 7 (B).
    EXPECT_THAT(OutOf(Engine, 2), ElementsAre(4u, 5u));
    EXPECT_THAT(OutOf(Engine, 3), ElementsAre(6u, 7u));
    EXPECT_THAT(Keys(*DataOf(Engine, 5).Mul1), ElementsAre(A));
    EXPECT_THAT(Keys(*DataOf(Engine, 5).Mul2), ElementsAre(B));
    EXPECT_EQ(ArcsOf(Engine, 4), (TPairs{{A, 6}}));
    EXPECT_EQ(ArcsOf(Engine, 5), (TPairs{{B, 7}}));
    // The one initial fictive arc, from the end of A to the start of B.
    EXPECT_THAT(OutOf(Engine, 6), ElementsAre(5u));
    EXPECT_THAT(Keys(*DataOf(Engine, 6).FictOut), ElementsAre(5));
    EXPECT_THAT(Keys(*DataOf(Engine, 5).FictIn), ElementsAre(6));
    EXPECT_THAT(Keys(*DataOf(Engine, 5).Mul4), ElementsAre(6));
    EXPECT_THAT(NodeOf(Engine, 5).InLinks, ElementsAre(2u, 1u, 6u));
    EXPECT_THAT(NodeOf(Engine, 7).InLinks, ElementsAre(3u, 1u, 5u));
}

TEST(GetCircuit, AnEndEventListsItsWorkFirstAndEveryPredecessorAsFinished) {
    // C after B after A, D after A.
    auto List = MakeList({{1, 1, 1, 1}, {{}, {0}, {1}, {0}}});
    TCircuitEngine Engine(*List);
    BuildUntilMerge(Engine, false);
    for (const THandle w : OutOf(Engine, 3)) {
        const TLinkData& D = DataOf(Engine, w);
        if (Keys(*D.Mul1) == TKeys{2}) {
            EXPECT_EQ(Pairs(*D.Mul3), (TPairs{{2, 0}, {0, 1}, {1, 1}}));
        }
        if (Keys(*D.Mul1) == TKeys{0}) {
            EXPECT_EQ(Pairs(*D.Mul3), (TPairs{{0, 0}}));
        }
    }
}

TEST(GetCircuit, WorksWithTheSameStartShareItsEvent) {
    // B and K after A only, nothing after either: they become parallel arcs.
    auto List = MakeList({{1, 2, 3}, {{}, {A}, {A}}});
    TCircuitEngine Engine(*List);
    BuildUntilMerge(Engine, true);
    THandle Start = 0;
    for (const THandle p : OutOf(Engine, 2))
        if (Keys(*DataOf(Engine, p).Mul1) == TKeys{A})
            Start = p;
    ASSERT_NE(Start, 0u);
    EXPECT_THAT(Keys(*DataOf(Engine, Start).Mul2), ElementsAre(1, 2));
    EXPECT_EQ(HeadOfWork(Engine, 1), HeadOfWork(Engine, 2));
}

TEST(GetCircuit, EndEventsStayApartWhenTheirSuccessorsDiffer) {
    // B and K after A, L after B only.
    auto List = MakeList({{1, 2, 3, 4}, {{}, {A}, {A}, {1}}});
    TCircuitEngine Engine(*List);
    Engine.GetCircuit();
    EXPECT_EQ(TailOfWork(Engine, 1), TailOfWork(Engine, 2));
    EXPECT_NE(HeadOfWork(Engine, 1), HeadOfWork(Engine, 2));
}

TEST(MergeEqualW, ArcsAndSuccessorsMoveToTheKeptVertex) {
    // C after A and B: the ends of A and B have the same successor.
    auto List = MakeList({{1, 2, 3}, {{}, {}, {A, B}}});
    TCircuitEngine Engine(*List);
    BuildUntilMerge(Engine, false);
    // PiA 4 ({}), 5 ({A, B}); W 6 (A), 7 (B), 8 (C).
    ASSERT_THAT(OutOf(Engine, 3), ElementsAre(6u, 7u, 8u));
    EXPECT_TRUE(Engine.SameSuccessors(0, 1));
    EXPECT_FALSE(Engine.SameSuccessors(0, 2));
    EXPECT_THAT(Keys(*DataOf(Engine, 5).Mul4), ElementsAre(6, 7));

    Engine.MergeEqualW();
    EXPECT_THAT(OutOf(Engine, 3), ElementsAre(6u, 8u));
    EXPECT_EQ(ArcsOf(Engine, 4), (TPairs{{A, 6}, {B, 6}}));
    EXPECT_THAT(OutOf(Engine, 4), ElementsAre(6u));
    EXPECT_THAT(Keys(*DataOf(Engine, 5).Mul4), ElementsAre(6));
    EXPECT_THAT(Keys(*DataOf(Engine, 5).FictIn), ElementsAre(6));
    EXPECT_THAT(NodeOf(Engine, 5).InLinks, ElementsAre(2u, 1u, 6u));
    EXPECT_THAT(Keys(*DataOf(Engine, 6).Mul1), ElementsAre(A, B));
    EXPECT_THAT(Keys(*DataOf(Engine, 6).FictOut), ElementsAre(5));
    EXPECT_EQ(Pairs(*DataOf(Engine, 6).Mul3), (TPairs{{A, 0}, {B, 0}}));
}

TEST(GetCircuit, AChainOfTwoWorksHasThreeEventsAndNoFictiveArc) {
    auto List = MakeList({{1, 2}, {{}, {A}}});
    TCircuitEngine Engine(*List);
    Engine.GetCircuit();
    // The end of A (6) has absorbed the start of B (5).
    EXPECT_THAT(OutOf(Engine, 1), ElementsAre(4u, 6u, 7u));
    EXPECT_THAT(OutOf(Engine, 2), ElementsAre(4u));
    EXPECT_THAT(OutOf(Engine, 3), ElementsAre(6u, 7u));
    EXPECT_EQ(ArcsOf(Engine, 4), (TPairs{{A, 6}}));
    EXPECT_EQ(ArcsOf(Engine, 6), (TPairs{{B, 7}}));
    for (const THandle e : {4u, 6u, 7u}) {
        EXPECT_THAT(Keys(*DataOf(Engine, e).FictOut), IsEmpty());
        EXPECT_THAT(Keys(*DataOf(Engine, e).FictIn), IsEmpty());
    }
    EXPECT_EQ(Pairs(*DataOf(Engine, 7).Mul3), (TPairs{{B, 0}, {A, 1}}));
    EXPECT_EQ(Pairs(*DataOf(Engine, 6).Mul3), (TPairs{{A, 0}}));
    EXPECT_THAT(Keys(*DataOf(Engine, 7).Mul4), ElementsAre(6));
}

TEST(GetCircuit, KAfterAAndBLAfterBOnly) {
    auto List = MakeList({{1, 2, 3, 4}, {{}, {}, {A, B}, {B}}});
    TCircuitEngine Engine(*List);
    Engine.GetCircuit();
    // Start 4; x = 7 (end of A, K leaves); y = 8 (end of B, L leaves); end 9.
    EXPECT_THAT(OutOf(Engine, 1), ElementsAre(4u, 7u, 8u, 9u));
    EXPECT_THAT(OutOf(Engine, 2), ElementsAre(4u));
    EXPECT_THAT(OutOf(Engine, 3), ElementsAre(7u, 8u, 9u));
    EXPECT_EQ(ArcsOf(Engine, 4), (TPairs{{A, 7}, {B, 8}}));
    EXPECT_EQ(ArcsOf(Engine, 7), (TPairs{{K, 9}}));
    EXPECT_EQ(ArcsOf(Engine, 8), (TPairs{{L, 9}}));
    EXPECT_THAT(Keys(*DataOf(Engine, 8).FictOut), ElementsAre(7));
    EXPECT_THAT(Keys(*DataOf(Engine, 7).FictIn), ElementsAre(8));
    EXPECT_THAT(Keys(*DataOf(Engine, 7).FictOut), IsEmpty());
    EXPECT_THAT(Keys(*DataOf(Engine, 7).Mul4), ElementsAre(4, 8));
    EXPECT_THAT(Keys(*DataOf(Engine, 8).Mul4), ElementsAre(4));
    EXPECT_THAT(Keys(*DataOf(Engine, 9).Mul4), ElementsAre(7, 8));
    EXPECT_EQ(Pairs(*DataOf(Engine, 7).Mul3), (TPairs{{A, 0}, {B, 1}}));
    EXPECT_EQ(Pairs(*DataOf(Engine, 8).Mul3), (TPairs{{B, 0}}));
    EXPECT_EQ(Pairs(*DataOf(Engine, 9).Mul3), (TPairs{{K, 0}, {L, 0}, {A, 1}, {B, 1}}));
    EXPECT_THAT(Keys(*DataOf(Engine, 9).Mul1), ElementsAre(K, L));
    EXPECT_THAT(OutOf(Engine, 8), ElementsAre(7u, 9u));
}

TEST(GetCircuit, KAfterALAfterAAndB) {
    auto List = MakeList({{1, 2, 3, 4}, {{}, {}, {A}, {A, B}}});
    TCircuitEngine Engine(*List);
    Engine.GetCircuit();
    // Start 4; x = 7 (end of A); y = 8 (end of B); end 9.
    EXPECT_THAT(OutOf(Engine, 1), ElementsAre(4u, 7u, 8u, 9u));
    EXPECT_EQ(ArcsOf(Engine, 4), (TPairs{{A, 7}, {B, 8}}));
    EXPECT_EQ(ArcsOf(Engine, 7), (TPairs{{K, 9}}));
    EXPECT_EQ(ArcsOf(Engine, 8), (TPairs{{L, 9}}));
    EXPECT_THAT(Keys(*DataOf(Engine, 7).FictOut), ElementsAre(8));
    EXPECT_THAT(Keys(*DataOf(Engine, 8).FictIn), ElementsAre(7));
    EXPECT_THAT(Keys(*DataOf(Engine, 8).Mul4), ElementsAre(4, 7));
    EXPECT_EQ(Pairs(*DataOf(Engine, 8).Mul3), (TPairs{{B, 0}, {A, 1}}));
    EXPECT_THAT(OutOf(Engine, 7), ElementsAre(8u, 9u));
}

TEST(GetCircuit, BAndKBetweenAAndLAreParallelArcsOfAChain) {
    auto List = MakeList({{1, 2, 3, 4}, {{}, {A}, {A}, {1, 2}}});
    TCircuitEngine Engine(*List);
    Engine.GetCircuit();
    EXPECT_THAT(OutOf(Engine, 1), ElementsAre(4u, 7u, 8u, 10u));
    EXPECT_EQ(ArcsOf(Engine, 4), (TPairs{{A, 7}}));
    EXPECT_EQ(ArcsOf(Engine, 7), (TPairs{{B, 8}, {K, 8}}));
    EXPECT_EQ(ArcsOf(Engine, 8), (TPairs{{L, 10}}));
    for (const THandle e : Events(Engine))
        EXPECT_THAT(Keys(*DataOf(Engine, e).FictOut), IsEmpty()) << e;
    EXPECT_EQ(Pairs(*DataOf(Engine, 8).Mul3), (TPairs{{B, 0}, {K, 0}, {A, 1}}));
}

TEST(GetCircuit, TwoBuildsGiveTheSameStore) {
    std::mt19937 Random(11);
    for (int s = 0; s < 20; ++s) {
        const TScheme Scheme = RandomScheme(Random, 25, 0.2);
        auto List = MakeList(Scheme);
        TCircuitEngine First(*List);
        TCircuitEngine Second(*List);
        First.GetCircuit();
        Second.GetCircuit();
        ASSERT_EQ(DumpStore(*First.Circuit), DumpStore(*Second.Circuit)) << Describe(Scheme);
        First.Analyse();
        Second.Analyse();
        ASSERT_EQ(DumpStore(*First.Circuit), DumpStore(*Second.Circuit)) << Describe(Scheme);
        // Building again on the same engine starts the handles from 1 again.
        const std::string Before = DumpStore(*First.Circuit);
        First.GetCircuit();
        First.Analyse();
        ASSERT_EQ(DumpStore(*First.Circuit), Before);
    }
}

TEST(GetCircuit, AContourBuildsNoNetwork) {
    auto List = MakeList({{1, 2, 3}, {{}, {A}, {}}});
    TCircuitEngine Engine(*List);
    Engine.GetCircuit();
    ASSERT_TRUE(Engine.Circuit);
    // Only a damaged file brings a contour: A and B depending on each other.
    List->GetWork(A).Links[B] = LinkDirect;
    List->GetWork(B).Links[A] = LinkDirect;
    List->Changed(0, ckScheme);
    ASSERT_TRUE(List->HasContour);
    Engine.GetCircuit();
    EXPECT_FALSE(Engine.Circuit);
    Engine.Analyse();
    EXPECT_FALSE(Engine.Circuit);
}

TEST(GetCircuit, AFaultInTheMiddleOfABuildLeavesNoNetwork) {
    auto List = MakeList({{1, 2}, {{}, {A}}});
    // A graph row for a work the list does not have: the build fails while
    // it looks up that work's duration.
    List->Graph.AddRow(7);
    TCircuitEngine Engine(*List);
    EXPECT_THROW(Engine.GetCircuit(), EInternalFault);
    EXPECT_FALSE(Engine.Circuit);
}
