#pragma once
// The analysed scheme as one JSON object: the works, their cells, and the
// network with its events, arcs and path, and, when the scheme has a project
// calendar, the dates of the schedule. The command line prints it; tests
// read it.

#include <functional>
#include <string>
#include <string_view>

class TWorkList;
struct TDetailedSizes;
struct TLevelledSchedule;

// Builds and analyses the network of the list with that path sign (-1
// critical, +1 shortest). The list's cells are read as its last analysis left
// them. With the detailed view's sizes (as the drawing measures them) the
// events' levels and rows and the arcs' rows are those of the detailed view,
// and the picture's width and height in points follow. Without Layout (and
// without the detailed view) the network is analysed without a layout, and
// the events' "row" and the arcs' "rows" are left out. With a valid levelled
// schedule of the list the report adds the resources, each work's demands
// and levelled start and finish, and the levelled duration; without one it
// has none of these keys.
std::string ReportJson(TWorkList& List, int PathSign, const TDetailedSizes* Detailed = nullptr,
                       bool Layout = true, const TLevelledSchedule* Levelled = nullptr);

// ReportJson's text handed to Put a part at a time, in order, so that the
// whole text of a large scheme is never held at once.
using TReportSink = std::function<void(std::string_view)>;
void WriteReport(const TReportSink& Put, TWorkList& List, int PathSign,
                 const TDetailedSizes* Detailed = nullptr, bool Layout = true,
                 const TLevelledSchedule* Levelled = nullptr);
