#include "model/SchemeSnapshot.h"

#include "model/WorkList.h"

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
    Snapshot->Essential = EssentialSuccessors(List);
    Snapshot->HasContour = List.HasContour;
    return Snapshot;
}
