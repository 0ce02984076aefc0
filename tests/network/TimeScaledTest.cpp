// The time-scaled layout against the schedule it shows: every event at its
// early time, every work as long as its duration with its free float up to
// its end event, no two arcs along the same stretch of a row, one critical
// path straight along row 0, and the same rows every time.

#include "NetworkTestSupport.h"

#include "ConstructionExample.h"
#include "network/TimeScaled.h"

#include <gtest/gtest.h>

#include <map>

using namespace NetworkTest;

namespace {

void ExpectValid(const TNetworkView& View, const TTimeScaled& Laid, const std::string& Scheme,
                 TReal Gap = 0) {
    ASSERT_EQ(Laid.Events.size(), View.Events.size());
    ASSERT_EQ(Laid.Arcs.size(), View.Arcs.size());
    const TReal Tol = 1e-9L;
    for (std::size_t e = 0; e < View.Events.size(); ++e) {
        EXPECT_NEAR(static_cast<double>(Laid.Events[e].Time),
                    static_cast<double>(View.Events[e].Early), Tol);
        EXPECT_TRUE(Laid.Events[e].Row >= 0 && Laid.Events[e].Row < Laid.RowCount);
    }
    // What stands on every row: events as points, arcs as spans.
    std::map<int, std::vector<std::pair<TReal, TReal>>> Spans;
    std::map<std::pair<int, TReal>, std::size_t> Points;
    for (std::size_t e = 0; e < View.Events.size(); ++e)
        EXPECT_TRUE(Points.emplace(std::pair(Laid.Events[e].Row, Laid.Events[e].Time), e).second)
            << "two events at one point: " << Scheme;
    for (auto p = Points.begin(); p != Points.end() && std::next(p) != Points.end(); ++p)
        if (std::next(p)->first.first == p->first.first) {
            EXPECT_GE(std::next(p)->first.second - p->first.second, Gap) << Scheme;
        }
    for (std::size_t a = 0; a < View.Arcs.size(); ++a) {
        const TViewArc& Arc = View.Arcs[a];
        const TTimeScaledArc& Item = Laid.Arcs[a];
        const TViewEvent& From = View.Events[static_cast<std::size_t>(Arc.From)];
        const TViewEvent& To = View.Events[static_cast<std::size_t>(Arc.To)];
        EXPECT_NEAR(static_cast<double>(Item.Start), static_cast<double>(From.Early), Tol);
        EXPECT_NEAR(static_cast<double>(Item.End), static_cast<double>(To.Early), Tol);
        const TReal Length = Arc.Work < 0 ? 0 : Arc.Duration;
        EXPECT_NEAR(static_cast<double>(Item.SolidEnd - Item.Start), static_cast<double>(Length),
                    Tol)
            << Scheme;
        EXPECT_NEAR(static_cast<double>(Item.End - Item.SolidEnd),
                    static_cast<double>(To.Early - From.Early - Length), Tol);
        if (Item.End == Item.Start)
            continue;
        for (const auto& [Lo, Hi] : Spans[Item.Lane])
            EXPECT_FALSE(Lo < Item.End && Hi > Item.Start) << "arcs overlap on a row: " << Scheme;
        Spans[Item.Lane].emplace_back(Item.Start, Item.End);
        // No event but its own stands on its lane within its span or half
        // the gap beside it.
        for (auto p = Points.lower_bound({Item.Lane, Item.Start - Gap / 2});
             p != Points.end() && p->first.first == Item.Lane &&
             p->first.second <= Item.End + Gap / 2;
             ++p)
            EXPECT_TRUE(
                (p->second == static_cast<std::size_t>(Arc.From) &&
                 p->first.second == Item.Start) ||
                (p->second == static_cast<std::size_t>(Arc.To) && p->first.second == Item.End))
                << Scheme;
    }
}

// Walks from the start event along critical arcs: every event it reaches at
// a later time stands on row 0, and every work between two such events runs
// along row 0. Only an arc within one moment may leave the row.
bool CriticalRowReachesTheEnd(const TNetworkView& View, const TTimeScaled& Laid) {
    std::size_t At = 0;
    while (At < View.Events.size() && !View.Events[At].IsStart)
        ++At;
    for (std::size_t Steps = 0; At < View.Events.size() && Steps <= View.Arcs.size(); ++Steps) {
        if (View.Events[At].IsEnd)
            return true;
        std::size_t Next = View.Arcs.size();
        for (std::size_t a = 0; a < View.Arcs.size(); ++a) {
            const TTimeScaledArc& Arc = Laid.Arcs[a];
            if (static_cast<std::size_t>(View.Arcs[a].From) != At || !Arc.Critical)
                continue;
            const bool Moves = Arc.End > Arc.Start;
            if (Next == View.Arcs.size() || (Moves && Laid.Arcs[Next].End == Laid.Arcs[Next].Start))
                Next = a;
        }
        if (Next == View.Arcs.size())
            return false;
        const std::size_t To = static_cast<std::size_t>(View.Arcs[Next].To);
        const TTimeScaledArc& Arc = Laid.Arcs[Next];
        if (Arc.End > Arc.Start &&
            (Laid.Events[To].Row != 0 || (Laid.Events[At].Row == 0 && Arc.Lane != 0)))
            return false;
        At = To;
    }
    return false;
}

struct TAnalysedList {
    explicit TAnalysedList(std::unique_ptr<TWorkList> AList)
        : List(std::move(AList)), Engine(*List) {
        Engine.GetCircuit();
        Engine.Analyse();
    }
    std::unique_ptr<TWorkList> List;
    TCircuitEngine Engine;
};

} // namespace

TEST(TimeScaled, ShowsTheScheduleWithoutOverlapsTheSameEveryTime) {
    std::mt19937 Random(1928);
    for (int Case = 0; Case < 40; ++Case) {
        const TScheme Scheme = RandomScheme(Random, 40, Case % 2 ? 0.08 : 0.2, Case % 3 == 0);
        const TAnalysedList Analysed(MakeList(Scheme));
        const TNetworkView& View = Analysed.Engine.Result();
        ASSERT_TRUE(View.HasNetwork);
        // Every other scheme with circles a third of a day wide or more.
        const TReal Gap = Case % 2 ? 0.35L * (Case % 4) : 0;
        const TTimeScaled Laid = LayTimeScaled(View, Gap);
        ExpectValid(View, Laid, Describe(Scheme), Gap);
        // A critical work shorter than the gap cannot keep its row.
        if (Gap == 0) {
            EXPECT_TRUE(CriticalRowReachesTheEnd(View, Laid)) << Describe(Scheme);
        }
        const TTimeScaled Again = LayTimeScaled(View, Gap);
        for (std::size_t e = 0; e < View.Events.size(); ++e)
            EXPECT_EQ(Laid.Events[e].Row, Again.Events[e].Row);
        for (std::size_t a = 0; a < View.Arcs.size(); ++a)
            EXPECT_EQ(Laid.Arcs[a].Lane, Again.Arcs[a].Lane);
    }
}

TEST(TimeScaled, PutsTheBundledExamplesCriticalPathOnRowZero) {
    auto List = std::make_unique<TWorkList>();
    FillConstructionExample(*List);
    const TAnalysedList Analysed(std::move(List));
    const TNetworkView& View = Analysed.Engine.Result();
    const TTimeScaled Laid = LayTimeScaled(View);
    ExpectValid(View, Laid, "the example");
    EXPECT_TRUE(CriticalRowReachesTheEnd(View, Laid));
    for (std::size_t a = 0; a < View.Arcs.size(); ++a)
        if (View.Arcs[a].OnPath) {
            EXPECT_TRUE(Laid.Arcs[a].Critical);
        }
}
