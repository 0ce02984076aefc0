#pragma once
// The plan as bars on a time axis: one row per work, its early start to early
// finish drawn as a bar, its total float as a thin bar on to the late finish,
// critical works red, the essential finish-to-start links as thin arrows.
// Given a levelled schedule, the bars are its starts and finishes, the works
// that drive its duration red, and the critical-path bars pale outlines. The
// axis is the project calendar's (two header rows whose units follow the
// zoom, non-working days shaded) or, without one, plain day numbers. The
// chart is a value made once from a schedule; painting only reads it, so the
// same chart paints a window, a printed page or a picture file.

#include "drawing/TimeAxis.h"
#include "model/Calendar.h"
#include "model/Levelling.h"
#include "model/Schedule.h"

#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QString>

#include <optional>
#include <string>
#include <vector>

class QPainter;

struct TGanttOptions {
    // Width of one day of the axis (a calendar day with a calendar, a
    // working day without one); the header's units follow it.
    double PixelsPerDay = 20;
    bool Links = true;
    // Rows by early start (ties in list order) instead of list order.
    bool SortByStart = false;
    QFont Font;
    // The name column is at least this wide (a load chart under the bars
    // writes its totals in the same column).
    double LeastNameWidth = 0;
};

using TGanttCell = TAxisCell;

// The parts of the chart, for painting them one by one: the name column and
// the date header stay put while the window scrolls the bars.
enum TGanttPart : unsigned {
    gpCorner = 1,
    gpHeader = 2,
    gpNames = 4,
    gpBars = 8,
    gpAll = 15,
};

class TGanttChart {
public:
    // Nothing to draw for an invalid schedule (no works, or a contour).
    // Levelled, when valid and of the same works, gives the bars.
    TGanttChart(const TSchedule& Schedule, const std::vector<std::string>& Names,
                const TSuccessors& Essential, const std::optional<TCalendar>& Calendar,
                const TGanttOptions& Options = {}, const TLevelledSchedule* Levelled = nullptr);

    bool Empty() const { return Rows.empty(); }
    // The whole chart in pixels: the name column and the header included.
    QSize Size() const;
    double NameWidth() const { return NameColumn; }
    double HeaderHeight() const { return 2 * RowHeight; }
    double RowPitch() const { return RowHeight; }
    int RowCount() const { return static_cast<int>(Rows.size()); }
    // The work shown in a row, the row of a work (-1 for none).
    int WorkOfRow(int Row) const;
    int RowOfWork(int Work) const;
    // The row under a point of the chart (-1 above the rows or below them).
    int RowAt(double Y) const;
    // The x of a day number of the schedule, taken as a start or a finish.
    double StartX(TReal Day) const { return Axis.StartX(Day); }
    double FinishX(TReal Day) const { return Axis.FinishX(Day); }
    // The bar of a work: early start to early finish, and where its float
    // ends (the late finish).
    QRectF Bar(int Work) const;
    double FloatEnd(int Work) const;
    // Spans of the non-working days on the axis, in order.
    const std::vector<std::pair<double, double>>& Shaded() const { return Axis.Shaded(); }
    const std::vector<TGanttCell>& Upper() const { return Axis.Upper(); }
    const std::vector<TGanttCell>& Lower() const { return Axis.Lower(); }
    const std::optional<TCalendarClock>& Clock() const { return Axis.Clock(); }
    const TTimeAxis& TimeAxis() const { return Axis; }
    // The bars are a levelled schedule's.
    bool Levelled() const { return ShowsLevelled; }
    // The critical-path bar of a work drawn as a ghost under a levelled one.
    QRectF GhostBar(int Work) const;

    // Paints the chosen parts that meet Clip (chart coordinates).
    void Paint(QPainter& Painter, const QRectF& Clip, unsigned Parts = gpAll) const;
    // Paints a viewport of Size whose bars are scrolled to Offset (chart
    // coordinates of the bars' top left corner in view), the name column and
    // the header kept in place, as the window and a printed page show it.
    void PaintView(QPainter& Painter, QPointF Offset, QSizeF View) const;
    // Printed pages of Area (pixels) each repeat the name column and the
    // header: how many pages across (time) and down (rows) the chart takes,
    // and painting one of them on white from the page's top left corner.
    QSize PageGrid(QSizeF Area) const;
    void PaintPage(QPainter& Painter, int Row, int Column, QSizeF Area) const;
    // The part of the axis one printed page of Area holds.
    double PageBodyWidth(QSizeF Area) const;

private:
    struct TRow {
        int Work = 0;
        double X0 = 0, X1 = 0, X2 = 0; // early start, early finish, late finish
        double G0 = 0, G1 = 0;         // the ghost's start and finish (levelled bars)
        bool Critical = false;
        QString Name;
    };
    struct TLink {
        int From = 0, To = 0; // rows
    };

    // The rows one page holds.
    int PageRows(QSizeF Area) const;
    void LayRows(const TSchedule& Schedule, const std::vector<std::string>& Names,
                 const TLevelledSchedule* Levelled);
    void PaintHeader(QPainter& Painter, const QRectF& Clip) const;
    void PaintNames(QPainter& Painter, const QRectF& Clip) const;
    void PaintBars(QPainter& Painter, const QRectF& Clip) const;
    void PaintLinks(QPainter& Painter, const QRectF& Clip) const;

    TGanttOptions Options;
    double RowHeight = 20;
    double NameColumn = 120;
    bool ShowsLevelled = false;
    TTimeAxis Axis;
    std::vector<TRow> Rows;
    std::vector<int> RowOf; // by work
    std::vector<TLink> Links;
};
