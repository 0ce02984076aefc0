// Crossings of the plain and the detailed layout of generated schemes, and
// the time of the detailed one; with --dot DIR it also writes each network
// for Graphviz (the same levels: rank=same per level, minlen = level span on
// each arc), for bench/compare_crossings.sh to let dot lay it out.

#include "ProjectScheme.h"

#include "network/CircuitEngine.h"
#include "network/DetailedLayout.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <string>

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
    const std::string DotDir = argc > 2 && std::string(argv[1]) == "--dot" ? argv[2] : "";
    std::printf("works seed plain detailed detailed_ms\n");
    for (const int n : {50, 100, 200, 400, 1000})
        for (unsigned Seed = 0; Seed < 3; ++Seed) {
            TWorkList List;
            FillProjectScheme(List, n, Seed);
            TCircuitEngine Engine(List);
            Engine.GetCircuit();
            Engine.Analyse();
            const auto Start = std::chrono::steady_clock::now();
            const TDetailedRows Rows = DetailedLayout(Engine.Result());
            const double Ms =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - Start).count();
            std::printf("%d %u %lld %lld %.1f\n", n, Seed, CountPlainCrossings(Engine.Result()),
                        CountCrossings(Engine.Result(), Rows.EventRow, Rows.ArcRows), Ms);
            if (!DotDir.empty())
                WriteDot(Engine.Result(), DotDir + "/scheme-" + std::to_string(n) + "-" +
                                              std::to_string(Seed) + ".dot");
        }
    return 0;
}
