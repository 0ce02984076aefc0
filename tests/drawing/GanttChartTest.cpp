// The Gantt chart's geometry against a plain walk over the calendar: where a
// bar begins and ends, where its float ends, which days are shaded, and what
// the header rows count at each zoom.

#include "drawing/GanttChart.h"

#include <QColor>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr double Ppd = 10;

// Three works: A (5 days, critical) -> C (3 days, critical); B (2 days) -> C,
// so B has 3 days of float. The plan runs over the first weekend.
TSchedule Plan() {
    TSchedule S;
    S.Valid = true;
    S.ProjectDuration = 8;
    S.Works = {{0, 5, 0, 5, 0, 0, true}, {0, 2, 3, 5, 3, 3, false}, {5, 8, 5, 8, 0, 0, true}};
    return S;
}

TSuccessors Links() {
    return {{0, 1, 2, 2}, {2, 2}};
}

const std::vector<std::string> Names = {"A", "B", "C"};

// Monday 2027-03-01, Monday 2027-03-08 a holiday.
TCalendar MarchCalendar() {
    TCalendar Calendar;
    Calendar.Start = TCivilDate::FromYmd(2027, 3, 1);
    Calendar.Holidays = {TCivilDate::FromYmd(2027, 3, 8)};
    return Calendar;
}

// The calendar days from the start to the beginning of working day n
// (counted from 0), walking the days one by one.
int CalendarDayOfWorkingDay(int n) {
    const TCivilDate Holiday = TCivilDate::FromYmd(2027, 3, 8);
    TCivilDate Day = TCivilDate::FromYmd(2027, 3, 1);
    for (int Seen = -1, d = 0;; ++d, ++Day.Days) {
        if (Day.IsoWeekday() <= 5 && Day != Holiday && ++Seen == n)
            return d;
    }
}

TEST(GanttChart, BarsBeginAndEndOnTheWorkingDaysOfTheCalendar) {
    TGanttOptions Options;
    Options.PixelsPerDay = Ppd;
    const TGanttChart Chart(Plan(), Names, Links(), MarchCalendar(), Options);
    const double Left = Chart.NameWidth();
    // A: Monday 1 to the end of Friday 5.
    EXPECT_DOUBLE_EQ(Chart.Bar(0).left(), Left);
    EXPECT_DOUBLE_EQ(Chart.Bar(0).right(), Left + (CalendarDayOfWorkingDay(4) + 1) * Ppd);
    // C starts on the first working day after the weekend and the holiday.
    EXPECT_DOUBLE_EQ(Chart.Bar(2).left(), Left + CalendarDayOfWorkingDay(5) * Ppd);
    EXPECT_DOUBLE_EQ(Chart.Bar(2).left(), Left + 8 * Ppd);
    EXPECT_DOUBLE_EQ(Chart.Bar(2).right(), Left + (CalendarDayOfWorkingDay(7) + 1) * Ppd);
    // B's float runs on to its late finish, the end of Friday.
    EXPECT_DOUBLE_EQ(Chart.Bar(1).right(), Left + 2 * Ppd);
    EXPECT_DOUBLE_EQ(Chart.FloatEnd(1), Left + (CalendarDayOfWorkingDay(4) + 1) * Ppd);
    EXPECT_DOUBLE_EQ(Chart.FloatEnd(0), Chart.Bar(0).right());
    // Saturday, Sunday and the holiday are one shaded run.
    ASSERT_FALSE(Chart.Shaded().empty());
    EXPECT_DOUBLE_EQ(Chart.Shaded()[0].first, Left + 5 * Ppd);
    EXPECT_DOUBLE_EQ(Chart.Shaded()[0].second, Left + 8 * Ppd);
    // Every whole day number of a long plan: a start at the beginning of its
    // working day, a finish at the end of the working day before.
    for (int t = 1; t < 300; ++t) {
        EXPECT_DOUBLE_EQ(Chart.StartX(t), Left + CalendarDayOfWorkingDay(t) * Ppd) << t;
        EXPECT_DOUBLE_EQ(Chart.FinishX(t), Left + (CalendarDayOfWorkingDay(t - 1) + 1) * Ppd) << t;
    }
    // Half a day from the start ends at noon and the afternoon starts after
    // the break: 4 and 5 of the 9 hours of the working day.
    EXPECT_DOUBLE_EQ(Chart.FinishX(0.5L), Left + 4.0 / 9 * Ppd);
    EXPECT_DOUBLE_EQ(Chart.StartX(0.5L), Left + 5.0 / 9 * Ppd);
}

TEST(GanttChart, WithoutACalendarTheAxisCountsDays) {
    TGanttOptions Options;
    Options.PixelsPerDay = 30;
    const TGanttChart Chart(Plan(), Names, Links(), std::nullopt, Options);
    EXPECT_DOUBLE_EQ(Chart.Bar(2).left(), Chart.NameWidth() + 5 * 30);
    EXPECT_DOUBLE_EQ(Chart.FloatEnd(1), Chart.NameWidth() + 5 * 30);
    EXPECT_TRUE(Chart.Shaded().empty());
    ASSERT_GE(Chart.Lower().size(), 9u);
    EXPECT_EQ(Chart.Lower()[5].Text, QStringLiteral("5"));
    EXPECT_DOUBLE_EQ(Chart.Lower()[5].X0, Chart.NameWidth() + 5 * 30);
    EXPECT_EQ(Chart.Upper()[0].Text, QStringLiteral("0"));
}

TEST(GanttChart, TheZoomChoosesTheHeaderUnits) {
    const auto LowerWidth = [](double PixelsPerDay, std::size_t Cell) {
        TGanttOptions Options;
        Options.PixelsPerDay = PixelsPerDay;
        TSchedule Long = Plan();
        Long.Works[2].EarlyFinish = Long.Works[2].LateFinish = 400;
        const TGanttChart Chart(Long, Names, Links(), MarchCalendar(), Options);
        const TGanttCell& Of = Chart.Lower().at(Cell);
        return std::lround((Of.X1 - Of.X0) / PixelsPerDay);
    };
    EXPECT_EQ(LowerWidth(20, 1), 1); // weeks over days
    EXPECT_EQ(LowerWidth(5, 1), 7);  // months over weeks
    EXPECT_EQ(LowerWidth(1, 1), 30); // years over months: April
}

TEST(GanttChart, RowsFollowTheListOrByEarlyStartAndPaintCriticalRed) {
    TSchedule S = Plan();
    S.Works = {S.Works[2], S.Works[1], S.Works[0]};
    TGanttOptions Options;
    Options.PixelsPerDay = Ppd;
    Options.SortByStart = true;
    const TGanttChart Chart(S, Names, {}, std::nullopt, Options);
    EXPECT_EQ(Chart.WorkOfRow(0), 1);
    EXPECT_EQ(Chart.WorkOfRow(1), 2);
    EXPECT_EQ(Chart.WorkOfRow(2), 0);
    EXPECT_EQ(Chart.RowAt(Chart.HeaderHeight() + 1.5 * Chart.RowPitch()), 1);
    EXPECT_EQ(Chart.RowAt(1), -1);

    QImage Image(Chart.Size(), QImage::Format_RGB32);
    Image.fill(Qt::white);
    QPainter Painter(&Image);
    Chart.Paint(Painter, QRectF(QPointF(0, 0), QSizeF(Chart.Size())));
    Painter.end();
    const QColor Critical = Image.pixelColor(Chart.Bar(0).center().toPoint());
    const QColor Normal = Image.pixelColor(Chart.Bar(1).center().toPoint());
    EXPECT_GT(Critical.red(), 180);
    EXPECT_LT(Critical.blue(), 100);
    EXPECT_GT(Normal.blue(), 150);
    EXPECT_LT(Normal.red(), 120);
}

} // namespace

namespace {

TEST(GanttChart, EveryPrintedPageRepeatsTheNamesAndTheHeader) {
    TGanttOptions Options;
    Options.PixelsPerDay = Ppd;
    const TGanttChart Chart(Plan(), Names, Links(), std::nullopt, Options);
    // Four days and two rows a page: nine days over three pages across,
    // three rows over two pages down.
    const QSizeF Area(Chart.NameWidth() + 4 * Ppd, Chart.HeaderHeight() + 2.5 * Chart.RowPitch());
    ASSERT_EQ(Chart.PageGrid(Area), QSize(3, 2));
    QImage Page(Area.toSize(), QImage::Format_RGB32);
    Page.fill(Qt::black);
    QPainter Painter(&Page);
    Chart.PaintPage(Painter, 1, 1, Area);
    Painter.end();
    // The header and the name column are painted; the rows past the plan's
    // last are not.
    EXPECT_NE(Page.pixelColor(QPoint(int(Chart.NameWidth()) + 3, 3)), QColor(Qt::black));
    EXPECT_NE(Page.pixelColor(QPoint(3, int(Chart.HeaderHeight()) + 3)), QColor(Qt::black));
    EXPECT_EQ(Page.pixelColor(QPoint(3, int(Chart.HeaderHeight() + 1.5 * Chart.RowPitch()))),
              QColor(Qt::black));
}

} // namespace
