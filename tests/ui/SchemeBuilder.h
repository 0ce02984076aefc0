#pragma once
// Schemes for the diagram windows' tests, entered the way the user enters
// them (works first, then their dependencies), and readers of the network
// that the diagram window built from them.

#include "model/WorkList.h"
#include "network/CircuitEngine.h"

#include <QPoint>

#include <string>
#include <vector>

struct TPlannedWork {
    std::string Name;
    TReal Duration;
    // Positions of the works that must be finished first.
    std::vector<int> After;
};

inline void EnterScheme(TWorkList& List, const std::vector<TPlannedWork>& Works) {
    for (const TPlannedWork& Work : Works)
        List.AddWork(TWorkData{Work.Name, Work.Duration, {}}, true);
    for (std::size_t i = 0; i < Works.size(); ++i)
        for (const int j : Works[i].After)
            List.GetWork(static_cast<int>(i)).Links[static_cast<std::size_t>(j)] = LinkDirect;
    List.Changed(0, ckScheme);
}

// N works, each after the one before.
inline std::vector<TPlannedWork> Chain(int N) {
    std::vector<TPlannedWork> Works;
    for (int i = 0; i < N; ++i)
        Works.push_back(
            {"W" + std::to_string(i), 1, i > 0 ? std::vector<int>{i - 1} : std::vector<int>{}});
    return Works;
}

inline const TLinkData& DataOf(const TCircuitEngine& Engine, THandle Event) {
    return *Engine.Circuit->Get(Event).Data;
}

// The event at which the arc of work Work ends (0 when there is none).
inline THandle EndOfWork(const TCircuitEngine& Engine, int Work) {
    for (const THandle h : Engine.Circuit->Get(Engine.GethALL(TypeAllRoot)).OutLinks) {
        const TLinkNode& Node = Engine.Circuit->Get(h);
        if (Node.Data && Node.Data->Arcs)
            for (const TMultitudeElement& Arc : *Node.Data->Arcs)
                if (Arc.Key == Work)
                    return static_cast<THandle>(Arc.Value);
    }
    return 0;
}

// The first member of the first level.
inline THandle StartEvent(const TCircuitEngine& Engine) {
    THandle Level = 0;
    if (!Engine.FindLevel(1, Level))
        return 0;
    return Engine.Circuit->Get(Level).OutLinks.front();
}

// The event without successors.
inline THandle FinalEvent(const TCircuitEngine& Engine) {
    for (const THandle h : Engine.Circuit->Get(Engine.GethALL(TypeAllRoot)).OutLinks) {
        const TLinkNode& Node = Engine.Circuit->Get(h);
        if ((Node.TypeID == TypePiA || Node.TypeID == TypeW) && Node.OutLinks.empty())
            return h;
    }
    return 0;
}

// Every event (no chain nodes) in hAll's order.
inline std::vector<THandle> EventsOf(const TCircuitEngine& Engine) {
    std::vector<THandle> Events;
    for (const THandle h : Engine.Circuit->Get(Engine.GethALL(TypeAllRoot)).OutLinks) {
        const std::int32_t Type = Engine.Circuit->Get(h).TypeID;
        if (Type == TypePiA || Type == TypeW)
            Events.push_back(h);
    }
    return Events;
}

// The centre of an event's circle in picture coordinates.
inline QPoint CentreOf(const TCircuitEngine& Engine, THandle Event) {
    const TLinkData& Data = DataOf(Engine, Event);
    return QPoint(TCircuitEngine::XCoord(Data.TopN, CoordCentre),
                  TCircuitEngine::YCoord(Data.Y, CoordCentre));
}
