#pragma once
// How the program starts and ends: the one work list first, then the windows
// in their fixed order and the analyser between them, each registering its
// listener with the list as it is created, so that on every change the
// dependency table redraws first, then the analyser starts the analysis,
// whose result the diagram and works-arcs windows show when it is handed
// over. Only the main window is shown. The work list outlives every window,
// and the analyser every window that reads it.

#include "model/WorkList.h"

#include <cstdint>
#include <memory>
#include <string>

class TAnalyser;
class TArcWorkForm;
class TCircuitForm;
class TDebugForm;
class TDemandsTable;
class TDialogs;
class TGanttForm;
class TMainForm;
class TWorkEditForm;
class TWorksTableForm;

// The program's path mode: -1 for the critical (longest) path, +1 for the
// shortest path. The main window switches it; the path computation reads it.
extern std::int32_t PathSign;

class TStartUp {
public:
    // Creates the work list and the windows; Sign is the path mode the main
    // window switches (the program passes PathSign).
    TStartUp(TDialogs& Dialogs, std::int32_t& Sign);
    ~TStartUp();
    TStartUp(const TStartUp&) = delete;
    TStartUp& operator=(const TStartUp&) = delete;

    // Shows the main window and, when a file is named, loads it as
    // "Загрузить" loads a chosen file.
    void Start(const std::string& SchemeFile = {});

    TWorkList WorkList;
    std::unique_ptr<TMainForm> MainForm;
    std::unique_ptr<TWorkEditForm> WorkEditForm;
    std::unique_ptr<TWorksTableForm> WorksTableForm; // listener first
    std::unique_ptr<TAnalyser> Analyser;             // listener second
    std::unique_ptr<TCircuitForm> CircuitForm;
    std::unique_ptr<TDebugForm> DebugForm;
    std::unique_ptr<TArcWorkForm> ArcWorkForm;
    std::unique_ptr<TGanttForm> GanttForm;
    std::unique_ptr<TDemandsTable> DemandsTable;

private:
    TDialogs& Dialogs;
};
