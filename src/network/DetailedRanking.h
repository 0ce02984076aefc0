#pragma once
// The columns of the detailed view. The plain view's levels put every event
// as far left as its longest way from the start allows, so an event with
// slack may wait columns away from the works it feeds, and a fictive arc or a
// short work then spans half the drawing. The detailed view ranks the events
// anew: every arc still points right (its head's column at least one more
// than its tail's), and among all such columns those with the smallest total
// length of the links, in columns, are taken — the ranking of Graphviz's dot,
// solved exactly by network simplex (Gansner, Koutsofios, North, Vo 1993).

#include "network/NetworkView.h"

#include <cstdint>
#include <vector>

// A link of the graph to rank: its head must lie at least MinLength columns
// right of its tail, and each column of its length costs Weight.
struct TRankEdge {
    std::int32_t Tail = 0;
    std::int32_t Head = 0;
    std::int32_t MinLength = 1;
    std::int32_t Weight = 1;
};

// The columns, from 0, of the nodes 0 to Nodes - 1 of an acyclic graph, that
// make the weighted total of the edges' lengths smallest while every edge
// keeps its minimum length; nodes without edges take column 0. The same graph
// always gives the same columns.
std::vector<std::int32_t> RankNetworkSimplex(int Nodes, const std::vector<TRankEdge>& Edges);

// The detailed view's column of every event of the result, by position in
// its Events, from 1 like the plain levels: every link between two events
// (once, however many works share it) weighs 1 and spans at least one column.
std::vector<std::int32_t> DetailedColumns(const TNetworkView& View);

// The links of the result as the ranking sees them: each pair of events
// joined by one or more arcs, once.
std::vector<TRankEdge> DetailedLinks(const TNetworkView& View);

// The total length in columns of those links.
long long TotalLength(const std::vector<TRankEdge>& Edges, const std::vector<std::int32_t>& Column);
