#pragma once
// The genetic search over activity lists: a population of work orders, each
// decoded by the serial scheme and improved by double justification; pairs of
// orders are crossed at two points (the child takes the head of one parent,
// the middle in the other parent's order, the tail in the first's again), a
// few neighbours swap places, and the shortest schedules survive. Every order
// the search makes is precedence-feasible, so every schedule it decodes is a
// valid one.

#include "model/Justification.h"

#include <atomic>
#include <random>

class TLevellingSearch {
public:
    TLevellingSearch(const TLevellingNet& Net, std::size_t ScheduleLimit, std::uint64_t Seed,
                     const std::atomic<bool>* Stop = nullptr);

    void Run();

    TReal BestDuration() const { return BestDuration_; }
    const std::vector<TReal>& BestStart() const { return BestStart_; }
    std::size_t Generated() const { return Justification_.Generated(); }

private:
    struct TIndividual {
        std::vector<std::uint32_t> List;
        TReal Duration = 0;
    };

    bool Done() const;
    void SeedPopulation();
    std::vector<std::uint32_t> SampledList();
    void Breed();
    std::vector<std::uint32_t> Cross(const std::vector<std::uint32_t>& Mother,
                                     const std::vector<std::uint32_t>& Father, std::size_t Head,
                                     std::size_t Middle);
    void Mutate(std::vector<std::uint32_t>& List);
    bool Precedes(std::uint32_t a, std::uint32_t b) const;
    void Evaluate(TIndividual& One);
    void Select(std::vector<TIndividual>& Children);

    std::size_t Below(std::size_t n) { return static_cast<std::size_t>(Random_() % n); }
    double Uniform() { return static_cast<double>(Random_() >> 11) * 0x1.0p-53; }

    const TLevellingNet& Net_;
    const std::atomic<bool>* Stop_;
    std::size_t Limit_;
    std::size_t PopulationSize_;
    std::mt19937_64 Random_;
    TJustification Justification_;
    std::vector<TIndividual> Population_;
    std::vector<TReal> Start_;
    std::vector<TReal> BestStart_;
    TReal BestDuration_ = RealInfinity;
    std::vector<std::uint32_t> Taken_;
    std::uint32_t Stamp_ = 0;
};
