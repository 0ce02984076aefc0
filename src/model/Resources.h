#pragma once
// Who does the work: the renewable resources of a scheme (people, machines)
// and how many units of each a work keeps busy every working day it runs.
// Plain values, so that they can sit in the work list, go through the undo
// history and be saved as they are.

#include "core/Real.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

struct TResource {
    std::string Name;
    // The unit the availability and the demands are counted in ("чел.", "шт.").
    std::string Unit;
    // Units there at once, the same over the whole project; never negative.
    TReal Availability = 0;

    friend bool operator==(const TResource&, const TResource&) = default;
};

// The demands of one work, by resource number. Most works use few of the
// resources, so only the ones actually used are kept, in ascending order of
// resource number; a resource that is not listed is used with 0 units.
class TDemands {
public:
    using TItem = std::pair<std::size_t, TReal>;

    TReal Of(std::size_t Resource) const {
        auto It = Find(Resource);
        return It != Items_.end() && It->first == Resource ? It->second : TReal(0);
    }

    // Setting 0 removes the resource from the list, so that equal demands
    // compare and save equal however they were entered.
    void Set(std::size_t Resource, TReal Units) {
        auto It = Find(Resource);
        const bool Present = It != Items_.end() && It->first == Resource;
        if (Units == 0) {
            if (Present)
                Items_.erase(It);
        } else if (Present) {
            It->second = Units;
        } else {
            Items_.insert(It, {Resource, Units});
        }
    }

    const std::vector<TItem>& Items() const { return Items_; }
    bool Empty() const { return Items_.empty(); }

    friend bool operator==(const TDemands&, const TDemands&) = default;

private:
    std::vector<TItem>::iterator Find(std::size_t Resource) {
        return std::lower_bound(Items_.begin(), Items_.end(), Resource,
                                [](const TItem& Item, std::size_t R) { return Item.first < R; });
    }
    std::vector<TItem>::const_iterator Find(std::size_t Resource) const {
        return std::lower_bound(Items_.begin(), Items_.end(), Resource,
                                [](const TItem& Item, std::size_t R) { return Item.first < R; });
    }

    std::vector<TItem> Items_;
};

// Limits a scheme's resources keep, so that a file or a dialog can never ask
// for more: resources in one scheme, and UTF-8 bytes of a name or a unit.
inline constexpr std::size_t MaxResources = 1000;
inline constexpr std::size_t MaxResourceTextLength = 255;

// Whether a list of resources may stand in a scheme: not more than
// MaxResources, every name given and within MaxResourceTextLength as every
// unit, every availability a finite number not below 0.
bool ResourceProblem(const std::vector<TResource>& Resources);

// Whether Demands name only resources below ResourceCount, each with a
// finite positive number of units.
bool DemandsFit(const TDemands& Demands, std::size_t ResourceCount);

// Demands after the resource list changed: NewPlace[r] is where resource r
// now stands, or -1 when it was deleted (its demand goes with it). A
// resource past the end of NewPlace counts as deleted.
TDemands RemapDemands(const TDemands& Demands, const std::vector<int>& NewPlace);
