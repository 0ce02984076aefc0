// The Gantt chart's layout and its painter. The layout turns every day number
// of the schedule into an x once: with a calendar, a moment lies in its day's
// cell in proportion to the working day behind it, so a work that finishes at
// the end of one working day and the next one that starts the following
// morning meet at the same x, and nights and weekends take no part of a bar.

#include "drawing/GanttChart.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

// Monday 1970-01-05, the first Monday of the day count.
constexpr std::int32_t FirstMonday = 4;

const char* const MonthNames[] = {"январь", "февраль", "март",     "апрель",  "май",    "июнь",
                                  "июль",   "август",  "сентябрь", "октябрь", "ноябрь", "декабрь"};
const char* const MonthShort[] = {"янв", "фев", "мар", "апр", "май", "июн",
                                  "июл", "авг", "сен", "окт", "ноя", "дек"};

QString TwoDigits(int Value) {
    return QStringLiteral("%1").arg(Value, 2, 10, QLatin1Char('0'));
}

std::int32_t FloorDiv(std::int32_t a, std::int32_t b) {
    return a / b - (a % b != 0 && (a < 0) != (b < 0));
}

} // namespace

TGanttChart::TGanttChart(const TSchedule& Schedule, const std::vector<std::string>& Names,
                         const TSuccessors& Essential, const std::optional<TCalendar>& Cal,
                         const TGanttOptions& AOptions, const TLevelledSchedule* Levelled)
    : Options(AOptions) {
    PixelsPerDay = std::clamp(Options.PixelsPerDay, 0.25, 400.0);
    const std::size_t Count = Schedule.Works.size();
    if (!Schedule.Valid || Count == 0 || Names.size() != Count)
        return;
    if (Levelled && (!Levelled->Valid() || Levelled->Start.size() != Count))
        Levelled = nullptr;
    ShowsLevelled = Levelled != nullptr;
    if (Cal && !CalendarProblem(*Cal) && !Cal->Periods.empty()) {
        Calendar.emplace(*Cal);
        TReal Last = 0;
        for (const TWorkTimes& Times : Schedule.Works)
            Last = std::max(Last, Times.LateFinish);
        if (Levelled)
            Last = std::max(Last, Levelled->Duration);
        // A plan past what the clock maps is drawn in day numbers.
        if (!Calendar->StartOf(0) || !Calendar->FinishOf(Last)) {
            Calendar.reset();
        } else {
            First = Calendar->StartOf(0)->Date;
            DayStart = Cal->Periods.front().Start;
            DayLength = std::max(1, Cal->Periods.back().End - DayStart);
        }
    }
    const QFontMetricsF Metrics(Options.Font);
    RowHeight = std::ceil(Metrics.height()) + 8;
    double Widest = 0;
    for (const std::string& Name : Names)
        Widest = std::max(Widest, Metrics.horizontalAdvance(QString::fromStdString(Name)));
    NameColumn = std::max(std::clamp(std::ceil(Widest) + 16, 90.0, 320.0),
                          std::ceil(Options.LeastNameWidth));
    LayRows(Schedule, Names, Levelled);

    const std::size_t N = Count;
    if (Essential.Start.size() == N + 1)
        for (std::size_t j = 0; j < N; ++j)
            for (std::int32_t k = Essential.Start[j]; k < Essential.Start[j + 1]; ++k)
                Links.push_back({RowOf[j], RowOf[static_cast<std::size_t>(Essential.Succ[k])]});

    double LastX = NameColumn;
    for (const TRow& Row : Rows)
        LastX = std::max(LastX, Row.X2);
    if (Calendar)
        LayCalendarAxis(LastX);
    else
        LayDayAxis(LastX);
}

double TGanttChart::StartX(TReal Day) const {
    if (!Calendar)
        return AxisX(static_cast<double>(Day));
    const std::optional<TMoment> At = Calendar->StartOf(Day);
    if (!At)
        return Width;
    const double InDay = std::clamp(double(At->Minute - DayStart) / DayLength, 0.0, 1.0);
    return AxisX(At->Date.Days - First.Days + InDay);
}

double TGanttChart::FinishX(TReal Day) const {
    if (!Calendar)
        return AxisX(static_cast<double>(Day));
    const std::optional<TMoment> At = Calendar->FinishOf(Day);
    if (!At)
        return Width;
    const double InDay = std::clamp(double(At->Minute - DayStart) / DayLength, 0.0, 1.0);
    return AxisX(At->Date.Days - First.Days + InDay);
}

void TGanttChart::LayRows(const TSchedule& Schedule, const std::vector<std::string>& Names,
                          const TLevelledSchedule* Levelled) {
    const std::size_t Count = Schedule.Works.size();
    std::vector<int> Order(Count);
    std::iota(Order.begin(), Order.end(), 0);
    if (Options.SortByStart)
        std::stable_sort(Order.begin(), Order.end(), [&Schedule](int a, int b) {
            return Schedule.Works[a].EarlyStart < Schedule.Works[b].EarlyStart;
        });
    Rows.resize(Count);
    RowOf.resize(Count);
    for (std::size_t r = 0; r < Count; ++r) {
        const TWorkTimes& Times = Schedule.Works[Order[r]];
        TRow& Row = Rows[r];
        Row.Work = Order[r];
        Row.X0 = StartX(Times.EarlyStart);
        // A work of no duration is a point; a finish shown at the end of a
        // working period would otherwise lie before its start.
        Row.X1 = Times.EarlyFinish > Times.EarlyStart ? FinishX(Times.EarlyFinish) : Row.X0;
        Row.X2 = std::max(Row.X1, Times.LateFinish > Times.EarlyFinish ? FinishX(Times.LateFinish)
                                                                       : Row.X1);
        Row.Critical = Times.Critical;
        Row.Name = QString::fromStdString(Names[Order[r]]);
        RowOf[Order[r]] = static_cast<int>(r);
        if (!Levelled)
            continue;
        // The levelled bar has no float of its own; the critical-path bar
        // stays behind it as a ghost.
        const auto w = static_cast<std::size_t>(Order[r]);
        Row.G0 = Row.X0;
        Row.G1 = Row.X1;
        Row.X0 = StartX(Levelled->Start[w]);
        Row.X1 = Levelled->Finish[w] > Levelled->Start[w] ? FinishX(Levelled->Finish[w]) : Row.X0;
        Row.X2 = Row.X1;
        Row.Critical = false;
    }
    if (Levelled)
        for (const TDrivingWork& Driving : Levelled->DrivingChain)
            if (Driving.Work < Count)
                Rows[static_cast<std::size_t>(RowOf[Driving.Work])].Critical = true;
}

// Cells of one header row: a new cell begins on every day whose key differs
// from the day before.
template <class TKey, class TText>
static std::vector<TGanttCell> CellsOf(int Days, double NameColumn, double PixelsPerDay,
                                       TCivilDate First, TKey Key, TText Text) {
    std::vector<TGanttCell> Cells;
    for (int d = 0; d < Days; ++d) {
        const TCivilDate Date{First.Days + d};
        if (d == 0 || Key(Date) != Key(TCivilDate{Date.Days - 1}))
            Cells.push_back({NameColumn + d * PixelsPerDay, 0, Text(Date)});
        Cells.back().X1 = NameColumn + (d + 1) * PixelsPerDay;
    }
    return Cells;
}

void TGanttChart::LayCalendarAxis(double LastX) {
    const int Days = static_cast<int>(std::ceil((LastX - NameColumn) / PixelsPerDay)) + 1;
    Width = AxisX(Days);
    const auto Week = [](TCivilDate D) { return FloorDiv(D.Days - FirstMonday, 7); };
    const auto Month = [](TCivilDate D) {
        int y, m, d;
        D.ToYmd(y, m, d);
        return y * 12 + m;
    };
    const auto Year = [](TCivilDate D) {
        int y, m, d;
        D.ToYmd(y, m, d);
        return y;
    };
    const auto DayKey = [](TCivilDate D) { return D.Days; };
    const auto DateText = [](TCivilDate D) {
        int y, m, d;
        D.ToYmd(y, m, d);
        return TwoDigits(d) + '.' + TwoDigits(m) + '.' + QString::number(y);
    };
    const auto MonthText = [](TCivilDate D) {
        int y, m, d;
        D.ToYmd(y, m, d);
        return QString::fromUtf8(MonthNames[m - 1]) + ' ' + QString::number(y);
    };
    const auto Args = [&](auto Key, auto Text) {
        return CellsOf(Days, NameColumn, PixelsPerDay, First, Key, Text);
    };
    if (PixelsPerDay >= 14) {
        UpperCells = Args(Week, DateText);
        LowerCells = Args(DayKey, [](TCivilDate D) {
            int y, m, d;
            D.ToYmd(y, m, d);
            return QString::number(d);
        });
    } else if (PixelsPerDay >= 2.5) {
        UpperCells = Args(Month, MonthText);
        // A narrow week is named by its first day alone, the month being
        // above it.
        const bool Wide = 7 * PixelsPerDay >= 48;
        LowerCells = Args(Week, [Wide](TCivilDate D) {
            int y, m, d;
            D.ToYmd(y, m, d);
            return Wide ? TwoDigits(d) + '.' + TwoDigits(m) : QString::number(d);
        });
    } else {
        UpperCells = Args(Year, [](TCivilDate D) {
            int y, m, d;
            D.ToYmd(y, m, d);
            return QString::number(y);
        });
        LowerCells = Args(Month, [](TCivilDate D) {
            int y, m, d;
            D.ToYmd(y, m, d);
            return QString::fromUtf8(MonthShort[m - 1]);
        });
    }
    for (int d = 0; d < Days; ++d) {
        if (Calendar->IsWorkingDay(TCivilDate{First.Days + d}))
            continue;
        const double X0 = AxisX(d);
        if (!Holidays.empty() && Holidays.back().second == X0)
            Holidays.back().second = AxisX(d + 1);
        else
            Holidays.emplace_back(X0, AxisX(d + 1));
    }
}

void TGanttChart::LayDayAxis(double LastX) {
    const int Days = static_cast<int>(std::ceil((LastX - NameColumn) / PixelsPerDay)) + 1;
    Width = AxisX(Days);
    // Steps of 1, 2, 5, 10, 20, 50 ... days: the lower row's the smallest
    // whose cell holds a number, the upper row's ten times that.
    long long Step = 1;
    for (int i = 0; Step * PixelsPerDay < 24; ++i)
        Step = (i % 3 == 1) ? Step / 2 * 5 : Step * 2;
    const auto Cells = [&](long long By) {
        std::vector<TGanttCell> Made;
        for (long long d = 0; d < Days; d += By)
            Made.push_back({AxisX(static_cast<double>(d)),
                            AxisX(static_cast<double>(std::min<long long>(d + By, Days))),
                            QString::number(d)});
        return Made;
    };
    LowerCells = Cells(Step);
    UpperCells = Cells(Step * 10);
}

QSize TGanttChart::Size() const {
    if (Rows.empty())
        return {};
    return QSize(static_cast<int>(std::ceil(Width)),
                 static_cast<int>(std::ceil(HeaderHeight() + Rows.size() * RowHeight)));
}

int TGanttChart::WorkOfRow(int Row) const {
    return Row >= 0 && Row < RowCount() ? Rows[Row].Work : -1;
}

int TGanttChart::RowOfWork(int Work) const {
    return Work >= 0 && Work < static_cast<int>(RowOf.size()) ? RowOf[Work] : -1;
}

int TGanttChart::RowAt(double Y) const {
    if (Y < HeaderHeight())
        return -1;
    const int Row = static_cast<int>((Y - HeaderHeight()) / RowHeight);
    return Row < RowCount() ? Row : -1;
}

QRectF TGanttChart::Bar(int Work) const {
    const int r = RowOfWork(Work);
    if (r < 0)
        return {};
    const TRow& Row = Rows[r];
    const double Top = HeaderHeight() + r * RowHeight + 4;
    return QRectF(Row.X0, Top, Row.X1 - Row.X0, RowHeight - 8);
}

QRectF TGanttChart::GhostBar(int Work) const {
    const int r = RowOfWork(Work);
    if (r < 0 || !ShowsLevelled)
        return {};
    const TRow& Row = Rows[r];
    const double Top = HeaderHeight() + r * RowHeight + 4;
    return QRectF(Row.G0, Top, Row.G1 - Row.G0, RowHeight - 8);
}

double TGanttChart::FloatEnd(int Work) const {
    const int r = RowOfWork(Work);
    return r < 0 ? 0 : Rows[r].X2;
}
