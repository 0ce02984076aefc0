// Elapsed spans placed on the project calendar. The early start of every
// task is computed on MS Project's own rules over the linked tasks (the
// link conversion keeps those starts exactly), each span converted as soon
// as the pass reaches its place, so that a chain of elapsed spans settles
// in one pass.

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
    // The working days of span k counted from Begin; false when unchanged.
    bool Convert(std::size_t k, const std::optional<TMoment>& Begin, TReal& Days,
                 std::optional<TMoment>* End);
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

bool TPlacing::Convert(std::size_t k, const std::optional<TMoment>& Begin, TReal& Days,
                       std::optional<TMoment>* End) {
    From[k] = Begin;
    if (!Begin)
        return false;
    const TMoment To = Begin->Plus(std::llround(Spans[k].Minutes));
    if (End)
        *End = To;
    const TReal Working =
        static_cast<TReal>(Clock.WorkingMinutesBetween(*Begin, To)) / MinutesPerDay;
    // A work of no working time would not be a work; it keeps the weekly
    // rule's duration.
    if (Working == Days || (!Spans[k].Lag && !DurationAllowed(Working)))
        return false;
    Days = Working;
    return true;
}

bool TPlacing::Pass() {
    bool Changed = false;
    std::vector<TReal> Start(Tasks.Tasks.size(), 0);
    for (const int t : Order) {
        const auto Task = static_cast<std::size_t>(t);
        TLinkedTasks::TTask& Here = Tasks.Tasks[Task];
        // An elapsed work ends on the clock, not at the end of its working
        // time: a day of the clock from Monday 08:00 ends on Tuesday 08:00.
        std::optional<TMoment> Finish;
        if (const int k = DurationSpan[Task]; k >= 0)
            Changed |= Convert(static_cast<std::size_t>(k), Clock.StartOf(Start[Task]),
                               Here.Duration, &Finish);
        if (!Finish)
            Finish = Clock.EventAt(Start[Task] + Here.Duration);
        for (const int l : LinksOf[Task]) {
            TLinkedTasks::TLink& Link = Tasks.Links[static_cast<std::size_t>(l)];
            const bool FromStart =
                Link.Type == TLinkType::StartStart || Link.Type == TLinkType::StartFinish;
            if (const int k = LagSpan[static_cast<std::size_t>(l)]; k >= 0)
                Changed |=
                    Convert(static_cast<std::size_t>(k),
                            FromStart ? Clock.StartOf(Start[Task]) : Finish, Link.Lag, nullptr);
            TReal& Next = Start[static_cast<std::size_t>(Link.After)];
            const TReal After = Tasks.Tasks[static_cast<std::size_t>(Link.After)].Duration;
            Next = std::max(Next, Start[Task] + LinkOffset(Link, Here.Duration, After));
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
