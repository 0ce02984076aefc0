// The build and the row placement take shortcuts for large schemes: the end
// events are merged and linked from bit rows without first making every
// fictive arc, and the row swaps are decided from flat arrays in vectorised
// loops. Both must leave the store exactly as the step-by-step procedures do;
// here the step-by-step procedures are the reference, on random schemes
// (for the rows: ReduceCrossingsPairwise, which applies SwapRule itself).

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
    // Each of the pair loops: sixteen at a time (where the processor has
    // AVX2), eight at a time, and the 32-bit loops.
    enum TLoops { Wide16, Narrow16, Plain32 };
    int Swapped = 0;
    for (const TLoops Loops : {Wide16, Narrow16, Plain32})
    for (const TScheme& S : Schemes()) {
        TCircuitEngine::AllowWideVectors(Loops == Wide16);
        TCircuitEngine::AllowShortRows(Loops != Plain32);
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
        Slow.ReduceCrossingsPairwise();
        const auto Rows = AllRows(Slow);
        ASSERT_EQ(AllRows(Fast), Rows) << Describe(S) << " (loops " << Loops << ")";
        Swapped += Rows != Start;
    }
    TCircuitEngine::AllowWideVectors(true);
    TCircuitEngine::AllowShortRows(true);
    // The schemes do exercise the swaps.
    EXPECT_GT(Swapped, 120);
}
