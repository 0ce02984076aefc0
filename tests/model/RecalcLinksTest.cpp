// The dependency analysis: the worked cases, the contour, the odd-value rule,
// and every cell class on random acyclic schemes against plain reachability.

#include "Recorder.h"

#include "messages/ErrorStrings.h"
#include "model/WorkList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <sstream>

namespace {

using Row = TABs;

void AddWorks(TWorkList& List, int n) {
    for (int i = 0; i < n; ++i)
        List.AddWork(TWorkData{"W" + std::to_string(i), 1, {}}, true);
}

void Enter(TWorkList& List, int i, int j, std::int8_t Value = LinkDirect) {
    List.GetWork(i).Links[static_cast<std::size_t>(j)] = Value;
    List.Changed(i, ckScheme);
}

std::vector<Row> Cells(const TWorkList& List) {
    std::vector<Row> Rows;
    for (int i = 0; i < List.Count(); ++i)
        Rows.push_back(List.GetWork(i).Links);
    return Rows;
}

std::string Show(const std::vector<Row>& Rows) {
    std::ostringstream Out;
    for (const Row& R : Rows) {
        for (std::int8_t c : R)
            Out << ' ' << static_cast<int>(c);
        Out << '\n';
    }
    return Out.str();
}

TEST(RecalcLinks, AChainImpliesItsEndAndForbidsEveryWayBack) {
    TWorkList List;
    AddWorks(List, 3); // X, Y, Z
    Enter(List, 0, 1);
    Enter(List, 1, 2);
    EXPECT_EQ(Cells(List), (std::vector<Row>{{-1, 1, 2}, {-1, -1, 1}, {-1, -1, -1}}));

    Enter(List, 0, 2); // a left click on the implied cell
    EXPECT_EQ(List.GetWork(0).Links[2], LinkRedundant);
    Enter(List, 1, 2, LinkFree); // a right click on (Y, Z)
    EXPECT_EQ(Cells(List), (std::vector<Row>{{-1, 1, 1}, {-1, -1, 0}, {-1, 0, -1}}));
}

TEST(RecalcLinks, OneWorkHasOnlyItsForbiddenCell) {
    TWorkList List;
    AddWorks(List, 1);
    EXPECT_EQ(List.GetWork(0).Links, (Row{-1}));
    for (std::int32_t Kind : {ckScheme, ckWork, ckPathMode}) {
        List.Changed(0, Kind);
        EXPECT_EQ(List.GetWork(0).Links, (Row{-1}));
    }
}

TEST(RecalcLinks, GraphHoldsOneRowPerWorkWithItsEnteredCells) {
    TWorkList List;
    AddWorks(List, 4);
    Enter(List, 3, 0);
    Enter(List, 3, 1);
    Enter(List, 1, 0);
    ASSERT_EQ(List.Graph.Rows.Count(), 4);
    std::vector<std::vector<int>> Rows;
    for (const TMultitudeElement& R : List.Graph.Rows) {
        Rows.emplace_back();
        for (const TMultitudeElement& k : *R.Subset)
            Rows.back().push_back(k.Key);
    }
    EXPECT_EQ(Rows, (std::vector<std::vector<int>>{{}, {0}, {}, {0, 1}}));
    EXPECT_EQ(List.GetWork(3).Links[0], LinkRedundant);
}

TEST(RecalcLinks, AContourIsReportedAndLeavesTheCellsAsTheyWere) {
    TWorkList List;
    TRecorder Rec;
    AddWorks(List, 3);
    Rec.Attach(List);
    List.GetWork(0).Links = {-1, 1, 0};
    List.GetWork(1).Links = {3, -1, 2};
    List.Changed(0, ckScheme);
    EXPECT_EQ(Rec.Events, (std::vector<std::string>{TRecorder::Error(Msg::Contour),
                                                    TRecorder::Call("L", 0, ckScheme, 3, true)}));
    EXPECT_TRUE(List.HasContour);
    EXPECT_EQ(Cells(List), (std::vector<Row>{{-1, 1, 0}, {3, -1, 2}, {0, 0, -1}}));
    // The graph is the one that was found to hold the contour.
    EXPECT_TRUE(List.Graph.Rows[0].Subset->HasKey(1));
    EXPECT_TRUE(List.Graph.Rows[1].Subset->HasKey(0));

    Enter(List, 1, 0, LinkFree);
    EXPECT_FALSE(List.HasContour);
    EXPECT_EQ(Cells(List), (std::vector<Row>{{-1, 1, 0}, {-1, -1, 0}, {0, 0, -1}}));
}

TEST(RecalcLinks, AnOddValueAboveThreeIsNoArcButCountsAsEnteredWhenImplied) {
    TWorkList List;
    AddWorks(List, 3);
    List.GetWork(0).Links = {-1, 1, 5}; // 0 on 1, and a stray 5 towards 2
    List.GetWork(1).Links = {0, -1, 1};
    List.Changed(0, ckScheme);
    EXPECT_FALSE(List.Graph.Rows[0].Subset->HasKey(2));
    EXPECT_EQ(List.GetWork(0).Links[2], LinkRedundant);

    TWorkList Alone;
    AddWorks(Alone, 2);
    Alone.GetWork(0).Links = {-1, 5};
    Alone.GetWork(1).Links = {7, -1};
    Alone.Changed(0, ckScheme);
    EXPECT_EQ(Cells(Alone), (std::vector<Row>{{-1, 0}, {0, -1}}));
}

TEST(RecalcLinks, DerivedValuesFromAnyCellAreRecomputed) {
    TWorkList List;
    AddWorks(List, 3);
    List.GetWork(0).Links = {2, -1, 2};
    List.GetWork(1).Links = {-1, 0, 2};
    List.GetWork(2).Links = {4, -2, -1};
    List.Changed(0, ckScheme);
    EXPECT_EQ(Cells(List), (std::vector<Row>{{-1, 0, 0}, {0, -1, 0}, {0, 0, -1}}));
}

// What every cell must be, from the entered arcs alone.
std::vector<Row> Oracle(const std::vector<std::vector<bool>>& Entered) {
    const int n = static_cast<int>(Entered.size());
    std::vector<std::vector<bool>> Reach(static_cast<std::size_t>(n),
                                         std::vector<bool>(static_cast<std::size_t>(n)));
    for (int s = 0; s < n; ++s) {
        std::vector<int> Stack{s};
        while (!Stack.empty()) {
            const int v = Stack.back();
            Stack.pop_back();
            for (int w = 0; w < n; ++w)
                if (Entered[v][w] && !Reach[s][w]) {
                    Reach[s][w] = true;
                    Stack.push_back(w);
                }
        }
    }
    std::vector<Row> Cells(static_cast<std::size_t>(n), Row(static_cast<std::size_t>(n)));
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            std::int8_t& c = Cells[i][j];
            if (i == j || Reach[j][i]) {
                c = LinkForbidden;
            } else if (Reach[i][j]) {
                bool Implied = false;
                for (int k = 0; k < n && !Implied; ++k)
                    Implied = k != j && Entered[i][k] && Reach[k][j];
                c = !Entered[i][j] ? LinkImplied : Implied ? LinkRedundant : LinkDirect;
            } else {
                c = LinkFree;
            }
        }
    return Cells;
}

TEST(RecalcLinks, EveryCellClassAgreesWithReachabilityOnRandomSchemes) {
    std::mt19937 Random(20240611);
    for (int Round = 0; Round < 300; ++Round) {
        // Now and then a scheme of more than 64 works, whose rows span
        // several words of bits, checked every 40 steps.
        const bool Wide = Round % 15 == 0;
        const int n =
            Wide ? 60 + static_cast<int>(Random() % 80) : 1 + static_cast<int>(Random() % 10);
        std::vector<int> Order(static_cast<std::size_t>(n));
        std::iota(Order.begin(), Order.end(), 0);
        std::shuffle(Order.begin(), Order.end(), Random);
        // Arcs only from later to earlier in Order, so no contour can form.
        std::vector<int> Rank(static_cast<std::size_t>(n));
        for (int r = 0; r < n; ++r)
            Rank[Order[r]] = r;

        TWorkList List;
        AddWorks(List, n);
        std::vector<std::vector<bool>> Entered(static_cast<std::size_t>(n),
                                               std::vector<bool>(static_cast<std::size_t>(n)));
        const int Steps = Wide ? 400 : 1 + static_cast<int>(Random() % 25);
        for (int s = 0; s < Steps; ++s) {
            const int i = static_cast<int>(Random() % n), j = static_cast<int>(Random() % n);
            if (Rank[i] <= Rank[j])
                continue;
            Entered[i][j] = !Entered[i][j];
            // Entered cells are marked the way the table marks them: a new
            // one as 1, a removed one as 0, whatever the cell showed.
            Enter(List, i, j, Entered[i][j] ? LinkDirect : LinkFree);
            if (Wide && s % 40 != 39)
                continue;
            const auto Expected = Oracle(Entered);
            ASSERT_EQ(Cells(List), Expected)
                << "round " << Round << ", after step " << s << "\nexpected:\n"
                << Show(Expected) << "got:\n"
                << Show(Cells(List));
            ASSERT_FALSE(List.HasContour);
        }
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j)
                ASSERT_EQ(List.Graph.Rows[i].Subset->HasKey(j), bool(Entered[i][j]));
    }
}

} // namespace
