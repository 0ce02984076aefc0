#include "core/Graph.h"

#include "messages/ErrorStrings.h"
#include "messages/InternalFault.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <vector>

bool TGraph::RowIsEmpty(int Index) const {
    const TMultitudeElement& Row = Rows.GetElement(Index);
    return !Row.Subset || Row.Subset->Empty();
}

std::unique_ptr<TMultitude> TGraph::EmptyRows() const {
    auto Result = std::make_unique<TMultitude>();
    for (int i = 0; i < Rows.Count(); ++i)
        if (RowIsEmpty(i))
            Result->AddKey(Rows[i].Key);
    return Result;
}

void TGraph::RemoveFromRows(std::int32_t Key) {
    TMultitude One;
    One.AddKey(Key);
    for (TMultitudeElement& Row : Rows)
        if (Row.Subset)
            Row.Subset->Subtract(One);
}

TMultitudeElement& TGraph::AddRow(std::int32_t Key) {
    int Index = 0;
    TMultitudeElement Probe(Key);
    if (!Rows.Find(Probe, Index)) {
        Probe.Subset = std::make_unique<TMultitude>();
        Rows.Add(std::move(Probe));
    }
    return Rows[Index];
}

const TMultitudeElement* TGraph::FindRow(std::int32_t Key) const {
    const int p = Rows.KeyPosition(Key);
    if (p < Rows.Count() && Rows[p].Key == Key)
        return &Rows[p];
    return nullptr;
}

std::unique_ptr<TGraph> TGraph::Copy() const {
    auto Result = std::make_unique<TGraph>();
    for (const TMultitudeElement& Row : Rows)
        Result->Rows.Add(Row);
    return Result;
}

std::unique_ptr<TGraph> TGraph::Transpose() const {
    auto T = std::make_unique<TGraph>();
    for (const TMultitudeElement& Row : Rows) {
        TMultitudeElement NewRow(Row.Key);
        NewRow.Subset = std::make_unique<TMultitude>();
        T->Rows.Add(std::move(NewRow));
    }
    for (const TMultitudeElement& Row : Rows) {
        if (!Row.Subset)
            continue;
        for (const TMultitudeElement& s : *Row.Subset) {
            const int p = T->Rows.KeyPosition(s.Key);
            if (p >= T->Rows.Count() || T->Rows[p].Key != s.Key)
                RaiseFault(Msg::TransposeRowMissing);
            T->Rows[p].Subset->AddKey(Row.Key);
        }
    }
    return T;
}

std::unique_ptr<TGraph> TGraph::Renumber(const TMultitude& Replacements, bool Direct) const {
    if (Replacements.Empty())
        return Copy();
    auto W = Replacements.Copy();
    if (!Direct)
        for (TMultitudeElement& w : *W)
            std::swap(w.Key, w.Value);
    // K looks up the number that replaces a successor; W is walked in
    // ascending order of the new numbers.
    auto K = W->Copy();
    W->Compare = CompareValues;
    W->Sort();

    auto R = std::make_unique<TGraph>();
    for (const TMultitudeElement& w : *W) {
        const TMultitudeElement* Source = FindRow(w.Key);
        if (!Source)
            continue;
        TMultitudeElement NewRow(w.Value, Source->Value, Source->Weight);
        NewRow.Subset = std::make_unique<TMultitude>();
        if (Source->Subset) {
            for (const TMultitudeElement& s : *Source->Subset) {
                const int p = K->KeyPosition(s.Key);
                if (p >= K->Count() || (*K)[p].Key != s.Key)
                    RaiseFault(Msg::RenumberIncomplete);
                TMultitudeElement Successor = s.Clone();
                Successor.Key = (*K)[p].Value;
                NewRow.Subset->Add(std::move(Successor));
            }
        }
        R->Rows.Add(std::move(NewRow));
    }
    return R;
}

namespace {

// The graph's rows by position (rows are ordered by key, so a position stands
// for a key in the same order) with each row's successors as positions. A
// successor without a row of its own is counted in Missing and kept nowhere.
struct TIndexedGraph {
    std::vector<std::vector<int>> Successors;
    std::vector<int> Missing;
};

TIndexedGraph IndexRows(const TMultitude& Rows) {
    const int n = Rows.Count();
    TIndexedGraph G;
    G.Successors.resize(static_cast<std::size_t>(n));
    G.Missing.assign(static_cast<std::size_t>(n), 0);
    for (int u = 0; u < n; ++u) {
        const TMultitudeElement& Row = Rows[u];
        if (!Row.Subset)
            continue;
        auto& Out = G.Successors[static_cast<std::size_t>(u)];
        Out.reserve(static_cast<std::size_t>(Row.Subset->Count()));
        for (const TMultitudeElement& s : *Row.Subset) {
            const int p = Rows.KeyPosition(s.Key);
            if (p < n && Rows[p].Key == s.Key)
                Out.push_back(p);
            else
                ++G.Missing[static_cast<std::size_t>(u)];
        }
    }
    return G;
}

// The level numbering as positions: Order[k] is the position of the row that
// receives number k + 1. Levels are peeled off from the rows without
// successors, each level in ascending key order; a row is ready when all its
// successors are numbered, which a count of the successors left tells
// without walking the other rows. No value when a row never becomes ready:
// it lies on or leads into a contour, or holds a successor without a row.
std::optional<std::vector<int>> LevelOrder(const TIndexedGraph& G) {
    const int n = static_cast<int>(G.Successors.size());
    std::vector<int> Left(static_cast<std::size_t>(n));
    std::vector<std::vector<int>> Predecessors(static_cast<std::size_t>(n));
    for (int u = 0; u < n; ++u) {
        const auto& Out = G.Successors[static_cast<std::size_t>(u)];
        Left[static_cast<std::size_t>(u)] =
            static_cast<int>(Out.size()) + G.Missing[static_cast<std::size_t>(u)];
        for (int v : Out)
            Predecessors[static_cast<std::size_t>(v)].push_back(u);
    }
    std::vector<int> Order;
    Order.reserve(static_cast<std::size_t>(n));
    std::vector<int> Level;
    for (int u = 0; u < n; ++u)
        if (Left[static_cast<std::size_t>(u)] == 0)
            Level.push_back(u);
    std::vector<int> NextLevel;
    while (!Level.empty()) {
        NextLevel.clear();
        for (int v : Level) {
            Order.push_back(v);
            for (int u : Predecessors[static_cast<std::size_t>(v)])
                if (--Left[static_cast<std::size_t>(u)] == 0)
                    NextLevel.push_back(u);
        }
        std::sort(NextLevel.begin(), NextLevel.end());
        std::swap(Level, NextLevel);
    }
    if (static_cast<int>(Order.size()) != n)
        return std::nullopt;
    return Order;
}

} // namespace

namespace {

// Bit c of word r becomes bit r of word c.
void Transpose64(std::uint64_t (&a)[64]) {
    std::uint64_t Mask = 0x00000000FFFFFFFFULL;
    for (unsigned j = 32; j != 0; j >>= 1, Mask ^= Mask << j)
        for (unsigned k = 0; k < 64; k = ((k | j) + 1) & ~j) {
            const std::uint64_t t = ((a[k] >> j) ^ a[k | j]) & Mask;
            a[k] ^= t << j;
            a[k | j] ^= t;
        }
}

} // namespace

TBitRows TBitRows::Transposed(int Columns) const {
    const int Rows = RowCount();
    TBitRows Result(Columns, Rows);
    std::uint64_t Block[64];
    for (int r0 = 0; r0 < Rows; r0 += 64) {
        const int Height = std::min(64, Rows - r0);
        for (std::size_t w = 0; w < Words; ++w) {
            const int c0 = static_cast<int>(w * 64);
            const int Width = std::min(64, Columns - c0);
            std::uint64_t Any = 0;
            for (int k = 0; k < 64; ++k) {
                Block[k] = k < Height ? Row(r0 + k)[w] : 0;
                Any |= Block[k];
            }
            if (Any == 0)
                continue;
            Transpose64(Block);
            for (int k = 0; k < Width; ++k)
                Result.Row(c0 + k)[static_cast<std::size_t>(r0 / 64)] = Block[k];
        }
    }
    return Result;
}

TMultitudeElement RowOfBits(const TMultitude& Rows, const TBitRows& Bits, int u) {
    TMultitudeElement Row(Rows[u].Key);
    Row.Subset = std::make_unique<TMultitude>();
    const std::uint64_t* R = Bits.Row(u);
    int Members = 0;
    for (std::size_t w = 0; w < Bits.WordCount(); ++w)
        Members += std::popcount(R[w]);
    Row.Subset->Reserve(Members);
    for (std::size_t w = 0; w < Bits.WordCount(); ++w)
        for (std::uint64_t Word = R[w]; Word != 0; Word &= Word - 1)
            // Rows in key order give ascending keys: appended, no search.
            Row.Subset->AppendKey(Rows[static_cast<int>(w * 64) + std::countr_zero(Word)].Key);
    return Row;
}

namespace {

// A graph with the rows' keys and, in each row, the keys of the set bits:
// both in ascending order, as Transpose would leave them.
std::unique_ptr<TGraph> GraphOfBits(const TMultitude& Rows, const TBitRows& Bits) {
    auto Result = std::make_unique<TGraph>();
    for (int u = 0; u < Rows.Count(); ++u)
        Result->Rows.Add(RowOfBits(Rows, Bits, u));
    return Result;
}

} // namespace

std::optional<TLevelNumbering> TGraph::NumberLevels() const {
    auto Replacements = std::make_unique<TMultitude>();
    if (Rows.Count() <= 1)
        return TLevelNumbering{Copy(), std::move(Replacements)};

    const auto Order = LevelOrder(IndexRows(Rows));
    if (!Order)
        return std::nullopt;
    for (const TMultitudeElement& Row : Rows)
        Replacements->AddKey(Row.Key);
    for (std::size_t k = 0; k < Order->size(); ++k)
        (*Replacements)[(*Order)[k]].Value = static_cast<std::int32_t>(k) + 1;

    auto Numbered = Renumber(*Replacements, true);
    return TLevelNumbering{std::move(Numbered), std::move(Replacements)};
}

std::optional<TClosureBits> TGraph::CloseAndReduceBits() const {
    const int n = Rows.Count();
    if (n <= 1) {
        // Without a level numbering a single row is taken as it stands: a
        // successor other than itself has no row, which transposing finds.
        for (const TMultitudeElement& Row : Rows)
            if (Row.Subset)
                for (const TMultitudeElement& s : *Row.Subset)
                    if (s.Key != Row.Key)
                        RaiseFault(Msg::TransposeRowMissing);
        return TClosureBits{TBitRows(n, n), TBitRows(n, n)};
    }
    const TIndexedGraph G = IndexRows(Rows);
    const auto Order = LevelOrder(G);
    if (!Order)
        return std::nullopt;

    // In level order every successor of a row is numbered before the row, so
    // its closure is complete when it is united in. An arc belongs to the
    // reduction when no other successor reaches its end.
    TClosureBits Result{TBitRows(n, n), TBitRows(n, n)};
    const std::size_t Words = Result.Closure.WordCount();
    for (int u : *Order) {
        std::uint64_t* C = Result.Closure.Row(u);
        const auto& Out = G.Successors[static_cast<std::size_t>(u)];
        for (int v : Out) {
            const std::uint64_t* CV = Result.Closure.Row(v);
            for (std::size_t w = 0; w < Words; ++w)
                C[w] |= CV[w];
        }
        // C holds what the successors reach, not yet the successors.
        std::uint64_t* R = Result.Reduction.Row(u);
        for (int v : Out)
            if (!TBitRows::Test(C, v))
                TBitRows::Set(R, v);
        for (int v : Out)
            TBitRows::Set(C, v);
    }
    return Result;
}

std::optional<TClosureReduction> TGraph::CloseAndReduce() const {
    auto Bits = CloseAndReduceBits();
    if (!Bits)
        return std::nullopt;
    return TClosureReduction{GraphOfBits(Rows, Bits->Closure), GraphOfBits(Rows, Bits->Reduction)};
}
