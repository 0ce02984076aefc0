// The time axis: day numbers to x, the header's cells and the shaded days.

#include "drawing/TimeAxis.h"

#include <QColor>
#include <QFontMetricsF>
#include <QPainter>
#include <QRectF>

#include <algorithm>
#include <cmath>

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

using ChartColour::HeaderFill;
using ChartColour::RuleLine;
using ChartColour::ShadeFill;

} // namespace

TTimeAxis::TTimeAxis(const std::optional<TCalendar>& Cal, TReal LastDay, double APixelsPerDay,
                     double AOrigin)
    : PixelsPerDay(APixelsPerDay), Origin(AOrigin) {
    if (!Cal || CalendarProblem(*Cal) || Cal->Periods.empty())
        return;
    Calendar.emplace(*Cal);
    // A plan past what the clock maps is drawn in day numbers.
    if (!Calendar->StartOf(0) || !Calendar->FinishOf(LastDay)) {
        Calendar.reset();
        return;
    }
    First = Calendar->StartOf(0)->Date;
    DayStart = Cal->Periods.front().Start;
    DayLength = std::max(1, Cal->Periods.back().End - DayStart);
}

void TTimeAxis::Lay(double LastX) {
    if (Calendar)
        LayCalendar(LastX);
    else
        LayDays(LastX);
}

double TTimeAxis::XOf(const std::optional<TMoment>& At) const {
    if (!At)
        return Width;
    const double InDay = std::clamp(double(At->Minute - DayStart) / DayLength, 0.0, 1.0);
    return AxisX(At->Date.Days - First.Days + InDay);
}

double TTimeAxis::StartX(TReal Day) const {
    return Calendar ? XOf(Calendar->StartOf(Day)) : AxisX(static_cast<double>(Day));
}

double TTimeAxis::FinishX(TReal Day) const {
    return Calendar ? XOf(Calendar->FinishOf(Day)) : AxisX(static_cast<double>(Day));
}

// Cells of one header row: a new cell begins on every day whose key differs
// from the day before.
template <class TKey, class TText>
static std::vector<TAxisCell> CellsOf(int Days, double Origin, double PixelsPerDay,
                                      TCivilDate First, TKey Key, TText Text) {
    std::vector<TAxisCell> Cells;
    for (int d = 0; d < Days; ++d) {
        const TCivilDate Date{First.Days + d};
        if (d == 0 || Key(Date) != Key(TCivilDate{Date.Days - 1}))
            Cells.push_back({Origin + d * PixelsPerDay, 0, Text(Date)});
        Cells.back().X1 = Origin + (d + 1) * PixelsPerDay;
    }
    return Cells;
}

void TTimeAxis::LayCalendar(double LastX) {
    const int Days = static_cast<int>(std::ceil((LastX - Origin) / PixelsPerDay)) + 1;
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
        return CellsOf(Days, Origin, PixelsPerDay, First, Key, Text);
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

void TTimeAxis::LayDays(double LastX) {
    const int Days = static_cast<int>(std::ceil((LastX - Origin) / PixelsPerDay)) + 1;
    Width = AxisX(Days);
    // Steps of 1, 2, 5, 10, 20, 50 ... days: the lower row's the smallest
    // whose cell holds a number, the upper row's ten times that.
    long long Step = 1;
    for (int i = 0; Step * PixelsPerDay < 24; ++i)
        Step = (i % 3 == 1) ? Step / 2 * 5 : Step * 2;
    const auto Cells = [&](long long By) {
        std::vector<TAxisCell> Made;
        for (long long d = 0; d < Days; d += By)
            Made.push_back({AxisX(static_cast<double>(d)),
                            AxisX(static_cast<double>(std::min<long long>(d + By, Days))),
                            QString::number(d)});
        return Made;
    };
    LowerCells = Cells(Step);
    UpperCells = Cells(Step * 10);
}

static void PaintCells(QPainter& Painter, const std::vector<TAxisCell>& Cells, double Top,
                       double Height, const QRectF& Clip) {
    const QFontMetricsF Metrics(Painter.font());
    auto Cell = std::partition_point(Cells.begin(), Cells.end(),
                                     [&Clip](const TAxisCell& c) { return c.X1 <= Clip.left(); });
    for (; Cell != Cells.end() && Cell->X0 < Clip.right(); ++Cell) {
        const QRectF Box(Cell->X0, Top, Cell->X1 - Cell->X0, Height);
        Painter.setPen(RuleLine);
        Painter.drawLine(QPointF(Box.right(), Top), QPointF(Box.right(), Top + Height));
        if (Metrics.horizontalAdvance(Cell->Text) + 4 > Box.width())
            continue;
        Painter.setPen(Qt::black);
        Painter.drawText(Box, Qt::AlignCenter, Cell->Text);
    }
}

void TTimeAxis::PaintHeader(QPainter& Painter, const QRectF& Clip, double RowHeight) const {
    const double Half = RowHeight;
    Painter.fillRect(Clip, HeaderFill);
    PaintCells(Painter, UpperCells, 0, Half, Clip);
    PaintCells(Painter, LowerCells, Half, Half, Clip);
    Painter.setPen(RuleLine);
    Painter.drawLine(QPointF(Clip.left(), Half - 0.5), QPointF(Clip.right(), Half - 0.5));
    Painter.drawLine(QPointF(Clip.left(), 2 * Half - 0.5), QPointF(Clip.right(), 2 * Half - 0.5));
}

void TTimeAxis::PaintShade(QPainter& Painter, const QRectF& Clip) const {
    auto Run = std::partition_point(Holidays.begin(), Holidays.end(),
                                    [&Clip](const auto& h) { return h.second <= Clip.left(); });
    for (; Run != Holidays.end() && Run->first < Clip.right(); ++Run)
        Painter.fillRect(QRectF(Run->first, Clip.top(), Run->second - Run->first, Clip.height()),
                         ShadeFill);
}

void PaintChartPart(QPainter& Painter, const QRectF& Clip, bool Asked, const QRectF& Area,
                    const QFont& Font, const TPaintPart& Draw) {
    const QRectF Meets = Area.intersected(Clip);
    if (!Asked || Meets.isEmpty())
        return;
    Painter.save();
    Painter.setFont(Font);
    Draw(Painter, Meets);
    Painter.restore();
}

void PaintViewArea(QPainter& Painter, const QRectF& Target, QPointF Shift, const QRectF& Clip,
                   const TPaintPart& Paint) {
    if (Target.isEmpty())
        return;
    Painter.save();
    Painter.setClipRect(Target);
    Painter.translate(Shift);
    Paint(Painter, Clip);
    Painter.restore();
}
