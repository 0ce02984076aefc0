#pragma once
// Tasks linked as MS Project links them (finish-to-start, start-to-start,
// finish-to-finish, start-to-finish, each with a lag or a lead) on their way
// to an arrow diagram, which knows only "starts after the end of". Every
// link says start(B) >= start(A) + c; the conversion keeps the early start
// of every task exactly, with the diagram's own means: a work split into
// parts where another may start, a waiting work where the other must wait
// longer than the first one lasts, and a dependency carried back to what the
// first task waits for where the other may start with it or before it.

#include "exchange/TaskGraph.h"
#include "model/Resources.h"

#include <string>
#include <vector>

// MS Project's own numbers of the link types.
enum class TLinkType { FinishFinish = 0, FinishStart = 1, StartFinish = 2, StartStart = 3 };

struct TLinkedTasks {
    struct TTask {
        bool Work = false;
        std::string Name;
        TReal Duration = 0; // a passage takes no time
        std::string Label;
        // What the work uses every day it runs; each part of it uses as much.
        TDemands Demands;
    };
    struct TLink {
        int Before = 0;
        int After = 0;
        TLinkType Type = TLinkType::FinishStart;
        TReal Lag = 0; // in days; negative for a lead
    };
    std::vector<TTask> Tasks;
    std::vector<TLink> Links;
    std::vector<std::string> Warnings;

    // As TTaskGraph's: Label names the task in messages.
    int AddWork(std::string Name, TReal Duration, std::string Label, TDemands Demands = {});
    // A milestone or an end of a summary task; Name is what a wait after it
    // is called by (the label when empty).
    int AddPassage(std::string Label, std::string Name = {});
    void AddLink(int Before, int After, TLinkType Type = TLinkType::FinishStart, TReal Lag = 0);
    void Warn(std::string Text) { Warnings.push_back(std::move(Text)); }
};

// How long after the start of Link's first task (of duration Before) the
// start of its second task (of duration After) may come.
TReal LinkOffset(const TLinkedTasks::TLink& Link, TReal Before, TReal After);

// The task graph of the tasks' works, their parts and the waits between
// them, with a notice of every link that was not a plain dependency. Tasks
// whose links all are finish-to-start without a lag come in as they are.
// Linked into a contour, the links are passed on as plain dependencies, for
// the graph to refuse.
TTaskGraph ConvertLinks(const TLinkedTasks& Tasks);
