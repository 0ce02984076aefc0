#include "ui/Analyser.h"

#include "drawing/Labels.h"
#include "model/SchemeSnapshot.h"
#include "model/WorkList.h"
#include "ui/Dialogs.h"
#include "ui/LocaleText.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <exception>

bool TAnalyser::RunInlineByDefault = false;

namespace {

// A run longer than this shows that it is under way.
constexpr int LongRunMs = 500;

} // namespace

TAnalyser::TAnalyser(TWorkList& List, const std::int32_t& PathSign, TDialogs& Dialogs)
    : List(List), PathSign(PathSign), Dialogs(Dialogs), RunInline(RunInlineByDefault) {
    LongTimer.setSingleShot(true);
    LongTimer.setInterval(LongRunMs);
    connect(&LongTimer, &QTimer::timeout, this, [this] {
        if (Busy())
            emit LongRun(true);
    });
    List.AddListener([this](TWorkList&, std::int32_t, std::int32_t Kind) {
        if (Kind != ckQuietAdd)
            Refresh();
    });
}

TAnalyser::~TAnalyser() {
    {
        const std::lock_guard Guard(Lock);
        Stopping = true;
        if (CancelRunning)
            CancelRunning->store(true);
    }
    Wake.notify_all();
    if (Worker.joinable())
        Worker.join();
}

void TAnalyser::Work() {
    for (;;) {
        TJob Job;
        {
            std::unique_lock Guard(Lock);
            Wake.wait(Guard, [this] { return Stopping || Pending; });
            if (Stopping)
                return;
            Job = std::move(*Pending);
            Pending.reset();
        }
        TOutcome Done;
        Done.Of = Job.Of;
        try {
            Done.Made = Job.Done ? Complete(Job.Done, Job.Asked, Job.Cancel.get())
                                 : Analyse(std::move(Job.Scheme), Job.Asked, Job.Cancel.get());
        } catch (const TAnalysisCancelled&) {
        } catch (const std::exception& Error) {
            Done.Fault = Error.what();
        }
        const std::lock_guard Guard(Lock);
        if (Stopping)
            return;
        Outcome = std::move(Done);
        // The destructor joins this thread before the analyser goes, so the
        // analyser is there to post to. Called by name and posted under Lock,
        // which the window's thread takes before the event is gone: nothing
        // this thread makes, the event included, is touched by the other but
        // after it.
        QMetaObject::invokeMethod(this, "TakeOutcome", Qt::QueuedConnection);
    }
}

void TAnalyser::TakeOutcome() {
    std::optional<TOutcome> Done;
    {
        const std::lock_guard Guard(Lock);
        Done.swap(Outcome);
    }
    if (Done)
        Finished(Done->Of, std::move(Done->Made), Done->Fault);
}

TAnalysisRequest TAnalyser::Request() const {
    TAnalysisRequest Asked;
    Asked.PathSign = PathSign;
    // The windows' tests read the store of what the windows show.
    Asked.KeepStore = StoreWanted || RunInline;
    for (const auto& [Viewer, Want] : Wants) {
        Asked.Layout = Asked.Layout || Want.Layout || Want.Detailed;
        Asked.Detailed = Asked.Detailed || Want.Detailed;
    }
    return Asked;
}

bool TAnalyser::Satisfied() const {
    return Generation == 0 || FailedAt == Generation || (Result && Published == Generation && Result->Serves(Request()));
}

void TAnalyser::Want(const void* Viewer, bool Layout, bool Detailed) {
    if (Layout || Detailed)
        Wants[Viewer] = TAnalysisRequest{PathSign, Layout, Detailed, nullptr, false};
    else
        Wants.erase(Viewer);
    if (!Satisfied())
        PostStart();
}

void TAnalyser::WantStore(bool Keep) {
    StoreWanted = Keep;
    if (!Satisfied())
        PostStart();
}

void TAnalyser::Refresh() {
    ++Generation;
    // The run in progress analyses a scheme that is no longer the list's.
    {
        const std::lock_guard Guard(Lock);
        if (CancelRunning)
            CancelRunning->store(true);
    }
    if (RunInline) {
        Start();
        return;
    }
    PostStart();
}

void TAnalyser::PostStart() {
    SetBusy();
    if (RunInline) {
        Start();
        return;
    }
    // Several changes in one event make one run.
    if (StartPosted)
        return;
    StartPosted = true;
    QMetaObject::invokeMethod(this, [this] { Start(); }, Qt::QueuedConnection);
}

void TAnalyser::Start() {
    StartPosted = false;
    if (Satisfied()) {
        SetBusy();
        return;
    }
    // The run in progress (cancelled when it is outdated) comes back first.
    if (Running)
        return;
    TAnalysisRequest Asked = Request();
    const std::uint64_t Of = Generation;
    // The snapshot is taken here, on the list's thread; the run reads only it.
    std::shared_ptr<const TAnalysis> Done = Published == Generation ? Result : nullptr;
    std::shared_ptr<const TSchemeSnapshot> Scheme = Done ? nullptr : TakeSnapshot(List);
    // The detailed view's labels are measured here too, in the font the
    // picture paints them in.
    if (Asked.Detailed) {
        const TSchemeSnapshot& Of = Done ? *Done->Scheme : *Scheme;
        Asked.Sizes = std::make_shared<const TDetailedSizes>(
            DetailedSizes(Of.Names, Of.Durations, DecimalSeparator()));
    }
    if (RunInline) {
        // A fault travels on to the handler of the action that changed the
        // list, as any fault of the action does.
        FailedAt = Of;
        Publish(Done ? Complete(Done, Asked) : Analyse(std::move(Scheme), Asked), Of);
        FailedAt = 0;
        return;
    }
    Running = true;
    LongTimer.start();
    SetBusy();
    {
        const std::lock_guard Guard(Lock);
        CancelRunning = std::make_shared<std::atomic<bool>>(false);
        Pending = TJob{std::move(Done), std::move(Scheme), Asked, Of, CancelRunning};
    }
    if (!Worker.joinable())
        Worker = std::thread([this] { Work(); });
    Wake.notify_one();
}

void TAnalyser::Finished(std::uint64_t Of, std::shared_ptr<const TAnalysis> Made, const std::string& Fault) {
    Running = false;
    {
        const std::lock_guard Guard(Lock);
        CancelRunning.reset();
    }
    if (Of == Generation) {
        if (Made)
            Publish(std::move(Made), Of);
        else if (!Fault.empty()) {
            // The views keep the last result; the next change tries again.
            FailedAt = Generation;
            SetBusy();
            Dialogs.Error(Fault);
            return;
        }
    }
    if (!Satisfied())
        Start();
    SetBusy();
}

void TAnalyser::Publish(std::shared_ptr<const TAnalysis> Made, std::uint64_t Of) {
    Result = std::move(Made);
    Published = Of;
    SetBusy();
    emit Ready();
}

void TAnalyser::SetBusy() {
    const bool Now = !RunInline && Busy();
    if (!Now)
        LongTimer.stop();
    if (Now == WasBusy)
        return;
    WasBusy = Now;
    if (!Now)
        emit LongRun(false);
    emit BusyChanged(Now);
}

void TAnalyser::Settle() {
    QElapsedTimer Clock;
    Clock.start();
    // Bounded, so that a test that waits for a run that never comes fails
    // instead of hanging.
    while (Busy() && Clock.elapsed() < 600000) {
        if (!Running && !StartPosted)
            PostStart();
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    }
}
