#pragma once
// The analysed scheme as one JSON object: the works, their cells, and the
// network with its events, arcs and path. The command line prints it; tests
// read it.

#include <string>

class TWorkList;
struct TDetailedSizes;

// Builds and analyses the network of the list with that path sign (-1
// critical, +1 shortest). The list's cells are read as its last analysis left
// them. With the detailed view's sizes (as the drawing measures them) the
// events' levels and rows and the arcs' rows are those of the detailed view,
// and the picture's width and height in points follow.
std::string ReportJson(TWorkList& List, int PathSign, const TDetailedSizes* Detailed = nullptr);
