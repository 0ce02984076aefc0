// Time of turning a schedule's day numbers into dates: 10,000 works, each with
// its four times (40,000 mappings, what a table of that many works asks per
// refresh), on the standard day and week with about 100 holidays over ten
// years; the day numbers spread over those ten years with halves and
// arbitrary fractions; the seed is fixed. Also the report of such a plan.

#include "model/Calendar.h"
#include "model/WorkList.h"
#include "network/Report.h"
#include "ProjectScheme.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

TCalendar TenYears() {
    TCalendar c;
    c.Start = TCivilDate::FromYmd(2027, 3, 1);
    std::mt19937 Random(31);
    for (int k = 0; k < 100; ++k)
        c.Holidays.push_back(TCivilDate{c.Start.Days + static_cast<std::int32_t>(Random() % 3650)});
    NormaliseCalendar(c);
    return c;
}

void BM_DatesOfTenThousandWorks(benchmark::State& State) {
    const TCalendarClock Clock(TenYears());
    std::mt19937 Random(2803);
    std::vector<TReal> Days(40000);
    for (TReal& Day : Days)
        Day = static_cast<TReal>(Random() % 2500) + static_cast<TReal>(Random() % 1000) / 997;
    for (auto _ : State) {
        int Minutes = 0;
        for (std::size_t k = 0; k < Days.size(); ++k) {
            const auto m = (k % 2 ? Clock.FinishOf(Days[k]) : Clock.StartOf(Days[k]));
            Minutes += m->Minute;
        }
        benchmark::DoNotOptimize(Minutes);
    }
    State.SetItemsProcessed(State.iterations() * static_cast<std::int64_t>(Days.size()));
}
BENCHMARK(BM_DatesOfTenThousandWorks)->Unit(benchmark::kMillisecond);

// The whole report of 1,000 works with and without a calendar: what the dates
// add to it.
void BM_ReportOfAThousandWorks(benchmark::State& State) {
    TWorkList List;
    FillProjectScheme(List, 1000);
    if (State.range(0))
        List.SetCalendar(TenYears());
    for (auto _ : State)
        benchmark::DoNotOptimize(ReportJson(List, -1));
}
BENCHMARK(BM_ReportOfAThousandWorks)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
