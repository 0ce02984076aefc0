// The work list: how rows grow, what every change kind announces and in which
// order, and when the scheme counts as modified.

#include "Recorder.h"

#include "messages/InternalFault.h"
#include "model/WorkList.h"

#include <gtest/gtest.h>

namespace {

using Row = TABs;

TWorkData Work(const std::string& Name, TReal Duration = 1) {
    return TWorkData{Name, Duration, {}};
}

TEST(WorkList, StartsEmptyAndUnmodified) {
    TWorkList List;
    EXPECT_EQ(List.Count(), 0);
    EXPECT_FALSE(List.Updating);
    EXPECT_FALSE(List.Modified);
    EXPECT_EQ(List.Graph.Rows.Count(), 0);
}

TEST(WorkList, FirstWorkGetsOneForbiddenCellAndAnnouncesAddAtZero) {
    TWorkList List;
    TRecorder Rec;
    Rec.Attach(List);
    List.AddWork(Work("А"), true);
    EXPECT_EQ(List.GetWork(0).Links, (Row{-1}));
    EXPECT_EQ(Rec.Events, (std::vector<std::string>{TRecorder::Call("L", 0, ckAdd, 1, true)}));
    EXPECT_EQ(ckAdd, 1073741829);
}

TEST(WorkList, ThirdWorkLengthensEarlierRowsWithAFreeCell) {
    TWorkList List;
    List.AddWork(Work("X"), true);
    List.AddWork(Work("Y"), true);
    List.GetWork(1).Links[0] = LinkDirect; // Y depends on X
    List.Changed(1, ckScheme);
    List.AddWork(Work("Z"), true);
    EXPECT_EQ(List.GetWork(0).Links, (Row{-1, -1, 0}));
    EXPECT_EQ(List.GetWork(1).Links, (Row{1, -1, 0}));
    EXPECT_EQ(List.GetWork(2).Links, (Row{0, 0, -1}));
}

TEST(WorkList, FreshCellsIgnoreTheCellsOfTheValue) {
    TWorkList List;
    List.AddWork(Work("X"), true);
    TWorkData W = Work("Y", 2.5L);
    W.Links = {1, 1, 1};
    List.AddWork(W, true);
    EXPECT_EQ(List.GetWork(1).Links, (Row{0, -1}));
    EXPECT_EQ(List.GetWork(1).Name, "Y");
    EXPECT_EQ(List.GetWork(1).Duration, 2.5L);
}

TEST(WorkList, GivenCellsAreKeptButTheOwnCellIsForbidden) {
    TWorkList List;
    TRecorder Rec;
    Rec.Attach(List);
    TWorkData W = Work("A");
    W.Links = {3, 1};
    List.AddWork(W, false);
    // The loader passes rows for the final size: no other row is touched
    // and nothing is recalculated for a quiet addition.
    EXPECT_EQ(List.GetWork(0).Links, (Row{-1, 1}));
    W.Links = {2, 7};
    List.AddWork(W, false);
    EXPECT_EQ(List.GetWork(0).Links, (Row{-1, 1}));
    EXPECT_EQ(List.GetWork(1).Links, (Row{2, -1}));
    EXPECT_EQ(Rec.Events, (std::vector<std::string>{TRecorder::Call("L", 0, ckQuietAdd, 1, true),
                                                    TRecorder::Call("L", 1, ckQuietAdd, 2, true)}));
}

TEST(WorkList, AddingAWorkAfterRowsLongerThanTheListFreesTheNewColumn) {
    TWorkList List;
    TWorkData W = Work("A");
    W.Links = {-1, 1, 1};
    List.AddWork(W, false);
    List.AddWork(Work("B"), true);
    EXPECT_EQ(List.GetWork(0).Links, (Row{-1, 0}));
    EXPECT_EQ(List.GetWork(1).Links, (Row{0, -1}));
}

TEST(WorkList, GetWorkGivesTheRecordInPlace) {
    TWorkList List;
    List.AddWork(Work("A"), true);
    List.GetWork(0).Name = "Б";
    List.GetWork(0).Duration = 4;
    EXPECT_EQ(List.GetWork(0).Name, "Б");
    EXPECT_EQ(std::as_const(List).GetWork(0).Duration, 4);
}

TEST(WorkList, GetWorkOutsideTheListIsAnInternalFault) {
    TWorkList List;
    EXPECT_THROW(List.GetWork(0), EInternalFault);
    List.AddWork(Work("A"), true);
    EXPECT_THROW(List.GetWork(-1), EInternalFault);
    EXPECT_THROW(List.GetWork(1), EInternalFault);
}

TEST(WorkList, ListenersAreCalledInRegistrationOrderForEveryKind) {
    TWorkList List;
    TRecorder Rec;
    Rec.Attach(List, "table");
    Rec.Listen(List, "diagram");
    Rec.Listen(List, "arcs");
    List.AddWork(Work("A"), true);
    List.AddWork(Work("B"), true);
    List.GetWork(1).Links[0] = LinkDirect;
    List.Changed(1, ckScheme);
    List.Changed(0, ckWork);
    List.Changed(0, ckPathMode);
    List.Changed(1, ckQuietAdd);
    std::vector<std::string> Expected;
    for (auto [Index, Kind, Count] : {std::tuple{0, ckAdd, 1},
                                      {1, ckAdd, 2},
                                      {1, ckScheme, 2},
                                      {0, ckWork, 2},
                                      {0, ckPathMode, 2},
                                      {1, ckQuietAdd, 2}})
        for (const char* Name : {"table", "diagram", "arcs"})
            Expected.push_back(TRecorder::Call(Name, Index, Kind, Count, true));
    EXPECT_EQ(Rec.Events, Expected);
}

TEST(WorkList, ListenersSeeTheCellsAlreadyRecalculated) {
    TWorkList List;
    List.AddWork(Work("A"), true);
    List.AddWork(Work("B"), true);
    std::vector<Row> Seen;
    List.AddListener(
        [&](TWorkList& L, std::int32_t, std::int32_t) { Seen.push_back(L.GetWork(0).Links); });
    List.GetWork(1).Links[0] = LinkDirect;
    List.Changed(1, ckScheme);
    ASSERT_EQ(Seen.size(), 1u);
    EXPECT_EQ(Seen[0], (Row{-1, -1}));
}

// A chain C -> B -> A: C's cell of A is implied; A's cell of C forbidden.
TEST(WorkList, SetDependencyEntersAndRemovesAsTheTablesClicksDoAndSaysWhetherItCould) {
    TWorkList List;
    for (const char* Name : {"A", "B", "C"})
        List.AddWork(Work(Name), true);
    ASSERT_TRUE(List.SetDependency(1, 0, true));
    ASSERT_TRUE(List.SetDependency(2, 1, true));
    TRecorder Rec;
    Rec.Listen(List, "L");
    EXPECT_EQ(List.GetWork(2).Links[0], LinkImplied);
    EXPECT_TRUE(List.SetDependency(2, 0, true));
    EXPECT_EQ(List.GetWork(2).Links[0], LinkRedundant);
    EXPECT_FALSE(List.SetDependency(2, 0, true)) << "already entered";
    EXPECT_TRUE(List.SetDependency(2, 0, false));
    EXPECT_EQ(List.GetWork(2).Links[0], LinkImplied);
    EXPECT_FALSE(List.SetDependency(2, 0, false)) << "an implied cell is not entered";
    EXPECT_FALSE(List.SetDependency(0, 2, true)) << "it would close a contour";
    EXPECT_FALSE(List.SetDependency(1, 1, true));
    EXPECT_FALSE(List.SetDependency(0, 3, true));
    EXPECT_TRUE(List.SetDependency(1, 0, false));
    EXPECT_EQ(List.GetWork(1).Links[0], LinkFree);
    EXPECT_EQ(Rec.Events.size(), 3u) << "one ckScheme for each change, none for a refusal";
}

// A new duration or the path switch changes no cell: the classification and
// the closure of the last change stand.
TEST(WorkList, ADurationOrThePathSwitchKeepsTheLastClassificationAndClosure) {
    TWorkList List;
    List.AddWork(Work("A"), true);
    List.AddWork(Work("B"), true);
    List.SetDependency(1, 0, true);
    const TBitRows* Closure = List.Closure();
    ASSERT_TRUE(Closure);
    EXPECT_TRUE(TBitRows::Test(Closure->Row(1), 0));
    List.GetWork(0).Links[1] = LinkFree; // not what an analysis would leave
    List.GetWork(0).Duration = 5;
    List.Changed(0, ckWork);
    List.Changed(0, ckPathMode);
    EXPECT_EQ(List.GetWork(0).Links[1], LinkFree);
    EXPECT_EQ(List.Closure(), Closure);
    List.Changed(0, ckScheme);
    EXPECT_EQ(List.GetWork(0).Links[1], LinkForbidden);
}

TEST(WorkList, QuietAddOutsideLoadingMarksModifiedButRecalculatesNothing) {
    TWorkList List;
    List.AddWork(Work("A"), true);
    List.AddWork(Work("B"), true);
    List.Modified = false;
    List.GetWork(1).Links[0] = LinkDirect;
    List.Changed(1, ckQuietAdd);
    EXPECT_TRUE(List.Modified);
    EXPECT_EQ(List.GetWork(0).Links, (Row{-1, 0})); // not yet forbidden
    EXPECT_TRUE(List.Graph.Rows[1].Subset->Empty());
}

TEST(WorkList, WhileUpdatingChangedDoesNothingForAnyKind) {
    TWorkList List;
    TRecorder Rec;
    Rec.Attach(List);
    List.AddWork(Work("A"), true);
    List.AddWork(Work("B"), true);
    List.GetWork(1).Links[0] = LinkDirect;
    for (bool WasModified : {false, true}) {
        Rec.Events.clear();
        List.Modified = WasModified;
        List.Updating = true;
        for (std::int32_t Kind : {ckQuietAdd, ckAdd, ckScheme, ckWork, ckPathMode})
            List.Changed(0, Kind);
        List.Updating = false;
        EXPECT_EQ(List.Modified, WasModified);
        EXPECT_TRUE(Rec.Events.empty());
        EXPECT_EQ(List.GetWork(0).Links, (Row{-1, 0}));
    }
}

TEST(WorkList, PathModeMarksAnUnmodifiedSchemeModified) {
    TWorkList List;
    List.AddWork(Work("A"), true);
    List.Modified = false;
    List.Changed(0, ckPathMode);
    EXPECT_TRUE(List.Modified);
}

TEST(WorkList, ClearOnAnEmptyListStillAnnouncesAndLeavesItUnmodified) {
    TWorkList List;
    TRecorder Rec;
    Rec.Attach(List);
    Rec.Listen(List, "M");
    List.Clear();
    EXPECT_EQ(Rec.Events, (std::vector<std::string>{TRecorder::Call("L", 0, ckScheme, 0, true),
                                                    TRecorder::Call("M", 0, ckScheme, 0, true)}));
    EXPECT_FALSE(List.Modified);
}

TEST(WorkList, ClearRemovesEveryWorkAndItsArcs) {
    TWorkList List;
    List.AddWork(Work("A"), true);
    List.AddWork(Work("B"), true);
    List.GetWork(1).Links[0] = LinkDirect;
    List.Changed(1, ckScheme);
    List.Clear();
    EXPECT_EQ(List.Count(), 0);
    EXPECT_EQ(List.Graph.Rows.Count(), 0);
    List.AddWork(Work("C"), true);
    EXPECT_EQ(List.GetWork(0).Links, (Row{-1}));
}

TEST(WorkList, DestructionAnnouncesNothing) {
    TRecorder Rec;
    {
        TWorkList List;
        Rec.Attach(List);
        List.AddWork(Work("A"), true);
        Rec.Events.clear();
    }
    EXPECT_TRUE(Rec.Events.empty());
}

TEST(WorkList, AListenerMayRegisterAnotherDuringANotification) {
    TWorkList List;
    TRecorder Rec;
    List.AddListener([&](TWorkList& L, std::int32_t, std::int32_t) {
        if (Rec.Events.empty()) {
            Rec.Events.push_back("first");
            Rec.Listen(L, "late");
        }
    });
    List.AddWork(Work("A"), true);
    List.Changed(0, ckWork);
    EXPECT_EQ(Rec.Events,
              (std::vector<std::string>{"first", TRecorder::Call("late", 0, ckAdd, 1, true),
                                        TRecorder::Call("late", 0, ckWork, 1, true)}));
}

TEST(WorkList, IndependentListsShareNothing) {
    TWorkList First, Second;
    First.AddWork(Work("A"), true);
    EXPECT_EQ(Second.Count(), 0);
    EXPECT_FALSE(Second.Modified);
}

} // namespace
