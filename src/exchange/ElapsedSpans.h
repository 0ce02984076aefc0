#pragma once
// Durations and lags that MS Project counts on the clock ("elapsed": 24
// hours a day, 7 days a week) on their way into working days. A span of the
// clock holds as much working time as the project calendar has where the
// span falls, so each one is converted at its place in the early schedule:
// an elapsed duration from the moment its task starts, an elapsed lag from
// the moment its link's first task finishes (or starts, for a link from the
// start).

#include "exchange/LinkConversion.h"
#include "model/Calendar.h"

#include <string>
#include <vector>

struct TElapsedSpan {
    bool Lag = false;  // of the link Index, else the duration of the task Index
    int Index = 0;     // in TLinkedTasks::Links or TLinkedTasks::Tasks
    TReal Minutes = 0; // of the clock; negative for a lead
    std::string Name;  // the task or the link, in the warning
    std::string Text;  // the duration as the file gives it
};

// Sets the duration or lag of every span in Tasks to the working time it
// holds on Calendar where it falls, and warns of each with the working days
// it became and the moment it is counted from. An elapsed work that a link
// to its finish holds back begins its span of the clock before the finish
// it must reach. Where the spans are placed depends on the spans before
// them; the pass over the tasks in the order of their links is repeated
// until no span changes, at most a few times (a warning says if they did
// not settle).
void PlaceElapsedSpans(TLinkedTasks& Tasks, const std::vector<TElapsedSpan>& Spans,
                       const TCalendar& Calendar);
