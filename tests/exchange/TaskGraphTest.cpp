// Tasks of other programs on their way to works: passages collapsed, names
// made unique, contours and oversized plans refused.

#include "ExchangeTestSupport.h"

#include "exchange/TaskGraph.h"
#include "model/SchemeFile.h"

#include <random>
#include <set>

namespace {

// The works each work waits for, by walking back through passages from
// every work alone: the plain rule the collapse must equal.
std::vector<std::set<int>> WalkBack(const std::vector<bool>& IsWork,
                                    const std::vector<std::vector<int>>& Before) {
    std::vector<int> WorkIndex;
    int Works = 0;
    for (const bool Work : IsWork)
        WorkIndex.push_back(Work ? Works++ : -1);
    std::vector<std::set<int>> Out;
    for (std::size_t k = 0; k < IsWork.size(); ++k) {
        if (!IsWork[k])
            continue;
        std::set<int> Found;
        std::vector<bool> Seen(IsWork.size(), false);
        std::vector<int> Stack = Before[k];
        while (!Stack.empty()) {
            const auto j = static_cast<std::size_t>(Stack.back());
            Stack.pop_back();
            if (Seen[j])
                continue;
            Seen[j] = true;
            if (IsWork[j])
                Found.insert(WorkIndex[j]);
            else
                Stack.insert(Stack.end(), Before[j].begin(), Before[j].end());
        }
        Out.push_back(Found);
    }
    return Out;
}

TEST(TaskGraph, WorksWaitForExactlyTheWorksBehindTheirPassagesOnRandomPlans) {
    std::mt19937 Random(26);
    for (int Round = 0; Round < 300; ++Round) {
        const int n = 2 + static_cast<int>(Random() % 40);
        const unsigned PassageShare = 1 + Random() % 8; // in tenths
        TTaskGraph Graph;
        std::vector<bool> IsWork;
        std::vector<std::vector<int>> Before(static_cast<std::size_t>(n));
        for (int k = 0; k < n; ++k) {
            IsWork.push_back(Random() % 10 >= PassageShare);
            if (IsWork.back())
                Graph.AddWork("W" + std::to_string(k), 1, "W" + std::to_string(k));
            else
                Graph.AddPassage("P" + std::to_string(k));
            // Links only from earlier nodes: no contour anywhere.
            for (int j = 0; j < k; ++j)
                if (Random() % 100 < 12) {
                    Graph.AddLink(j, k);
                    Before[static_cast<std::size_t>(k)].push_back(j);
                }
        }
        std::string Error;
        const auto Plan = Graph.Build("g", Error);
        ASSERT_TRUE(Plan) << Error;
        const auto Expected = WalkBack(IsWork, Before);
        ASSERT_EQ(Plan->Works.size(), Expected.size());
        for (std::size_t i = 0; i < Expected.size(); ++i) {
            std::set<int> Got;
            for (std::size_t j = 0; j < Plan->Works[i].Links.size(); ++j)
                if (Plan->Works[i].Links[j] == LinkDirect)
                    Got.insert(static_cast<int>(j));
            ASSERT_EQ(Got, Expected[i]) << "round " << Round << ", work " << i;
        }
    }
}

TEST(TaskGraph, ALongChainOfMilestonesPassesEveryWorkBeforeItToEveryWorkAfterIt) {
    TTaskGraph Graph;
    std::vector<int> First;
    for (int k = 0; k < 200; ++k)
        First.push_back(Graph.AddWork("A" + std::to_string(k), 1, "A"));
    int Last = Graph.AddPassage("M");
    for (int w : First)
        Graph.AddLink(w, Last);
    for (int k = 1; k < 20000; ++k) {
        const int Next = Graph.AddPassage("M");
        Graph.AddLink(Last, Next);
        Last = Next;
    }
    for (int k = 0; k < 200; ++k)
        Graph.AddLink(Last, Graph.AddWork("B" + std::to_string(k), 1, "B"));
    std::string Error;
    const auto Plan = Graph.Build("chain", Error);
    ASSERT_TRUE(Plan) << Error;
    for (std::size_t i = 200; i < 400; ++i)
        EXPECT_EQ(std::count(Plan->Works[i].Links.begin(), Plan->Works[i].Links.end(), LinkDirect),
                  200);
}

TEST(TaskGraph, ContoursOfPassagesAloneAreRefusedNamingThem) {
    for (const bool Self : {false, true}) {
        TTaskGraph Graph;
        const int a = Graph.AddPassage("веха «M1»");
        const int b = Self ? a : Graph.AddPassage("веха «M2»");
        Graph.AddLink(a, b);
        Graph.AddLink(b, a);
        Graph.AddLink(b, Graph.AddWork("A", 1, "A"));
        std::string Error;
        EXPECT_FALSE(Graph.Build("g", Error));
        EXPECT_EQ(Error, Self
                             ? "g: зависимости образуют контур: веха «M1» ждёт окончания самой себя"
                             : "g: зависимости образуют контур: веха «M1» и веха «M2» ждут "
                               "окончания друг друга");
    }
}

TEST(TaskGraph, RepeatedNamesTakeTheFirstFreeNumberEvenByTheThousand) {
    const auto Names = [](const std::vector<std::string>& In) {
        TTaskGraph Graph;
        for (const std::string& Name : In)
            Graph.AddWork(Name, 1, Name);
        std::string Error;
        const auto Plan = Graph.Build("g", Error);
        std::vector<std::string> Out;
        for (const TWorkData& Work : Plan->Works)
            Out.push_back(Work.Name);
        return Out;
    };
    // Numbers that other works bring, even later ones, and numbers earlier
    // repeats took are passed over.
    EXPECT_EQ(Names({"A", "A", "A (2)", "A", "A (3) (2)", "A (3)", "A (3)"}),
              (std::vector<std::string>{"A", "A (4)", "A (2)", "A (5)", "A (3) (2)", "A (3)",
                                        "A (3) (3)"}));
    const std::vector<std::string> Many = Names(std::vector<std::string>(5000, "B"));
    EXPECT_EQ(Many[1], "B (2)");
    EXPECT_EQ(Many.back(), "B (5000)");
}

TEST(TaskGraph, APlanOfMoreWorksThanASchemeTakesIsRefusedWithTheCount) {
    TTaskGraph Graph;
    for (int k = 0; k <= MaxWorks; ++k)
        Graph.AddWork("W" + std::to_string(k), 1, "W");
    std::string Error;
    EXPECT_FALSE(Graph.Build("big", Error));
    EXPECT_EQ(Error, "big: " + TooMany);
}

} // namespace
