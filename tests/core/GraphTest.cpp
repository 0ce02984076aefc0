#include "CoreTestSupport.h"

#include "core/Graph.h"
#include "messages/ErrorStrings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <map>
#include <numeric>
#include <random>
#include <set>
#include <vector>

using coretest::ArcsOf;
using coretest::Describe;
using coretest::FaultText;
using coretest::Keys;
using coretest::MakeGraph;
using coretest::TArcs;

namespace {

constexpr std::int32_t Min32 = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t Max32 = std::numeric_limits<std::int32_t>::max();

using TTable = std::map<std::int32_t, std::int32_t>;

TTable TableOf(const TMultitude& Replacements) {
    TTable Result;
    for (const TMultitudeElement& M : Replacements)
        Result[M.Key] = M.Value;
    return Result;
}

std::unique_ptr<TMultitude> MakeTable(const TTable& Table) {
    auto Result = std::make_unique<TMultitude>();
    for (const auto& [Old, New] : Table)
        Result->Add(TMultitudeElement(Old, New));
    return Result;
}

// --- an independent oracle on plain maps ---

std::set<std::int32_t> Reachable(const TArcs& Arcs, std::int32_t From) {
    std::set<std::int32_t> Seen;
    std::vector<std::int32_t> Stack(Arcs.at(From).begin(), Arcs.at(From).end());
    while (!Stack.empty()) {
        const std::int32_t v = Stack.back();
        Stack.pop_back();
        if (!Seen.insert(v).second)
            continue;
        for (std::int32_t s : Arcs.at(v))
            Stack.push_back(s);
    }
    return Seen;
}

TArcs ClosureOracle(const TArcs& Arcs) {
    TArcs Result;
    for (const auto& [u, Successors] : Arcs) {
        const auto r = Reachable(Arcs, u);
        Result[u] = std::vector<std::int32_t>(r.begin(), r.end());
    }
    return Result;
}

// An arc u -> v stays when no other successor of u leads on to v.
TArcs ReductionOracle(const TArcs& Arcs) {
    TArcs Result;
    for (const auto& [u, Successors] : Arcs) {
        auto& Row = Result[u];
        for (std::int32_t v : Successors) {
            bool Implied = false;
            for (std::int32_t w : Successors)
                if (w != v && Reachable(Arcs, w).count(v))
                    Implied = true;
            if (!Implied)
                Row.push_back(v);
        }
    }
    return Result;
}

// Level of a vertex: 1 without successors, else one above its highest successor.
TTable LevelNumbersOracle(const TArcs& Arcs) {
    std::map<std::int32_t, int> Level;
    bool Changed = true;
    while (Changed) {
        Changed = false;
        for (const auto& [u, Successors] : Arcs) {
            if (Level.count(u))
                continue;
            int Highest = 0;
            bool Ready = true;
            for (std::int32_t s : Successors) {
                if (!Level.count(s)) {
                    Ready = false;
                    break;
                }
                Highest = std::max(Highest, Level[s]);
            }
            if (Ready) {
                Level[u] = Highest + 1;
                Changed = true;
            }
        }
    }
    std::vector<std::pair<int, std::int32_t>> Order;
    for (const auto& [v, l] : Level)
        Order.emplace_back(l, v);
    std::sort(Order.begin(), Order.end());
    TTable Result;
    for (std::size_t i = 0; i < Order.size(); ++i)
        Result[Order[i].second] = static_cast<std::int32_t>(i + 1);
    return Result;
}

// A random DAG over the given vertex numbers: arcs only lead from a vertex to
// one placed earlier in a shuffled order, so no contour can arise.
TArcs RandomDag(std::mt19937& Random, std::vector<std::int32_t> Vertices, double Density) {
    std::shuffle(Vertices.begin(), Vertices.end(), Random);
    std::bernoulli_distribution Arc(Density);
    TArcs Result;
    for (std::size_t i = 0; i < Vertices.size(); ++i) {
        auto& Row = Result[Vertices[i]];
        for (std::size_t j = 0; j < i; ++j)
            if (Arc(Random))
                Row.push_back(Vertices[j]);
        std::sort(Row.begin(), Row.end());
    }
    return Result;
}

std::vector<std::int32_t> Contiguous(int n, std::int32_t First) {
    std::vector<std::int32_t> v(static_cast<std::size_t>(n));
    std::iota(v.begin(), v.end(), First);
    return v;
}

// Distinct numbers spread over the whole 32-bit range, both extremes included.
std::vector<std::int32_t> Scattered(std::mt19937& Random, int n) {
    std::set<std::int32_t> s = {Min32, Max32, 0, -1};
    std::uniform_int_distribution<std::int32_t> Any(Min32, Max32);
    while (static_cast<int>(s.size()) < n)
        s.insert(Any(Random));
    std::vector<std::int32_t> v(s.begin(), s.end());
    v.resize(static_cast<std::size_t>(n));
    return v;
}

std::vector<std::vector<std::int32_t>> VertexSets(std::mt19937& Random, int n) {
    std::uniform_int_distribution<std::int32_t> Gap(1, 1000);
    std::vector<std::int32_t> Sparse;
    std::int32_t k = -5000;
    for (int i = 0; i < n; ++i)
        Sparse.push_back(k += Gap(Random));
    return {Contiguous(n, 0), Contiguous(n, -n / 2), Sparse, Scattered(Random, n)};
}

} // namespace

// ------------------------------------------------------------- row utilities

TEST(GraphRows, EmptyRowsRowIsEmptyAndRemoveFromRows) {
    auto G = MakeGraph({{1, {}}, {2, {1}}, {3, {1, 2}}, {4, {}}});
    EXPECT_EQ(Keys(*G->EmptyRows()), (std::vector<std::int32_t>{1, 4}));
    EXPECT_TRUE(G->RowIsEmpty(0));
    EXPECT_FALSE(G->RowIsEmpty(2));
    G->RemoveFromRows(1);
    EXPECT_EQ(ArcsOf(*G), (TArcs{{1, {}}, {2, {}}, {3, {2}}, {4, {}}}));
    G->RemoveFromRows(99);
    EXPECT_EQ(Keys(*G->EmptyRows()), (std::vector<std::int32_t>{1, 2, 4}));
    EXPECT_NE(FaultText([&] { G->RowIsEmpty(4); }), "<no fault>");
    G->Clear();
    EXPECT_EQ(G->Rows.Count(), 0);
}

TEST(GraphCopy, CopyIsIndependentAndKeepsValuesAndWeights) {
    auto G = MakeGraph({{1, {}}, {2, {1}}});
    G->Rows[1].Value = 5;
    G->Rows[1].Weight = 2.5L;
    (*G->Rows[1].Subset)[0].Value = 6;
    (*G->Rows[1].Subset)[0].Weight = 3.5L;
    auto C = G->Copy();
    EXPECT_EQ(ArcsOf(*C), ArcsOf(*G));
    EXPECT_EQ(C->Rows[1].Value, 5);
    EXPECT_EQ(C->Rows[1].Weight, 2.5L);
    EXPECT_EQ((*C->Rows[1].Subset)[0].Value, 6);
    EXPECT_EQ((*C->Rows[1].Subset)[0].Weight, 3.5L);
    C->Rows[0].Subset->AddKey(2);
    EXPECT_EQ(ArcsOf(*G), (TArcs{{1, {}}, {2, {1}}}));
}

// ---------------------------------------------------------------- Transpose

TEST(GraphTranspose, ReversesEveryArcAndCarriesKeysOnly) {
    auto G = MakeGraph({{1, {2, 3}}, {2, {3}}, {3, {}}, {4, {}}});
    G->Rows[0].Value = 9;
    G->Rows[0].Weight = 1;
    auto T = G->Transpose();
    EXPECT_EQ(ArcsOf(*T), (TArcs{{1, {}}, {2, {1}}, {3, {1, 2}}, {4, {}}}));
    for (const TMultitudeElement& Row : T->Rows) {
        EXPECT_EQ(Row.Value, 0);
        EXPECT_EQ(Row.Weight, 0);
    }
    EXPECT_EQ(ArcsOf(*T->Transpose()), ArcsOf(*G));
}

TEST(GraphTranspose, AGraphWithoutArcsKeepsAllItsVertices) {
    auto G = MakeGraph({{-3, {}}, {0, {}}, {7, {}}});
    EXPECT_EQ(ArcsOf(*G->Transpose()), (TArcs{{-3, {}}, {0, {}}, {7, {}}}));
    EXPECT_EQ(G->Transpose()->Rows.Count(), 3);
    EXPECT_EQ(TGraph().Transpose()->Rows.Count(), 0);
}

TEST(GraphTranspose, AnArcToAVertexWithoutARowFaults) {
    auto G = MakeGraph({{1, {2}}, {3, {}}});
    EXPECT_EQ(FaultText([&] { G->Transpose(); }), Msg::TransposeRowMissing);
    EXPECT_EQ(ArcsOf(*G), (TArcs{{1, {2}}, {3, {}}}));
}

TEST(GraphTranspose, TwiceGivesBackRandomGraphs) {
    std::mt19937 Random(5);
    for (int Round = 0; Round < 50; ++Round) {
        for (const auto& Vertices : VertexSets(Random, 12)) {
            // Not necessarily acyclic: every arc between two rows is allowed.
            std::bernoulli_distribution Arc(0.2);
            TArcs A;
            for (std::int32_t u : Vertices) {
                auto& Row = A[u];
                for (std::int32_t v : Vertices)
                    if (Arc(Random))
                        Row.push_back(v);
            }
            for (auto& [u, s] : A)
                std::sort(s.begin(), s.end());
            auto G = MakeGraph(A);
            ASSERT_EQ(ArcsOf(*G->Transpose()->Transpose()), A) << Describe(A);
        }
    }
}

// ----------------------------------------------------------------- Renumber

TEST(GraphRenumber, AnEmptyTableGivesACopy) {
    auto G = MakeGraph({{1, {2}}, {2, {}}});
    G->Rows[0].Value = 4;
    auto R = G->Renumber(TMultitude(), true);
    EXPECT_EQ(ArcsOf(*R), ArcsOf(*G));
    EXPECT_EQ(R->Rows[0].Value, 4);
}

TEST(GraphRenumber, ReplacesEveryNumberAndKeepsValuesAndWeights) {
    auto G = MakeGraph({{1, {2, 3}}, {2, {3}}, {3, {}}});
    G->Rows[0].Value = 11;
    G->Rows[0].Weight = 1.5L;
    (*G->Rows[0].Subset)[1].Value = 12;
    (*G->Rows[0].Subset)[1].Weight = 2.5L;
    const auto Table = MakeTable({{1, 300}, {2, -20}, {3, 100}});
    auto R = G->Renumber(*Table, true);
    EXPECT_EQ(ArcsOf(*R), (TArcs{{-20, {100}}, {100, {}}, {300, {-20, 100}}}));
    const TMultitudeElement& Row = R->Rows[2];
    EXPECT_EQ(Row.Value, 11);
    EXPECT_EQ(Row.Weight, 1.5L);
    const TMultitudeElement& Successor = (*Row.Subset)[1];
    ASSERT_EQ(Successor.Key, 100);
    EXPECT_EQ(Successor.Value, 12);
    EXPECT_EQ(Successor.Weight, 2.5L);
}

TEST(GraphRenumber, BackwardsReadsTheTableFromNewToOld) {
    auto G = MakeGraph({{-20, {100}}, {100, {}}, {300, {-20, 100}}});
    const auto Table = MakeTable({{1, 300}, {2, -20}, {3, 100}});
    EXPECT_EQ(ArcsOf(*G->Renumber(*Table, false)), (TArcs{{1, {2, 3}}, {2, {3}}, {3, {}}}));
}

TEST(GraphRenumber, RowsMissingFromTheTableAreDroppedAndExtraNumbersIgnored) {
    auto G = MakeGraph({{1, {}}, {2, {1}}, {3, {}}});
    const auto Table = MakeTable({{1, 10}, {2, 20}, {77, 770}});
    EXPECT_EQ(ArcsOf(*G->Renumber(*Table, true)), (TArcs{{10, {}}, {20, {10}}}));
}

TEST(GraphRenumber, ASuccessorMissingFromTheTableFaults) {
    auto G = MakeGraph({{1, {}}, {2, {1, 3}}, {3, {}}});
    const auto Table = MakeTable({{1, 10}, {2, 20}});
    EXPECT_EQ(FaultText([&] { G->Renumber(*Table, true); }), Msg::RenumberIncomplete);
    EXPECT_EQ(ArcsOf(*G), (TArcs{{1, {}}, {2, {1, 3}}, {3, {}}}));
}

TEST(GraphRenumber, ThereAndBackGivesTheGraphBack) {
    std::mt19937 Random(1234);
    for (int Round = 0; Round < 40; ++Round) {
        for (const auto& Vertices : VertexSets(Random, 15)) {
            const TArcs A = RandomDag(Random, Vertices, 0.3);
            auto G = MakeGraph(A);
            std::uniform_int_distribution<std::int32_t> Any(-1000000, 1000000);
            for (TMultitudeElement& Row : G->Rows) {
                Row.Value = Any(Random);
                Row.Weight = Any(Random) / 8.0L;
                for (TMultitudeElement& s : *Row.Subset)
                    s.Value = Any(Random);
            }
            // A one-to-one table onto shuffled scattered numbers, plus numbers
            // the graph does not have.
            auto Targets = Scattered(Random, static_cast<int>(Vertices.size()) + 3);
            std::shuffle(Targets.begin(), Targets.end(), Random);
            TTable Map;
            for (std::size_t i = 0; i < Vertices.size(); ++i)
                Map[Vertices[i]] = Targets[i];
            const auto Table = MakeTable(Map);

            auto There = G->Renumber(*Table, true);
            TArcs Expected;
            for (const auto& [u, s] : A) {
                auto& Row = Expected[Map.at(u)];
                for (std::int32_t v : s)
                    Row.push_back(Map.at(v));
                std::sort(Row.begin(), Row.end());
            }
            ASSERT_EQ(ArcsOf(*There), Expected) << Describe(A);

            auto Back = There->Renumber(*Table, false);
            ASSERT_EQ(ArcsOf(*Back), A) << Describe(A);
            ASSERT_EQ(Back->Rows.Count(), G->Rows.Count());
            for (int i = 0; i < G->Rows.Count(); ++i) {
                ASSERT_EQ(Back->Rows[i].Value, G->Rows[i].Value);
                ASSERT_EQ(Back->Rows[i].Weight, G->Rows[i].Weight);
                for (int j = 0; j < G->Rows[i].Subset->Count(); ++j)
                    ASSERT_EQ((*Back->Rows[i].Subset)[j].Value, (*G->Rows[i].Subset)[j].Value);
            }
        }
    }
}

// ------------------------------------------------------------- NumberLevels

TEST(GraphNumberLevels, AChainIsNumberedFromItsEnd) {
    auto G = MakeGraph({{1, {}}, {2, {1}}, {3, {1, 2}}});
    auto Levels = G->NumberLevels();
    ASSERT_TRUE(Levels);
    EXPECT_EQ(TableOf(*Levels->Replacements), (TTable{{1, 1}, {2, 2}, {3, 3}}));
    EXPECT_EQ(ArcsOf(*Levels->Numbered), ArcsOf(*G));
}

TEST(GraphNumberLevels, ALevelIsNumberedInAscendingOrderOfOldNumbers) {
    auto G = MakeGraph({{10, {}}, {20, {}}, {30, {10}}});
    auto Levels = G->NumberLevels();
    ASSERT_TRUE(Levels);
    EXPECT_EQ(TableOf(*Levels->Replacements), (TTable{{10, 1}, {20, 2}, {30, 3}}));
    EXPECT_EQ(ArcsOf(*Levels->Numbered), (TArcs{{1, {}}, {2, {}}, {3, {1}}}));
}

TEST(GraphNumberLevels, OneRowOrNoneIsHandedOutInItsOwnNumbering) {
    auto One = MakeGraph({{42, {}}});
    auto Levels = One->NumberLevels();
    ASSERT_TRUE(Levels);
    EXPECT_TRUE(Levels->Replacements->Empty());
    EXPECT_EQ(ArcsOf(*Levels->Numbered), (TArcs{{42, {}}}));

    auto None = TGraph().NumberLevels();
    ASSERT_TRUE(None);
    EXPECT_TRUE(None->Replacements->Empty());
    EXPECT_EQ(None->Numbered->Rows.Count(), 0);
}

TEST(GraphNumberLevels, ContoursHandOutNothing) {
    const TArcs Cases[] = {
        {{1, {2}}, {2, {1}}},
        {{1, {}}, {2, {3}}, {3, {2}}}, // behind vertices that can be numbered
        {{1, {1}}, {2, {}}},           // a loop
        {{1, {}}, {2, {1}}, {3, {2, 4}}, {4, {3}}},
        {{1, {2}}, {3, {}}}, // 2 has no row of its own
    };
    for (const TArcs& A : Cases) {
        auto G = MakeGraph(A);
        EXPECT_FALSE(G->NumberLevels()) << Describe(A);
        EXPECT_FALSE(G->CloseAndReduce()) << Describe(A);
        EXPECT_EQ(ArcsOf(*G), A);
    }
}

TEST(GraphNumberLevels, RandomDagsAreNumberedLevelByLevel) {
    std::mt19937 Random(99);
    for (int Round = 0; Round < 40; ++Round) {
        for (const auto& Vertices : VertexSets(Random, 2 + Round % 20)) {
            const TArcs A = RandomDag(Random, Vertices, Round % 2 ? 0.15 : 0.5);
            auto G = MakeGraph(A);
            auto Levels = G->NumberLevels();
            ASSERT_TRUE(Levels) << Describe(A);
            const TTable Table = TableOf(*Levels->Replacements);
            ASSERT_EQ(Table, LevelNumbersOracle(A)) << Describe(A);

            // Numbers 1..n without holes, every arc from higher to lower.
            std::set<std::int32_t> Used;
            for (const auto& [Old, New] : Table)
                Used.insert(New);
            ASSERT_EQ(Used.size(), A.size());
            ASSERT_EQ(*Used.begin(), 1);
            ASSERT_EQ(*Used.rbegin(), static_cast<std::int32_t>(A.size()));
            const TArcs Numbered = ArcsOf(*Levels->Numbered);
            ASSERT_EQ(Numbered.size(), A.size());
            for (const auto& [u, s] : A) {
                const auto& Row = Numbered.at(Table.at(u));
                ASSERT_EQ(Row.size(), s.size());
                for (std::int32_t v : s) {
                    ASSERT_GT(Table.at(u), Table.at(v)) << Describe(A);
                    ASSERT_TRUE(std::binary_search(Row.begin(), Row.end(), Table.at(v)));
                }
            }
            ASSERT_EQ(ArcsOf(*G), A);
        }
    }
}

TEST(GraphNumberLevels, RandomGraphsWithAContourHandOutNothing) {
    std::mt19937 Random(4242);
    for (int Round = 0; Round < 60; ++Round) {
        for (const auto& Vertices : VertexSets(Random, 3 + Round % 15)) {
            TArcs A = RandomDag(Random, Vertices, 0.3);
            // Close a cycle: a path v0 -> v1 -> ... -> vk -> v0 among random vertices.
            std::vector<std::int32_t> Cycle = Vertices;
            std::shuffle(Cycle.begin(), Cycle.end(), Random);
            Cycle.resize(1 + Random() % Cycle.size());
            for (std::size_t i = 0; i < Cycle.size(); ++i) {
                auto& Row = A[Cycle[i]];
                const std::int32_t Next = Cycle[(i + 1) % Cycle.size()];
                if (!std::binary_search(Row.begin(), Row.end(), Next)) {
                    Row.push_back(Next);
                    std::sort(Row.begin(), Row.end());
                }
            }
            auto G = MakeGraph(A);
            ASSERT_FALSE(G->NumberLevels()) << Describe(A);
            ASSERT_FALSE(G->CloseAndReduce()) << Describe(A);
        }
    }
}

// ----------------------------------------------------------- CloseAndReduce

TEST(GraphCloseAndReduce, AnImpliedArcLeavesTheReduction) {
    auto G = MakeGraph({{1, {}}, {2, {1}}, {3, {1, 2}}});
    auto Result = G->CloseAndReduce();
    ASSERT_TRUE(Result);
    EXPECT_EQ(ArcsOf(*Result->Closure), (TArcs{{1, {}}, {2, {1}}, {3, {1, 2}}}));
    EXPECT_EQ(ArcsOf(*Result->Reduction), (TArcs{{1, {}}, {2, {1}}, {3, {2}}}));
}

TEST(GraphCloseAndReduce, OneRowAndNoRows) {
    auto Result = MakeGraph({{5, {}}})->CloseAndReduce();
    ASSERT_TRUE(Result);
    EXPECT_EQ(ArcsOf(*Result->Closure), (TArcs{{5, {}}}));
    EXPECT_EQ(ArcsOf(*Result->Reduction), (TArcs{{5, {}}}));
    auto Empty = TGraph().CloseAndReduce();
    ASSERT_TRUE(Empty);
    EXPECT_EQ(Empty->Closure->Rows.Count(), 0);
    EXPECT_EQ(Empty->Reduction->Rows.Count(), 0);
}

TEST(GraphCloseAndReduce, RandomDagsAgreeWithPlainReachability) {
    std::mt19937 Random(31337);
    for (int Round = 0; Round < 60; ++Round) {
        const double Density = (Round % 3 == 0) ? 0.6 : (Round % 3 == 1 ? 0.25 : 0.08);
        for (const auto& Vertices : VertexSets(Random, 1 + Round % 25)) {
            const TArcs A = RandomDag(Random, Vertices, Density);
            auto G = MakeGraph(A);
            G->Rows[0].Value = 3; // carried by the graph, not by the results
            auto Result = G->CloseAndReduce();
            ASSERT_TRUE(Result) << Describe(A);
            ASSERT_EQ(ArcsOf(*Result->Closure), ClosureOracle(A)) << Describe(A);
            ASSERT_EQ(ArcsOf(*Result->Reduction), ReductionOracle(A)) << Describe(A);
            ASSERT_EQ(Result->Closure->Rows[0].Value, 0);
            ASSERT_EQ(ArcsOf(*G), A);
        }
    }
}

// The closure of a long chain holds every pair; nothing here is timed, it
// only keeps an accidental blow-up of intermediate graphs from going unseen.
TEST(GraphCloseAndReduce, ALongChainClosesCompletely) {
    const int n = 300;
    TArcs A;
    for (int i = 0; i < n; ++i)
        A[i] = i == 0 ? std::vector<std::int32_t>{} : std::vector<std::int32_t>{i - 1};
    auto Result = MakeGraph(A)->CloseAndReduce();
    ASSERT_TRUE(Result);
    EXPECT_EQ(ArcsOf(*Result->Reduction), A);
    const TArcs Closure = ArcsOf(*Result->Closure);
    for (int i = 0; i < n; ++i)
        ASSERT_EQ(Closure.at(i).size(), static_cast<std::size_t>(i));
}
