#include "ui/StartUp.h"

#include "ui/Analyser.h"
#include "ui/AnalysisStatus.h"
#include "ui/CircuitForm.h"
#include "ui/DebugForm.h"
#include "ui/DemandsTable.h"
#include "ui/Dialogs.h"
#include "ui/GanttForm.h"
#include "ui/MainForm.h"
#include "ui/WorkEditForm.h"
#include "ui/WorksArcsForm.h"
#include "ui/WorksTableForm.h"

#include <exception>

std::int32_t PathSign = -1;

TStartUp::TStartUp(TDialogs& Dialogs, std::int32_t& Sign) : Dialogs(Dialogs) {
    WorkList.Messenger = &Dialogs;
    MainForm = std::make_unique<TMainForm>(WorkList, Dialogs, Sign);
    WorkEditForm = std::make_unique<TWorkEditForm>(Dialogs, MainForm.get());
    WorksTableForm = std::make_unique<TWorksTableForm>(WorkList, MainForm.get());
    WorksTableForm->SetDialogs(&Dialogs);
    Analyser = std::make_unique<TAnalyser>(WorkList, Sign, Dialogs);
    CircuitForm = std::make_unique<TCircuitForm>(WorkList, *Analyser, Dialogs, MainForm.get());
    DebugForm = std::make_unique<TDebugForm>(*Analyser);
    ArcWorkForm = std::make_unique<TArcWorkForm>(*Analyser, MainForm.get());
    ArcWorkForm->SetList(&WorkList);
    GanttForm = std::make_unique<TGanttForm>(WorkList, *Analyser, Dialogs, MainForm.get());
    DemandsTable =
        std::make_unique<TDemandsTable>(WorkList, MainForm->History, Dialogs, MainForm.get());
    new TAnalysisStatus(*Analyser, *MainForm);

    MainForm->SetWorkEditor(WorkEditForm.get());
    MainForm->SetWorksTable(WorksTableForm.get());
    MainForm->SetCircuitForm(CircuitForm.get());
    MainForm->SetDebugForm(DebugForm.get());
    MainForm->SetWorksArcs(ArcWorkForm.get());
    MainForm->SetGantt(GanttForm.get());
    MainForm->SetDemandsTable(DemandsTable.get());
    WorkEditForm->OnEditDemands = [this](int Work) {
        ExecuteWorkDemands(WorkList, MainForm->History, this->Dialogs, Work, WorkEditForm.get());
    };
    // A work picked in the chart is the main window's selection, and back.
    QObject::connect(GanttForm.get(), &TGanttForm::WorkClicked, MainForm.get(),
                     &TMainForm::SelectWork);
    QObject::connect(MainForm.get(), &TMainForm::WorkSelected, GanttForm.get(),
                     &TGanttForm::SelectWork);
    QObject::connect(MainForm.get(), &TMainForm::LevelAsked, GanttForm.get(),
                     &TGanttForm::LevelClick);
    CircuitForm->SetArcWorkForm(ArcWorkForm.get());
    QObject::connect(MainForm.get(), &TMainForm::SchemeReplaced, CircuitForm.get(),
                     &TCircuitForm::NewScheme);
    // Every change goes through the main window's history, and undo and redo
    // answer their shortcuts in the windows where changes are made or seen.
    WorksTableForm->SetHistory(&MainForm->History);
    for (QWidget* Window :
         {static_cast<QWidget*>(WorksTableForm.get()), static_cast<QWidget*>(CircuitForm.get()),
          static_cast<QWidget*>(ArcWorkForm.get()), static_cast<QWidget*>(GanttForm.get()),
          static_cast<QWidget*>(DemandsTable.get())})
        Window->addActions({MainForm->UndoAction, MainForm->RedoAction});
}

TStartUp::~TStartUp() {
    // Nothing is announced while the windows go.
    WorkList.Updating = true;
}

void TStartUp::Start(const std::string& SchemeFile) {
    MainForm->show();
    if (SchemeFile.empty())
        return;
    // The event loop does not run yet, so its fault handler cannot catch
    // what the first rebuild raises.
    try {
        MainForm->LoadScheme(SchemeFile);
    } catch (const std::exception& Fault) {
        Dialogs.Error(Fault.what());
    }
}
