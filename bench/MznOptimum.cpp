// Writes the model and its data, runs minizinc with Gecode and reads the
// last makespan it printed; "==========" after it means the search was
// exhausted, so that makespan is optimal.

#include "MznOptimum.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

constexpr const char* Model = R"(include "cumulative.mzn";
int: n; int: K; int: H; int: m;
array[1..n] of int: d;
array[1..K, 1..n] of int: r;
array[1..K] of int: R;
array[1..m] of int: pi;
array[1..m] of int: pj;
array[1..n] of int: es;
array[1..n] of int: tail;
array[1..n] of var 0..H: s;
var 0..H: makespan;
constraint forall(j in 1..n)(s[j] >= es[j] /\ s[j] + tail[j] <= makespan);
constraint forall(a in 1..m)(s[pi[a]] + d[pi[a]] <= s[pj[a]]);
constraint forall(k in 1..K)(cumulative(s, d, [r[k, j] | j in 1..n], R[k]));
solve :: int_search(s, smallest, indomain_min) minimize makespan;
output ["makespan = \(makespan);\n"];
)";

template <class T> void Array(std::ostream& Out, const char* Name, const std::vector<T>& Items) {
    Out << Name << " = [";
    for (std::size_t i = 0; i < Items.size(); ++i)
        Out << (i ? ", " : "") << Items[i];
    Out << "];\n";
}

void WriteData(const TLevellingProblem& P, long Horizon, std::ostream& Out) {
    const std::size_t n = P.Durations.size(), K = P.Resources.size();
    std::vector<long> d, es(n, 0), tail(n, 0), pi, pj, R;
    for (TReal x : P.Durations)
        d.push_back(static_cast<long>(x));
    // Works are numbered in a topological order by the generator and PSPLIB.
    for (std::size_t j = 0; j < n; ++j)
        for (std::size_t i : P.Predecessors[j]) {
            es[j] = std::max(es[j], es[i] + d[i]);
            pi.push_back(long(i) + 1);
            pj.push_back(long(j) + 1);
        }
    for (std::size_t j = n; j-- > 0;) {
        tail[j] += d[j];
        for (std::size_t i : P.Predecessors[j])
            tail[i] = std::max(tail[i], tail[j]);
    }
    for (const TResource& Resource : P.Resources)
        R.push_back(static_cast<long>(Resource.Availability));
    Out << "n = " << n << ";\nK = " << K << ";\nH = " << Horizon << ";\nm = " << pi.size() << ";\n";
    Array(Out, "d", d);
    Array(Out, "R", R);
    Array(Out, "pi", pi);
    Array(Out, "pj", pj);
    Array(Out, "es", es);
    Array(Out, "tail", tail);
    Out << "r = array2d(1.." << K << ", 1.." << n << ", [";
    for (std::size_t k = 0; k < K; ++k)
        for (std::size_t j = 0; j < n; ++j)
            Out << (k + j ? ", " : "")
                << (j < P.Demands.size() ? static_cast<long>(P.Demands[j].Of(k)) : 0);
    Out << "]);\n";
}

} // namespace

std::optional<TOptimum> SolveWithMiniZinc(const TLevellingProblem& Problem, long Horizon,
                                          const std::string& WorkDir, int TimeLimitSeconds) {
    const std::string ModelFile = WorkDir + "/rcpsp.mzn", DataFile = WorkDir + "/rcpsp.dzn",
                      OutFile = WorkDir + "/minizinc.out";
    {
        std::ofstream M(ModelFile), D(DataFile);
        M << Model;
        WriteData(Problem, Horizon, D);
        if (!M || !D)
            return std::nullopt;
    }
    const std::string Command = "minizinc --solver gecode --time-limit " +
                                std::to_string(TimeLimitSeconds * 1000) + " " + ModelFile + " " +
                                DataFile + " > " + OutFile + " 2>&1";
    const auto Began = std::chrono::steady_clock::now();
    if (std::system(Command.c_str()) != 0)
        return std::nullopt;
    std::ifstream In(OutFile);
    std::string Line;
    std::optional<TOptimum> Result;
    while (std::getline(In, Line)) {
        if (Line.rfind("makespan = ", 0) == 0) {
            Result = TOptimum{};
            Result->Duration = std::stol(Line.substr(11));
        } else if (Line == "==========" && Result) {
            Result->Proven = true;
        } else if (Line == "=====UNKNOWN=====") {
            // Out of time before finding anything shorter than the horizon.
            Result = TOptimum{};
            Result->Duration = Horizon;
        }
    }
    if (Result)
        Result->Seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - Began).count();
    return Result;
}
