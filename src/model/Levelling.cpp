// Levelling from the outside: refuses what cannot be scheduled, runs the
// search (or the single pass of the latest-finish rule), and names the works
// that drive the levelled duration.

#include "model/Levelling.h"

#include "model/LevellingSearch.h"
#include "model/SchemeSnapshot.h"
#include "model/WorkList.h"

#include <algorithm>

namespace {

// The generation of one schedule costs about the square of the number of
// works in the worst case and far less in practice; this budget keeps 120
// works within half a second of processor time and 1,000 works within two,
// and gives small networks more tries than they need.
std::size_t DefaultScheduleLimit(std::size_t N) {
    return std::clamp<std::size_t>(1'440'000 / std::max<std::size_t>(N, 1), 1'000, 12'000);
}

// Walks back from a work that ends the project: each work of the chain starts
// the moment the one before it finishes, either because it depends on it or
// because that one held a resource both need.
std::vector<TDrivingWork> DrivingChain(const TLevellingNet& Net, const std::vector<TReal>& Start,
                                       const std::vector<TReal>& Finish, TReal Duration) {
    std::vector<TDrivingWork> Chain;
    std::size_t Current = 0;
    while (Finish[Current] != Duration)
        ++Current;
    // Time never grows along the chain, and at one moment precedence links
    // only climb the network, so no work comes twice; the bound is a guard.
    for (std::size_t Steps = 0; Steps <= Net.N; ++Steps) {
        TDrivingWork Link{Current, TDrivingLink::ProjectStart, 0};
        const TReal S = Start[Current];
        bool Found = S <= 0;
        for (std::uint32_t p = Net.PredFrom[Current]; !Found && p < Net.PredFrom[Current + 1]; ++p)
            if (Finish[Net.Pred[p]] == S) {
                Link.Link = TDrivingLink::Precedence;
                Current = Net.Pred[p];
                Found = true;
            }
        for (std::size_t i = 0; !Found && i < Net.N; ++i) {
            if (i == Link.Work || Finish[i] != S || Net.Duration[i] <= 0)
                continue;
            for (std::size_t k = 0; k < Net.K; ++k)
                if (Net.Uses(static_cast<std::uint32_t>(i), k) &&
                    Net.Uses(static_cast<std::uint32_t>(Link.Work), k)) {
                    Link.Link = TDrivingLink::Resource;
                    Link.Resource = Net.ResourceOf[k];
                    Current = i;
                    Found = true;
                    break;
                }
        }
        Chain.push_back(Link);
        if (!Found || Link.Link == TDrivingLink::ProjectStart)
            break;
    }
    // Collected from the end; each entry tells how its work is tied to the
    // entry before it.
    std::reverse(Chain.begin(), Chain.end());
    return Chain;
}

TLevelledSchedule Finished(const TLevellingNet& Net, std::vector<TReal> Start,
                           std::size_t Generated) {
    TLevelledSchedule Result;
    Result.CriticalPathLength = Net.CriticalPath;
    Result.SchedulesGenerated = Generated;
    Result.Finish.resize(Net.N);
    for (std::size_t j = 0; j < Net.N; ++j) {
        Result.Finish[j] = Start[j] + Net.Duration[j];
        Result.Duration = std::max(Result.Duration, Result.Finish[j]);
    }
    Result.Start = std::move(Start);
    if (Net.N > 0)
        Result.DrivingChain = DrivingChain(Net, Result.Start, Result.Finish, Result.Duration);
    return Result;
}

TLevelledSchedule Refused(const TNetBuild& Build) {
    TLevelledSchedule Result;
    Result.Error = Build.Error;
    Result.Fault = Build.Fault;
    return Result;
}

} // namespace

TLevellingProblem LevellingProblemOf(const TWorkList& List, std::vector<TResource> Resources,
                                     std::vector<TDemands> Demands) {
    TLevellingProblem Problem;
    const auto n = static_cast<std::size_t>(List.Count());
    Problem.Predecessors.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const TWorkData& Work = List.GetWork(static_cast<int>(i));
        Problem.Durations.push_back(Work.Duration);
        // Implied and redundant cells add nothing: their works already come
        // before through the entered ones.
        for (std::size_t j = 0; j < std::min(n, Work.Links.size()); ++j)
            if (Work.Links[j] == LinkDirect)
                Problem.Predecessors[i].push_back(j);
    }
    Problem.Resources = std::move(Resources);
    Problem.Demands = std::move(Demands);
    return Problem;
}

TLevellingProblem LevellingProblemOf(const TSchemeSnapshot& Scheme) {
    TLevellingProblem Problem;
    const std::size_t n = Scheme.Durations.size();
    Problem.Durations = Scheme.Durations;
    Problem.Predecessors.resize(n);
    const TSuccessors& S = Scheme.Essential;
    if (S.Start.size() == n + 1)
        for (std::size_t j = 0; j < n; ++j)
            for (std::int32_t k = S.Start[j]; k < S.Start[j + 1]; ++k)
                Problem.Predecessors[static_cast<std::size_t>(S.Succ[k])].push_back(j);
    Problem.Resources = Scheme.Resources;
    Problem.Demands = Scheme.Demands;
    return Problem;
}

TLevelledSchedule Level(const TLevellingProblem& Problem, const TLevellingOptions& Options) {
    const TNetBuild Build = BuildLevellingNet(Problem);
    if (Build.Error != TLevellingError::None)
        return Refused(Build);
    const TLevellingNet& Net = Build.Net;
    if (Net.K == 0 || Net.N == 0) {
        // Nothing competes for a resource: the early schedule is levelled.
        TSerialScheme Scheme(Net);
        std::vector<TReal> Start;
        Scheme.Decode(Net.TopoOrder, Start);
        return Finished(Net, std::move(Start), Scheme.Generated());
    }
    const std::size_t Limit =
        Options.ScheduleLimit > 0 ? Options.ScheduleLimit : DefaultScheduleLimit(Net.N);
    TLevellingSearch Search(Net, Limit, Options.Seed, Options.Stop);
    Search.Run();
    return Finished(Net, Search.BestStart(), Search.Generated());
}

TLevelledSchedule LevelByLatestFinish(const TLevellingProblem& Problem) {
    const TNetBuild Build = BuildLevellingNet(Problem);
    if (Build.Error != TLevellingError::None)
        return Refused(Build);
    TSerialScheme Scheme(Build.Net);
    std::vector<TReal> Start;
    Scheme.Decode(PriorityList(Build.Net, Build.Net.LatestFinish), Start);
    return Finished(Build.Net, std::move(Start), Scheme.Generated());
}
