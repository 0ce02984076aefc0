// The detailed layout of generated schemes (three seeds a size): the total
// length of its links in columns, its crossings, the processor time of its
// ranking and of the whole layout (ranking, ordering, routing) and of the
// plain analysis; with --dot DIR it also writes each network for Graphviz, every
// link once and dot free to rank it, for bench/compare_dot.sh. Sizes other
// than 60, 200 and 400 works may follow: crossing_table [--dot DIR] [WORKS...]

#include "ProjectScheme.h"

#include "network/CircuitEngine.h"
#include "network/DetailedLayout.h"
#include "network/DetailedRanking.h"

#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

namespace {

// The links once each, dot free to rank them itself (minimum length 1,
// weight 1, as the detailed view ranks them).
void WriteDot(const TNetworkView& View, const std::string& FileName) {
    std::ofstream Out(FileName);
    Out << "digraph G {\n";
    for (const TRankEdge& x : DetailedLinks(View))
        Out << 'e' << x.Tail << " -> e" << x.Head << ";\n";
    Out << "}\n";
}

} // namespace

int main(int argc, char** argv) {
    int First = 1;
    std::string DotDir;
    if (argc > 2 && std::string(argv[1]) == "--dot") {
        DotDir = argv[2];
        First = 3;
    }
    std::vector<int> Sizes;
    for (int i = First; i < argc; ++i)
        Sizes.push_back(std::stoi(argv[i]));
    if (Sizes.empty())
        Sizes = {60, 200, 400};
    // The processor time of this thread: on a shared host it varies far less
    // than the time on the clock.
    const auto Now = [] {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) * 1000 + static_cast<double>(t.tv_nsec) / 1e6;
    };
    const auto Since = [&Now](double Start) { return Now() - Start; };
    std::printf("works seed length crossings rank_ms layout_ms plain_ms\n");
    for (const int n : Sizes)
        for (unsigned Seed = 0; Seed < 3; ++Seed) {
            TWorkList List;
            FillProjectScheme(List, n, Seed);
            TCircuitEngine Engine(List);
            const auto Plain = Now();
            Engine.GetCircuit();
            Engine.Analyse();
            const double PlainMs = Since(Plain);
            const TNetworkView& View = Engine.Result();
            const auto Ranking = Now();
            const std::vector<std::int32_t> Columns = DetailedColumns(View);
            const double RankMs = Since(Ranking);
            const auto Detailed = Now();
            const TDetailedRows Rows = DetailedLayout(View);
            const double Ms = Since(Detailed);
            std::printf("%d %u %lld %lld %.1f %.1f %.1f\n", n, Seed,
                        TotalLength(DetailedLinks(View), Columns), CountCrossings(View, Rows),
                        RankMs, Ms, PlainMs);
            if (!DotDir.empty())
                WriteDot(View, DotDir + "/scheme-" + std::to_string(n) + "-" +
                                   std::to_string(Seed) + ".dot");
        }
    return 0;
}
