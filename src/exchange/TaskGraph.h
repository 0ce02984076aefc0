#pragma once
// Tasks as another program lists them, before they become works. Some tasks
// are works; the others (milestones, the two ends of a summary task, the
// dummy source and sink of a PSPLIB instance) only pass dependencies on: a
// work after such a passage waits for every work before it, through any chain
// of passages. Build checks what the editor would check of every work (a name
// that is not empty and that the scheme file can hold), makes names unique,
// and refuses dependencies that form a contour.

#include "core/Real.h"
#include "exchange/Plan.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TTaskGraph {
public:
    // Label names the task in messages, e.g. "«Фундамент» (UID 7)".
    int AddWork(std::string Name, TReal Duration, std::string Label);
    int AddPassage();
    // After waits for Before.
    void AddLink(int Before, int After);
    void Warn(std::string Text) { Warnings.push_back(std::move(Text)); }

    // The plan of the works in the order they were added. Error (beginning
    // with Source) when a name cannot be taken or the works form a contour.
    std::optional<TPlan> Build(std::string_view Source, std::string& Error);

private:
    struct TNode {
        bool Work = false;
        int WorkIndex = -1;
        std::vector<int> Before;
    };
    struct TWork {
        std::string Name;
        TReal Duration = 0;
        std::string Label;
        std::vector<int> Before; // works, after the passages are gone
    };
    std::vector<TNode> Nodes;
    std::vector<TWork> Works;
    std::vector<std::string> Warnings;

    void CollapsePassages();
    // Two works on a contour, or nothing.
    std::optional<std::pair<int, int>> FindContour() const;
    void MakeNamesUnique();
};
