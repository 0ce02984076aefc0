// Path values and marks in both modes: chains, alternative routes, ties,
// parallel works, fictive arcs on the path, events the start cannot reach,
// and the tie tolerance.

#include "NetworkTestSupport.h"

#include "messages/ErrorStrings.h"
#include "messages/InternalFault.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>

using namespace NetworkTest;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

constexpr int Critical = -1;
constexpr int Shortest = +1;

// An engine that has built and sorted the list's network and run the path
// search in the given mode.
struct TAnalysed {
    std::unique_ptr<TWorkList> List;
    std::unique_ptr<TCircuitEngine> Engine;

    TAnalysed(const TScheme& Scheme, int PathSign)
        : List(MakeList(Scheme)), Engine(std::make_unique<TCircuitEngine>(*List)) {
        Engine->PathSign = PathSign;
        Engine->GetCircuit();
        Engine->TopSort();
        Engine->FoundCriticalPath();
    }
    const TLinkData& D(THandle h) const { return DataOf(*Engine, h); }
    THandle Tail(int k) const { return TailOfWork(*Engine, k); }
    THandle Head(int k) const { return HeadOfWork(*Engine, k); }
    bool Marked(int k) const {
        return D(Tail(k)).CritOut->HasKey(static_cast<std::int32_t>(Head(k)));
    }
    TReal Time(THandle h) const { return D(h).Duration; }
};

class PathModes : public ::testing::TestWithParam<int> {};

} // namespace

TEST(FoundCriticalPath, AChainOfTwoWorksInCriticalMode) {
    TAnalysed N({{3, 4}, {{}, {0}}}, Critical);
    EXPECT_EQ(N.Time(N.Tail(0)), 0);
    EXPECT_EQ(N.Time(N.Head(0)), -3);
    EXPECT_EQ(N.Time(N.Head(1)), -7);
    EXPECT_EQ(std::fabs(N.Time(N.Head(1))), 7);
    EXPECT_TRUE(N.Marked(0));
    EXPECT_TRUE(N.Marked(1));
    EXPECT_EQ(N.Engine->MaxWeight, 4);
}

// Two routes of two works each: A (2) then B (3), and C (4) then D (5).
TEST(FoundCriticalPath, TheShorterOfTwoRoutesInShortestMode) {
    TAnalysed N({{2, 3, 4, 5}, {{}, {0}, {}, {2}}}, Shortest);
    EXPECT_EQ(N.Head(1), N.Head(3));
    EXPECT_EQ(N.Time(N.Head(1)), 5);
    EXPECT_TRUE(N.Marked(0));
    EXPECT_TRUE(N.Marked(1));
    EXPECT_FALSE(N.Marked(2));
    EXPECT_FALSE(N.Marked(3));
    EXPECT_EQ(N.Time(N.Head(2)), 4);
}

TEST(FoundCriticalPath, TheLongerOfTwoRoutesInCriticalMode) {
    TAnalysed N({{2, 3, 4, 5}, {{}, {0}, {}, {2}}}, Critical);
    EXPECT_EQ(N.Time(N.Head(1)), -9);
    EXPECT_FALSE(N.Marked(0));
    EXPECT_FALSE(N.Marked(1));
    EXPECT_TRUE(N.Marked(2));
    EXPECT_TRUE(N.Marked(3));
}

TEST_P(PathModes, RoutesOfEqualLengthAreBothMarked) {
    // A (2) then B (3), C (1) then D (4).
    TAnalysed N({{2, 3, 1, 4}, {{}, {0}, {}, {2}}}, GetParam());
    EXPECT_EQ(std::fabs(N.Time(N.Head(1))), 5);
    for (int k = 0; k < 4; ++k)
        EXPECT_TRUE(N.Marked(k)) << k;
}

TEST_P(PathModes, ParallelWorksWeighAsTheLongestOfThem) {
    TAnalysed N({{2, 6}, {}}, GetParam());
    const THandle Start = N.Tail(0);
    const THandle End = N.Head(0);
    ASSERT_EQ(N.Head(1), End);
    EXPECT_EQ(N.Engine->GetWeigth(Start, End), GetParam() * 6);
    EXPECT_EQ(N.Time(End), GetParam() * 6);
    // Both works share the one marked link.
    EXPECT_TRUE(N.Marked(0));
    EXPECT_TRUE(N.Marked(1));
}

INSTANTIATE_TEST_SUITE_P(BothModes, PathModes, ::testing::Values(Critical, Shortest),
                         [](const auto& Info) {
                             return Info.param == Critical ? "Critical" : "Shortest";
                         });

TEST(FoundCriticalPath, AFictiveArcWeighsNothingAndIsMarkedOnThePath) {
    // K after A and B, L after B only: start 4, x = 7, y = 8, end 9, and the
    // fictive arc y -> x. The longest route is B, the fictive arc, K.
    const TScheme Scheme{{1, 5, 3, 1}, {{}, {}, {0, 1}, {1}}};
    TAnalysed C(Scheme, Critical);
    ASSERT_TRUE(C.D(8).FictOut->HasKey(7));
    EXPECT_EQ(C.Engine->GetWeigth(8, 7), 0);
    EXPECT_EQ(C.Time(9), -8);
    EXPECT_EQ(C.Time(7), -5);
    EXPECT_THAT(Keys(*C.D(4).CritOut), ElementsAre(8));
    EXPECT_THAT(Keys(*C.D(8).CritOut), ElementsAre(7));
    EXPECT_THAT(Keys(*C.D(7).CritOut), ElementsAre(9));

    TAnalysed S(Scheme, Shortest);
    EXPECT_EQ(S.Time(9), 4);
    EXPECT_EQ(S.Time(7), 1);
    EXPECT_THAT(Keys(*S.D(4).CritOut), ElementsAre(7));
    EXPECT_THAT(Keys(*S.D(8).CritOut), IsEmpty());
    EXPECT_THAT(Keys(*S.D(7).CritOut), ElementsAre(9));
}

TEST(FoundCriticalPath, TwentyWorksOfATenthMarkTheWholeChain) {
    TScheme Chain;
    for (int i = 0; i < 20; ++i) {
        Chain.Durations.push_back(0.1L);
        Chain.Deps.push_back(i ? std::vector<int>{i - 1} : std::vector<int>{});
    }
    TAnalysed N(Chain, Critical);
    EXPECT_NEAR(static_cast<double>(N.Time(N.Head(19))), -2.0, 1e-15);
    for (int k = 0; k < 20; ++k)
        EXPECT_TRUE(N.Marked(k)) << k;
}

namespace {

class HandPaths : public ::testing::Test {
protected:
    std::unique_ptr<TWorkList> List = std::make_unique<TWorkList>();
    TCircuitEngine Engine{*List};
    THandNetwork Net{Engine};

    void Run(int PathSign) {
        Engine.PathSign = PathSign;
        Engine.TopSort();
        Engine.FoundCriticalPath();
    }
    const TLinkData& D(THandle h) const { return DataOf(Engine, h); }
};

} // namespace

TEST_F(HandPaths, AnEventTheStartCannotReachStaysUnreachedAndUnmarked) {
    // s and u both lack predecessors; s is the start (first of level 1).
    const THandle s = Net.Event(TypePiA);
    const THandle u = Net.Event(TypePiA);
    const THandle v = Net.Event();
    const THandle e = Net.Event();
    Net.Real(u, v, 0, 1);
    Net.Real(s, e, 1, 10);
    Net.Real(v, e, 2, 1);
    Run(Critical);
    EXPECT_EQ(D(s).Duration, 0);
    EXPECT_EQ(D(u).Duration, RealInfinity);
    EXPECT_EQ(D(v).Duration, RealInfinity);
    EXPECT_EQ(D(e).Duration, -10);
    EXPECT_THAT(Keys(*D(s).CritOut), ElementsAre(static_cast<int>(e)));
    EXPECT_THAT(Keys(*D(u).CritOut), IsEmpty());
    EXPECT_THAT(Keys(*D(v).CritOut), IsEmpty());
}

namespace {

// s -> e directly (work 0), and s -> m -> e (works 1 and 2) longer by Excess.
struct TNearTie {
    THandle s, m, e;
};

TNearTie NearTie(THandNetwork& Net, TReal Scale, TReal Excess) {
    TNearTie T{Net.Event(TypePiA), Net.Event(), Net.Event()};
    Net.Real(T.s, T.e, 0, Scale);
    Net.Real(T.s, T.m, 1, Scale / 2);
    Net.Real(T.m, T.e, 2, Scale / 2 + Excess);
    return T;
}

} // namespace

TEST_F(HandPaths, ADifferenceBelowTheToleranceIsATie) {
    // 1e-17 is lost in double precision but not in the extended type.
    const TNearTie T = NearTie(Net, 1, 1e-17L);
    Run(Critical);
    EXPECT_LT(D(T.e).Duration, -1);
    EXPECT_TRUE(D(T.s).CritOut->HasKey(static_cast<std::int32_t>(T.e)));
    EXPECT_TRUE(D(T.s).CritOut->HasKey(static_cast<std::int32_t>(T.m)));
    EXPECT_TRUE(D(T.m).CritOut->HasKey(static_cast<std::int32_t>(T.e)));
}

TEST_F(HandPaths, ADifferenceAboveTheToleranceIsNoTie) {
    const TNearTie T = NearTie(Net, 1, 1e-13L);
    Run(Critical);
    EXPECT_FALSE(D(T.s).CritOut->HasKey(static_cast<std::int32_t>(T.e)));
    EXPECT_TRUE(D(T.s).CritOut->HasKey(static_cast<std::int32_t>(T.m)));
    EXPECT_TRUE(D(T.m).CritOut->HasKey(static_cast<std::int32_t>(T.e)));
}

TEST_F(HandPaths, TheToleranceIsRelativeToTheLargestWeight) {
    // 1e-13 on weights of 1000 is 1e-16 of the largest weight: a tie.
    const TNearTie T = NearTie(Net, 1000, 1e-13L);
    Run(Critical);
    EXPECT_EQ(Engine.MaxWeight, 1000);
    EXPECT_TRUE(D(T.s).CritOut->HasKey(static_cast<std::int32_t>(T.e)));
}

TEST_F(HandPaths, AChainOfEqualDiamondsIsMarkedWhole) {
    // 2^50 optimal routes; each event is walked once.
    THandle Last = Net.Event(TypePiA);
    std::vector<std::pair<THandle, THandle>> Arcs;
    int Work = 0;
    for (int i = 0; i < 50; ++i) {
        const THandle Up = Net.Event();
        const THandle Down = Net.Event();
        const THandle Join = Net.Event();
        for (const auto& [From, To] : {std::pair{Last, Up}, std::pair{Last, Down},
                                       std::pair{Up, Join}, std::pair{Down, Join}}) {
            Net.Real(From, To, Work++, 1);
            Arcs.emplace_back(From, To);
        }
        Last = Join;
    }
    Run(Critical);
    EXPECT_EQ(D(Last).Duration, -100);
    for (const auto& [From, To] : Arcs)
        EXPECT_TRUE(D(From).CritOut->HasKey(static_cast<std::int32_t>(To))) << From << "->" << To;
}

TEST_F(HandPaths, ALinkWithoutAWorkOrFictiveArcIsAFault) {
    const THandle s = Net.Event(TypePiA);
    const THandle e = Net.Event();
    Net.Real(s, e, 0, 1);
    DataOf(Engine, s).Arcs->Clear();
    try {
        Run(Critical);
        FAIL() << "no fault";
    } catch (const EInternalFault& Fault) {
        EXPECT_EQ(Fault.what(), Msg::NoArcWeight);
    }
}
