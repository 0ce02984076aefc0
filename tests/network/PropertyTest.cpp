// Properties of the finished and analysed network on random schemes, checked
// against small oracles that work from the dependencies or from the network's
// links alone.

#include "NetworkTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

using namespace NetworkTest;

namespace {

using TWorkSet = std::set<int>;

// Every work's transitive predecessors, by plain search over the dependencies.
std::vector<TWorkSet> Predecessors(const TScheme& S) {
    std::vector<TWorkSet> Result(S.Deps.size());
    for (std::size_t i = 0; i < S.Deps.size(); ++i) {
        std::vector<int> Stack(S.Deps[i].begin(), S.Deps[i].end());
        while (!Stack.empty()) {
            const int j = Stack.back();
            Stack.pop_back();
            if (Result[i].insert(j).second)
                for (const int k : S.Deps[static_cast<std::size_t>(j)])
                    Stack.push_back(k);
        }
    }
    return Result;
}

// The longest chain of works, from the dependencies.
TReal LongestChain(const TScheme& S) {
    std::vector<TReal> Finish(S.Durations.size(), 0);
    TReal Longest = 0;
    // Works depend only on earlier works in RandomScheme.
    for (std::size_t i = 0; i < S.Durations.size(); ++i) {
        TReal Start = 0;
        for (const int j : S.Deps[i])
            Start = std::max(Start, Finish[static_cast<std::size_t>(j)]);
        Finish[i] = Start + S.Durations[i];
        Longest = std::max(Longest, Finish[i]);
    }
    return Longest;
}

// The events and their links (among events only) as the network stands.
struct TEventGraph {
    std::vector<THandle> Events;
    std::map<THandle, std::vector<THandle>> Out;
    std::map<THandle, int> Index;
    // Reach[i][j]: event j is reachable from event i by one link or more.
    std::vector<std::vector<char>> Reach;

    explicit TEventGraph(const TCircuitEngine& Engine) : Events(NetworkTest::Events(Engine)) {
        for (std::size_t i = 0; i < Events.size(); ++i)
            Index[Events[i]] = static_cast<int>(i);
        for (const THandle e : Events)
            for (const THandle s : NodeOf(Engine, e).OutLinks)
                if (IsEvent(NodeOf(Engine, s)))
                    Out[e].push_back(s);
        for (const THandle e : Events)
            Reach.push_back(Search(e, 0));
    }
    bool Reaches(THandle From, THandle To) const {
        return Reach[static_cast<std::size_t>(Index.at(From))]
                    [static_cast<std::size_t>(Index.at(To))];
    }
    // Whether To is reachable from From without the direct link From -> Skip.
    bool ReachesOtherwise(THandle From, THandle To, THandle Skip) const {
        return Search(From, Skip)[static_cast<std::size_t>(Index.at(To))];
    }
    const std::vector<THandle>& Links(THandle e) const {
        static const std::vector<THandle> None;
        const auto It = Out.find(e);
        return It == Out.end() ? None : It->second;
    }

private:
    std::vector<char> Search(THandle From, THandle Skip) const {
        std::vector<char> Seen(Events.size(), 0);
        std::vector<THandle> Stack;
        for (const THandle s : Links(From))
            if (s != Skip)
                Stack.push_back(s);
        while (!Stack.empty()) {
            const THandle x = Stack.back();
            Stack.pop_back();
            char& Mark = Seen[static_cast<std::size_t>(Index.at(x))];
            if (Mark)
                continue;
            Mark = 1;
            for (const THandle s : Links(x))
                Stack.push_back(s);
        }
        return Seen;
    }
};

// Weight of the arc u -> v as the path search must see it: 0 when fictive,
// else the longest of the works between the two.
TReal ArcWeight(const TCircuitEngine& Engine, THandle u, THandle v) {
    const TLinkData& U = DataOf(Engine, u);
    if (U.FictOut->HasKey(static_cast<std::int32_t>(v)))
        return 0;
    TReal w = -1;
    for (const TMultitudeElement& Arc : *U.Arcs)
        if (Arc.Value == static_cast<std::int32_t>(v))
            w = std::max(w, Arc.Weight);
    return w;
}

void CheckFinishedNetwork(const TCircuitEngine& Engine, const TScheme& S) {
    const TEventGraph G(Engine);
    const int n = static_cast<int>(S.Durations.size());
    const std::set<THandle> Live(G.Events.begin(), G.Events.end());

    // Every work is the key of exactly one arc element.
    std::vector<int> Seen(static_cast<std::size_t>(n), 0);
    std::vector<THandle> TailOf(static_cast<std::size_t>(n), 0);
    std::vector<THandle> HeadOf(static_cast<std::size_t>(n), 0);
    for (const THandle e : G.Events)
        for (const TMultitudeElement& Arc : *DataOf(Engine, e).Arcs) {
            ASSERT_TRUE(Arc.Key >= 0 && Arc.Key < n);
            ++Seen[static_cast<std::size_t>(Arc.Key)];
            TailOf[static_cast<std::size_t>(Arc.Key)] = e;
            HeadOf[static_cast<std::size_t>(Arc.Key)] = static_cast<THandle>(Arc.Value);
            const THandle Head = static_cast<THandle>(Arc.Value);
            ASSERT_TRUE(Live.count(Head)) << "arc of work " << Arc.Key << " to a dead vertex";
            EXPECT_EQ(Arc.Weight, S.Durations[static_cast<std::size_t>(Arc.Key)]);
        }
    for (int k = 0; k < n; ++k)
        EXPECT_EQ(Seen[static_cast<std::size_t>(k)], 1) << "work " << k;

    // Links and sets agree: out-links are the heads of the arcs and the
    // fictive successors, Mul4 holds exactly the event predecessors.
    std::map<THandle, std::set<THandle>> Preds;
    int Sources = 0;
    int Sinks = 0;
    for (const THandle e : G.Events) {
        const TLinkNode& N = NodeOf(Engine, e);
        const TLinkData& D = *N.Data;
        std::set<THandle> Expected;
        for (const TMultitudeElement& Arc : *D.Arcs)
            Expected.insert(static_cast<THandle>(Arc.Value));
        for (const TMultitudeElement& f : *D.FictOut) {
            ASSERT_TRUE(Live.count(static_cast<THandle>(f.Key)));
            EXPECT_TRUE(DataOf(Engine, static_cast<THandle>(f.Key))
                            .FictIn->HasKey(static_cast<std::int32_t>(e)));
            Expected.insert(static_cast<THandle>(f.Key));
        }
        EXPECT_EQ(std::set<THandle>(N.OutLinks.begin(), N.OutLinks.end()), Expected) << e;
        for (const THandle s : N.OutLinks)
            Preds[s].insert(e);
        ASSERT_GE(N.InLinks.size(), 2u);
        EXPECT_EQ(N.InLinks[0], N.TypeID == TypePiA ? 2u : 3u);
        EXPECT_EQ(N.InLinks[1], 1u);
        Sinks += N.OutLinks.empty();
    }
    for (const THandle e : G.Events) {
        std::set<THandle> Mul4;
        for (const TMultitudeElement& m : *DataOf(Engine, e).Mul4)
            Mul4.insert(static_cast<THandle>(m.Key));
        EXPECT_EQ(Mul4, Preds[e]) << e;
        for (const TMultitudeElement& f : *DataOf(Engine, e).FictIn)
            EXPECT_TRUE(Mul4.count(static_cast<THandle>(f.Key)));
        if (Mul4.empty()) {
            ++Sources;
            EXPECT_EQ(NodeOf(Engine, e).TypeID, TypePiA);
            EXPECT_TRUE(DataOf(Engine, e).Mul1->Empty());
        }
    }
    EXPECT_EQ(Sources, 1);
    EXPECT_EQ(Sinks, 1);

    // hPiA and hW list exactly the events of their kind.
    std::set<THandle> Listed;
    for (const THandle Root : {2u, 3u})
        for (const THandle e : NodeOf(Engine, Root).OutLinks) {
            EXPECT_EQ(NodeOf(Engine, e).TypeID, Root == 2u ? TypePiA : TypeW);
            Listed.insert(e);
        }
    EXPECT_EQ(Listed, Live);

    // No fictive arc is implied by another path.
    for (const THandle e : G.Events)
        for (const TMultitudeElement& f : *DataOf(Engine, e).FictOut)
            EXPECT_FALSE(
                G.ReachesOtherwise(e, static_cast<THandle>(f.Key), static_cast<THandle>(f.Key)))
                << "implied fictive arc " << e << "->" << f.Key;

    // The event a work starts at is reached by exactly the works it must
    // wait for, and the works that end at an event come first in its Mul3.
    const auto Pred = Predecessors(S);
    std::map<THandle, TWorkSet> EndingAt;
    for (int k = 0; k < n; ++k)
        EndingAt[HeadOf[static_cast<std::size_t>(k)]].insert(k);
    for (int k = 0; k < n; ++k) {
        const THandle Tail = TailOf[static_cast<std::size_t>(k)];
        TWorkSet Finished;
        for (int w = 0; w < n; ++w) {
            const THandle Head = HeadOf[static_cast<std::size_t>(w)];
            if (Head == Tail || G.Reaches(Head, Tail))
                Finished.insert(w);
        }
        EXPECT_EQ(Finished, Pred[static_cast<std::size_t>(k)]) << "start of work " << k;
    }
    for (const THandle e : G.Events) {
        const TLinkData& D = DataOf(Engine, e);
        if (!D.Mul3)
            continue;
        TWorkSet MarkZero;
        bool Ordered = true;
        int LastMark = 0;
        for (const TMultitudeElement& m : *D.Mul3) {
            if (m.Value == 0)
                MarkZero.insert(m.Key);
            Ordered = Ordered && m.Value >= LastMark;
            LastMark = m.Value;
        }
        EXPECT_TRUE(Ordered) << e;
        EXPECT_EQ(MarkZero, EndingAt[e]) << "works ending at " << e;
    }
}

// Longest (critical) or shortest path values over the event graph, from the
// start forwards and from the end backwards.
struct TPathOracle {
    std::map<THandle, TReal> From;
    std::map<THandle, TReal> To;
    THandle Start = 0;
    THandle End = 0;

    TPathOracle(const TCircuitEngine& Engine, const TEventGraph& G, bool Longest) {
        std::vector<THandle> Order = G.Events;
        std::sort(Order.begin(), Order.end(), [&](THandle a, THandle b) {
            return DataOf(Engine, a).TopN < DataOf(Engine, b).TopN;
        });
        const auto Better = [Longest](TReal a, TReal b) { return Longest ? a > b : a < b; };
        Start = Order.front();
        End = Order.back();
        From[Start] = 0;
        for (const THandle u : Order)
            if (From.count(u))
                for (const THandle v : G.Links(u)) {
                    const TReal c = From[u] + ArcWeight(Engine, u, v);
                    if (!From.count(v) || Better(c, From[v]))
                        From[v] = c;
                }
        To[End] = 0;
        for (auto It = Order.rbegin(); It != Order.rend(); ++It)
            for (const THandle v : G.Links(*It))
                if (To.count(v)) {
                    const TReal c = To[v] + ArcWeight(Engine, *It, v);
                    if (!To.count(*It) || Better(c, To[*It]))
                        To[*It] = c;
                }
    }
};

void CheckAnalysedNetwork(const TCircuitEngine& Engine, const TScheme& S, int PathSign,
                          bool ExactDurations) {
    const TEventGraph G(Engine);
    const THandle All = Engine.GethALL(TypeAllRoot);

    // Levels strictly increase along every link, chain nodes included; every
    // drawn segment joins neighbouring levels.
    for (const THandle u : NodeOf(Engine, All).OutLinks) {
        const TLinkNode& N = NodeOf(Engine, u);
        for (const THandle v : N.OutLinks)
            EXPECT_GT(DataOf(Engine, v).TopN, N.Data->TopN) << u << "->" << v;
        if (!IsEvent(N)) {
            ASSERT_EQ(N.OutLinks.size(), 1u);
            EXPECT_EQ(DataOf(Engine, N.OutLinks[0]).TopN, N.Data->TopN + 1);
        }
    }
    for (const THandle e : G.Events)
        EXPECT_TRUE(DataOf(Engine, e).Mul4->Empty());

    // Numbers 1..E without holes, in level order; rows are a permutation
    // inside each level.
    std::vector<std::pair<std::int32_t, std::int32_t>> Numbers;
    for (const THandle e : G.Events)
        Numbers.emplace_back(DataOf(Engine, e).Number, DataOf(Engine, e).TopN);
    std::sort(Numbers.begin(), Numbers.end());
    for (std::size_t i = 0; i < Numbers.size(); ++i) {
        EXPECT_EQ(Numbers[i].first, static_cast<std::int32_t>(i + 1));
        if (i > 0) {
            EXPECT_LE(Numbers[i - 1].second, Numbers[i].second);
        }
    }
    for (const THandle L : NodeOf(Engine, Engine.GethALL(TypeLevelsRoot)).OutLinks) {
        const THandleArray& Members = NodeOf(Engine, L).OutLinks;
        std::vector<int> Rows;
        for (const THandle m : Members) {
            Rows.push_back(DataOf(Engine, m).Y);
            EXPECT_EQ(DataOf(Engine, m).TopN, DataOf(Engine, L).TopN);
        }
        std::sort(Rows.begin(), Rows.end());
        for (std::size_t j = 0; j < Rows.size(); ++j)
            EXPECT_EQ(Rows[j], static_cast<int>(j));
        EXPECT_EQ(DataOf(Engine, L).Y, static_cast<int>(Members.size()));
    }

    // Times and marks against the oracle.
    const TPathOracle Oracle(Engine, G, PathSign < 0);
    const TReal Total = Oracle.From.at(Oracle.End);
    const TReal Tolerance = ExactDurations ? 0 : 1e-12L * (1 + Total);
    EXPECT_EQ(std::fabs(DataOf(Engine, Oracle.Start).Duration), 0);
    if (PathSign < 0) {
        EXPECT_NEAR(static_cast<double>(Total), static_cast<double>(LongestChain(S)),
                    static_cast<double>(Tolerance));
    }
    for (const THandle e : G.Events)
        EXPECT_NEAR(static_cast<double>(std::fabs(DataOf(Engine, e).Duration)),
                    static_cast<double>(Oracle.From.at(e)), static_cast<double>(Tolerance))
            << "time of " << e;
    for (const THandle u : G.Events)
        for (const THandle v : G.Links(u)) {
            const TReal w = ArcWeight(Engine, u, v);
            const bool Marked = DataOf(Engine, u).CritOut->HasKey(static_cast<std::int32_t>(v));
            if (Marked) {
                EXPECT_NEAR(
                    static_cast<double>(DataOf(Engine, v).Duration - DataOf(Engine, u).Duration),
                    static_cast<double>(PathSign * w), static_cast<double>(Tolerance))
                    << u << "->" << v;
            }
            if (ExactDurations) {
                const bool Optimal =
                    Oracle.To.count(v) && Oracle.From.at(u) + w + Oracle.To.at(v) == Total;
                EXPECT_EQ(Marked, Optimal) << u << "->" << v;
            }
        }
}

struct TPropertyCase {
    const char* Name;
    unsigned Seed;
    double MinDensity;
    double MaxDensity;
    bool Fractional;
};

class RandomSchemes : public ::testing::TestWithParam<TPropertyCase> {};

} // namespace

TEST_P(RandomSchemes, FinishedAndAnalysedNetworksHoldTheirProperties) {
    const TPropertyCase& C = GetParam();
    std::mt19937 Random(C.Seed);
    std::uniform_real_distribution<double> Density(C.MinDensity, C.MaxDensity);
    for (int s = 0; s < 60; ++s) {
        const TScheme Scheme = RandomScheme(Random, 60, Density(Random), C.Fractional);
        auto List = MakeList(Scheme);
        for (const int PathSign : {-1, +1}) {
            TCircuitEngine Engine(*List);
            Engine.PathSign = PathSign;
            Engine.GetCircuit();
            ASSERT_TRUE(Engine.Circuit);
            CheckFinishedNetwork(Engine, Scheme);
            Engine.Analyse();
            CheckAnalysedNetwork(Engine, Scheme, PathSign, !C.Fractional);
            if (HasFailure()) {
                ADD_FAILURE() << "scheme " << s << " (path sign " << PathSign
                              << "): " << Describe(Scheme);
                return;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Schemes, RandomSchemes,
                         ::testing::Values(TPropertyCase{"Sparse", 1, 0.02, 0.12, false},
                                           TPropertyCase{"Medium", 2, 0.12, 0.3, false},
                                           TPropertyCase{"Dense", 3, 0.3, 0.7, false},
                                           TPropertyCase{"Fractional", 4, 0.05, 0.4, true}),
                         [](const auto& Info) { return std::string(Info.param.Name); });
