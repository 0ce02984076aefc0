#pragma once
// The analysis behind the windows. Every change of the work list (after
// RecalcLinks has classified the cells, which stays on the window's thread)
// snapshots the list and analyses the snapshot on a thread of its own; a
// newer change cancels the run in progress at its next checkpoint and never
// waits for it. The finished analysis is handed over whole, on the window's
// thread: Ready announces it and every view reads the same one, so nothing is
// ever drawn from a half-made result. While a newer scheme is being analysed
// the views go on showing the previous result, marked as being updated.
//
// The views say what they show (the plain or the detailed layout), and only
// that is made: with only the main window open an edit costs the analysis
// without any layout.

#include "network/Analysis.h"

#include <QObject>
#include <QTimer>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

class TDialogs;
class TWorkList;

class TAnalyser : public QObject {
    Q_OBJECT

public:
    // Where the analysis runs when an analyser is made: on its own thread
    // (the program), or inside the change that asked for it, as the windows'
    // tests want it.
    static bool RunInlineByDefault;

    // Registers its listener with List; PathSign is read at every change.
    // Dialogs shows an internal fault of the analysis.
    TAnalyser(TWorkList& List, const std::int32_t& PathSign, TDialogs& Dialogs);
    // Cancels the run in progress and waits for it to stop.
    ~TAnalyser() override;

    void SetInline(bool Inline) { RunInline = Inline; }

    // The last finished analysis; none before the first one.
    const std::shared_ptr<const TAnalysis>& Current() const { return Result; }
    // A newer scheme than Current's is being analysed (or waits to be), or
    // Current lacks what a view has asked for.
    bool Busy() const { return Running || StartPosted || !Satisfied(); }

    // What a view shows, while it shows it; Viewer identifies the view.
    // Asking for more than Current holds starts a run for it.
    void Want(const void* Viewer, bool Layout, bool Detailed);
    // The debug window inspects the store, which is released otherwise.
    void WantStore(bool Keep);
    // Analyses the list as it stands now (what a change does).
    void Refresh();
    // Runs the event loop until the list as it stands is analysed as the
    // views want it (tests, and the command line's windows).
    void Settle();

signals:
    // Current has changed.
    void Ready();
    // Busy has changed.
    void BusyChanged(bool Busy);
    // A run has been going on for more than half a second (true), or the
    // analysis caught up (false).
    void LongRun(bool Long);

private:
    TAnalysisRequest Request() const;
    // Whether Current is the list as it stands, as the views want it.
    bool Satisfied() const;
    void PostStart();
    void Start();
    // The worker's loop, on its own thread.
    void Work();
    // Takes what the worker left, on the window's thread.
    Q_INVOKABLE void TakeOutcome();
    void Finished(std::uint64_t Of, std::shared_ptr<const TAnalysis> Made, const std::string& Fault);
    void Publish(std::shared_ptr<const TAnalysis> Made, std::uint64_t Of);
    void SetBusy();

    TWorkList& List;
    const std::int32_t& PathSign;
    TDialogs& Dialogs;
    bool RunInline;
    // The list's changes are counted; Current belongs to Published. Before
    // the first change there is nothing to analyse.
    std::uint64_t Generation = 0;
    std::uint64_t Published = 0;
    // The change whose analysis raised a fault: nothing more is tried for it.
    std::uint64_t FailedAt = 0;
    bool Running = false;
    bool StartPosted = false;
    bool WasBusy = false;
    std::shared_ptr<std::atomic<bool>> CancelRunning;
    std::shared_ptr<const TAnalysis> Result;
    std::map<const void*, TAnalysisRequest> Wants;
    bool StoreWanted = false;
    QTimer LongTimer;

    // One run at a time on one thread of the analyser's own, which is
    // started with the first run and joined by the destructor. Everything
    // the two threads share passes under Lock.
    struct TJob {
        std::shared_ptr<const TAnalysis> Done;
        std::shared_ptr<const TSchemeSnapshot> Scheme;
        TAnalysisRequest Asked;
        std::uint64_t Of = 0;
        std::shared_ptr<std::atomic<bool>> Cancel;
    };
    struct TOutcome {
        std::uint64_t Of = 0;
        std::shared_ptr<const TAnalysis> Made;
        std::string Fault;
    };
    std::mutex Lock;
    std::condition_variable Wake;
    std::optional<TJob> Pending;
    std::optional<TOutcome> Outcome;
    bool Stopping = false;
    std::thread Worker;
};
