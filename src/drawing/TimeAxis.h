#pragma once
// The time axis shared by the pictures drawn in time (the Gantt chart and the
// time-scaled network): where a day number of the schedule lies in x, the two
// header rows over the drawing (their units follow the zoom) and the spans of
// non-working days to shade. With a project calendar the axis runs in
// calendar days and a moment lies in its day's cell in proportion to the
// working day behind it, so nights and weekends take no part of a work's
// length; without one it counts working days.

#include "model/Calendar.h"

#include <QColor>
#include <QString>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

class QFont;
class QPainter;
class QPointF;
class QRectF;

// The colours the charts on a time axis share: the header, the shaded
// non-working days, the rules and the grid.
namespace ChartColour {
inline const QColor HeaderFill(246, 246, 246);
inline const QColor ShadeFill(236, 236, 236);
inline const QColor RuleLine(150, 150, 150);
inline const QColor GridLine(228, 228, 228);
} // namespace ChartColour

// One cell of a header row: its span on the axis and its text.
struct TAxisCell {
    double X0 = 0;
    double X1 = 0;
    QString Text;
};

class TTimeAxis {
public:
    TTimeAxis() = default;
    // Day 0 lies at Origin. The calendar is used when it is valid and maps
    // every day up to LastDay; the axis counts days otherwise.
    TTimeAxis(const std::optional<TCalendar>& Calendar, TReal LastDay, double PixelsPerDay,
              double Origin);
    // Makes the header cells and the shaded days from Origin on to past
    // LastX.
    void Lay(double LastX);

    // The x of a day number taken as a start, as a finish, and as an event
    // (the finish of the works into it, the project's start for day 0).
    double StartX(TReal Day) const;
    double FinishX(TReal Day) const;
    double EventX(TReal Day) const { return Day > 0 ? FinishX(Day) : StartX(Day); }
    // Where the laid axis ends.
    double End() const { return Width; }
    double Scale() const { return PixelsPerDay; }
    const std::optional<TCalendarClock>& Clock() const { return Calendar; }
    // Spans of the non-working days on the axis, in order.
    const std::vector<std::pair<double, double>>& Shaded() const { return Holidays; }
    const std::vector<TAxisCell>& Upper() const { return UpperCells; }
    const std::vector<TAxisCell>& Lower() const { return LowerCells; }

    // The two header rows, each RowHeight high, from y 0 (what meets Clip).
    void PaintHeader(QPainter& Painter, const QRectF& Clip, double RowHeight) const;
    // The non-working days over the height of Clip.
    void PaintShade(QPainter& Painter, const QRectF& Clip) const;

private:
    double AxisX(double Offset) const { return Origin + Offset * PixelsPerDay; }
    double XOf(const std::optional<TMoment>& At) const;
    void LayCalendar(double LastX);
    void LayDays(double LastX);

    double PixelsPerDay = 20;
    double Origin = 0;
    double Width = 0;
    std::optional<TCalendarClock> Calendar;
    TCivilDate First;     // the axis' first day with a calendar
    int DayStart = 0;     // minutes: the working day's first moment
    int DayLength = 1440; // and its span to its last one
    std::vector<std::pair<double, double>> Holidays;
    std::vector<TAxisCell> UpperCells;
    std::vector<TAxisCell> LowerCells;
};

// What the charts on a time axis paint a part of themselves with.
using TPaintPart = std::function<void(QPainter&, const QRectF&)>;

// Paints the part of a chart that Area covers, when it is Asked for and meets
// Clip, in Font, leaving the painter as it was.
void PaintChartPart(QPainter& Painter, const QRectF& Clip, bool Asked, const QRectF& Area,
                    const QFont& Font, const TPaintPart& Draw);
// Paints Clip of a chart (its own coordinates) into Target of a view, shifted
// by Shift: a part that stays put while the rest of the view scrolls.
void PaintViewArea(QPainter& Painter, const QRectF& Target, QPointF Shift, const QRectF& Clip,
                   const TPaintPart& Paint);
