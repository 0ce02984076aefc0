#include "exchange/LinkConversion.h"

#include "model/RealText.h"

#include <algorithm>
#include <map>
#include <set>

namespace {

// start(B) >= start(Task) + Offset, a need of task B.
struct TNeed {
    int Task = 0;
    TReal Offset = 0;
};

std::string TypeText(TLinkType Type) {
    switch (Type) {
    case TLinkType::FinishFinish:
        return "«окончание — окончание»";
    case TLinkType::StartFinish:
        return "«начало — окончание»";
    case TLinkType::StartStart:
        return "«начало — начало»";
    case TLinkType::FinishStart:
        break;
    }
    return "«окончание — начало»";
}

std::string DaysText(TReal Days) {
    return FormatReal(Days) + " дн.";
}

class TConversion {
public:
    explicit TConversion(const TLinkedTasks& ATasks) : Tasks(ATasks) {}
    TTaskGraph Run();

private:
    const TLinkedTasks& Tasks;
    std::vector<TReal> Duration;
    std::vector<std::vector<TNeed>> Direct;                   // by the task that waits
    std::vector<std::vector<TNeed>> Needs;                    // the same, leads carried back
    std::vector<int> First, Last;                             // the nodes of each task
    std::vector<std::vector<std::pair<TReal, int>>> PartEnds; // cut, part
    std::map<std::pair<int, TReal>, int> WaitOf;              // by task and offset
    std::set<int> WaitLinked;
    std::vector<std::vector<int>> WaitNodes; // by need, -1 where none
    int Waits = 0, Parts = 0;

    TReal Offset(const TLinkedTasks::TLink& Link) const;
    // A need the diagram can hold as it is: a wait, a part or a dependency.
    bool Held(const TNeed& Need) const {
        return Need.Offset > 0 || Need.Offset == Duration[static_cast<std::size_t>(Need.Task)];
    }
    std::vector<int> Order() const;
    void CarryLeads(const std::vector<int>& Order);
    void DropImplied(std::vector<TNeed>& Out) const;
    void AddNodes(TTaskGraph& Graph);
    void AddLinks(TTaskGraph& Graph);
    std::string NameOf(int Task) const;
    void Notify(TTaskGraph& Graph) const;
};

TReal TConversion::Offset(const TLinkedTasks::TLink& Link) const {
    return LinkOffset(Link, Duration[static_cast<std::size_t>(Link.Before)],
                      Duration[static_cast<std::size_t>(Link.After)]);
}

// The tasks in an order where each comes after those it waits for; shorter
// than the tasks when the links form a contour.
std::vector<int> TConversion::Order() const {
    const std::size_t n = Tasks.Tasks.size();
    std::vector<int> Waiting(n, 0);
    std::vector<std::vector<int>> After(n);
    for (const auto& Link : Tasks.Links) {
        ++Waiting[static_cast<std::size_t>(Link.After)];
        After[static_cast<std::size_t>(Link.Before)].push_back(Link.After);
    }
    std::vector<int> Result;
    for (std::size_t k = 0; k < n; ++k)
        if (Waiting[k] == 0)
            Result.push_back(static_cast<int>(k));
    for (std::size_t Next = 0; Next < Result.size(); ++Next)
        for (int k : After[static_cast<std::size_t>(Result[Next])])
            if (--Waiting[static_cast<std::size_t>(k)] == 0)
                Result.push_back(k);
    return Result;
}

// start(B) >= start(A) + c with c <= 0 (and A taking time) says only that B
// may not start before what A waits for, less the lead: the need goes back
// to A's own needs with c added, as far as it takes to reach needs the
// diagram holds, or the project start (a need of nothing). The tasks are
// taken in order, so the needs of A are final when B reads them. A task is
// gone back to again only with a larger offset than before.
void TConversion::CarryLeads(const std::vector<int>& Order) {
    const std::size_t n = Tasks.Tasks.size();
    std::vector<TReal> Best(n);
    std::vector<int> Seen(n, -1), HeldSeen(n, -1);
    std::vector<std::size_t> HeldAt(n);
    std::vector<TNeed> Stack;
    for (int k : Order) {
        auto& Out = Needs[static_cast<std::size_t>(k)];
        // Of several needs of one task the largest offset holds the others.
        const auto Keep = [&](const TNeed& Need) {
            const auto t = static_cast<std::size_t>(Need.Task);
            if (HeldSeen[t] != k) {
                HeldSeen[t] = k;
                HeldAt[t] = Out.size();
                Out.push_back(Need);
            } else if (Out[HeldAt[t]].Offset < Need.Offset) {
                Out[HeldAt[t]].Offset = Need.Offset;
            }
        };
        Stack.clear();
        for (const TNeed& Need : Direct[static_cast<std::size_t>(k)])
            Held(Need) ? Keep(Need) : Stack.push_back(Need);
        while (!Stack.empty()) {
            const TNeed Lead = Stack.back();
            Stack.pop_back();
            const auto t = static_cast<std::size_t>(Lead.Task);
            if (Seen[t] == k && Best[t] >= Lead.Offset)
                continue;
            Seen[t] = k;
            Best[t] = Lead.Offset;
            for (const TNeed& Back : Needs[t]) {
                const TNeed Carried{Back.Task, Back.Offset + Lead.Offset};
                if (Held(Carried))
                    Keep(Carried);
                else if (Seen[static_cast<std::size_t>(Carried.Task)] != k ||
                         Best[static_cast<std::size_t>(Carried.Task)] < Carried.Offset)
                    Stack.push_back(Carried);
            }
        }
        std::sort(Out.begin(), Out.end(),
                  [](const TNeed& x, const TNeed& y) { return x.Task < y.Task; });
        DropImplied(Out);
    }
}

// A wait or a part that a need of task Y would make is not needed when a
// need of task Z that needs Y with enough
// offset itself holds it: start(B) >= start(Z) + c' >= start(Y) + e + c'. Without
// this, needs carried back along runs of start-to-start links would pile
// up, each making a wait or a part of its own.
void TConversion::DropImplied(std::vector<TNeed>& Out) const {
    const auto OffsetOf = [&](int Z, int Y) -> const TNeed* {
        const auto& List = Needs[static_cast<std::size_t>(Z)];
        const auto At = std::lower_bound(List.begin(), List.end(), Y,
                                         [](const TNeed& x, int t) { return x.Task < t; });
        return At != List.end() && At->Task == Y ? &*At : nullptr;
    };
    std::vector<bool> Drop(Out.size(), false);
    // Plain dependencies stay as the file gave them.
    for (std::size_t i = 0; i < Out.size(); ++i)
        for (std::size_t j = 0; j < Out.size() && !Drop[i] &&
                                Out[i].Offset != Duration[static_cast<std::size_t>(Out[i].Task)];
             ++j) {
            if (j == i || Drop[j])
                continue;
            const TNeed* Back = OffsetOf(Out[j].Task, Out[i].Task);
            Drop[i] = Back && Back->Offset + Out[j].Offset >= Out[i].Offset;
        }
    std::size_t Kept = 0;
    for (std::size_t i = 0; i < Out.size(); ++i)
        if (!Drop[i])
            Out[Kept++] = Out[i];
    Out.resize(Kept);
}

std::string TConversion::NameOf(int Task) const {
    const auto& T = Tasks.Tasks[static_cast<std::size_t>(Task)];
    return T.Name.empty() ? T.Label : T.Name;
}

// Each task as one work, a chain of its parts, or a passage; before it, the
// waits it has after other tasks.
void TConversion::AddNodes(TTaskGraph& Graph) {
    const std::size_t n = Tasks.Tasks.size();
    std::vector<std::vector<TReal>> Cuts(n);
    for (const auto& List : Needs)
        for (const TNeed& Need : List)
            if (Need.Offset > 0 && Need.Offset < Duration[static_cast<std::size_t>(Need.Task)])
                Cuts[static_cast<std::size_t>(Need.Task)].push_back(Need.Offset);
    for (std::size_t k = 0; k < n; ++k) {
        for (const TNeed& Need : Needs[k]) {
            WaitNodes[k].push_back(-1);
            if (Need.Offset <= Duration[static_cast<std::size_t>(Need.Task)])
                continue;
            // One wait serves every task that waits as long after the same one.
            const auto [At, Fresh] = WaitOf.try_emplace({Need.Task, Need.Offset}, -1);
            if (Fresh) {
                const std::string Name =
                    "Ожидание: " + NameOf(Need.Task) + " -> " + NameOf(static_cast<int>(k));
                At->second =
                    Graph.AddWork(Name, Need.Offset - Duration[static_cast<std::size_t>(Need.Task)],
                                  "ожидание «" + Name + "»");
                ++Waits;
            }
            WaitNodes[k].back() = At->second;
        }
        const auto& Task = Tasks.Tasks[k];
        auto& Cut = Cuts[k];
        std::sort(Cut.begin(), Cut.end());
        Cut.erase(std::unique(Cut.begin(), Cut.end()), Cut.end());
        if (!Task.Work) {
            First[k] = Last[k] = Graph.AddPassage(Task.Label);
            continue;
        }
        if (Cut.empty()) {
            First[k] = Last[k] = Graph.AddWork(Task.Name, Task.Duration, Task.Label, Task.Demands);
            continue;
        }
        const std::string Count = "/" + std::to_string(Cut.size() + 1) + ")";
        TReal From = 0;
        for (std::size_t p = 0; p <= Cut.size(); ++p) {
            const TReal To = p < Cut.size() ? Cut[p] : Task.Duration;
            // A part of a work without a name has none, for the graph to refuse.
            const std::string Part =
                Task.Name.empty() ? "" : Task.Name + " (" + std::to_string(p + 1) + Count;
            const int Node = Graph.AddWork(Part, To - From, Task.Label, Task.Demands);
            if (p == 0)
                First[k] = Node;
            else
                Graph.AddLink(Last[k], Node);
            Last[k] = Node;
            if (p < Cut.size())
                PartEnds[k].emplace_back(To, Node);
            From = To;
        }
        Parts += static_cast<int>(Cut.size()) + 1;
    }
}

void TConversion::AddLinks(TTaskGraph& Graph) {
    for (std::size_t k = 0; k < Needs.size(); ++k)
        for (std::size_t i = 0; i < Needs[k].size(); ++i) {
            const TNeed& Need = Needs[k][i];
            const auto t = static_cast<std::size_t>(Need.Task);
            if (Need.Offset == Duration[t]) {
                Graph.AddLink(Last[t], First[k]);
            } else if (Need.Offset > Duration[t]) {
                const int Wait = WaitNodes[k][i];
                if (WaitLinked.insert(Wait).second)
                    Graph.AddLink(Last[t], Wait);
                Graph.AddLink(Wait, First[k]);
            } else {
                const auto& Ends = PartEnds[t];
                const auto Part = std::lower_bound(
                    Ends.begin(), Ends.end(), Need.Offset,
                    [](const std::pair<TReal, int>& e, TReal c) { return e.first < c; });
                Graph.AddLink(Part->second, First[k]);
            }
        }
}

// One line for every link that is not a plain dependency, saying what it
// became, and a line of the count of waits and parts.
void TConversion::Notify(TTaskGraph& Graph) const {
    bool Any = false;
    for (const auto& Link : Tasks.Links) {
        if (Link.Type == TLinkType::FinishStart && Link.Lag == 0)
            continue;
        Any = true;
        const auto& A = Tasks.Tasks[static_cast<std::size_t>(Link.Before)];
        const auto& B = Tasks.Tasks[static_cast<std::size_t>(Link.After)];
        const TReal c = Offset(Link);
        const TReal d = Duration[static_cast<std::size_t>(Link.Before)];
        std::string Line = "связь " + A.Label + " → " + B.Label + " (" + TypeText(Link.Type) +
                           ", задержка " + DaysText(Link.Lag) + "): ";
        if (c == d)
            Line += "вторая ждёт окончания первой";
        else if (c > d)
            Line += "между ними ожидание " + DaysText(c - d);
        else if (c > 0)
            Line += "первая разделена на части, вторая ждёт части, оканчивающейся через " +
                    DaysText(c) + " от её начала";
        else if (c == 0)
            Line += "вторая ждёт того же, чего ждёт первая";
        else
            Line += "вторая ждёт того же, чего ждёт первая, с опережением " + DaysText(-c);
        Graph.Warn(std::move(Line));
    }
    if (Any)
        Graph.Warn("связи других типов и задержки перенесены: ожиданий " + std::to_string(Waits) +
                   ", частей работ " + std::to_string(Parts));
}

TTaskGraph TConversion::Run() {
    TTaskGraph Graph;
    for (const std::string& Line : Tasks.Warnings)
        Graph.Warn(Line);
    const std::size_t n = Tasks.Tasks.size();
    const std::vector<int> Sorted = Order();
    if (Sorted.size() < n) {
        // A contour: the graph names it.
        for (const auto& Task : Tasks.Tasks)
            Task.Work ? Graph.AddWork(Task.Name, Task.Duration, Task.Label, Task.Demands)
                      : Graph.AddPassage(Task.Label);
        for (const auto& Link : Tasks.Links)
            Graph.AddLink(Link.Before, Link.After);
        return Graph;
    }
    for (const auto& Task : Tasks.Tasks)
        Duration.push_back(Task.Work ? Task.Duration : 0);
    Direct.resize(n);
    Needs.resize(n);
    for (const auto& Link : Tasks.Links)
        Direct[static_cast<std::size_t>(Link.After)].push_back({Link.Before, Offset(Link)});
    CarryLeads(Sorted);
    First.assign(n, -1);
    Last.assign(n, -1);
    PartEnds.resize(n);
    WaitNodes.resize(n);
    AddNodes(Graph);
    AddLinks(Graph);
    Notify(Graph);
    return Graph;
}

} // namespace

TReal LinkOffset(const TLinkedTasks::TLink& Link, TReal a, TReal b) {
    switch (Link.Type) {
    case TLinkType::FinishStart:
        return a + Link.Lag;
    case TLinkType::StartStart:
        return Link.Lag;
    case TLinkType::FinishFinish:
        return a + Link.Lag - b;
    case TLinkType::StartFinish:
        return Link.Lag - b;
    }
    return a + Link.Lag;
}

int TLinkedTasks::AddWork(std::string Name, TReal Duration, std::string Label, TDemands Demands) {
    Tasks.push_back({true, std::move(Name), Duration, std::move(Label), std::move(Demands)});
    return static_cast<int>(Tasks.size()) - 1;
}

int TLinkedTasks::AddPassage(std::string Label, std::string Name) {
    Tasks.push_back({false, std::move(Name), 0, std::move(Label), {}});
    return static_cast<int>(Tasks.size()) - 1;
}

void TLinkedTasks::AddLink(int Before, int After, TLinkType Type, TReal Lag) {
    Links.push_back({Before, After, Type, Lag});
}

TTaskGraph ConvertLinks(const TLinkedTasks& Tasks) {
    return TConversion(Tasks).Run();
}
