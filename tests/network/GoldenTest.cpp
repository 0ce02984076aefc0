// Golden results of the whole engine: for a fixed collection of schemes, in
// both path modes, the store as the analysis and the drawing leave it (with
// the picture's size) and the JSON report. Faster ways of computing the same
// network must leave every byte of these as it is.
//
// The files live in tests/network/golden/: <scheme>.<mode>.txt holds the full
// text of schemes of up to FullTextLimit works; for larger ones hashes.txt
// holds one line "<scheme> <mode> <FNV-1a 64 of the text>". Running the test
// with KORVANT_WRITE_GOLDEN=1 rewrites the files from the current engine
// instead of comparing (then review the diff before committing it).
//
// The schemes (see Schemes()):
// - small hand-made ones: a chain of two, two free works, the four-work
//   example (K after A and B, L after B), a chain of three, a diamond, works
//   sharing one predecessor set, a chain of twenty works of 0.1;
// - "rand-*": n works, each later work depends on each earlier one with a
//   probability p; sparse ones use p = 2/n-ish (at least one chance of about
//   two predecessors), dense ones p = 0.25 or 0.5; durations are integers
//   1..9 or fractions d/10 + e/7; n from 2 to 300;
// - "project-*": the project-like generator of the benchmark: durations 1..20,
//   the first three works depend on nothing, every later one on 1 to 3 works
//   among the 20 before it; 50, 150 and 300 works.
// Every random draw is taken straight from std::mt19937 (whose sequence the
// standard fixes) with a modulo, so the schemes do not depend on the
// library's distributions.

#include "NetworkTestSupport.h"

#include "network/Dump.h"
#include "network/Report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using namespace NetworkTest;

namespace {

constexpr std::size_t FullTextLimit = 30;

struct TNamedScheme {
    std::string Name;
    TScheme Scheme;
};

TScheme Chain(std::vector<TReal> Durations) {
    TScheme S;
    S.Durations = std::move(Durations);
    S.Deps.resize(S.Durations.size());
    for (std::size_t i = 1; i < S.Durations.size(); ++i)
        S.Deps[i] = {static_cast<int>(i - 1)};
    return S;
}

TScheme RandomDensity(std::uint32_t Seed, int n, double p, bool Fractional) {
    std::mt19937 Random(Seed);
    const auto Draw = [&Random](std::uint32_t Modulus) {
        return static_cast<int>(Random() % Modulus);
    };
    // Probability in thousandths, so that a draw is one integer comparison.
    const auto Threshold = static_cast<int>(p * 1000);
    TScheme S;
    S.Deps.resize(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        TReal d = Draw(9) + 1;
        if (Fractional)
            d = d / 10 + static_cast<TReal>(Draw(9) + 1) / 7;
        S.Durations.push_back(d);
        for (int j = 0; j < i; ++j)
            if (Draw(1000) < Threshold)
                S.Deps[static_cast<std::size_t>(i)].push_back(j);
    }
    return S;
}

TScheme ProjectLike(std::uint32_t Seed, int n) {
    std::mt19937 Random(Seed);
    TScheme S;
    S.Deps.resize(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        S.Durations.push_back(static_cast<TReal>(Random() % 20 + 1));
        if (i < 3)
            continue;
        const int Window = std::min(i, 20);
        const int Count = std::min(static_cast<int>(Random() % 3 + 1), Window);
        std::vector<int>& Deps = S.Deps[static_cast<std::size_t>(i)];
        while (static_cast<int>(Deps.size()) < Count) {
            const int j = i - 1 - static_cast<int>(Random() % static_cast<std::uint32_t>(Window));
            if (std::find(Deps.begin(), Deps.end(), j) == Deps.end())
                Deps.push_back(j);
        }
    }
    return S;
}

std::vector<TNamedScheme> Schemes() {
    std::vector<TNamedScheme> List;
    List.push_back({"chain-two", {{3, 4}, {{}, {0}}}});
    List.push_back({"two-free", {{1, 2}, {{}, {}}}});
    List.push_back({"four-work", {{1, 2, 3, 4}, {{}, {}, {0, 1}, {1}}}});
    List.push_back({"chain-three", {{1, 2, 3}, {{1}, {2}, {}}}});
    List.push_back({"diamond", {{2, 3, 5, 1}, {{}, {0}, {0}, {1, 2}}}});
    List.push_back({"shared-preds", {{1, 2, 3, 4, 5}, {{}, {}, {0, 1}, {0, 1}, {0, 1}}}});
    List.push_back({"tenths", Chain(std::vector<TReal>(20, 0.1L))});

    // Sizes from 2 to 300; the seed of each scheme is its index.
    const int Sizes[] = {2,  3,  4,  5,  6,  7,  8,  9,  10, 12, 14, 16, 18, 20,
                         22, 25, 28, 30, 35, 40, 50, 60, 80, 100, 120, 150, 200, 300};
    std::uint32_t Seed = 1;
    for (const int n : Sizes) {
        const bool Fractional = Seed % 3 == 0;
        const double Sparse = std::min(1.0, 2.0 / n + 0.05);
        List.push_back({"rand-" + std::to_string(n) + "-sparse" + (Fractional ? "-frac" : ""),
                        RandomDensity(Seed++, n, Sparse, Fractional)});
        // Dense schemes stop at 150 works: beyond, the unoptimised engine
        // that made the goldens takes too long for a unit test.
        if (n <= 150 && n % 2 == 0) {
            const double p = n <= 30 ? 0.5 : 0.25;
            List.push_back({"rand-" + std::to_string(n) + "-dense" + (Fractional ? "-frac" : ""),
                            RandomDensity(Seed++, n, p, !Fractional)});
        }
    }
    for (const int n : {50, 150, 300})
        List.push_back({"project-" + std::to_string(n), ProjectLike(7000u + static_cast<std::uint32_t>(n), n)});
    return List;
}

std::string ResultText(const TScheme& Scheme, int PathSign) {
    auto List = MakeList(Scheme);
    TCircuitEngine Engine(*List);
    Engine.PathSign = PathSign;
    Engine.GetCircuit();
    Engine.Analyse();
    std::string Text = "DrawWidth " + std::to_string(Engine.Result().Width) + " DrawHeight " +
                       std::to_string(Engine.Result().Height) + '\n';
    Text += Engine.Circuit ? DumpStore(*Engine.Circuit) : std::string("no network\n");
    Text += "--- report\n";
    Text += ReportJson(*List, PathSign);
    Text += '\n';
    return Text;
}

std::string Fnv1a(const std::string& Text) {
    std::uint64_t h = 14695981039346656037ull;
    for (const char c : Text) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ull;
    }
    char Buffer[17];
    std::snprintf(Buffer, sizeof Buffer, "%016llx", static_cast<unsigned long long>(h));
    return Buffer;
}

std::string GoldenDir() { return KORVANT_GOLDEN_DIR; }

std::string ModeName(int PathSign) { return PathSign < 0 ? "critical" : "shortest"; }

bool Writing() {
    const char* Value = std::getenv("KORVANT_WRITE_GOLDEN");
    return Value && std::string(Value) == "1";
}

std::string ReadFile(const std::string& Path, bool& Found) {
    std::ifstream In(Path, std::ios::binary);
    Found = static_cast<bool>(In);
    std::ostringstream Text;
    Text << In.rdbuf();
    return Text.str();
}

// "line N: expected ... / actual ..." for the first line that differs.
std::string FirstDifference(const std::string& Expected, const std::string& Actual) {
    std::istringstream E(Expected);
    std::istringstream A(Actual);
    std::string LineE;
    std::string LineA;
    for (int Line = 1;; ++Line) {
        const bool MoreE = static_cast<bool>(std::getline(E, LineE));
        const bool MoreA = static_cast<bool>(std::getline(A, LineA));
        if (!MoreE && !MoreA)
            return "texts differ only in their line ends";
        if (!MoreE || !MoreA || LineE != LineA)
            return "line " + std::to_string(Line) + ":\n  expected: " +
                   (MoreE ? LineE : std::string("<end>")) +
                   "\n  actual:   " + (MoreA ? LineA : std::string("<end>"));
    }
}

std::map<std::string, std::string> ReadHashes(bool& Found) {
    std::map<std::string, std::string> Hashes;
    std::istringstream In(ReadFile(GoldenDir() + "/hashes.txt", Found));
    std::string Name;
    std::string Mode;
    std::string Hash;
    while (In >> Name >> Mode >> Hash)
        Hashes[Name + ' ' + Mode] = Hash;
    return Hashes;
}

TEST(GoldenResults, EverySchemeInBothModesIsUnchanged) {
    const bool Write = Writing();
    bool HashesFound = false;
    const auto Hashes = ReadHashes(HashesFound);
    if (!Write) {
        ASSERT_TRUE(HashesFound) << GoldenDir() << "/hashes.txt is missing";
    }
    std::string NewHashes;
    for (const TNamedScheme& S : Schemes())
        for (const int PathSign : {-1, +1}) {
            const std::string Mode = ModeName(PathSign);
            const std::string Text = ResultText(S.Scheme, PathSign);
            if (S.Scheme.Durations.size() <= FullTextLimit) {
                const std::string Path = GoldenDir() + '/' + S.Name + '.' + Mode + ".txt";
                if (Write) {
                    std::ofstream(Path, std::ios::binary) << Text;
                    continue;
                }
                bool Found = false;
                const std::string Expected = ReadFile(Path, Found);
                ASSERT_TRUE(Found) << Path << " is missing";
                EXPECT_TRUE(Expected == Text)
                    << "scheme " << S.Name << ", " << Mode << " mode, "
                    << FirstDifference(Expected, Text);
            } else {
                const std::string Hash = Fnv1a(Text);
                NewHashes += S.Name + ' ' + Mode + ' ' + Hash + '\n';
                if (Write)
                    continue;
                const auto It = Hashes.find(S.Name + ' ' + Mode);
                ASSERT_TRUE(It != Hashes.end()) << "no hash for " << S.Name << ' ' << Mode;
                EXPECT_EQ(It->second, Hash)
                    << "scheme " << S.Name << " (" << S.Scheme.Durations.size() << " works), "
                    << Mode << " mode: the text's hash differs";
            }
        }
    if (Write)
        std::ofstream(GoldenDir() + "/hashes.txt", std::ios::binary) << NewHashes;
}

} // namespace
