#pragma once
// Work lists, hand-made networks and readers of the store for the network
// engine's tests.

#include "core/LinkObject.h"
#include "core/Real.h"
#include "model/WorkList.h"
#include "network/CircuitEngine.h"

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace NetworkTest {

// Deps[i] lists the works that work i depends on (that must be finished
// before it starts).
struct TScheme {
    std::vector<TReal> Durations;
    std::vector<std::vector<int>> Deps;
};

// A list built the way the user builds one: works added with fresh cells,
// then the dependency cells entered and announced.
std::unique_ptr<TWorkList> MakeList(const TScheme& Scheme);

// Works 0..n-1 (n between 2 and MaxWorks); each later work depends on each
// earlier one with the given probability; integer durations 1..9, or
// fractional ones.
TScheme RandomScheme(std::mt19937& Random, int MaxWorks, double Density, bool Fractional = false);
std::string Describe(const TScheme& Scheme);

// Readers of the engine's store.
const TLinkNode& NodeOf(const TCircuitEngine& Engine, THandle h);
const TLinkData& DataOf(const TCircuitEngine& Engine, THandle h);
std::vector<std::int32_t> Keys(const TMultitude& Set);
// (Key, Value) in the set's own order.
std::vector<std::pair<std::int32_t, std::int32_t>> Pairs(const TMultitude& Set);
std::vector<THandle> Events(const TCircuitEngine& Engine);
// The event whose Mul4-free start (no event predecessors) / no successors.
bool IsEvent(const TLinkNode& N);
// The tail event of the arc of work k (0 when there is none).
THandle TailOfWork(const TCircuitEngine& Engine, int k);
THandle HeadOfWork(const TCircuitEngine& Engine, int k);

// A network put together by hand in the engine's store, for the steps after
// construction: roots 1-3, then the events in the order given.
class THandNetwork {
public:
    explicit THandNetwork(TCircuitEngine& AEngine);
    // A new event (PiA or W kind) with empty sets; returns its handle.
    THandle Event(std::int32_t TypeID = TypeW);
    void Real(THandle From, THandle To, int Work, TReal Weight);
    void Fictive(THandle From, THandle To);

private:
    TCircuitEngine& Engine;
    void Link(THandle From, THandle To);
};

} // namespace NetworkTest
