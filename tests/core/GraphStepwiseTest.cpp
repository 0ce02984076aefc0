// NumberLevels and CloseAndReduce against the stepwise algorithm they
// replace: levels peeled off by EmptyRows and RemoveFromRows, the closure
// grown by Unite over the transposed, renumbered graph. The fast routines
// must hand out the same graphs and tables member for member (keys, values
// and weights), refuse the same graphs and raise the same faults.

#include "CoreTestSupport.h"

#include "core/Graph.h"
#include "messages/ErrorStrings.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

using coretest::FaultText;

namespace {

std::optional<TLevelNumbering> StepwiseNumberLevels(const TGraph& G) {
    auto Replacements = std::make_unique<TMultitude>();
    auto Work = G.Copy();
    if (G.Rows.Count() <= 1)
        return TLevelNumbering{std::move(Work), std::move(Replacements)};
    TMultitude Done;
    for (const TMultitudeElement& Row : G.Rows)
        Replacements->AddKey(Row.Key);
    std::int32_t Next = 1;
    do {
        auto L = Work->EmptyRows();
        L->Subtract(Done);
        if (L->Empty())
            return std::nullopt;
        Done.Unite(*L);
        for (int j = 0; j < L->Count(); ++j) {
            int Index = 0;
            Replacements->Find((*L)[j], Index);
            (*Replacements)[Index].Value = Next + j;
            Work->RemoveFromRows((*L)[j].Key);
        }
        Next += L->Count();
    } while (Done.Count() != G.Rows.Count());
    auto Numbered = G.Renumber(*Replacements, true);
    return TLevelNumbering{std::move(Numbered), std::move(Replacements)};
}

std::optional<TClosureReduction> StepwiseCloseAndReduce(const TGraph& G) {
    auto Levels = StepwiseNumberLevels(G);
    if (!Levels)
        return std::nullopt;
    auto T = Levels->Numbered->Transpose();
    auto Cw = std::make_unique<TGraph>();
    auto Rw = std::make_unique<TGraph>();
    for (const TMultitudeElement& x : T->Rows) {
        Rw->AddRow(x.Key);
        Cw->AddRow(x.Key).Subset->AddKey(x.Key);
    }
    for (int xi = T->Rows.Count() - 1; xi >= 0; --xi) {
        const TMultitudeElement& x = T->Rows[xi];
        TMultitude& CwX = *Cw->Rows[Cw->Rows.KeyPosition(x.Key)].Subset;
        TMultitude& RwX = *Rw->Rows[Rw->Rows.KeyPosition(x.Key)].Subset;
        for (const TMultitudeElement& y : *x.Subset) {
            if (CwX.HasKey(y.Key))
                continue;
            CwX.Unite(*Cw->Rows[Cw->Rows.KeyPosition(y.Key)].Subset);
            RwX.AddKey(y.Key);
        }
    }
    Cw = Cw->Renumber(*Levels->Replacements, false);
    Rw = Rw->Renumber(*Levels->Replacements, false);
    for (TMultitudeElement& Row : Cw->Rows) {
        TMultitude Own;
        Own.AddKey(Row.Key);
        Row.Subset->Subtract(Own);
    }
    return TClosureReduction{Cw->Transpose(), Rw->Transpose()};
}

// Every member, nested sets included, with key, value and weight.
std::string Dump(const TMultitude& Set) {
    std::string Text = "{";
    for (const TMultitudeElement& M : Set) {
        Text += std::to_string(M.Key) + ":" + std::to_string(M.Value) + ":" +
                std::to_string(static_cast<double>(M.Weight));
        if (M.Subset)
            Text += Dump(*M.Subset);
        Text += " ";
    }
    return Text + "}";
}

// Vertices with gaps and negative numbers; arcs mostly downwards, so that
// many graphs have no contour, with a few arcs upwards, onto the vertex
// itself or to a number without a row.
std::unique_ptr<TGraph> RandomGraph(std::mt19937& Random, int n, double Density, int Odd) {
    std::vector<std::int32_t> Keys;
    std::uniform_int_distribution<int> Gap(1, 4);
    std::int32_t k = -5;
    for (int i = 0; i < n; ++i)
        Keys.push_back(k += Gap(Random));
    std::bernoulli_distribution Arc(Density);
    std::uniform_int_distribution<int> Kind(0, 2);
    auto G = std::make_unique<TGraph>();
    for (int i = 0; i < n; ++i) {
        TMultitudeElement& Row = G->AddRow(Keys[static_cast<std::size_t>(i)]);
        Row.Value = i;
        for (int j = 0; j < i; ++j)
            if (Arc(Random))
                Row.Subset->Add(TMultitudeElement(Keys[static_cast<std::size_t>(j)], j, 0.5L * j));
    }
    std::uniform_int_distribution<int> Pick(0, n - 1);
    for (int o = 0; o < Odd; ++o) {
        TMultitudeElement& Row = G->Rows[Pick(Random)];
        switch (Kind(Random)) {
        case 0:
            Row.Subset->AddKey(G->Rows[Pick(Random)].Key);
            break;
        case 1:
            Row.Subset->AddKey(Row.Key);
            break;
        default:
            Row.Subset->AddKey(Keys.back() + 100);
            break;
        }
    }
    return G;
}

void ExpectSameAsStepwise(const TGraph& G) {
    const std::string Before = Dump(G.Rows);
    std::string Fast;
    std::string Stepwise;
    const std::string FastFault = FaultText([&] {
        auto L = G.NumberLevels();
        Fast = L ? Dump(L->Numbered->Rows) + Dump(*L->Replacements) : "contour";
        auto R = G.CloseAndReduce();
        Fast += R ? Dump(R->Closure->Rows) + Dump(R->Reduction->Rows) : "contour";
    });
    const std::string StepwiseFault = FaultText([&] {
        auto L = StepwiseNumberLevels(G);
        Stepwise = L ? Dump(L->Numbered->Rows) + Dump(*L->Replacements) : "contour";
        auto R = StepwiseCloseAndReduce(G);
        Stepwise += R ? Dump(R->Closure->Rows) + Dump(R->Reduction->Rows) : "contour";
    });
    ASSERT_EQ(FastFault, StepwiseFault) << Before;
    ASSERT_EQ(Fast, Stepwise) << Before;
    ASSERT_EQ(Dump(G.Rows), Before);
}

TEST(GraphAgainstStepwise, RandomGraphsGiveTheSameLevelsClosureAndReduction) {
    std::mt19937 Random(271828);
    for (int Round = 0; Round < 400; ++Round) {
        const int n = 1 + Round % 70;
        const double Density = Round % 4 == 0 ? 0.5 : (Round % 4 == 1 ? 0.15 : 0.04);
        const int Odd = Round % 3 == 0 ? 1 : 0;
        auto G = RandomGraph(Random, n, Density, Odd);
        ExpectSameAsStepwise(*G);
        if (HasFailure())
            return;
    }
}

TEST(GraphAgainstStepwise, OneRowAndNoRowsAlike) {
    TGraph None;
    ExpectSameAsStepwise(None);
    TGraph Loop;
    Loop.AddRow(7).Subset->AddKey(7);
    ExpectSameAsStepwise(Loop);
    TGraph Missing;
    Missing.AddRow(7).Subset->AddKey(8);
    ExpectSameAsStepwise(Missing);
    EXPECT_EQ(FaultText([&] { Missing.CloseAndReduce(); }), Msg::TransposeRowMissing);
    TGraph Bare;
    Bare.Rows.Add(TMultitudeElement(3, 9, 1.5L));
    Bare.Rows.Add(TMultitudeElement(4));
    ExpectSameAsStepwise(Bare);
}

} // namespace
