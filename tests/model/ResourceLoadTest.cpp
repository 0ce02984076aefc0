// The load profile against a plain count, day by day, of the units of every
// work running that day, on random schedules of whole days.

#include "model/ResourceLoad.h"

#include <gtest/gtest.h>

#include <random>

namespace {

TReal UnitsAt(const TResourceLoad& Load, TReal Time) {
    TReal Units = 0;
    for (const TLoadStep& Step : Load.Steps)
        if (Step.Time <= Time)
            Units = Step.Units;
    return Units;
}

} // namespace

TEST(ResourceLoad, AgreesWithADayByDayCountOnRandomSchedules) {
    std::mt19937 Random(31);
    for (int Trial = 0; Trial < 60; ++Trial) {
        const std::size_t n = 1 + Random() % 25, K = 1 + Random() % 3;
        std::vector<TResource> Resources;
        for (std::size_t k = 0; k < K; ++k)
            Resources.push_back({"R" + std::to_string(k), "", TReal(Random() % 8)});
        std::vector<TDemands> Demands(n);
        std::vector<TReal> Start(n), Finish(n);
        for (std::size_t j = 0; j < n; ++j) {
            Start[j] = Random() % 30;
            Finish[j] = Start[j] + Random() % 8;
            for (std::size_t k = 0; k < K; ++k)
                Demands[j].Set(k, Random() % 3 == 0 ? 0 : TReal(1 + Random() % 4));
        }
        const auto Loads = ResourceLoads(Resources, Demands, Start, Finish);
        ASSERT_EQ(Loads.size(), K);
        const TReal Span = *std::max_element(Finish.begin(), Finish.end());
        for (std::size_t k = 0; k < K; ++k) {
            const TResourceLoad& Load = Loads[k];
            TReal Peak = 0, Sum = 0;
            std::vector<bool> OverDay;
            for (int d = 0; d < static_cast<int>(Span) + 2; ++d) {
                TReal Units = 0;
                for (std::size_t j = 0; j < n; ++j)
                    if (Start[j] <= d && d < Finish[j])
                        Units += Demands[j].Of(k);
                ASSERT_EQ(UnitsAt(Load, d + TReal(0.5)), Units)
                    << "trial " << Trial << " day " << d;
                Peak = std::max(Peak, Units);
                Sum += Units;
                OverDay.push_back(Units > Resources[k].Availability);
            }
            EXPECT_EQ(Load.Peak, Peak);
            EXPECT_EQ(Load.WorkUnits, Sum);
            EXPECT_EQ(Load.Average, Span > 0 ? Sum / Span : 0);
            EXPECT_EQ(Load.Unevenness, Sum > 0 ? Peak / (Sum / Span) : 0);
            for (std::size_t s = 1; s < Load.Steps.size(); ++s)
                EXPECT_NE(Load.Steps[s].Units, Load.Steps[s - 1].Units);
            for (int d = 0; d < static_cast<int>(OverDay.size()); ++d) {
                bool InOver = false;
                for (const auto& [From, To] : Load.Over)
                    InOver = InOver || (From <= d && d < To);
                EXPECT_EQ(InOver, OverDay[d]) << "trial " << Trial << " day " << d;
            }
        }
    }
}

TEST(ResourceLoad, FractionalUnitsReturnToExactlyNoneAndAnUnusedResourceHasNoSteps) {
    const std::vector<TResource> Resources{{"A", "", 1}, {"B", "", 1}};
    std::vector<TDemands> Demands(3);
    Demands[0].Set(0, TReal(0.1));
    Demands[1].Set(0, TReal(0.2));
    Demands[2].Set(0, TReal(0.7));
    const std::vector<TReal> Start{0, 1, 2}, Finish{3, 4, 2}; // the third has no duration
    const auto Loads = ResourceLoads(Resources, Demands, Start, Finish);
    ASSERT_EQ(Loads[0].Steps.size(), 4u);
    EXPECT_EQ(Loads[0].Steps.back(), (TLoadStep{4, 0}));
    EXPECT_TRUE(Loads[0].Over.empty());
    EXPECT_TRUE(Loads[1].Steps.empty());
    EXPECT_EQ(Loads[1].Unevenness, 0);
}
