#pragma once
// A directed graph over integer vertex numbers, held as a set of rows: each row
// is a vertex whose nested set holds its successors. The work model builds one
// from the dependency matrix and asks it for closure and reduction; the network
// construction starts from the closure.

#include "core/Multitude.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class TGraph;

// Result of NumberLevels: the graph renumbered level by level, and the table
// that maps every old vertex number (Key) to its new number (Value).
struct TLevelNumbering {
    std::unique_ptr<TGraph> Numbered;
    std::unique_ptr<TMultitude> Replacements;
};

// One bit per column in every row, rows and columns numbered by position.
class TBitRows {
public:
    TBitRows(int Rows, int Columns)
        : Words(static_cast<std::size_t>(Columns + 63) / 64),
          Bits(static_cast<std::size_t>(Rows) * Words, 0) {}

    std::uint64_t* Row(int r) { return Bits.data() + static_cast<std::size_t>(r) * Words; }
    const std::uint64_t* Row(int r) const {
        return Bits.data() + static_cast<std::size_t>(r) * Words;
    }
    std::size_t WordCount() const { return Words; }
    int RowCount() const { return Words ? static_cast<int>(Bits.size() / Words) : 0; }

    static bool Test(const std::uint64_t* Row, int Bit) {
        return (Row[static_cast<std::size_t>(Bit) / 64] >> (static_cast<unsigned>(Bit) % 64)) & 1u;
    }
    static void Set(std::uint64_t* Row, int Bit) {
        Row[static_cast<std::size_t>(Bit) / 64] |= std::uint64_t{1}
                                                   << (static_cast<unsigned>(Bit) % 64);
    }

    // Rows and columns exchanged: bit j of row i of the result is bit i of
    // row j here. By blocks of 64 x 64 bits, so a dense matrix of n rows
    // costs about n * n / 64 word operations rather than one per set bit.
    TBitRows Transposed(int Columns) const;

private:
    std::size_t Words;
    std::vector<std::uint64_t> Bits;
};

// CloseAndReduce as bit rows, by row position: bit v of row u of Closure
// says that the vertex of row v is reachable from the vertex of row u.
struct TClosureBits {
    TBitRows Closure;
    TBitRows Reduction;
};

// Row u of a graph over Rows (ordered by key) whose successors are the set
// bits of row u of Bits, in ascending key order.
TMultitudeElement RowOfBits(const TMultitude& Rows, const TBitRows& Bits, int u);

// Result of CloseAndReduce: for every vertex all vertices reachable from it,
// and only the arcs that no longer path implies.
struct TClosureReduction {
    std::unique_ptr<TGraph> Closure;
    std::unique_ptr<TGraph> Reduction;
};

class TGraph {
public:
    // One element per vertex, ordered by key; its Subset holds the successors.
    TMultitude Rows;

    TGraph() = default;
    TGraph(const TGraph&) = delete;
    TGraph& operator=(const TGraph&) = delete;

    void Clear() { Rows.Clear(); }
    bool RowIsEmpty(int Index) const;
    std::unique_ptr<TMultitude> EmptyRows() const;
    void RemoveFromRows(std::int32_t Key);
    // Adds a vertex with an empty successor set (no-op when it exists) and
    // returns its row.
    TMultitudeElement& AddRow(std::int32_t Key);
    // The row of a vertex, or nullptr.
    const TMultitudeElement* FindRow(std::int32_t Key) const;

    std::unique_ptr<TGraph> Copy() const;
    std::unique_ptr<TGraph> Transpose() const;
    // Direct = false reads the table backwards (new number -> old number).
    std::unique_ptr<TGraph> Renumber(const TMultitude& Replacements, bool Direct) const;

    // Levels peeled off from the vertices without successors. No value on a
    // contour: nothing is handed out.
    std::optional<TLevelNumbering> NumberLevels() const;
    std::optional<TClosureReduction> CloseAndReduce() const;
    // The same by row position, without building the two graphs.
    std::optional<TClosureBits> CloseAndReduceBits() const;
};
