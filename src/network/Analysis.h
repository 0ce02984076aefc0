#pragma once
// One finished analysis of a scheme: the snapshot it was made from, the engine
// with its network and result, and the detailed view's layout when it was
// asked for. It is made whole, off the window's thread or not, and never
// changes once handed over: every view reads the same one, and a newer scheme
// brings a new one instead of changing this.

#include "network/CircuitEngine.h"
#include "network/DetailedLabels.h"

#include <atomic>
#include <memory>
#include <optional>

struct TSchemeSnapshot;

// What the views that are open need.
struct TAnalysisRequest {
    // -1 for the critical (longest) path, +1 for the shortest.
    int PathSign = -1;
    // The plain view's rows, chain nodes, segments and size.
    bool Layout = false;
    // The detailed view's layout too (implies Layout), with its labels of
    // these sizes (the drawing measures them in its font).
    bool Detailed = false;
    std::shared_ptr<const TDetailedSizes> Sizes;
    // The store stays with the analysis (for the debug window); otherwise
    // only the result does.
    bool KeepStore = true;
};

struct TAnalysis {
    std::shared_ptr<const TSchemeSnapshot> Scheme;
    int PathSign = -1;
    // The network and the result every view reads; only the debug window
    // reads the store.
    std::shared_ptr<const TCircuitEngine> Engine;
    // The engine's store was kept (it is released otherwise).
    bool KeptStore = true;
    std::optional<TDetailedPicture> Detailed;

    const TNetworkView& View() const { return Engine->Result(); }
    // Whether this analysis holds everything Request asks for, for the same
    // scheme and path mode.
    bool Serves(const TAnalysisRequest& Request) const;
};

// Analyses Scheme as Request asks. Cancel, when set, stops the analysis at
// its next checkpoint with TAnalysisCancelled; an internal fault travels on
// as the engine raised it.
std::shared_ptr<const TAnalysis> Analyse(std::shared_ptr<const TSchemeSnapshot> Scheme,
                                         const TAnalysisRequest& Request,
                                         const std::atomic<bool>* Cancel = nullptr);

// What Request asks that Done lacks, for Done's scheme: the detailed layout is
// added to Done's network; a missing layout means a new analysis.
std::shared_ptr<const TAnalysis> Complete(const std::shared_ptr<const TAnalysis>& Done,
                                          const TAnalysisRequest& Request,
                                          const std::atomic<bool>* Cancel = nullptr);
