#pragma once
// Routing: every long link of the detailed view rerouted once its columns are
// ordered. Its chain nodes are taken out of their columns and put back where
// the link crosses fewest other segments, its two events fixed: a shortest
// path through the gaps of the columns it spans, over crossing counts, which
// no exchange of neighbours finds. A chain node moves at most a band of gaps
// either side of its place, so one link costs in proportion to its length.

#include "network/DetailedGraph.h"

class TRouting {
public:
    explicit TRouting(TLayeredGraph& AGraph) : Graph(AGraph) {}
    // Every long link once; returns the crossings removed.
    long long RerouteAll();

private:
    TLayeredGraph& Graph;
    // The link being rerouted: its nodes, the column of its first, the
    // count of its chain nodes; and the buffers of the path search.
    const std::vector<int>* RouteLink = nullptr;
    int RouteTop = 0;
    std::size_t RouteInner = 0;
    std::vector<std::vector<std::pair<int, int>>> Segments;
    std::vector<std::pair<int, int>> Beyond;
    std::vector<long long> Dist, Next;
    std::vector<std::vector<int>> From;
    std::vector<int> LeftCount, RightCount;

    int Place(int Node, std::size_t i) const;
    std::pair<int, int> Options(std::size_t i) const;
    long long GatherSegments(std::size_t i);
    void PathStep(std::size_t i);
    long long Reroute(const std::vector<int>& Chain);
};
