// The fictive-arc reduction on hand-made networks: which fictive arcs are
// implied, what removing one changes, how gluing moves arcs and finished
// works, and the consistency checks.

#include "NetworkTestSupport.h"

#include "messages/ErrorStrings.h"
#include "messages/InternalFault.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace NetworkTest;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

using TPairs = std::vector<std::pair<std::int32_t, std::int32_t>>;

int PositionIn(const THandleArray& Links, THandle h) {
    for (std::size_t p = 0; p < Links.size(); ++p)
        if (Links[p] == h)
            return static_cast<int>(p);
    return -1;
}

// A list of finished works ordered by mark, as construction keeps it.
void SetFinished(TMultitude& Mul3, const TPairs& Works) {
    Mul3.Compare = CompareKeys;
    for (const auto& [Work, Mark] : Works)
        Mul3.Add(TMultitudeElement(Work, Mark));
    Mul3.Compare = CompareValues;
    Mul3.Sort();
}

template <class TFunc> std::string FaultText(TFunc&& Func) {
    try {
        Func();
    } catch (const EInternalFault& Fault) {
        return Fault.what();
    }
    return "no fault";
}

class FictiveArcs : public ::testing::Test {
protected:
    std::unique_ptr<TWorkList> List = std::make_unique<TWorkList>();
    TCircuitEngine Engine{*List};
    THandNetwork Net{Engine};
};

} // namespace

TEST_F(FictiveArcs, AnArcIsImpliedWhenAnotherPathLeadsToItsHead) {
    const THandle a = Net.Event(TypeW);
    const THandle p = Net.Event(TypePiA);
    const THandle w = Net.Event(TypeW);
    const THandle t = Net.Event(TypePiA);
    Net.Fictive(a, t);
    Net.Fictive(a, p);
    Net.Real(p, w, 0, 1);
    Net.Fictive(w, t);
    const THandleArray& Out = NodeOf(Engine, a).OutLinks;
    EXPECT_TRUE(Engine.ReachableOtherwise(a, t, PositionIn(Out, t)));
    EXPECT_FALSE(Engine.ReachableOtherwise(a, p, PositionIn(Out, p)));
    // Without a skipped position the direct link itself counts.
    EXPECT_TRUE(Engine.ReachableOtherwise(a, p, -1));
    EXPECT_FALSE(Engine.ReachableOtherwise(t, a, -1));
}

TEST_F(FictiveArcs, ExploringAChainOfDiamondsDoesNotFollowEveryPath) {
    // 60 diamonds in a row have 2^60 paths; each vertex is explored once.
    THandle Last = Net.Event(TypeW);
    const THandle First = Last;
    for (int i = 0; i < 60; ++i) {
        const THandle Up = Net.Event(TypePiA);
        const THandle Down = Net.Event(TypePiA);
        const THandle Join = Net.Event(TypeW);
        Net.Fictive(Last, Up);
        Net.Fictive(Last, Down);
        Net.Real(Up, Join, 2 * i, 1);
        Net.Real(Down, Join, 2 * i + 1, 1);
        Last = Join;
    }
    const THandle Elsewhere = Net.Event(TypePiA);
    EXPECT_FALSE(Engine.ReachableOtherwise(First, Elsewhere, -1));
    EXPECT_TRUE(Engine.ReachableOtherwise(First, Last, -1));
}

TEST_F(FictiveArcs, RemoveFictiveTakesTheArcOutOfEverySet) {
    const THandle a = Net.Event(TypeW);
    const THandle p = Net.Event(TypePiA);
    const THandle t = Net.Event(TypePiA);
    Net.Fictive(a, p);
    Net.Fictive(a, t);
    Engine.RemoveFictive(a, PositionIn(NodeOf(Engine, a).OutLinks, t));
    EXPECT_THAT(NodeOf(Engine, a).OutLinks, ElementsAre(p));
    EXPECT_THAT(Keys(*DataOf(Engine, a).FictOut), ElementsAre(static_cast<int>(p)));
    EXPECT_THAT(Keys(*DataOf(Engine, t).Mul4), IsEmpty());
    EXPECT_THAT(Keys(*DataOf(Engine, t).FictIn), IsEmpty());
    EXPECT_THAT(NodeOf(Engine, t).InLinks, ElementsAre(2u, 1u));
}

TEST_F(FictiveArcs, PruneRemovesOnlyImpliedArcs) {
    const THandle a = Net.Event(TypeW);
    const THandle p = Net.Event(TypePiA);
    const THandle w = Net.Event(TypeW);
    const THandle t = Net.Event(TypePiA);
    const THandle End = Net.Event(TypeW);
    Net.Fictive(a, t);
    Net.Fictive(a, p);
    Net.Real(p, w, 0, 1);
    Net.Fictive(w, t);
    Net.Real(t, End, 1, 1);
    Engine.PruneFictive();
    EXPECT_THAT(NodeOf(Engine, a).OutLinks, ElementsAre(p));
    EXPECT_THAT(Keys(*DataOf(Engine, t).FictIn), ElementsAre(static_cast<int>(w)));
}

TEST_F(FictiveArcs, AnEndEventAbsorbsAnEndEventThatIsItsOnlySuccessor) {
    const THandle Start = Net.Event(TypePiA);
    const THandle w = Net.Event(TypeW);
    const THandle b = Net.Event(TypeW);
    const THandle c = Net.Event(TypeW);
    const THandle g = Net.Event(TypeW);
    Net.Real(Start, w, 5, 1);
    Net.Real(Start, g, 2, 1);
    Net.Fictive(w, b);
    // g keeps a second successor, so that it does not absorb w in turn.
    Net.Real(g, c, 8, 1);
    Net.Fictive(g, b);
    Net.Real(b, c, 7, 3);
    SetFinished(*DataOf(Engine, w).Mul3, {{5, 0}, {1, 1}});
    SetFinished(*DataOf(Engine, b).Mul3, {{6, 0}, {1, 1}, {2, 1}});

    EXPECT_TRUE(Engine.GlueingOutFictive());
    EXPECT_EQ(Engine.Circuit->FindNodeOnHandle(b), -1);
    EXPECT_THAT(NodeOf(Engine, w).OutLinks, ElementsAre(c));
    EXPECT_EQ(Pairs(*DataOf(Engine, w).Arcs), (TPairs{{7, static_cast<int>(c)}}));
    EXPECT_EQ(Pairs(*DataOf(Engine, w).Mul3), (TPairs{{5, 0}, {6, 0}, {1, 1}, {2, 1}}));
    EXPECT_THAT(Keys(*DataOf(Engine, w).Mul4),
                ElementsAre(static_cast<int>(Start), static_cast<int>(g)));
    EXPECT_THAT(Keys(*DataOf(Engine, w).FictIn), ElementsAre(static_cast<int>(g)));
    EXPECT_THAT(Keys(*DataOf(Engine, w).FictOut), IsEmpty());
    EXPECT_THAT(Keys(*DataOf(Engine, c).Mul4),
                ElementsAre(static_cast<int>(w), static_cast<int>(g)));
    EXPECT_THAT(Keys(*DataOf(Engine, g).FictOut), ElementsAre(static_cast<int>(w)));
    EXPECT_THAT(NodeOf(Engine, g).OutLinks, ElementsAre(c, w));
    EXPECT_THAT(NodeOf(Engine, 3).OutLinks, ElementsAre(w, c, g));
}

TEST_F(FictiveArcs, AStartEventIsAbsorbedByItsOnlyFictivePredecessor) {
    const THandle Start = Net.Event(TypePiA);
    const THandle v = Net.Event(TypeW);
    const THandle p = Net.Event(TypePiA);
    const THandle End = Net.Event(TypeW);
    Net.Real(Start, v, 0, 1);
    Net.Fictive(v, p);
    Net.Real(p, End, 1, 2);
    DataOf(Engine, v).Mul3->AddKey(0);
    DataOf(Engine, p).Mul1->AddKey(0);
    DataOf(Engine, p).Mul1->AddKey(4);

    EXPECT_TRUE(Engine.GlueingInFictive());
    EXPECT_EQ(Engine.Circuit->FindNodeOnHandle(p), -1);
    EXPECT_THAT(NodeOf(Engine, 2).OutLinks, ElementsAre(Start));
    EXPECT_THAT(NodeOf(Engine, v).OutLinks, ElementsAre(End));
    EXPECT_EQ(Pairs(*DataOf(Engine, v).Arcs), (TPairs{{1, static_cast<int>(End)}}));
    EXPECT_EQ(Pairs(*DataOf(Engine, v).Mul3), (TPairs{{0, 0}, {4, 1}}));
    EXPECT_THAT(Keys(*DataOf(Engine, v).FictOut), IsEmpty());
    EXPECT_THAT(Keys(*DataOf(Engine, End).Mul4), ElementsAre(static_cast<int>(v)));
    EXPECT_FALSE(Engine.GlueingInFictive());
}

TEST_F(FictiveArcs, AStartEventWithAFictiveAndAnotherPredecessorIsAFault) {
    const THandle u = Net.Event(TypeW);
    const THandle v = Net.Event(TypeW);
    const THandle p = Net.Event(TypePiA);
    Net.Fictive(v, p);
    Net.Real(u, p, 0, 1);
    EXPECT_EQ(FaultText([&] { Engine.GlueingInFictive(); }), Msg::PiARealInArc);
}

TEST_F(FictiveArcs, AStartEventWithAFictiveSuccessorIsAFault) {
    const THandle v = Net.Event(TypeW);
    const THandle p = Net.Event(TypePiA);
    const THandle q = Net.Event(TypePiA);
    Net.Fictive(v, p);
    Net.Fictive(p, q);
    EXPECT_EQ(FaultText([&] { Engine.GlueingInFictive(); }), Msg::PiAFictiveOut);
}

TEST_F(FictiveArcs, ARealLinkWithoutItsArcIsAFaultWhileGluing) {
    const THandle w = Net.Event(TypeW);
    const THandle b = Net.Event(TypePiA);
    const THandle c = Net.Event(TypeW);
    Net.Fictive(w, b);
    Net.Real(b, c, 0, 1);
    DataOf(Engine, b).Arcs->Clear();
    EXPECT_EQ(FaultText([&] { Engine.GlueingOutFictive(); }), Msg::NoOutArcDuration);
}

TEST_F(FictiveArcs, ARealPredecessorLinkWithoutItsArcIsAFaultWhileGluing) {
    const THandle g = Net.Event(TypePiA);
    const THandle w = Net.Event(TypeW);
    const THandle b = Net.Event(TypeW);
    Net.Fictive(w, b);
    Net.Real(g, b, 0, 1);
    DataOf(Engine, g).Arcs->Clear();
    EXPECT_EQ(FaultText([&] { Engine.GlueingOutFictive(); }), Msg::NoInArcDuration);
}
