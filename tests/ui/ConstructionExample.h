#pragma once
// The example scheme that comes with the program: a small house from the
// site's preparation to its handing over. examples/construction.kcrct is this
// list, written by write_construction_example.

class TWorkList;

// Appends the example's works to an empty List, enters its dependencies, and
// gives it its workers and crane with every work's demands of them.
void FillConstructionExample(TWorkList& List);
