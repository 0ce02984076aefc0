// The analysis as the windows and the command line ask for it: the network,
// then only the parts of the layout that a view shows.

#include "network/Analysis.h"

#include "model/SchemeSnapshot.h"

namespace {

void AddDetailed(TAnalysis& Analysis, const TAnalysisRequest& Request, const std::atomic<bool>* Cancel) {
    const TNetworkView& View = Analysis.View();
    if (!View.HasNetwork || !View.HasLayout || !Request.Sizes)
        return;
    Analysis.Detailed = LayOutDetailed(View, *Request.Sizes);
    if (Cancel && Cancel->load(std::memory_order_relaxed))
        throw TAnalysisCancelled();
}

} // namespace

bool TAnalysis::Serves(const TAnalysisRequest& Request) const {
    if (Request.PathSign != PathSign || (Request.KeepStore && !KeptStore))
        return false;
    const TNetworkView& Result = View();
    // Without a network there is nothing to lay out.
    if (!Result.HasNetwork)
        return true;
    if ((Request.Layout || Request.Detailed) && !Result.HasLayout)
        return false;
    return !Request.Detailed || Detailed.has_value();
}

std::shared_ptr<const TAnalysis> Analyse(std::shared_ptr<const TSchemeSnapshot> Scheme,
                                         const TAnalysisRequest& Request,
                                         const std::atomic<bool>* Cancel) {
    auto Result = std::make_shared<TAnalysis>();
    Result->Scheme = Scheme;
    Result->PathSign = Request.PathSign;
    auto Engine = std::make_shared<TCircuitEngine>(std::move(Scheme));
    Engine->PathSign = Request.PathSign;
    // Only the debug window reads the store's own sets of works.
    Engine->KeepSets = Request.KeepStore;
    Engine->SetCancel(Cancel);
    Engine->GetCircuit();
    if (Request.Layout || Request.Detailed)
        Engine->Analyse();
    else
        Engine->AnalyseWithoutLayout();
    Engine->Checkpoint();
    // The flag dies with the request; the published engine no longer needs it.
    Engine->SetCancel(nullptr);
    if (!Request.KeepStore)
        Engine->ReleaseStore();
    Result->KeptStore = Request.KeepStore;
    Result->Engine = std::move(Engine);
    if (Request.Detailed)
        AddDetailed(*Result, Request, Cancel);
    return Result;
}

std::shared_ptr<const TAnalysis> Complete(const std::shared_ptr<const TAnalysis>& Done,
                                          const TAnalysisRequest& Request,
                                          const std::atomic<bool>* Cancel) {
    if (Done->Serves(Request))
        return Done;
    if (Request.PathSign != Done->PathSign || (Request.KeepStore && !Done->KeptStore) ||
        ((Request.Layout || Request.Detailed) && !Done->View().HasLayout))
        return Analyse(Done->Scheme, Request, Cancel);
    auto Result = std::make_shared<TAnalysis>(*Done);
    AddDetailed(*Result, Request, Cancel);
    return Result;
}
