#pragma once
// The one result of the analysis that every reader uses: the diagram (plain
// and detailed), the works-arcs table, the event pop-up, the hit test and the
// report. It is a plain value, made from the engine's store once per analysis
// and never pointing into it; the store stays the engine's own business (only
// the debug window inspects it).

#include "core/LinkObject.h"
#include "core/Real.h"
#include "model/Schedule.h"

#include <cstdint>
#include <memory>
#include <vector>

class TEventWorks;

// A work named in an event's pop-up list.
struct TViewEventWork {
    // Position in the work list; a key the list does not hold is kept as it
    // is, and the list shows it as unknown.
    std::int32_t Work = 0;
    // At an end event: finished before this event rather than ending at it.
    bool FinishedEarlier = false;
};

struct TViewEvent {
    THandle Handle = 0;
    std::int32_t Number = 0;
    // Column and row on the grid of the plain diagram.
    std::int32_t Level = 0;
    std::int32_t Row = 0;
    // The path time without its sign, in the chosen path mode; infinity when
    // the event was not reached.
    TReal Time = 0;
    // Drawn red and bold: on the found path, or the end event.
    bool OnPath = false;
    // The start event follows no work; an end event is where works end.
    bool IsStart = false;
    bool IsEnd = false;
    // The works of the pop-up list in its order: at an end event the works
    // that end there, then (FinishedEarlier) those finished before it; at any
    // other event the works it waits for. Here only where the analysis kept
    // the store's lists; TNetworkView::WorksOf gives them either way.
    std::vector<TViewEventWork> Works;
    // The critical-path schedule of the event, in either path mode: its early
    // time, its late time (backwards from the end event) and the slack
    // between them.
    TReal Early = 0;
    TReal Late = 0;
    TReal Slack = 0;
};

struct TViewArc {
    // Positions in TNetworkView::Events.
    std::int32_t From = 0;
    std::int32_t To = 0;
    // The work it stands for; -1 for a fictive arc.
    std::int32_t Work = -1;
    TReal Duration = 0;
    // On the found path: the link is marked and, for a real arc, the work is
    // the longest of the works sharing both events (the one the path weighs).
    bool OnPath = false;
    // The link between the two events is marked (parallel works share it).
    bool LinkOnPath = false;
    // The row at every level from the start event's level to the end
    // event's, both ends included: several works between the same two events
    // share one list.
    std::vector<std::int32_t> Rows;
};

// One drawn segment of the plain diagram: it joins neighbouring columns.
struct TViewSegment {
    std::int32_t FromLevel = 0;
    std::int32_t FromRow = 0;
    std::int32_t ToLevel = 0;
    std::int32_t ToRow = 0;
    bool Dotted = false;
    bool OnPath = false;
};

struct TNetworkView {
    // False with fewer than two works, with a contour, or before an analysis:
    // then every list below is empty and the sizes are 0.
    bool HasNetwork = false;
    // The rows, the arcs' rows, the segments and the size are made: an
    // analysis without the layout leaves them empty (and the rows 0).
    bool HasLayout = false;
    // Events in the store's order (the order of the hit test and of the
    // drawing).
    std::vector<TViewEvent> Events;
    // The real arcs in the order of the works-arcs table (levels in order,
    // inside a level its events in order, each event's works in order), then
    // the fictive ones by the numbers of their events.
    std::vector<TViewArc> Arcs;
    std::size_t RealArcCount = 0;
    // The plain diagram's segments in drawing order, and the size of its
    // picture in pixels.
    std::vector<TViewSegment> Segments;
    int Width = 0;
    int Height = 0;
    // The time of the end event in the chosen mode; PathFound is false when
    // the end event was not reached.
    bool PathFound = false;
    TReal PathLength = 0;
    // The works' critical-path schedule (valid also without a network when
    // there is one work); ProjectDuration is the end event's late time.
    TSchedule Schedule;

    // The events' works as bits, by handle, where the store kept no lists
    // of them: a list for every event grows with the square of the works.
    std::shared_ptr<const TEventWorks> EventWorks;

    // The pop-up list of an event (TViewEvent::Works).
    std::vector<TViewEventWork> WorksOf(const TViewEvent& Event) const;
    // The event with that handle; none when there is no such event.
    const TViewEvent* FindEvent(THandle Handle) const;
    // The real arcs of one work: at most one.
    const TViewArc* ArcOfWork(std::int32_t Work) const;
};
