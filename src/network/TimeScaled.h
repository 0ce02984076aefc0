#pragma once
// The time-scaled network: the same events and arcs as the diagram, but every
// event stands at its early time on a time axis, so that a work's length is
// its duration and its free float is seen as the gap on to its end event.
// Time runs along x; the layout chooses the rows. Every arc runs along a
// lane (a row) of its own from its start event's time to its end event's,
// joined to the events by vertical strokes where they stand on other rows.
// One critical path runs straight along row 0; the other arcs take the free
// lane nearest to their start event, so that chains stay on one row where
// they can and few strokes cross. The times stay day numbers: the drawing
// maps them to x, with a calendar or without.

#include "network/NetworkView.h"

#include <cstdint>
#include <vector>

struct TTimeScaledEvent {
    TReal Time = 0; // the early time
    std::int32_t Row = 0;
    bool Critical = false; // no slack
};

struct TTimeScaledArc {
    // The lane the arc runs along from Start to End; the strokes at Start
    // and End join it to the rows of its events. A fictive arc between two
    // events of the same time is only a vertical stroke.
    std::int32_t Lane = 0;
    TReal Start = 0;    // the start event's time
    TReal SolidEnd = 0; // Start plus the duration (Start for a fictive arc)
    TReal End = 0;      // the end event's time: the free float follows SolidEnd
    bool Critical = false;
};

struct TTimeScaled {
    // By position in the result's Events and Arcs.
    std::vector<TTimeScaledEvent> Events;
    std::vector<TTimeScaledArc> Arcs;
    std::int32_t RowCount = 0;
    TReal LastTime = 0;
};

// Empty without a network. Two events on one row stand at least Gap (in
// days) apart, and an arc passes an event not its own at least half of it
// away, so that the drawing's circles keep clear of one another. Deterministic:
// the same result always gives the same rows.
TTimeScaled LayTimeScaled(const TNetworkView& View, TReal Gap = 0);
