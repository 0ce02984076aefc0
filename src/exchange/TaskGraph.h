#pragma once
// Tasks as another program lists them, before they become works. Some tasks
// are works; the others (milestones, the two ends of a summary task, the
// dummy source and sink of a PSPLIB instance) only pass dependencies on: a
// work after such a passage waits for every work before it, through any chain
// of passages. Build checks what the editor would check of every work (a name
// that is not empty and that the scheme file can hold), makes names unique,
// and refuses dependencies that form a contour, through works or through
// passages alone, and plans of more works than a scheme takes.

#include "core/Real.h"
#include "exchange/Plan.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TTaskGraph {
public:
    // Label names the task in messages, e.g. "«Фундамент» (UID 7)".
    int AddWork(std::string Name, TReal Duration, std::string Label, TDemands Demands = {});
    // Label names the passage should it lie on a contour of passages alone.
    int AddPassage(std::string Label);
    // After waits for Before.
    void AddLink(int Before, int After);
    void Warn(std::string Text) { Warnings.push_back(std::move(Text)); }

    // The plan of the works in the order they were added. Error (beginning
    // with Source) when a name cannot be taken or the works form a contour.
    std::optional<TPlan> Build(std::string_view Source, std::string& Error);

    // "работ N, а схема вмещает не больше 12000": the refusal of a plan of
    // Count works, for readers that see the count before the graph is built.
    static std::string TooManyWorks(long long Count);

private:
    struct TNode {
        bool Work = false;
        int WorkIndex = -1;
        std::vector<int> Before;
        std::string Label; // of a passage
    };
    struct TWork {
        std::string Name;
        TReal Duration = 0;
        std::string Label;
        TDemands Demands;
        std::vector<int> Before; // works, after the passages are gone
    };
    std::vector<TNode> Nodes;
    std::vector<TWork> Works;
    std::vector<std::string> Warnings;

    // Passages in an order where each comes after the passages it waits
    // for; shorter than the passages when some of them form a contour.
    std::vector<int> PassageOrder() const;
    // Two passages on a contour of passages alone; call when the order
    // above came out short.
    std::pair<int, int> PassageContour() const;
    void CollapsePassages(const std::vector<int>& Order);
    // Two works on a contour, or nothing.
    std::optional<std::pair<int, int>> FindContour() const;
    void MakeNamesUnique();
};
