// Deleting, inserting and moving works, on random schemes against a plain
// model of the order: reachability among the works.

#include "model/WorkList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

// n works in a random order of execution; each depends on up to three works
// that come earlier in that order, wherever they stand in the list.
void FillRandom(TWorkList& List, int n, unsigned Seed) {
    std::mt19937 Random(Seed);
    std::vector<int> Place(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        Place[static_cast<std::size_t>(i)] = i;
    std::shuffle(Place.begin(), Place.end(), Random);
    for (int i = 0; i < n; ++i)
        List.AddWork(TWorkData{"W" + std::to_string(i), 1.5L + i, {}}, true);
    for (int e = 0; e < 2 * n; ++e) {
        const int a = static_cast<int>(Random() % n), b = static_cast<int>(Random() % n);
        if (Place[static_cast<std::size_t>(a)] > Place[static_cast<std::size_t>(b)])
            List.SetDependency(a, b, true);
    }
}

std::vector<TABs> Cells(const TWorkList& List) {
    std::vector<TABs> Rows;
    for (int i = 0; i < List.Count(); ++i)
        Rows.push_back(List.GetWork(i).Links);
    return Rows;
}

std::vector<std::string> Names(const TWorkList& List) {
    std::vector<std::string> Result;
    for (int i = 0; i < List.Count(); ++i)
        Result.push_back(List.GetWork(i).Name);
    return Result;
}

// Whether the work named A depends on the one named B, directly or not.
bool Depends(const TWorkList& List, const std::string& A, const std::string& B) {
    const std::vector<std::string> N = Names(List);
    const int a = static_cast<int>(std::find(N.begin(), N.end(), A) - N.begin());
    const int b = static_cast<int>(std::find(N.begin(), N.end(), B) - N.begin());
    const std::int8_t Cell = List.GetWork(a).Links[static_cast<std::size_t>(b)];
    return Cell == LinkDirect || Cell == LinkImplied || Cell == LinkRedundant;
}

TEST(WorkListEdit, DeletingBInAChainLetsCWaitForA) {
    TWorkList List;
    for (const char* Name : {"A", "B", "C"})
        List.AddWork(TWorkData{Name, 1, {}}, true);
    List.SetDependency(1, 0, true);
    List.SetDependency(2, 1, true);
    List.DeleteWork(1);
    EXPECT_EQ(Names(List), (std::vector<std::string>{"A", "C"}));
    EXPECT_EQ(Cells(List), (std::vector<TABs>{{-1, -1}, {LinkDirect, -1}}));
}

TEST(WorkListEdit, DeleteKeepsTheOrderOfTheRestAndRestoreGivesBackEveryCell) {
    for (unsigned Seed = 1; Seed <= 12; ++Seed) {
        TWorkList List;
        FillRandom(List, 25, Seed);
        const std::vector<TABs> Before = Cells(List);
        const std::vector<std::string> NamesBefore = Names(List);
        const int Index = static_cast<int>(Seed * 7 % 25);
        const TRemovedWork Removed = List.DeleteWork(Index);
        ASSERT_EQ(List.Count(), 24);
        for (int a = 0; a < 25; ++a)
            for (int b = 0; b < 25; ++b) {
                if (a == Index || b == Index || a == b)
                    continue;
                const std::int8_t Old = Before[static_cast<std::size_t>(a)][static_cast<std::size_t>(b)];
                const bool Was = Old == LinkDirect || Old == LinkImplied || Old == LinkRedundant;
                EXPECT_EQ(Depends(List, NamesBefore[static_cast<std::size_t>(a)],
                                  NamesBefore[static_cast<std::size_t>(b)]),
                          Was)
                    << "seed " << Seed << " cell " << a << "," << b;
            }
        List.RestoreWork(Removed);
        EXPECT_EQ(Cells(List), Before) << "seed " << Seed;
        EXPECT_EQ(Names(List), NamesBefore);
    }
}

TEST(WorkListEdit, MovingPermutesTheMatrixAndBackIsTheIdentity) {
    TWorkList List;
    FillRandom(List, 20, 99);
    const std::vector<TABs> Before = Cells(List);
    const std::vector<std::string> NamesBefore = Names(List);
    List.MoveWork(3, 4);
    List.MoveWork(17, 2);
    for (int a = 0; a < 20; ++a)
        for (int b = 0; b < 20; ++b) {
            if (a == b)
                continue;
            EXPECT_EQ(Depends(List, NamesBefore[static_cast<std::size_t>(a)],
                                  NamesBefore[static_cast<std::size_t>(b)]),
                      Before[static_cast<std::size_t>(a)][static_cast<std::size_t>(b)] > 0);
        }
    List.MoveWork(2, 17);
    List.MoveWork(4, 3);
    EXPECT_EQ(Cells(List), Before);
    EXPECT_EQ(Names(List), NamesBefore);
}

TEST(WorkListEdit, AnInsertedWorkIsFreeAndDeletingItGivesBackTheScheme) {
    TWorkList List;
    FillRandom(List, 10, 5);
    const std::vector<TABs> Before = Cells(List);
    std::vector<std::int32_t> Kinds;
    List.AddListener([&](TWorkList&, std::int32_t, std::int32_t Kind) { Kinds.push_back(Kind); });
    List.InsertWork(4, "Новая", 2);
    EXPECT_EQ(List.GetWork(4).Name, "Новая");
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(List.GetWork(4).Links[static_cast<std::size_t>(i)], i == 4 ? -1 : LinkFree);
        EXPECT_EQ(List.GetWork(i).Links[4], i == 4 ? -1 : LinkFree);
    }
    List.DeleteWork(4);
    EXPECT_EQ(Cells(List), Before);
    EXPECT_EQ(Kinds, (std::vector<std::int32_t>{ckInsert, ckDelete}));
}

} // namespace
