#include "exchange/TaskGraph.h"

#include "messages/ErrorStrings.h"
#include "model/Cp1251.h"

#include <algorithm>
#include <unordered_set>

int TTaskGraph::AddWork(std::string Name, TReal Duration, std::string Label) {
    TNode Node;
    Node.Work = true;
    Node.WorkIndex = static_cast<int>(Works.size());
    Works.push_back({std::move(Name), Duration, std::move(Label), {}});
    Nodes.push_back(std::move(Node));
    return static_cast<int>(Nodes.size()) - 1;
}

int TTaskGraph::AddPassage() {
    Nodes.emplace_back();
    return static_cast<int>(Nodes.size()) - 1;
}

void TTaskGraph::AddLink(int Before, int After) {
    Nodes[static_cast<std::size_t>(After)].Before.push_back(Before);
}

// Each work walks back through the passages before it until it meets works;
// a mark per walk keeps a passage from being entered twice, so a circle of
// passages ends the walk as well.
void TTaskGraph::CollapsePassages() {
    std::vector<int> Mark(Nodes.size(), -1);
    std::vector<int> Stack;
    for (const TNode& Node : Nodes) {
        if (!Node.Work)
            continue;
        TWork& Work = Works[static_cast<std::size_t>(Node.WorkIndex)];
        Stack = Node.Before;
        while (!Stack.empty()) {
            const int k = Stack.back();
            Stack.pop_back();
            if (Mark[static_cast<std::size_t>(k)] == Node.WorkIndex)
                continue;
            Mark[static_cast<std::size_t>(k)] = Node.WorkIndex;
            const TNode& Other = Nodes[static_cast<std::size_t>(k)];
            if (Other.Work)
                Work.Before.push_back(Other.WorkIndex);
            else
                Stack.insert(Stack.end(), Other.Before.begin(), Other.Before.end());
        }
        std::sort(Work.Before.begin(), Work.Before.end());
    }
}

std::optional<std::pair<int, int>> TTaskGraph::FindContour() const {
    const std::size_t n = Works.size();
    std::vector<int> Waiting(n, 0);
    std::vector<std::vector<int>> After(n);
    for (std::size_t i = 0; i < n; ++i)
        for (int j : Works[i].Before) {
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
    // Every work left waits for some other work left; walking back from one
    // of them must come round to a work already seen.
    int w = 0;
    while (Waiting[static_cast<std::size_t>(w)] == 0)
        ++w;
    std::vector<int> Seen(n, -1);
    for (int Step = 0;; ++Step) {
        Seen[static_cast<std::size_t>(w)] = Step;
        int Next = -1;
        for (int j : Works[static_cast<std::size_t>(w)].Before)
            if (Waiting[static_cast<std::size_t>(j)] > 0) {
                Next = j;
                break;
            }
        if (Seen[static_cast<std::size_t>(Next)] >= 0)
            return std::make_pair(Next, w);
        w = Next;
    }
}

// A later work of a name already taken gets " (2)", " (3)"... : the first
// number that gives a name no work has or had.
void TTaskGraph::MakeNamesUnique() {
    std::unordered_set<std::string> Taken;
    for (const TWork& Work : Works)
        Taken.insert(Work.Name);
    std::unordered_set<std::string> Used;
    for (TWork& Work : Works) {
        if (Used.insert(Work.Name).second)
            continue;
        std::string Name;
        for (int k = 2;; ++k) {
            Name = Work.Name + " (" + std::to_string(k) + ")";
            if (!Taken.contains(Name) && !Used.contains(Name))
                break;
        }
        Warn(Work.Label + ": имя уже занято, работа названа «" + Name + "»");
        Used.insert(Name);
        Work.Name = std::move(Name);
    }
}

std::optional<TPlan> TTaskGraph::Build(std::string_view Source, std::string& Error) {
    const std::string Prefix = std::string(Source) + ": ";
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
    CollapsePassages();
    if (const auto Contour = FindContour()) {
        const TWork& a = Works[static_cast<std::size_t>(Contour->first)];
        const TWork& b = Works[static_cast<std::size_t>(Contour->second)];
        if (Contour->first == Contour->second)
            Error = Prefix + "зависимости образуют контур: " + a.Label +
                    " ждёт окончания самой себя";
        else
            Error = Prefix + "зависимости образуют контур: " + a.Label + " и " + b.Label +
                    " ждут окончания друг друга";
        return std::nullopt;
    }
    MakeNamesUnique();
    TPlan Plan;
    const std::size_t n = Works.size();
    Plan.Works.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        TWorkData Work{std::move(Works[i].Name), Works[i].Duration, TABs(n, LinkFree)};
        for (int j : Works[i].Before)
            Work.Links[static_cast<std::size_t>(j)] = LinkDirect;
        Work.Links[i] = LinkForbidden;
        Plan.Works.push_back(std::move(Work));
    }
    Plan.Warnings = std::move(Warnings);
    return Plan;
}
