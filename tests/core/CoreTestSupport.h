#pragma once
// Small builders and readers shared by the tests of sets, graphs and the store.

#include "core/Graph.h"
#include "core/Multitude.h"
#include "messages/InternalFault.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace coretest {

// Runs the statement and reports the text of the internal fault it raised, or
// "<no fault>" when it returned normally.
template <typename F> std::string FaultText(F&& Statement) {
    try {
        Statement();
    } catch (const EInternalFault& Fault) {
        return Fault.what();
    }
    return "<no fault>";
}

inline std::unique_ptr<TMultitude> KeySet(std::initializer_list<std::int32_t> Keys) {
    auto Set = std::make_unique<TMultitude>();
    for (std::int32_t k : Keys)
        Set->AddKey(k);
    return Set;
}

inline std::vector<std::int32_t> Keys(const TMultitude& Set) {
    std::vector<std::int32_t> Result;
    for (const TMultitudeElement& M : Set)
        Result.push_back(M.Key);
    return Result;
}

inline std::vector<std::pair<std::int32_t, std::int32_t>> KeyValues(const TMultitude& Set) {
    std::vector<std::pair<std::int32_t, std::int32_t>> Result;
    for (const TMultitudeElement& M : Set)
        Result.emplace_back(M.Key, M.Value);
    return Result;
}

inline TMultitudeElement WithSubset(std::int32_t Key, std::initializer_list<std::int32_t> Members) {
    TMultitudeElement E(Key);
    E.Subset = KeySet(Members);
    return E;
}

// Vertex -> successors, both in ascending order: what a graph says, nothing of
// how it is held.
using TArcs = std::map<std::int32_t, std::vector<std::int32_t>>;

inline std::unique_ptr<TGraph> MakeGraph(const TArcs& Arcs) {
    auto G = std::make_unique<TGraph>();
    for (const auto& [Vertex, Successors] : Arcs) {
        TMultitudeElement& Row = G->AddRow(Vertex);
        for (std::int32_t s : Successors)
            Row.Subset->AddKey(s);
    }
    return G;
}

inline TArcs ArcsOf(const TGraph& G) {
    TArcs Result;
    for (const TMultitudeElement& Row : G.Rows) {
        auto& Successors = Result[Row.Key];
        if (Row.Subset)
            Successors = Keys(*Row.Subset);
    }
    return Result;
}

inline std::string Describe(const TArcs& Arcs) {
    std::ostringstream Out;
    for (const auto& [Vertex, Successors] : Arcs) {
        Out << Vertex << " -> {";
        for (std::size_t i = 0; i < Successors.size(); ++i)
            Out << (i ? ", " : "") << Successors[i];
        Out << "}\n";
    }
    return Out.str();
}

} // namespace coretest
