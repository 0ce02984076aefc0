// The detailed view's rows: a valid grid on the same levels, the start event
// on top, the same rows every time, fewer crossings than the plain rows, none
// where a drawing without crossings exists; and the crossing count against a
// count pair by pair.

#include "NetworkTestSupport.h"

#include "network/DetailedLabels.h"
#include "network/DetailedLayout.h"
#include "network/DetailedRanking.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace NetworkTest;

namespace {

// Pair by pair: two links' segments between the same two levels cross when
// their ends are in opposite orders on the two levels.
long long CrossingsPairByPair(const TNetworkView& View, const TDetailedRows& Rows) {
    struct TSegment {
        int Level, From, To;
    };
    std::vector<TSegment> Segments;
    std::set<std::pair<int, int>> Links;
    for (std::size_t a = 0; a < View.Arcs.size(); ++a) {
        if (!Links.insert({View.Arcs[a].From, View.Arcs[a].To}).second)
            continue;
        const int Level = Rows.EventColumn[static_cast<std::size_t>(View.Arcs[a].From)];
        const std::vector<std::int32_t>& R = Rows.ArcRows[a];
        for (std::size_t k = 0; k + 1 < R.size(); ++k)
            Segments.push_back({Level + static_cast<int>(k), R[k], R[k + 1]});
    }
    long long Count = 0;
    for (std::size_t i = 0; i < Segments.size(); ++i)
        for (std::size_t j = i + 1; j < Segments.size(); ++j) {
            const TSegment& s = Segments[i];
            const TSegment& t = Segments[j];
            if (s.Level == t.Level &&
                ((s.From < t.From && s.To > t.To) || (s.From > t.From && s.To < t.To)))
                ++Count;
        }
    return Count;
}

// The scheme analysed in the critical mode, its list kept alive beside the
// engine that reads it.
struct TAnalysed {
    explicit TAnalysed(const TScheme& Scheme) : List(MakeList(Scheme)), Engine(*List) {
        Engine.GetCircuit();
        Engine.Analyse();
    }
    std::unique_ptr<TWorkList> List;
    TCircuitEngine Engine;
};

TEST(DetailedLayout, IsAValidGridWithFewerCrossingsThanThePlainRowsAndCountedRight) {
    std::mt19937 Random(2020);
    for (int Case = 0; Case < 30; ++Case) {
        const TScheme Scheme = RandomScheme(Random, 45, Case % 2 ? 0.08 : 0.2, Case % 3 == 0);
        const TAnalysed Analysed(Scheme);
        const TNetworkView& View = Analysed.Engine.Result();
        ASSERT_TRUE(View.HasNetwork);
        const TDetailedRows Rows = DetailedLayout(View);
        const TDetailedRows Again = DetailedLayout(View);
        EXPECT_EQ(Rows.EventRow, Again.EventRow) << Describe(Scheme);
        EXPECT_EQ(Rows.ArcRows, Again.ArcRows);

        // Every grid point holds one object; every arc ends at its events.
        std::set<std::pair<int, int>> Taken;
        for (std::size_t e = 0; e < View.Events.size(); ++e) {
            EXPECT_TRUE(Taken.insert({Rows.EventColumn[e], Rows.EventRow[e]}).second)
                << Describe(Scheme);
            if (View.Events[e].IsStart) {
                EXPECT_EQ(Rows.EventRow[e], 0);
            }
        }
        std::map<std::pair<int, int>, std::vector<std::int32_t>> Links;
        for (std::size_t a = 0; a < View.Arcs.size(); ++a) {
            const TViewArc& Arc = View.Arcs[a];
            const int From = Rows.EventColumn[static_cast<std::size_t>(Arc.From)];
            const int To = Rows.EventColumn[static_cast<std::size_t>(Arc.To)];
            const std::vector<std::int32_t>& R = Rows.ArcRows[a];
            ASSERT_GT(To, From) << "every arc points right: " << Describe(Scheme);
            ASSERT_EQ(static_cast<int>(R.size()), To - From + 1);
            EXPECT_EQ(R.front(), Rows.EventRow[static_cast<std::size_t>(Arc.From)]);
            EXPECT_EQ(R.back(), Rows.EventRow[static_cast<std::size_t>(Arc.To)]);
            const auto [Known, New] = Links.emplace(std::pair(Arc.From, Arc.To), R);
            if (!New) {
                EXPECT_EQ(Known->second, R) << "works between the same events share their rows";
                continue;
            }
            for (std::size_t k = 1; k + 1 < R.size(); ++k)
                EXPECT_TRUE(Taken.insert({From + static_cast<int>(k), R[k]}).second)
                    << Describe(Scheme);
        }

        const long long Detailed = CountCrossings(View, Rows);
        EXPECT_EQ(Detailed, CrossingsPairByPair(View, Rows));
        EXPECT_LE(Detailed, CountPlainCrossings(View)) << Describe(Scheme);
    }
}

// Works that each follow at most one work make a tree of events whose leaves
// meet at the end: drawn in the order of a walk, nothing crosses. The search
// must keep such an order however it shuffles.
TEST(DetailedLayout, FindsADrawingWithoutCrossingsWhereThereIsOne) {
    std::mt19937 Random(77);
    for (int Case = 0; Case < 12; ++Case) {
        TScheme Scheme;
        const int n = 20 + Case * 3;
        for (int i = 0; i < n; ++i) {
            Scheme.Durations.push_back(static_cast<TReal>(1 + Random() % 9));
            Scheme.Deps.emplace_back();
            if (i >= 2)
                Scheme.Deps.back().push_back(static_cast<int>(Random() % static_cast<unsigned>(i)));
        }
        const TAnalysed Analysed(Scheme);
        const TNetworkView& View = Analysed.Engine.Result();
        ASSERT_TRUE(View.HasNetwork);
        const TDetailedRows Rows = DetailedLayout(View);
        EXPECT_EQ(CountCrossings(View, Rows), 0) << Describe(Scheme);
    }
}

} // namespace

namespace {

// The least total length by trying every column from 0 to n - 1 for every
// node: an optimum always lies there, since the edges of a tight spanning
// tree fix all columns from one.
long long BruteForceLength(int n, const std::vector<TRankEdge>& Edges) {
    std::vector<std::int32_t> Column(static_cast<std::size_t>(n), 0);
    long long Best = -1;
    for (;;) {
        bool Feasible = true;
        for (const TRankEdge& x : Edges)
            Feasible = Feasible && Column[static_cast<std::size_t>(x.Head)] -
                                           Column[static_cast<std::size_t>(x.Tail)] >=
                                       x.MinLength;
        if (Feasible) {
            const long long Length = TotalLength(Edges, Column);
            Best = Best < 0 ? Length : std::min(Best, Length);
        }
        std::size_t i = 0;
        while (i < Column.size() && ++Column[i] == n)
            Column[i++] = 0;
        if (i == Column.size())
            return Best;
    }
}

TEST(DetailedRanking, ReachesTheLeastTotalLengthOfEveryTinyGraph) {
    std::mt19937 Random(31);
    for (int Case = 0; Case < 300; ++Case) {
        const int n = 2 + static_cast<int>(Random() % 5);
        std::vector<TRankEdge> Edges;
        std::string Text;
        // Edges from lower to higher numbers: acyclic; a weight of 1 to 3.
        for (int t = 0; t < n; ++t)
            for (int h = t + 1; h < n; ++h)
                if (Random() % 3 == 0) {
                    Edges.push_back({t, h, 1, 1 + static_cast<int>(Random() % 3)});
                    Text += std::to_string(t) + "->" + std::to_string(h) + " ";
                }
        const std::vector<std::int32_t> Column = RankNetworkSimplex(n, Edges);
        for (const TRankEdge& x : Edges)
            ASSERT_GE(Column[static_cast<std::size_t>(x.Head)] -
                          Column[static_cast<std::size_t>(x.Tail)],
                      1)
                << Text;
        EXPECT_EQ(TotalLength(Edges, Column), std::max(0LL, BruteForceLength(n, Edges))) << Text;
    }
}

} // namespace

namespace {

struct TTextBox {
    TBox Box;
    std::size_t Arc;
};

// The boxes of a label's text as drawn: the name's lines and the duration.
std::vector<TTextBox> TextBoxes(const TDetailedGeometry& G, const TNetworkView& View,
                                const TDetailedSizes& Sizes) {
    std::vector<TTextBox> Boxes;
    for (std::size_t a = 0; a < G.Arcs.size(); ++a) {
        const TArcGeometry& g = G.Arcs[a];
        if (g.Shape < 0)
            continue;
        const TLabelShape& s = Sizes.Works[static_cast<std::size_t>(View.Arcs[a].Work)]
                                          [static_cast<std::size_t>(g.Shape)];
        Boxes.push_back({{g.CentreX - s.NameWidth / 2, g.NameTop, g.CentreX + s.NameWidth / 2,
                          g.NameTop + s.NameHeight},
                         a});
        Boxes.push_back({{g.CentreX - s.TimeWidth / 2, g.TimeTop, g.CentreX + s.TimeWidth / 2,
                          g.TimeTop + Sizes.LineHeight},
                         a});
    }
    return Boxes;
}

// Labels of every width and up to three lines on random schemes: every work
// gets its label, and no label's text meets another's, an event's circle or
// an arrowhead.
TEST(DetailedLabels, NeverMeetEachOtherAnEventOrAnArrowhead) {
    std::mt19937 Random(404);
    for (int Case = 0; Case < 25; ++Case) {
        const TScheme Scheme = RandomScheme(Random, 60, Case % 2 ? 0.06 : 0.15);
        const TAnalysed Analysed(Scheme);
        const TNetworkView& View = Analysed.Engine.Result();
        ASSERT_TRUE(View.HasNetwork);
        TDetailedSizes Sizes;
        for (std::size_t w = 0; w < Scheme.Durations.size(); ++w) {
            const double Wide = 20 + static_cast<double>(Random() % 160);
            Sizes.Works.push_back({{Wide, Sizes.LineHeight, 8},
                                   {Wide * 0.6, 2 * Sizes.LineHeight, 8},
                                   {Wide * 0.45, 3 * Sizes.LineHeight, 14}});
        }
        const TDetailedPicture Picture = LayOutDetailed(View, Sizes);
        const TDetailedGeometry& G = Picture.Geometry;
        const std::vector<TTextBox> Boxes = TextBoxes(G, View, Sizes);
        std::size_t Labelled = 0;
        for (const TViewArc& a : View.Arcs)
            Labelled += a.Work >= 0;
        EXPECT_EQ(Boxes.size(), 2 * Labelled) << Describe(Scheme);
        for (std::size_t i = 0; i < Boxes.size(); ++i)
            for (std::size_t j = i + 1; j < Boxes.size(); ++j)
                EXPECT_FALSE(Boxes[i].Box.Meets(Boxes[j].Box))
                    << "arcs " << Boxes[i].Arc << " and " << Boxes[j].Arc << ": "
                    << Describe(Scheme);
        for (const TTextBox& t : Boxes) {
            EXPECT_GE(t.Box.Top, 0);
            EXPECT_LE(t.Box.Bottom, G.Height);
            EXPECT_LE(t.Box.Right, G.Width);
            for (const TPoint& c : G.EventCentre)
                EXPECT_FALSE(t.Box.Meets({c.X - Sizes.Radius, c.Y - Sizes.Radius,
                                          c.X + Sizes.Radius, c.Y + Sizes.Radius}))
                    << "arc " << t.Arc << ": " << Describe(Scheme);
            for (const TArcGeometry& g : G.Arcs) {
                if (g.Points.empty())
                    continue;
                EXPECT_FALSE(t.Box.Meets({g.ArrowTip.X - 0.1, g.ArrowTip.Y - 0.1,
                                          g.ArrowTip.X + 0.1, g.ArrowTip.Y + 0.1}));
            }
        }
    }
}

} // namespace
