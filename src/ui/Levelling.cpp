#include "ui/Levelling.h"

#include "model/RealText.h"
#include "ui/LocaleText.h"

#include <QMetaObject>

TLevellingRunner::TLevellingRunner(QObject* Parent) : QObject(Parent) {}

TLevellingRunner::~TLevellingRunner() {
    Closing = true;
    if (Worker.joinable())
        Worker.join();
}

void TLevellingRunner::Start(std::shared_ptr<const TSchemeSnapshot> Scheme) {
    if (Worker.joinable() && Scheme == Asked)
        return;
    Asked = Scheme;
    if (Worker.joinable()) {
        Next = std::move(Scheme);
        return;
    }
    Worker = std::thread([this, Scheme = std::move(Scheme)] { Run(Scheme); });
}

void TLevellingRunner::Run(std::shared_ptr<const TSchemeSnapshot> Scheme) {
    auto Made = std::make_shared<TLevelling>();
    Made->Scheme = Scheme;
    if (Scheme->HasContour)
        Made->Schedule.Error = TLevellingError::Contour;
    else
        Made->Schedule = Level(LevellingProblemOf(*Scheme), TLevellingOptions{.Stop = &Closing});
    // Handed over on the window's thread; dropped if the runner is gone. The
    // event is posted under the lock the window's thread takes to read the
    // outcome, so everything this thread made is seen whole there.
    const std::lock_guard Guard(Lock);
    Outcome = std::move(Made);
    QMetaObject::invokeMethod(this, "TakeOutcome", Qt::QueuedConnection);
}

void TLevellingRunner::TakeOutcome() {
    std::shared_ptr<const TLevelling> Taken;
    {
        const std::lock_guard Guard(Lock);
        Taken.swap(Outcome);
    }
    if (Taken)
        Done(std::move(Taken));
}

void TLevellingRunner::Done(std::shared_ptr<const TLevelling> Levelling) {
    Worker.join();
    if (Next) {
        // What finished belongs to a scheme that is no longer asked about.
        Start(std::move(Next));
        Next.reset();
        return;
    }
    Made = std::move(Levelling);
    emit Finished();
}

QString LevellingFaultText(const TLevelling& Levelling) {
    const TLevelledSchedule& S = Levelling.Schedule;
    const TSchemeSnapshot& Scheme = *Levelling.Scheme;
    if (const auto& Fault = S.Fault;
        Fault && Fault->Work < Scheme.Names.size() && Fault->Resource < Scheme.Resources.size()) {
        const TResource& R = Scheme.Resources[Fault->Resource];
        const std::string Unit = R.Unit.empty() ? "" : " " + R.Unit;
        return QString::fromStdString("Работе «" + Scheme.Names[Fault->Work] + "» нужно " +
                                      FormatReal(Fault->Demand, DecimalSeparator()) + Unit +
                                      " ресурса «" + R.Name + "», а в наличии только " +
                                      FormatReal(Fault->Availability, DecimalSeparator()) + Unit +
                                      ": выровнять по ресурсам нельзя.");
    }
    return QStringLiteral("В схеме есть контур: выровнять по ресурсам нельзя.");
}
