#include "model/SchemeSnapshot.h"

#include "model/WorkList.h"

#include <algorithm>
#include <utility>

namespace {

// The essential dependencies are among the entered ones, which the graph
// holds: only their cells are read, not the whole matrix. Valid while the
// graph and the cells are those of the last analysis (the closure says so).
TSuccessors EssentialFromGraph(const TWorkList& List) {
    const int n = List.Count();
    TSuccessors S;
    S.Start.assign(static_cast<std::size_t>(n) + 1, 0);
    std::vector<std::pair<std::int32_t, std::int32_t>> Links; // (predecessor, work)
    for (const TMultitudeElement& Row : List.Graph.Rows) {
        if (!Row.Subset || Row.Key < 0 || Row.Key >= n)
            continue;
        const TABs& Cells = List.GetWork(Row.Key).Links;
        for (const TMultitudeElement& Dep : *Row.Subset)
            if (Dep.Key >= 0 && Dep.Key < static_cast<std::int32_t>(Cells.size()) &&
                Cells[static_cast<std::size_t>(Dep.Key)] == LinkDirect)
                Links.emplace_back(Dep.Key, Row.Key);
    }
    // Successors in work order, as the scan of the matrix gives them.
    std::sort(Links.begin(), Links.end());
    for (const auto& [From, To] : Links)
        ++S.Start[static_cast<std::size_t>(From) + 1];
    for (int j = 0; j < n; ++j)
        S.Start[static_cast<std::size_t>(j) + 1] += S.Start[static_cast<std::size_t>(j)];
    S.Succ.reserve(Links.size());
    for (const auto& Link : Links)
        S.Succ.push_back(Link.second);
    return S;
}

} // namespace

std::shared_ptr<const TSchemeSnapshot> TakeSnapshot(const TWorkList& List) {
    auto Snapshot = std::make_shared<TSchemeSnapshot>();
    const auto n = static_cast<std::size_t>(List.Count());
    Snapshot->Names.reserve(n);
    Snapshot->Durations.reserve(n);
    for (int i = 0; i < List.Count(); ++i) {
        const TWorkData& Work = List.GetWork(i);
        Snapshot->Names.push_back(Work.Name);
        Snapshot->Durations.push_back(Work.Duration);
    }
    Snapshot->Graph = List.Graph.Copy();
    if (const TBitRows* Closure = List.Closure())
        Snapshot->Closure = *Closure;
    Snapshot->Essential = Snapshot->Closure ? EssentialFromGraph(List) : EssentialSuccessors(List);
    Snapshot->HasContour = List.HasContour;
    Snapshot->Calendar = List.Calendar();
    Snapshot->Resources = List.Resources();
    if (!Snapshot->Resources.empty()) {
        Snapshot->Demands.reserve(n);
        for (int i = 0; i < List.Count(); ++i)
            Snapshot->Demands.push_back(List.GetWork(i).Demands);
    }
    return Snapshot;
}
