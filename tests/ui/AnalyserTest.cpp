// The analysis off the window's thread: the event loop keeps running while a
// large scheme is analysed, a newer change supersedes the run in progress, and
// what is handed over in the end is what the analysis on the window's thread
// gives.

#include "SchemeBuilder.h"
#include "ScriptedDialogs.h"
#include "UiTestSupport.h"

#include "model/SchemeSnapshot.h"
#include "ui/Analyser.h"

#include <QTest>
#include <QTimer>

#include <random>

namespace {

// Project-like: every work after one to three of the twenty before it.
std::vector<TPlannedWork> Project(int n) {
    std::mt19937 Random(4242);
    std::vector<TPlannedWork> Works;
    for (int i = 0; i < n; ++i) {
        TPlannedWork& W = Works.emplace_back(TPlannedWork{"W" + std::to_string(i), TReal(1 + i % 17), {}});
        for (int k = 0; i > 0 && k < 1 + i % 3; ++k)
            W.After.push_back(i - 1 - static_cast<int>(Random() % static_cast<unsigned>(std::min(i, 20))));
    }
    return Works;
}

class Analyser : public TUiTest {
protected:
    void SetUp() override {
        Subject = std::make_unique<TAnalyser>(List, Sign, Dialogs);
        Subject->SetInline(false);
        QObject::connect(Subject.get(), &TAnalyser::Ready, [this] { ++Handed; });
    }
    void TearDown() override {
        Subject.reset();
        TUiTest::TearDown();
    }
    // Loads quietly, announcing the scheme once.
    void Load(const std::vector<TPlannedWork>& Works) {
        List.Updating = true;
        EnterScheme(List, Works);
        List.Updating = false;
        List.Changed(0, ckScheme);
    }

    TWorkList List;
    TScriptedDialogs Dialogs;
    std::int32_t Sign = -1;
    std::unique_ptr<TAnalyser> Subject;
    int Handed = 0;
};

TEST_F(Analyser, TheEventLoopRunsWhileALargeSchemeIsAnalysedAndTheLastChangeWins) {
    Subject->Want(this, true, false);
    int TicksWhileBusy = 0;
    QTimer Tick;
    Tick.setInterval(1);
    QObject::connect(&Tick, &QTimer::timeout, [&] { TicksWhileBusy += Subject->Busy() ? 1 : 0; });
    Tick.start();

    Load(Project(800));
    EXPECT_TRUE(Subject->Busy());
    EXPECT_EQ(Subject->Current(), nullptr) << "nothing is handed over from inside the change";
    // Let the run get going, then change the scheme under it.
    QTest::qWait(20);
    ASSERT_TRUE(List.SetDependency(700, 3, true));
    Subject->Settle();
    EXPECT_FALSE(Subject->Busy());
    EXPECT_GT(TicksWhileBusy, 3) << "the window's thread was held";
    EXPECT_EQ(Handed, 1) << "the superseded run handed nothing over";

    // The same as the engine gives on the window's thread, row for row.
    const TAnalysis& Made = *Subject->Current();
    ASSERT_EQ(Made.Scheme->Count(), List.Count());
    TCircuitEngine Here(List);
    Here.GetCircuit();
    Here.Analyse();
    const TNetworkView& A = Made.View();
    const TNetworkView& B = Here.Result();
    ASSERT_TRUE(A.HasLayout);
    ASSERT_EQ(A.Events.size(), B.Events.size());
    for (std::size_t i = 0; i < A.Events.size(); ++i)
        ASSERT_TRUE(A.Events[i].Number == B.Events[i].Number && A.Events[i].Row == B.Events[i].Row &&
                    A.Events[i].Level == B.Events[i].Level && A.Events[i].Early == B.Events[i].Early)
            << "event " << i;
    ASSERT_EQ(A.Arcs.size(), B.Arcs.size());
    for (std::size_t i = 0; i < A.Arcs.size(); ++i)
        ASSERT_TRUE(A.Arcs[i].Work == B.Arcs[i].Work && A.Arcs[i].Rows == B.Arcs[i].Rows) << "arc " << i;
    EXPECT_EQ(A.Segments.size(), B.Segments.size());
    EXPECT_EQ(A.PathLength, B.PathLength);
}

TEST_F(Analyser, OnlyWhatAViewShowsIsLaidOutAndAViewThatOpensGetsItsLayout) {
    Load(Project(60));
    Subject->Settle();
    ASSERT_TRUE(Subject->Current());
    EXPECT_TRUE(Subject->Current()->View().HasNetwork);
    EXPECT_FALSE(Subject->Current()->View().HasLayout) << "no window shows the diagram";
    Subject->Want(this, true, true);
    EXPECT_TRUE(Subject->Busy());
    Subject->Settle();
    EXPECT_TRUE(Subject->Current()->View().HasLayout);
    EXPECT_TRUE(Subject->Current()->Detailed);
    EXPECT_EQ(Handed, 2);
}

TEST_F(Analyser, ClosingDuringARunCancelsItAndWaitsForNothingElse) {
    Subject->Want(this, true, true);
    Load(Project(800));
    QTest::qWait(10);
    Subject.reset();
    EXPECT_EQ(Handed, 0);
}

} // namespace
