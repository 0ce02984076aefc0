// Elapsed spans placed on the project calendar. The early start of every
// task is computed on MS Project's own rules over the linked tasks (the
// link conversion keeps those starts exactly), each span converted as soon
// as the pass reaches its place: a task's spans depend only on the tasks
// before it, so one pass in the order of the links places them all, and a
// second one finds nothing to change.

#include "exchange/ElapsedSpans.h"

#include "model/RealText.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

constexpr int MaxPasses = 8;

class TPlacing {
public:
    TPlacing(TLinkedTasks& ATasks, const std::vector<TElapsedSpan>& ASpans,
             const TCalendar& Calendar)
        : Tasks(ATasks), Spans(ASpans), Clock(Calendar), MinutesPerDay(Calendar.MinutesPerDay),
          From(Spans.size()) {}
    void Run();

private:
    TLinkedTasks& Tasks;
    const std::vector<TElapsedSpan>& Spans;
    TCalendarClock Clock;
    TReal MinutesPerDay;
    std::vector<int> Order;                   // each task after those it waits for
    std::vector<std::vector<int>> LinksOf;    // by first task
    std::vector<int> DurationSpan;            // by task, -1 where none
    std::vector<int> LagSpan;                 // by link, -1 where none
    std::vector<std::optional<TMoment>> From; // where each span was counted from

    bool SortTasks();
    bool Pass();
    // The working days of the elapsed work of span k from Start, or, where
    // its links want it to finish later, ending then; Begin and Finish are
    // its edges on the clock. False when unchanged.
    bool PlaceWork(std::size_t k, TReal& Start, const std::optional<TReal>& FinishNeed, TReal& Days,
                   std::optional<TMoment>& Begin, std::optional<TMoment>& Finish);
    // The working days of the elapsed lag of span k counted from Begin;
    // false when unchanged.
    bool PlaceLag(std::size_t k, const std::optional<TMoment>& Begin, TReal& Days);
    void Warn();
};

bool TPlacing::SortTasks() {
    const std::size_t n = Tasks.Tasks.size();
    LinksOf.assign(n, {});
    std::vector<int> Waiting(n, 0);
    for (std::size_t l = 0; l < Tasks.Links.size(); ++l) {
        LinksOf[static_cast<std::size_t>(Tasks.Links[l].Before)].push_back(static_cast<int>(l));
        ++Waiting[static_cast<std::size_t>(Tasks.Links[l].After)];
    }
    for (std::size_t t = 0; t < n; ++t)
        if (Waiting[t] == 0)
            Order.push_back(static_cast<int>(t));
    for (std::size_t k = 0; k < Order.size(); ++k)
        for (const int l : LinksOf[static_cast<std::size_t>(Order[k])]) {
            const int After = Tasks.Links[static_cast<std::size_t>(l)].After;
            if (--Waiting[static_cast<std::size_t>(After)] == 0)
                Order.push_back(After);
        }
    DurationSpan.assign(n, -1);
    LagSpan.assign(Tasks.Links.size(), -1);
    for (std::size_t k = 0; k < Spans.size(); ++k)
        (Spans[k].Lag ? LagSpan : DurationSpan)[static_cast<std::size_t>(Spans[k].Index)] =
            static_cast<int>(k);
    return Order.size() == n;
}

bool TPlacing::PlaceLag(std::size_t k, const std::optional<TMoment>& Begin, TReal& Days) {
    From[k] = Begin;
    if (!Begin)
        return false;
    const TMoment To = Begin->Plus(std::llround(Spans[k].Minutes));
    const TReal Working =
        static_cast<TReal>(Clock.WorkingMinutesBetween(*Begin, To)) / MinutesPerDay;
    if (Working == Days)
        return false;
    Days = Working;
    return true;
}

bool TPlacing::PlaceWork(std::size_t k, TReal& Start, const std::optional<TReal>& FinishNeed,
                         TReal& Days, std::optional<TMoment>& Begin,
                         std::optional<TMoment>& Finish) {
    From[k].reset();
    const auto Early = Clock.StartOf(Start);
    if (!Early)
        return false;
    const auto Span = std::llround(Spans[k].Minutes);
    TMoment Begun = *Early, To = Early->Plus(Span);
    TReal Working = static_cast<TReal>(Clock.WorkingMinutesBetween(Begun, To)) / MinutesPerDay;
    TReal NewStart = Start;
    // A work that must finish later than its start allows begins that span
    // of the clock before the finish, as MS Project places it: its working
    // time then depends on where the finish falls, not the start.
    if (FinishNeed && Start + Working < *FinishNeed) {
        const auto End = Clock.EventAt(*FinishNeed);
        if (!End)
            return false;
        To = *End;
        Begun = To.Plus(-Span);
        Working = static_cast<TReal>(Clock.WorkingMinutesBetween(Begun, To)) / MinutesPerDay;
        NewStart = *FinishNeed - Working;
    }
    // A work of no working time would not be a work; it keeps the weekly
    // rule's duration.
    if (!DurationAllowed(Working))
        return false;
    From[k] = Begin = Begun;
    Finish = To;
    Start = NewStart;
    if (Working == Days)
        return false;
    Days = Working;
    return true;
}

bool TPlacing::Pass() {
    bool Changed = false;
    std::vector<TReal> Start(Tasks.Tasks.size(), 0);
    // Where an elapsed work must finish by its links to finishes.
    std::vector<std::optional<TReal>> FinishNeed(Tasks.Tasks.size());
    for (const int t : Order) {
        const auto Task = static_cast<std::size_t>(t);
        TLinkedTasks::TTask& Here = Tasks.Tasks[Task];
        // An elapsed work begins and ends on the clock, not at the edges of
        // its working time: a day of the clock from Monday 08:00 ends on
        // Tuesday 08:00.
        std::optional<TMoment> Begin, Finish;
        if (const int k = DurationSpan[Task]; k >= 0)
            Changed |= PlaceWork(static_cast<std::size_t>(k), Start[Task], FinishNeed[Task],
                                 Here.Duration, Begin, Finish);
        if (!Begin)
            Begin = Clock.StartOf(Start[Task]);
        if (!Finish)
            Finish = Clock.EventAt(Start[Task] + Here.Duration);
        for (const int l : LinksOf[Task]) {
            TLinkedTasks::TLink& Link = Tasks.Links[static_cast<std::size_t>(l)];
            const bool FromStart =
                Link.Type == TLinkType::StartStart || Link.Type == TLinkType::StartFinish;
            if (const int k = LagSpan[static_cast<std::size_t>(l)]; k >= 0)
                Changed |=
                    PlaceLag(static_cast<std::size_t>(k), FromStart ? Begin : Finish, Link.Lag);
            const auto Next = static_cast<std::size_t>(Link.After);
            const bool ToFinish =
                Link.Type == TLinkType::FinishFinish || Link.Type == TLinkType::StartFinish;
            if (ToFinish && DurationSpan[Next] >= 0)
                FinishNeed[Next] = std::max(FinishNeed[Next].value_or(0),
                                            Start[Task] + LinkOffset(Link, Here.Duration, 0));
            else
                Start[Next] =
                    std::max(Start[Next], Start[Task] + LinkOffset(Link, Here.Duration,
                                                                   Tasks.Tasks[Next].Duration));
        }
    }
    return Changed;
}

void TPlacing::Warn() {
    for (std::size_t k = 0; k < Spans.size(); ++k) {
        const TElapsedSpan& Span = Spans[k];
        const auto Index = static_cast<std::size_t>(Span.Index);
        const TReal Days = Span.Lag ? Tasks.Links[Index].Lag : Tasks.Tasks[Index].Duration;
        std::string Line =
            Span.Name + (Span.Lag ? ": задержка в календарном времени"
                                  : ": длительность в календарном времени «" + Span.Text + "»");
        Line += " перенесена как " + FormatReal(Days) + " дн. рабочего времени ";
        Line += From[k] ? "по календарю проекта, считая с " + From[k]->Iso()
                        : "(5 рабочих дней в неделе)";
        Tasks.Warn(std::move(Line));
    }
}

void TPlacing::Run() {
    // Linked into a contour, the plan is refused further on; the spans keep
    // the weekly rule until then.
    if (SortTasks()) {
        int Passes = 0;
        while (Pass())
            if (++Passes == MaxPasses) {
                Tasks.Warn("длительности и задержки в календарном времени не установились за " +
                           std::to_string(MaxPasses) + " проходов: взяты последние");
                break;
            }
    }
    Warn();
}

} // namespace

void PlaceElapsedSpans(TLinkedTasks& Tasks, const std::vector<TElapsedSpan>& Spans,
                       const TCalendar& Calendar) {
    TPlacing(Tasks, Spans, Calendar).Run();
}
