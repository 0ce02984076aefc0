#include "exchange/Plan.h"

void FillWorkList(TWorkList& List, TPlan&& Plan) {
    List.Updating = true;
    List.Clear();
    // Resources the list would refuse come in as none, and no demands.
    const bool Staffed = List.SetResources(std::move(Plan.Resources));
    for (TWorkData& Work : Plan.Works) {
        if (!Staffed || !DemandsFit(Work.Demands, List.Resources().size()))
            Work.Demands = {};
        List.AddWork(Work, false);
        // The list holds its own copy of the row; this one goes at once, so
        // that a large plan is never held twice.
        TABs().swap(Work.Links);
    }
    Plan.Works.clear();
    List.SetCalendar(std::move(Plan.Calendar));
    List.Updating = false;
    List.Changed(0, ckScheme);
}

TPlan PlanOfWorkList(const TWorkList& List) {
    TPlan Plan;
    const int n = List.Count();
    Plan.Works.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const TWorkData& Work = List.GetWork(i);
        TWorkData Copy{Work.Name, Work.Duration, TABs(static_cast<std::size_t>(n), LinkFree),
                       Work.Demands};
        for (int j = 0; j < n && static_cast<std::size_t>(j) < Work.Links.size(); ++j) {
            const auto Cell = Work.Links[static_cast<std::size_t>(j)];
            if (Cell == LinkDirect || Cell == LinkRedundant)
                Copy.Links[static_cast<std::size_t>(j)] = LinkDirect;
        }
        Copy.Links[static_cast<std::size_t>(i)] = LinkForbidden;
        Plan.Works.push_back(std::move(Copy));
    }
    Plan.Calendar = List.Calendar();
    Plan.Resources = List.Resources();
    return Plan;
}
