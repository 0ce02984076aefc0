// The load profile is a sweep over the moments works start and finish: each
// demand adds its units at its work's start and takes them back at its
// finish, events of the same moment together, so that a work finishing when
// another starts never counts twice.

#include "model/ResourceLoad.h"

#include <algorithm>
#include <cmath>

namespace {

struct TEvent {
    TReal Time = 0;
    TReal Units = 0; // positive at a start, negative at a finish
    int Active = 0;  // +1 at a start, -1 at a finish
};

TResourceLoad LoadOf(std::vector<TEvent>& Events, TReal Availability, TReal Span) {
    TResourceLoad Load;
    std::stable_sort(Events.begin(), Events.end(),
                     [](const TEvent& a, const TEvent& b) { return a.Time < b.Time; });
    TReal Units = 0;
    int Active = 0;
    for (std::size_t e = 0; e < Events.size();) {
        const TReal Time = Events[e].Time;
        for (; e < Events.size() && Events[e].Time == Time; ++e) {
            Units += Events[e].Units;
            Active += Events[e].Active;
        }
        // Fractional units taken back need not cancel to the last bit; with
        // no work running the load is exactly none.
        if (Active == 0)
            Units = 0;
        if (!Load.Steps.empty() && Load.Steps.back().Units == Units)
            continue;
        Load.Steps.push_back({Time, Units});
        Load.Peak = std::max(Load.Peak, Units);
    }
    for (std::size_t s = 0; s + 1 < Load.Steps.size(); ++s) {
        const TLoadStep& Step = Load.Steps[s];
        const TReal To = Load.Steps[s + 1].Time;
        Load.WorkUnits += Step.Units * (To - Step.Time);
        if (!OverAllocated(Step.Units, Availability))
            continue;
        if (!Load.Over.empty() && Load.Over.back().second == Step.Time)
            Load.Over.back().second = To;
        else
            Load.Over.emplace_back(Step.Time, To);
    }
    if (Span > 0)
        Load.Average = Load.WorkUnits / Span;
    if (Load.Average > 0)
        Load.Unevenness = Load.Peak / Load.Average;
    return Load;
}

} // namespace

bool OverAllocated(TReal Units, TReal Availability) {
    return Units > Availability + 1e-9L * std::max<TReal>(1, Availability);
}

std::vector<TResourceLoad> ResourceLoads(const std::vector<TResource>& Resources,
                                         std::span<const TDemands> Demands,
                                         std::span<const TReal> Start,
                                         std::span<const TReal> Finish) {
    const std::size_t n = std::min({Demands.size(), Start.size(), Finish.size()});
    TReal Span = 0;
    for (std::size_t j = 0; j < std::min(Start.size(), Finish.size()); ++j)
        Span = std::max(Span, Finish[j]);
    std::vector<std::vector<TEvent>> Events(Resources.size());
    for (std::size_t j = 0; j < n; ++j) {
        if (!(Finish[j] > Start[j]))
            continue;
        for (const auto& [k, Units] : Demands[j].Items())
            if (k < Resources.size()) {
                Events[k].push_back({Start[j], Units, 1});
                Events[k].push_back({Finish[j], -Units, -1});
            }
    }
    std::vector<TResourceLoad> Loads;
    Loads.reserve(Resources.size());
    for (std::size_t k = 0; k < Resources.size(); ++k)
        Loads.push_back(LoadOf(Events[k], Resources[k].Availability, Span));
    return Loads;
}
