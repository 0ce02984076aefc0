#pragma once
// What must hold of any plan a reader of another program's file accepts,
// whatever bytes it was given: every row as long as the plan with its own
// cell -1 and the others 0 or 1, every duration one the editor would take,
// names that are not empty, unique and storable, no contour; and, for a
// format the program also writes, writing the plan and reading it again
// gives the same plan.

#include "exchange/Plan.h"
#include "model/Cp1251.h"
#include "model/RealText.h"
#include "model/X87.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <type_traits>

inline void Require(bool Condition, const char* What) {
    if (!Condition) {
        std::fprintf(stderr, "plan reader property broken: %s\n", What);
        std::abort();
    }
}

inline void CheckPlan(const TPlan& Plan) {
    const std::size_t n = Plan.Works.size();
    std::set<std::string> Names;
    for (std::size_t i = 0; i < n; ++i) {
        const TWorkData& Work = Plan.Works[i];
        Require(Work.Links.size() == n, "row length equals the number of works");
        for (std::size_t j = 0; j < n; ++j)
            if (i == j)
                Require(Work.Links[j] == LinkForbidden, "own cell -1");
            else
                Require(Work.Links[j] == LinkFree || Work.Links[j] == LinkDirect,
                        "the other cells 0 or 1");
        Require(DurationAllowed(Work.Duration), "every duration is allowed");
        Require(!Work.Name.empty() && IsStorableName(Work.Name), "names can be stored");
        Require(Names.insert(Work.Name).second, "names are unique");
    }
    TWorkList List;
    TPlan Copy = Plan;
    FillWorkList(List, std::move(Copy));
    Require(!List.HasContour, "no contour");
}

template <class TRead, class TWrite>
void CheckReader(std::string_view Bytes, TRead Read, TWrite Write) {
    std::string Error;
    const std::optional<TPlan> Plan = Read(Bytes, "fuzz", Error);
    Require(Plan.has_value() || !Error.empty(), "a refusal says why");
    if (!Plan)
        return;
    CheckPlan(*Plan);
    if constexpr (!std::is_same_v<TWrite, std::nullptr_t>) {
        TWorkList List;
        TPlan Copy = *Plan;
        FillWorkList(List, std::move(Copy));
        const std::optional<std::string> Written = Write(List);
        if (!Written)
            return; // a name XML cannot carry
        const std::optional<TPlan> Again = Read(*Written, "again", Error);
        Require(Again.has_value(), "a written plan reads back");
        Require(Again->Works.size() == Plan->Works.size(), "same number of works");
        for (std::size_t i = 0; i < Plan->Works.size(); ++i) {
            Require(Again->Works[i].Name == Plan->Works[i].Name, "same name");
            Require(FormatReal(Again->Works[i].Duration) == FormatReal(Plan->Works[i].Duration),
                    "same duration");
            Require(Again->Works[i].Links == Plan->Works[i].Links, "same links");
        }
    }
}
