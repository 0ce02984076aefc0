// The Gantt chart's layout. It turns every day number of the schedule into an
// x once, on the time axis: with a calendar a work that finishes at the end
// of one working day and the next one that starts the following morning meet
// at the same x, and nights and weekends take no part of a bar.

#include "drawing/GanttChart.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>
#include <numeric>

TGanttChart::TGanttChart(const TSchedule& Schedule, const std::vector<std::string>& Names,
                         const TSuccessors& Essential, const std::optional<TCalendar>& Cal,
                         const TGanttOptions& AOptions, const TLevelledSchedule* Levelled)
    : Options(AOptions) {
    const double PixelsPerDay = std::clamp(Options.PixelsPerDay, 0.25, 400.0);
    const std::size_t Count = Schedule.Works.size();
    if (!Schedule.Valid || Count == 0 || Names.size() != Count)
        return;
    if (Levelled && (!Levelled->Valid() || Levelled->Start.size() != Count))
        Levelled = nullptr;
    ShowsLevelled = Levelled != nullptr;
    const QFontMetricsF Metrics(Options.Font);
    RowHeight = std::ceil(Metrics.height()) + 8;
    double Widest = 0;
    for (const std::string& Name : Names)
        Widest = std::max(Widest, Metrics.horizontalAdvance(QString::fromStdString(Name)));
    NameColumn = std::max(std::clamp(std::ceil(Widest) + 16, 90.0, 320.0),
                          std::ceil(Options.LeastNameWidth));
    TReal Last = 0;
    for (const TWorkTimes& Times : Schedule.Works)
        Last = std::max(Last, Times.LateFinish);
    if (Levelled)
        Last = std::max(Last, Levelled->Duration);
    Axis = TTimeAxis(Cal, Last, PixelsPerDay, NameColumn);
    LayRows(Schedule, Names, Levelled);

    const std::size_t N = Count;
    if (Essential.Start.size() == N + 1)
        for (std::size_t j = 0; j < N; ++j)
            for (std::int32_t k = Essential.Start[j]; k < Essential.Start[j + 1]; ++k)
                Links.push_back({RowOf[j], RowOf[static_cast<std::size_t>(Essential.Succ[k])]});

    double LastX = NameColumn;
    for (const TRow& Row : Rows)
        LastX = std::max(LastX, Row.X2);
    Axis.Lay(LastX);
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

QSize TGanttChart::Size() const {
    if (Rows.empty())
        return {};
    return QSize(static_cast<int>(std::ceil(Axis.End())),
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
