#pragma once
// "Выровнять по ресурсам" off the window's thread: levelling reads a snapshot
// of the scheme on a thread of its own and hands back one finished value, the
// levelled schedule together with the snapshot it was made from, so that a
// view can tell whether it still belongs to the scheme it shows. A newer
// request supersedes the one in progress: its result is dropped when it
// comes back, and the newer one runs.

#include "model/Levelling.h"
#include "model/SchemeSnapshot.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

struct TLevelling {
    std::shared_ptr<const TSchemeSnapshot> Scheme;
    TLevelledSchedule Schedule;
};

class TLevellingRunner : public QObject {
    Q_OBJECT

public:
    explicit TLevellingRunner(QObject* Parent = nullptr);
    // Stops the run in progress at its next schedule and waits for it.
    ~TLevellingRunner() override;

    void Start(std::shared_ptr<const TSchemeSnapshot> Scheme);
    bool Running() const { return Worker.joinable(); }
    // The last finished levelling; none before the first one.
    const std::shared_ptr<const TLevelling>& Result() const { return Made; }
    void Clear() { Made.reset(); }

signals:
    // Result has changed.
    void Finished();

private slots:
    // Called on the window's thread when the worker has left its outcome.
    void TakeOutcome();

private:
    void Run(std::shared_ptr<const TSchemeSnapshot> Scheme);
    void Done(std::shared_ptr<const TLevelling> Levelling);

    std::thread Worker;
    // Raised when the runner goes: the search ends early, its result unused.
    std::atomic<bool> Closing{false};
    // What the worker hands over, and the lock it is handed over under.
    std::mutex Lock;
    std::shared_ptr<const TLevelling> Outcome;
    std::shared_ptr<const TSchemeSnapshot> Next;
    // The scheme asked about last, running or waiting.
    std::shared_ptr<const TSchemeSnapshot> Asked;
    std::shared_ptr<const TLevelling> Made;
};

// Why levelling gave no schedule, in the user's words: the work that wants
// more of a resource than there is, or the contour.
QString LevellingFaultText(const TLevelling& Levelling);
