// The build and the row placement take shortcuts for large schemes: the end
// events are merged and linked from bit rows without first making every
// fictive arc, and the row swaps are decided from flat arrays in vectorised
// loops. Both must leave the store exactly as the step-by-step procedures do;
// here the step-by-step procedures are the reference, on random schemes.

#include "NetworkTestSupport.h"

#include "network/Dump.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

using namespace NetworkTest;

namespace {

// GetCircuit the long way: every fictive arc first, merges by comparing
// successor lists, then the whole reduction loop.
void BuildStepByStep(TCircuitEngine& Engine) {
    Engine.FreeCircuit();
    auto Closure = Engine.PredecessorSets();
    ASSERT_TRUE(Closure);
    Engine.CreateRoots();
    Engine.CreatePiA(*Closure);
    Closure.reset();
    Engine.WaCreate();
    Engine.CreateFictiveArcs();
    Engine.MergeEqualW();
    Engine.ReduceFictive();
}

// Every member's neighbour rows, the links as they stand, as the swap rule
// reads them: roots (no data block) left out, the level object with its row.
std::vector<int> RowsOf(const TCircuitEngine& Engine, const THandleArray& Links) {
    std::vector<int> Rows;
    for (const THandle x : Links)
        if (const TLinkNode& N = NodeOf(Engine, x); N.Data)
            Rows.push_back(N.Data->Y);
    return Rows;
}

// ReduceCrossings as the rule is written: every pair of every level in every
// pass, the three gains summed over out-links and in-links pair by pair.
void ReduceCrossingsPairwise(TCircuitEngine& Engine) {
    const THandle Levels = Engine.GethALL(TypeLevelsRoot);
    const THandleArray LevelList = NodeOf(Engine, Levels).OutLinks;
    const int Passes = static_cast<int>(LevelList.size()) / 4 + 1;
    for (int Pass = 0; Pass < Passes; ++Pass)
        for (const THandle L : LevelList) {
            const THandleArray& Members = NodeOf(Engine, L).OutLinks;
            for (std::size_t j = 0; j < Members.size(); ++j)
                for (std::size_t k = Members.size() - 1; k > j; --k) {
                    TLinkData& U = const_cast<TLinkData&>(DataOf(Engine, Members[j]));
                    TLinkData& V = const_cast<TLinkData&>(DataOf(Engine, Members[k]));
                    const int a = U.Y;
                    const int b = V.Y;
                    const auto UO = RowsOf(Engine, NodeOf(Engine, Members[j]).OutLinks);
                    const auto VO = RowsOf(Engine, NodeOf(Engine, Members[k]).OutLinks);
                    const auto UI = RowsOf(Engine, NodeOf(Engine, Members[j]).InLinks);
                    const auto VI = RowsOf(Engine, NodeOf(Engine, Members[k]).InLinks);
                    const long long Crossing = TCircuitEngine::CrossingGain(a, b, UO, VO) +
                                               TCircuitEngine::CrossingGain(a, b, UI, VI);
                    const long long Straight = TCircuitEngine::StraightGain(a, b, UO, VO) +
                                               TCircuitEngine::StraightGain(a, b, UI, VI);
                    const long long Distance = TCircuitEngine::DistanceGain(a, b, UO, VO) +
                                               TCircuitEngine::DistanceGain(a, b, UI, VI);
                    if (Crossing > 0 || (Crossing == 0 && Straight > 0) ||
                        (Crossing == 0 && Straight == 0 && Distance > 0))
                        std::swap(U.Y, V.Y);
                }
        }
}

std::map<THandle, int> AllRows(const TCircuitEngine& Engine) {
    std::map<THandle, int> Rows;
    for (std::uint32_t p = 0; p < Engine.Circuit->Count(); ++p)
        if (const TLinkNode& N = Engine.Circuit->Node(p); N.Data)
            Rows[N.Handle] = N.Data->Y;
    return Rows;
}

// Sparse and dense schemes, and the chains of one dependency per work that
// give long arcs and many chain nodes; up to 70 works so that levels hold a
// few dozen members and the vector loops run in whole groups and remainders.
std::vector<TScheme> Schemes() {
    std::mt19937 Random(20261208);
    std::vector<TScheme> Result;
    for (int i = 0; i < 90; ++i) {
        const double Density = i % 3 == 0 ? 0.05 : (i % 3 == 1 ? 0.15 : 0.4);
        Result.push_back(RandomScheme(Random, 10 + i % 60, Density, i % 2 == 1));
    }
    return Result;
}

} // namespace

TEST(Shortcuts, TheBuildEqualsTheStepByStepBuildLinkForLink) {
    for (const TScheme& S : Schemes()) {
        auto List = MakeList(S);
        TCircuitEngine Fast(*List);
        TCircuitEngine Slow(*List);
        Fast.GetCircuit();
        BuildStepByStep(Slow);
        ASSERT_TRUE(Fast.Circuit && Slow.Circuit) << Describe(S);
        ASSERT_EQ(DumpStore(*Fast.Circuit), DumpStore(*Slow.Circuit)) << Describe(S);
    }
}

TEST(Shortcuts, RowSwapsEqualThePairwiseRule) {
    int Swapped = 0;
    // Both the eight-at-a-time and, where the processor has it, the
    // sixteen-at-a-time pair loop.
    for (const bool Wide : {false, true})
    for (const TScheme& S : Schemes()) {
        TCircuitEngine::AllowWideVectors(Wide);
        auto List = MakeList(S);
        TCircuitEngine Fast(*List);
        TCircuitEngine Slow(*List);
        for (TCircuitEngine* E : {&Fast, &Slow}) {
            E->GetCircuit();
            ASSERT_TRUE(E->Circuit) << Describe(S);
            E->TopSort();
            E->FoundCriticalPath();
            E->SplitLongArcs();
            E->InitRows();
        }
        const auto Start = AllRows(Slow);
        Fast.ReduceCrossings();
        ReduceCrossingsPairwise(Slow);
        const auto Rows = AllRows(Slow);
        ASSERT_EQ(AllRows(Fast), Rows) << Describe(S) << (Wide ? " (wide)" : "");
        Swapped += Rows != Start;
    }
    TCircuitEngine::AllowWideVectors(true);
    // The schemes do exercise the swaps.
    EXPECT_GT(Swapped, 80);
}
