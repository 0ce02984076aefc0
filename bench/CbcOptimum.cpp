// Writes the time-indexed model, runs cbc on it and reads the objective back.
//   x_j_t = 1 when work j starts on day t, for t between its earliest start
//   and its latest start under the horizon;
//   every work starts once; C is at least every work's finish;
//   for an arc i -> j and every day t: j started by t only if i started by
//   t - d_i (the strong, disaggregated form);
//   for every resource and day, the works running that day fit.

#include "CbcOptimum.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

struct TWindows {
    std::vector<long> Duration, Earliest, Latest;
};

TWindows StartWindows(const TLevellingProblem& P, long Horizon) {
    const std::size_t n = P.Durations.size();
    TWindows W;
    for (TReal d : P.Durations)
        W.Duration.push_back(static_cast<long>(d));
    W.Earliest.assign(n, 0);
    // Works are numbered in a topological order by the generator and PSPLIB.
    for (std::size_t j = 0; j < n; ++j)
        for (std::size_t i : P.Predecessors[j])
            W.Earliest[j] = std::max(W.Earliest[j], W.Earliest[i] + W.Duration[i]);
    W.Latest.assign(n, 0);
    std::vector<long> Tail(n, 0);
    for (std::size_t j = n; j-- > 0;) {
        Tail[j] += W.Duration[j];
        for (std::size_t i : P.Predecessors[j])
            Tail[i] = std::max(Tail[i], Tail[j]);
        W.Latest[j] = Horizon - Tail[j];
    }
    return W;
}

class TLpWriter {
public:
    explicit TLpWriter(std::ostream& Out) : Out_(Out) {}
    void Term(long Coefficient, std::size_t j, long t) {
        if (Coefficient == 0)
            return;
        Out_ << (Coefficient < 0 ? " - " : " + ");
        if (std::labs(Coefficient) != 1)
            Out_ << std::labs(Coefficient) << ' ';
        Out_ << 'x' << j << '_' << t;
        if (++Terms_ % 8 == 0)
            Out_ << "\n ";
    }
    void End(const char* Sense, long Rhs) {
        Out_ << ' ' << Sense << ' ' << Rhs << '\n';
        Terms_ = 0;
    }

private:
    std::ostream& Out_;
    int Terms_ = 0;
};

void WriteModel(const TLevellingProblem& P, const TWindows& W, long Horizon, std::ostream& Out) {
    const std::size_t n = P.Durations.size();
    TLpWriter Lp(Out);
    Out << "Minimize\n obj: C\nSubject To\n";
    for (std::size_t j = 0; j < n; ++j) {
        Out << " once" << j << ':';
        for (long t = W.Earliest[j]; t <= W.Latest[j]; ++t)
            Lp.Term(1, j, t);
        Lp.End("=", 1);
        Out << " end" << j << ": C";
        for (long t = W.Earliest[j]; t <= W.Latest[j]; ++t)
            Lp.Term(-(t + W.Duration[j]), j, t);
        Lp.End(">=", 0);
    }
    for (std::size_t j = 0; j < n; ++j)
        for (std::size_t i : P.Predecessors[j])
            for (long t = W.Earliest[j]; t < W.Latest[j]; ++t) {
                Out << " p" << i << '_' << j << '_' << t << ':';
                for (long s = W.Earliest[j]; s <= t; ++s)
                    Lp.Term(1, j, s);
                for (long s = W.Earliest[i]; s <= std::min(t - W.Duration[i], W.Latest[i]); ++s)
                    Lp.Term(-1, i, s);
                Lp.End("<=", 0);
            }
    for (std::size_t k = 0; k < P.Resources.size(); ++k)
        for (long t = 0; t < Horizon; ++t) {
            std::ostringstream Row;
            TLpWriter RowLp(Row);
            bool Any = false;
            for (std::size_t j = 0; j < n && j < P.Demands.size(); ++j) {
                const long r = static_cast<long>(P.Demands[j].Of(k));
                for (long s = std::max(W.Earliest[j], t - W.Duration[j] + 1);
                     r > 0 && s <= std::min(t, W.Latest[j]); ++s, Any = true)
                    RowLp.Term(r, j, s);
            }
            if (Any) {
                Out << " r" << k << '_' << t << ':' << Row.str();
                Out << " <= " << static_cast<long>(P.Resources[k].Availability) << '\n';
            }
        }
    Out << "Binaries\n";
    for (std::size_t j = 0; j < n; ++j)
        for (long t = W.Earliest[j]; t <= W.Latest[j]; ++t)
            Out << " x" << j << '_' << t << '\n';
    Out << "End\n";
}

} // namespace

std::optional<TOptimum> SolveWithCbc(const TLevellingProblem& Problem, long Horizon,
                                     const std::string& WorkDir, int TimeLimitSeconds) {
    const TWindows W = StartWindows(Problem, Horizon);
    const std::string Model = WorkDir + "/model.lp", Solution = WorkDir + "/solution.txt";
    {
        std::ofstream Out(Model);
        WriteModel(Problem, W, Horizon, Out);
        if (!Out)
            return std::nullopt;
    }
    std::remove(Solution.c_str());
    const std::string Command = "cbc " + Model + " sec " + std::to_string(TimeLimitSeconds) +
                                " threads 1 solve solu " + Solution + " > " + WorkDir +
                                "/cbc.log 2>&1";
    const auto Began = std::chrono::steady_clock::now();
    if (std::system(Command.c_str()) != 0)
        return std::nullopt;
    std::ifstream In(Solution);
    std::string Status;
    if (!std::getline(In, Status))
        return std::nullopt;
    const auto At = Status.find("objective value");
    if (At == std::string::npos)
        return std::nullopt;
    TOptimum Result;
    Result.Duration = std::stold(Status.substr(At + 15));
    Result.Proven = Status.rfind("Optimal", 0) == 0;
    Result.Seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - Began).count();
    return Result;
}
