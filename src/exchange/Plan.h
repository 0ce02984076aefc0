#pragma once
// A plan on its way between the work list and another program's file: the
// works in order, each row of cells holding only LinkFree and LinkDirect (the
// own cell -1), and what was changed on the way in.

#include "model/WorkList.h"

#include <optional>
#include <string>
#include <vector>

struct TPlan {
    std::vector<TWorkData> Works;
    // The scheme's project calendar, when the plan came from a scheme that
    // has one.
    std::optional<TCalendar> Calendar;
    // The resources the works' demands count in; every demand names one of
    // them.
    std::vector<TResource> Resources;
    // One line per change the reader made: a task left out, a name made
    // unique, a link of another type turned into parts and waits.
    std::vector<std::string> Warnings;
};

// Replaces the list's works, calendar and resources by the plan's without a
// word to the listeners, then announces ckScheme once, as loading a scheme does; the analysis runs
// then and the scheme counts as modified.
void FillWorkList(TWorkList& List, TPlan&& Plan);

// The works of the list with their entered dependencies (cells 1 and 3) and
// demands, with the list's calendar and resources.
TPlan PlanOfWorkList(const TWorkList& List);
