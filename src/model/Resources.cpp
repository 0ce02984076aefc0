#include "model/Resources.h"

#include <cmath>

bool ResourceProblem(const std::vector<TResource>& Resources) {
    if (Resources.size() > MaxResources)
        return true;
    for (const TResource& r : Resources)
        if (r.Name.empty() || r.Name.size() > MaxResourceTextLength ||
            r.Unit.size() > MaxResourceTextLength || !std::isfinite(r.Availability) ||
            r.Availability < 0)
            return true;
    return false;
}

bool DemandsFit(const TDemands& Demands, std::size_t ResourceCount) {
    for (const auto& [Resource, Units] : Demands.Items())
        if (Resource >= ResourceCount || !std::isfinite(Units) || Units <= 0)
            return false;
    return true;
}

TDemands RemapDemands(const TDemands& Demands, const std::vector<int>& NewPlace) {
    TDemands Result;
    for (const auto& [Resource, Units] : Demands.Items())
        if (Resource < NewPlace.size() && NewPlace[Resource] >= 0)
            Result.Set(static_cast<std::size_t>(NewPlace[Resource]), Units);
    return Result;
}
