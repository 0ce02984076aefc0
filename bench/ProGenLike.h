#pragma once
// Instances of the resource-constrained scheduling problem of the kind the
// PSPLIB sets hold, made the way ProGen makes them: a network of the asked
// complexity (arcs per node, counting a dummy source and sink), each work
// using a given share of the resources (resource factor), and availabilities
// set between the least that lets every work run and the peak of the early
// schedule (resource strength). Integer durations 1 to 10, demands 1 to 10.

#include "model/Levelling.h"

#include <cstdint>

struct TProGenParams {
    std::size_t Works = 30;
    std::size_t Resources = 4;
    double Complexity = 1.5;
    double ResourceFactor = 0.5;
    double ResourceStrength = 0.5;
    std::uint64_t Seed = 1;
};

TLevellingProblem GenerateProGenLike(const TProGenParams& Params);
