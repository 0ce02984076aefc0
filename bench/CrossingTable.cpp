// Crossings of the plain and the detailed layout of generated schemes, the
// time of the plain analysis and of the detailed layout; with --dot DIR it
// also writes each network for Graphviz (the same levels: rank=same per
// level, minlen = level span on each arc), for bench/compare_crossings.sh to
// let dot lay it out. Sizes other than 50, 100, 200, 400 and 1,000 works may
// follow: crossing_table [--dot DIR] [WORKS...]

#include "ProjectScheme.h"

#include "network/CircuitEngine.h"
#include "network/DetailedLayout.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

void WriteDot(const TNetworkView& View, const std::string& FileName) {
    std::ofstream Out(FileName);
    Out << "digraph G {\n";
    std::map<int, std::vector<std::size_t>> Levels;
    for (std::size_t e = 0; e < View.Events.size(); ++e)
        Levels[View.Events[e].Level].push_back(e);
    for (const auto& [Level, Events] : Levels) {
        Out << "{rank=same;";
        for (const std::size_t e : Events)
            Out << " e" << e << ';';
        Out << "}\n";
    }
    std::set<std::pair<int, int>> Links;
    for (const TViewArc& a : View.Arcs)
        if (Links.insert({a.From, a.To}).second)
            Out << 'e' << a.From << " -> e" << a.To << " [minlen="
                << View.Events[static_cast<std::size_t>(a.To)].Level -
                       View.Events[static_cast<std::size_t>(a.From)].Level
                << "];\n";
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
        Sizes = {50, 100, 200, 400, 1000};
    using TClock = std::chrono::steady_clock;
    auto Since = [](TClock::time_point Start) {
        return std::chrono::duration<double, std::milli>(TClock::now() - Start).count();
    };
    std::printf("works seed plain detailed detailed_ms plain_ms\n");
    for (const int n : Sizes)
        for (unsigned Seed = 0; Seed < 3; ++Seed) {
            TWorkList List;
            FillProjectScheme(List, n, Seed);
            TCircuitEngine Engine(List);
            const auto Plain = TClock::now();
            Engine.GetCircuit();
            Engine.Analyse();
            const double PlainMs = Since(Plain);
            const auto Detailed = TClock::now();
            const TDetailedRows Rows = DetailedLayout(Engine.Result());
            const double Ms = Since(Detailed);
            std::printf("%d %u %lld %lld %.1f %.1f\n", n, Seed, CountPlainCrossings(Engine.Result()),
                        CountCrossings(Engine.Result(), Rows), Ms, PlainMs);
            if (!DotDir.empty())
                WriteDot(Engine.Result(), DotDir + "/scheme-" + std::to_string(n) + "-" +
                                              std::to_string(Seed) + ".dot");
        }
    return 0;
}
