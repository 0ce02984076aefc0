#pragma once
// The detailed view read as a layered graph, shared by its ordering and
// routing phases: every event a node in its column, every link between two
// events that spans several columns a chain of nodes, one in each column
// between; the present order of every column, and the crossings of the
// segments between neighbouring columns.

#include "network/NetworkView.h"

#include <cstdint>
#include <utility>
#include <vector>

struct TDetailedRows;

// Inversions of a sequence of positions below Size, in O(n log Size): the
// crossings of the edges (i, Seq[i]) when the sequence is ordered by the
// edges' upper ends (the accumulator tree of Barth, Jünger and Mutzel, as a
// Fenwick tree of the edges already in at each position and before).
class TAccumulator {
public:
    void Reset(int Size) {
        Count.assign(static_cast<std::size_t>(Size) + 1, 0);
        Inserted = 0;
    }
    // The edges already in that end further right.
    long long Insert(int Position) {
        long long NotRight = 0;
        for (auto i = static_cast<std::size_t>(Position) + 1; i > 0; i &= i - 1)
            NotRight += Count[i];
        for (auto i = static_cast<std::size_t>(Position) + 1; i < Count.size(); i += i & (~i + 1))
            ++Count[i];
        return Inserted++ - NotRight;
    }

private:
    std::vector<int> Count;
    long long Inserted = 0;
};

// Crossings of edges given as (upper position, lower position) pairs, the
// lower column holding Size positions.
long long Crossings(std::vector<std::pair<int, int>>& Edges, int Size);

// A small generator of our own: the same numbers with every library.
class TRandom {
public:
    unsigned Below(unsigned n) {
        State ^= State << 13;
        State ^= State >> 7;
        State ^= State << 17;
        return static_cast<unsigned>((State >> 11) % n);
    }

private:
    std::uint64_t State = 0x9E3779B97F4A7C15ull;
};

using TOrder = std::vector<std::vector<int>>;

// The graph and its present order. The phases read and change the order
// directly (Order and Pos together, through SetOrder and Renumber); the
// rest is fixed once built.
class TLayeredGraph {
public:
    // Column gives every event's column (from 1); the first order follows the
    // plain view's rows, chain nodes between the rows of their ends.
    TLayeredGraph(const TNetworkView& View, const std::vector<std::int32_t>& Column);

    int Levels = 0; // the last column
    int Start = -1; // the start event, always on top of its column
    std::vector<int> LevelOf;
    std::vector<double> PlainRow;
    // One neighbour on each side: a chain node, or an event with one link in
    // and one out.
    std::vector<char> Single;
    std::vector<char> Critical;
    // Each arc's link, and each link's nodes from its tail to its head.
    std::vector<int> LinkOfArc;
    std::vector<std::vector<int>> LinkNodes;
    TOrder Order; // by column
    std::vector<int> Pos;
    // Node visits so far: the effort of the phases, counted instead of time.
    mutable long long Visits = 0;

    // The neighbours of v in the column before and in the one after.
    const int* UpBegin(int v) const { return UpList.data() + UpFirst[static_cast<std::size_t>(v)]; }
    const int* UpEnd(int v) const {
        return UpList.data() + UpFirst[static_cast<std::size_t>(v) + 1];
    }
    const int* DownBegin(int v) const {
        return DownList.data() + DownFirst[static_cast<std::size_t>(v)];
    }
    const int* DownEnd(int v) const {
        return DownList.data() + DownFirst[static_cast<std::size_t>(v) + 1];
    }
    int At(int v) const { return Pos[static_cast<std::size_t>(v)]; }
    std::size_t Nodes() const { return LevelOf.size(); }
    void SetOrder(const TOrder& Next);
    void Renumber(int Level) {
        const std::vector<int>& Column = Order[static_cast<std::size_t>(Level)];
        for (std::size_t i = 0; i < Column.size(); ++i)
            Pos[static_cast<std::size_t>(Column[i])] = static_cast<int>(i);
    }
    TOrder PlainOrder() const;
    TOrder WalkOrder(bool DepthFirst) const;
    long long LevelCrossings(int Level) const; // between Level and Level + 1
    // Crossings of the edges with an end in a column from First to Last.
    long long RangeCrossings(int First, int Last) const;
    TDetailedRows Rows(const TNetworkView& View, const std::vector<std::int32_t>& Column) const;

private:
    std::vector<int> UpFirst, UpList, DownFirst, DownList;
    mutable std::vector<int> Scratch;
    mutable TAccumulator Tree;
};
