// The analysis as the windows run it: on a snapshot, with the layout only
// when a view shows it, stopped by a newer scheme.

#include "NetworkTestSupport.h"

#include "model/SchemeSnapshot.h"
#include "network/Analysis.h"
#include "network/Report.h"

#include <gtest/gtest.h>

#include <atomic>

using namespace NetworkTest;

namespace {

// What a view without the layout reads: every event's and arc's identity,
// times and marks, and the works' schedule.
void ExpectSameNetwork(const TNetworkView& Plain, const TNetworkView& Full, const std::string& Scheme) {
    ASSERT_EQ(Plain.HasNetwork, Full.HasNetwork) << Scheme;
    ASSERT_EQ(Plain.Events.size(), Full.Events.size()) << Scheme;
    for (std::size_t i = 0; i < Full.Events.size(); ++i) {
        const TViewEvent& a = Plain.Events[i];
        const TViewEvent& b = Full.Events[i];
        EXPECT_EQ(a.Handle, b.Handle) << Scheme;
        EXPECT_EQ(a.Number, b.Number) << Scheme;
        EXPECT_EQ(a.Level, b.Level) << Scheme;
        EXPECT_EQ(a.OnPath, b.OnPath) << Scheme;
        EXPECT_TRUE(a.Time == b.Time && a.Early == b.Early && a.Late == b.Late && a.Slack == b.Slack)
            << Scheme;
        const std::vector<TViewEventWork> A = Plain.WorksOf(a);
        const std::vector<TViewEventWork> B = Full.WorksOf(b);
        ASSERT_EQ(A.size(), B.size()) << Scheme;
        for (std::size_t k = 0; k < A.size(); ++k)
            EXPECT_TRUE(A[k].Work == B[k].Work && A[k].FinishedEarlier == B[k].FinishedEarlier)
                << Scheme;
    }
    ASSERT_EQ(Plain.Arcs.size(), Full.Arcs.size()) << Scheme;
    EXPECT_EQ(Plain.RealArcCount, Full.RealArcCount) << Scheme;
    for (std::size_t i = 0; i < Full.Arcs.size(); ++i) {
        const TViewArc& a = Plain.Arcs[i];
        const TViewArc& b = Full.Arcs[i];
        EXPECT_TRUE(a.From == b.From && a.To == b.To && a.Work == b.Work && a.Duration == b.Duration &&
                    a.OnPath == b.OnPath && a.LinkOnPath == b.LinkOnPath)
            << Scheme << " arc " << i;
    }
    EXPECT_TRUE(Plain.PathFound == Full.PathFound && Plain.PathLength == Full.PathLength) << Scheme;
    ASSERT_EQ(Plain.Schedule.Works.size(), Full.Schedule.Works.size()) << Scheme;
    for (std::size_t w = 0; w < Full.Schedule.Works.size(); ++w) {
        const TWorkTimes& a = Plain.Schedule.Works[w];
        const TWorkTimes& b = Full.Schedule.Works[w];
        EXPECT_TRUE(a.EarlyStart == b.EarlyStart && a.LateFinish == b.LateFinish &&
                    a.TotalFloat == b.TotalFloat && a.FreeFloat == b.FreeFloat && a.Critical == b.Critical)
            << Scheme << " work " << w;
    }
}

} // namespace

TEST(Analysis, WithoutTheLayoutTheNetworkTimesAndTableOrderAreThoseOfTheFullAnalysis) {
    std::mt19937 Random(2027);
    for (int Case = 0; Case < 120; ++Case) {
        const TScheme Scheme = RandomScheme(Random, 24, Case % 2 ? 0.3 : 0.12, Case % 3 == 0);
        const auto List = MakeList(Scheme);
        const int Sign = Case % 4 == 0 ? +1 : -1;
        const TSuccessors Essential = EssentialSuccessors(*List);
        EXPECT_EQ(TakeSnapshot(*List)->Essential.Succ, Essential.Succ) << Describe(Scheme);
        EXPECT_EQ(TakeSnapshot(*List)->Essential.Start, Essential.Start) << Describe(Scheme);
        // Without the store, whose sets the full analysis keeps, the events'
        // works come from the bits construction keeps them in.
        const auto Plain = Analyse(TakeSnapshot(*List), {Sign, false, false, nullptr, false});
        const auto Full = Analyse(TakeSnapshot(*List), {Sign, true, false, nullptr, true});
        EXPECT_FALSE(Plain->View().HasNetwork && Plain->View().HasLayout);
        ExpectSameNetwork(Plain->View(), Full->View(), Describe(Scheme));
        // The layout made on a snapshot is the one made on the list itself.
        TCircuitEngine Direct(*List);
        Direct.PathSign = Sign;
        Direct.GetCircuit();
        Direct.Analyse();
        EXPECT_EQ(Full->View().Segments.size(), Direct.Result().Segments.size()) << Describe(Scheme);
        for (std::size_t i = 0; i < Direct.Result().Events.size(); ++i)
            EXPECT_EQ(Full->View().Events[i].Row, Direct.Result().Events[i].Row) << Describe(Scheme);
    }
}

TEST(Analysis, ReportWithoutLayoutLeavesOutOnlyTheRows) {
    const auto List = MakeList({{3, 2, 4, 1}, {{}, {0}, {0}, {1, 2}}});
    std::string Full = ReportJson(*List, -1);
    const std::string Bare = ReportJson(*List, -1, nullptr, false);
    // Take every row and rows key out of the full report.
    for (const char* Key : {", \"row\": ", ", \"rows\": "}) {
        for (std::size_t At = Full.find(Key); At != std::string::npos; At = Full.find(Key)) {
            std::size_t End = At + std::string(Key).size();
            End = Full[End] == '[' ? Full.find(']', End) + 1 : Full.find_first_of(",}", End);
            Full.erase(At, End - At);
        }
    }
    EXPECT_EQ(Bare, Full);
}

TEST(Analysis, TheDetailedLayoutIsAddedToTheSameNetworkAndACancelledRunThrows) {
    std::mt19937 Random(7);
    const auto List = MakeList(RandomScheme(Random, 20, 0.2));
    const auto Laid = Analyse(TakeSnapshot(*List), {-1, true, false, nullptr, true});
    // Labels of one size: the layout does not depend on how they were measured.
    auto Sizes = std::make_shared<TDetailedSizes>();
    Sizes->Works.assign(static_cast<std::size_t>(List->Count()), {TLabelShape{40, 13, 10}});
    const auto Detailed = Complete(Laid, {-1, true, true, Sizes, true});
    EXPECT_EQ(Detailed->Engine, Laid->Engine) << "no second network";
    ASSERT_TRUE(Detailed->Detailed);
    EXPECT_EQ(Detailed->Detailed->Rows.EventRow, LayOutDetailed(Laid->View(), *Sizes).Rows.EventRow);
    EXPECT_EQ(Complete(Detailed, {-1, true, false, nullptr, true}), Detailed) << "it serves a plain view too";
    EXPECT_NE(Complete(Detailed, {+1, true, false, nullptr, true})->Engine, Laid->Engine) << "another path mode";

    const auto Bare = Analyse(TakeSnapshot(*List), {-1, true, false, nullptr, false});
    EXPECT_EQ(Bare->Engine->Circuit, nullptr) << "the store goes unless it is asked for";
    EXPECT_EQ(Bare->View().Events.size(), Laid->View().Events.size());

    std::atomic<bool> Cancel(true);
    EXPECT_THROW(Analyse(TakeSnapshot(*List), {-1, true, false, nullptr, true}, &Cancel), TAnalysisCancelled);
}
