#include "exchange/TaskGraph.h"

#include "messages/ErrorStrings.h"
#include "model/Cp1251.h"
#include "model/SchemeFile.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace {

// Two nodes on a cycle of the graph of n nodes where node i waits for the
// nodes Before(i) lists, or nothing. The nodes no cycle holds up are taken
// away in order first; every node left waits for some other node left, so
// walking back from one of them must come round to a node already seen.
template <class TBefore>
std::optional<std::pair<int, int>> FindCycle(std::size_t n, TBefore Before) {
    std::vector<int> Waiting(n, 0);
    std::vector<std::vector<int>> After(n);
    for (std::size_t i = 0; i < n; ++i)
        for (int j : Before(i)) {
            ++Waiting[i];
            After[static_cast<std::size_t>(j)].push_back(static_cast<int>(i));
        }
    std::vector<int> Ready;
    for (std::size_t i = 0; i < n; ++i)
        if (Waiting[i] == 0)
            Ready.push_back(static_cast<int>(i));
    std::size_t Done = 0;
    while (!Ready.empty()) {
        const int j = Ready.back();
        Ready.pop_back();
        ++Done;
        for (int i : After[static_cast<std::size_t>(j)])
            if (--Waiting[static_cast<std::size_t>(i)] == 0)
                Ready.push_back(i);
    }
    if (Done == n)
        return std::nullopt;
    int w = 0;
    while (Waiting[static_cast<std::size_t>(w)] == 0)
        ++w;
    std::vector<int> Seen(n, -1);
    for (int Step = 0;; ++Step) {
        Seen[static_cast<std::size_t>(w)] = Step;
        int Next = -1;
        for (int j : Before(static_cast<std::size_t>(w)))
            if (Waiting[static_cast<std::size_t>(j)] > 0) {
                Next = j;
                break;
            }
        if (Seen[static_cast<std::size_t>(Next)] >= 0)
            return std::make_pair(Next, w);
        w = Next;
    }
}

std::string ContourText(const std::string& a, const std::string& b) {
    if (a == b)
        return "зависимости образуют контур: " + a + " ждёт окончания самой себя";
    return "зависимости образуют контур: " + a + " и " + b + " ждут окончания друг друга";
}

} // namespace

int TTaskGraph::AddWork(std::string Name, TReal Duration, std::string Label, TDemands Demands) {
    TNode Node;
    Node.Work = true;
    Node.WorkIndex = static_cast<int>(Works.size());
    Works.push_back({std::move(Name), Duration, std::move(Label), std::move(Demands), {}});
    Nodes.push_back(std::move(Node));
    return static_cast<int>(Nodes.size()) - 1;
}

int TTaskGraph::AddPassage(std::string Label) {
    Nodes.emplace_back();
    Nodes.back().Label = std::move(Label);
    return static_cast<int>(Nodes.size()) - 1;
}

void TTaskGraph::AddLink(int Before, int After) {
    Nodes[static_cast<std::size_t>(After)].Before.push_back(Before);
}

std::string TTaskGraph::TooManyWorks(long long Count) {
    return "работ " + std::to_string(Count) + ", а схема вмещает не больше " +
           std::to_string(MaxWorks);
}

std::vector<int> TTaskGraph::PassageOrder() const {
    std::vector<int> Waiting(Nodes.size(), 0);
    std::vector<std::vector<int>> After(Nodes.size());
    std::vector<int> Order;
    for (std::size_t k = 0; k < Nodes.size(); ++k) {
        if (Nodes[k].Work)
            continue;
        for (int j : Nodes[k].Before)
            if (!Nodes[static_cast<std::size_t>(j)].Work) {
                ++Waiting[k];
                After[static_cast<std::size_t>(j)].push_back(static_cast<int>(k));
            }
        if (Waiting[k] == 0)
            Order.push_back(static_cast<int>(k));
    }
    for (std::size_t Next = 0; Next < Order.size(); ++Next)
        for (int k : After[static_cast<std::size_t>(Order[Next])])
            if (--Waiting[static_cast<std::size_t>(k)] == 0)
                Order.push_back(k);
    return Order;
}

std::pair<int, int> TTaskGraph::PassageContour() const {
    // The passages numbered apart, each waiting for the passages before it.
    std::vector<int> Passage;
    std::vector<int> Number(Nodes.size(), -1);
    for (std::size_t k = 0; k < Nodes.size(); ++k)
        if (!Nodes[k].Work) {
            Number[k] = static_cast<int>(Passage.size());
            Passage.push_back(static_cast<int>(k));
        }
    std::vector<std::vector<int>> Before(Passage.size());
    for (std::size_t p = 0; p < Passage.size(); ++p)
        for (int j : Nodes[static_cast<std::size_t>(Passage[p])].Before)
            if (Number[static_cast<std::size_t>(j)] >= 0)
                Before[p].push_back(Number[static_cast<std::size_t>(j)]);
    const auto Cycle = FindCycle(
        Passage.size(), [&](std::size_t p) -> const std::vector<int>& { return Before[p]; });
    return {Passage[static_cast<std::size_t>(Cycle->first)],
            Passage[static_cast<std::size_t>(Cycle->second)]};
}

// A work waits for the works it meets walking back through the passages
// before it. Walking from every work alone would cross a long chain of
// milestones once per work after it; instead a passage that more than one
// node waits for keeps the works before it, found once, in the order of
// the passages, and every walk stops there. A passage that one node waits
// for is crossed by that node's walk only, so the walks together cross each
// link once.
void TTaskGraph::CollapsePassages(const std::vector<int>& Order) {
    std::vector<int> Uses(Nodes.size(), 0);
    for (const TNode& Node : Nodes)
        for (int j : Node.Before)
            ++Uses[static_cast<std::size_t>(j)];
    std::vector<int> Kept(Nodes.size(), -1); // the passage's list of works
    std::vector<std::vector<int>> Lists;
    std::vector<int> Mark(Nodes.size(), -1), WorkMark(Works.size(), -1);
    std::vector<int> Stack;
    int Walk = 0;
    // The works before node k, sorted; k itself is not entered.
    const auto WorksBefore = [&](std::size_t k) {
        std::vector<int> Found;
        Stack = Nodes[k].Before;
        while (!Stack.empty()) {
            const auto j = static_cast<std::size_t>(Stack.back());
            Stack.pop_back();
            if (Mark[j] == Walk)
                continue;
            Mark[j] = Walk;
            const TNode& Other = Nodes[j];
            if (Other.Work) {
                if (WorkMark[static_cast<std::size_t>(Other.WorkIndex)] != Walk) {
                    WorkMark[static_cast<std::size_t>(Other.WorkIndex)] = Walk;
                    Found.push_back(Other.WorkIndex);
                }
            } else if (Kept[j] >= 0) {
                for (int w : Lists[static_cast<std::size_t>(Kept[j])])
                    if (WorkMark[static_cast<std::size_t>(w)] != Walk) {
                        WorkMark[static_cast<std::size_t>(w)] = Walk;
                        Found.push_back(w);
                    }
            } else {
                Stack.insert(Stack.end(), Other.Before.begin(), Other.Before.end());
            }
        }
        ++Walk;
        std::sort(Found.begin(), Found.end());
        return Found;
    };
    for (int k : Order)
        if (Uses[static_cast<std::size_t>(k)] > 1) {
            Lists.push_back(WorksBefore(static_cast<std::size_t>(k)));
            Kept[static_cast<std::size_t>(k)] = static_cast<int>(Lists.size()) - 1;
        }
    for (std::size_t k = 0; k < Nodes.size(); ++k)
        if (Nodes[k].Work)
            Works[static_cast<std::size_t>(Nodes[k].WorkIndex)].Before = WorksBefore(k);
}

std::optional<std::pair<int, int>> TTaskGraph::FindContour() const {
    return FindCycle(Works.size(),
                     [&](std::size_t i) -> const std::vector<int>& { return Works[i].Before; });
}

// A later work of a name already taken gets " (2)", " (3)"... : the first
// number that gives a name no work has or had. The numbers a name has
// tried stay refused (names are only ever taken, never freed), so each
// name goes on from the number after its last one.
void TTaskGraph::MakeNamesUnique() {
    std::unordered_set<std::string> Taken;
    for (const TWork& Work : Works)
        Taken.insert(Work.Name);
    std::unordered_set<std::string> Used;
    std::unordered_map<std::string, int> NextNumber;
    for (TWork& Work : Works) {
        if (Used.insert(Work.Name).second)
            continue;
        int& k = NextNumber.try_emplace(Work.Name, 2).first->second;
        std::string Name;
        for (;; ++k) {
            Name = Work.Name + " (" + std::to_string(k) + ")";
            if (!Taken.contains(Name) && !Used.contains(Name))
                break;
        }
        ++k;
        Warn(Work.Label + ": имя уже занято, работа названа «" + Name + "»");
        Used.insert(Name);
        Work.Name = std::move(Name);
    }
}

std::optional<TPlan> TTaskGraph::Build(std::string_view Source, std::string& Error) {
    const std::string Prefix = std::string(Source) + ": ";
    if (Works.size() > static_cast<std::size_t>(MaxWorks)) {
        Error = Prefix + TooManyWorks(static_cast<long long>(Works.size()));
        return std::nullopt;
    }
    for (const TWork& Work : Works) {
        if (Work.Name.empty()) {
            Error = Prefix + Work.Label + ": " + std::string(Msg::EmptyWorkName);
            return std::nullopt;
        }
        if (!IsStorableName(Work.Name)) {
            Error = Prefix + Work.Label + ": " + std::string(Msg::NameNotStorable);
            return std::nullopt;
        }
    }
    const std::vector<int> Order = PassageOrder();
    if (Order.size() < Nodes.size() - Works.size()) {
        const auto [a, b] = PassageContour();
        Error = Prefix + ContourText(Nodes[static_cast<std::size_t>(a)].Label,
                                     Nodes[static_cast<std::size_t>(b)].Label);
        return std::nullopt;
    }
    CollapsePassages(Order);
    if (const auto Contour = FindContour()) {
        Error = Prefix + ContourText(Works[static_cast<std::size_t>(Contour->first)].Label,
                                     Works[static_cast<std::size_t>(Contour->second)].Label);
        return std::nullopt;
    }
    MakeNamesUnique();
    TPlan Plan;
    const std::size_t n = Works.size();
    Plan.Works.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        TWorkData Work{std::move(Works[i].Name), Works[i].Duration, TABs(n, LinkFree),
                       std::move(Works[i].Demands)};
        for (int j : Works[i].Before)
            Work.Links[static_cast<std::size_t>(j)] = LinkDirect;
        Work.Links[i] = LinkForbidden;
        Plan.Works.push_back(std::move(Work));
    }
    Plan.Warnings = std::move(Warnings);
    return Plan;
}
