#pragma once
// Project-like schemes for the benchmarks: n works with integer durations 1
// to 20; the first three depend on nothing, every later work depends on 1 to 3
// works chosen among the 20 before it. The seed depends only on n, so every
// benchmark of a size times the same scheme.

#include "model/WorkList.h"

#include <algorithm>
#include <random>
#include <string>

// Appends the scheme to an empty list with the rows given whole, as the loader
// does, so that the matrix is analysed once (by the closing ckScheme) instead
// of after every added work.
// Another Seed gives another scheme of the same kind.
inline void FillProjectScheme(TWorkList& List, int n, unsigned Seed = 0) {
    std::mt19937 Random(20240601u + static_cast<unsigned>(n) + 7919u * Seed);
    std::uniform_int_distribution<int> Duration(1, 20);
    std::uniform_int_distribution<int> DepCount(1, 3);
    for (int i = 0; i < n; ++i) {
        TWorkData W;
        W.Name = "W" + std::to_string(i);
        W.Duration = Duration(Random);
        W.Links.assign(static_cast<std::size_t>(n), LinkFree);
        if (i >= 3) {
            const int Window = std::min(i, 20);
            std::uniform_int_distribution<int> Back(1, Window);
            const int Count = std::min(DepCount(Random), Window);
            int Chosen = 0;
            while (Chosen < Count) {
                auto& Cell = W.Links[static_cast<std::size_t>(i - Back(Random))];
                if (Cell != LinkDirect) {
                    Cell = LinkDirect;
                    ++Chosen;
                }
            }
        }
        List.AddWork(W, false);
    }
    List.Changed(0, ckScheme);
}
