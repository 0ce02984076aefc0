// The load chart's layout and painter. Every step of a load becomes a column
// from the x of its first moment, taken as a start, as the Gantt chart places
// bars, to where the next column begins or, where the load stops, to its last
// moment taken as a finish, so the columns end where the bars that make them
// end. Painting finds the columns that meet the clip by binary search: a
// screenful costs the same for any number of works.

#include "drawing/LoadChart.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>

namespace {

const QColor LoadFill(90, 140, 210);
const QColor OverFill(220, 40, 40);
const QColor OverShade(255, 225, 225);
using ChartColour::GridLine;
using ChartColour::HeaderFill;
using ChartColour::RuleLine;
using ChartColour::ShadeFill;
const QColor LimitLine(0, 120, 40);

constexpr double Margin = 6;

// A number as the totals show it: at most two decimals, none when whole.
QString Number(TReal Value, char Separator) {
    QString Text = QString::number(std::round(static_cast<double>(Value) * 100) / 100, 'f', 2);
    while (Text.endsWith('0'))
        Text.chop(1);
    if (Text.endsWith('.'))
        Text.chop(1);
    return Text.replace('.', QLatin1Char(Separator));
}

} // namespace

double LoadNameWidth(const std::vector<TResource>& Resources, const QFont& Font) {
    if (Resources.empty())
        return 0;
    const QFontMetricsF Metrics(Font);
    QFont Bold = Font;
    Bold.setBold(true);
    const QFontMetricsF BoldMetrics(Bold);
    double Widest = Metrics.horizontalAdvance(QStringLiteral("коэффициент неравномерности: 0.00"));
    for (const TResource& R : Resources)
        Widest = std::max(Widest, BoldMetrics.horizontalAdvance(QString::fromStdString(R.Name)));
    return std::min(std::ceil(Widest) + 12, 400.0);
}

TLoadChart::TLoadChart(const TGanttChart& Axis, const std::vector<TResource>& Resources,
                       const std::vector<TResourceLoad>& Loads, const TLoadOptions& AOptions)
    : Options(AOptions) {
    if (Axis.Empty() || Resources.empty() || Loads.size() != Resources.size())
        return;
    const QFontMetricsF Metrics(Options.Font);
    LineHeight = std::ceil(Metrics.height()) + 2;
    BandPitch = std::max(4 * LineHeight + 2 * Margin, 90.0);
    NameColumn = Axis.NameWidth();
    Width = Axis.Size().width();
    Holidays = Axis.Shaded();
    const char Sep = Options.Separator;
    Bands.resize(Resources.size());
    for (std::size_t k = 0; k < Resources.size(); ++k) {
        const TResource& R = Resources[k];
        const TResourceLoad& L = Loads[k];
        TBand& Band = Bands[k];
        const QString Unit = R.Unit.empty() ? QString() : ' ' + QString::fromStdString(R.Unit);
        Band.Lines = {QString::fromStdString(R.Name),
                      QStringLiteral("наличие: ") + Number(R.Availability, Sep) + Unit,
                      QStringLiteral("пик: ") + Number(L.Peak, Sep) +
                          QStringLiteral("; среднее: ") + Number(L.Average, Sep),
                      QStringLiteral("коэффициент неравномерности: ") + Number(L.Unevenness, Sep)};
        Band.Availability = R.Availability;
        Band.Top = std::max({L.Peak, R.Availability, TReal(1)});
        for (std::size_t s = 0; s + 1 < L.Steps.size(); ++s) {
            const TLoadStep& Step = L.Steps[s];
            if (Step.Units == 0)
                continue;
            // Where the load goes on, the next column starts where this one
            // ends, across a break of the working day as well.
            const TLoadStep& Next = L.Steps[s + 1];
            TColumn Column{Axis.StartX(Step.Time),
                           Next.Units == 0 ? Axis.FinishX(Next.Time) : Axis.StartX(Next.Time),
                           Step.Units, OverAllocated(Step.Units, R.Availability)};
            Column.X1 = std::max(Column.X1, Column.X0);
            Band.Columns.push_back(Column);
        }
        for (const auto& [From, To] : L.Over) {
            const double X0 = Axis.StartX(From), X1 = std::max(X0, Axis.FinishX(To));
            if (!Band.Over.empty() && Band.Over.back().second >= X0)
                Band.Over.back().second = X1;
            else
                Band.Over.emplace_back(X0, X1);
        }
    }
}

QSize TLoadChart::Size() const {
    if (Bands.empty())
        return {};
    return QSize(static_cast<int>(std::ceil(Width)),
                 static_cast<int>(std::ceil(Bands.size() * BandPitch)));
}

double TLoadChart::UnitsY(int Band, TReal Units) const {
    const TBand& B = Bands[static_cast<std::size_t>(Band)];
    const double Bottom = (Band + 1) * BandPitch - Margin;
    const double Room = BandPitch - 2 * Margin - LineHeight / 2;
    return Bottom - Room * static_cast<double>(Units / B.Top);
}

void TLoadChart::Paint(QPainter& Painter, const QRectF& Clip, unsigned Parts) const {
    if (Bands.empty())
        return;
    const double Height = Size().height();
    const auto Part = [&](unsigned Which, const QRectF& Area,
                          void (TLoadChart::*Draw)(QPainter&, const QRectF&) const) {
        PaintChartPart(Painter, Clip, Parts & Which, Area, Options.Font,
                       [this, Draw](QPainter& P, const QRectF& Meets) { (this->*Draw)(P, Meets); });
    };
    Part(lpBands, QRectF(NameColumn, 0, Width - NameColumn, Height), &TLoadChart::PaintBands);
    Part(lpNames, QRectF(0, 0, NameColumn, Height), &TLoadChart::PaintNames);
}

void TLoadChart::PaintView(QPainter& Painter, QPointF Offset, QSizeF View) const {
    const double W = View.width() - NameColumn;
    const auto Area = [&](QRectF Target, QPointF Shift, QRectF Clip, unsigned Which) {
        PaintViewArea(Painter, Target, Shift, Clip,
                      [this, Which](QPainter& P, const QRectF& Part) { Paint(P, Part, Which); });
    };
    Area(QRectF(NameColumn, 0, W, View.height()), QPointF(NameColumn - Offset.x(), -Offset.y()),
         QRectF(Offset, QSizeF(W, View.height())), lpBands);
    Area(QRectF(0, 0, NameColumn, View.height()), QPointF(0, -Offset.y()),
         QRectF(0, Offset.y(), NameColumn, View.height()), lpNames);
}

void TLoadChart::PaintPage(QPainter& Painter, const TGanttChart& Axis, int Column,
                           QSizeF Area) const {
    const double Body = Axis.PageBodyWidth(Area);
    const double X = NameColumn + Column * Body;
    const double W = std::min(Body, Width - X);
    const double Head = std::ceil(Axis.HeaderHeight());
    const double H = std::min(Area.height() - Head, static_cast<double>(Size().height()));
    if (Bands.empty() || W <= 0 || H <= 0)
        return;
    Painter.fillRect(QRectF(0, 0, NameColumn + W, Head + H), Qt::white);
    Painter.save();
    Painter.setClipRect(QRectF(0, 0, NameColumn + W, Head));
    Painter.translate(NameColumn - X, 0);
    PaintLoadPicture(Painter, QRectF(X, 0, W, Head), Axis, *this);
    Painter.restore();
    Painter.save();
    Painter.setClipRect(QRectF(0, 0, NameColumn, Head));
    PaintLoadPicture(Painter, QRectF(0, 0, NameColumn, Head), Axis, *this);
    Painter.restore();
    Painter.save();
    Painter.translate(0, Head);
    PaintView(Painter, QPointF(X, 0), QSizeF(NameColumn + W, H));
    Painter.restore();
}

void TLoadChart::PaintNames(QPainter& Painter, const QRectF& Clip) const {
    Painter.fillRect(Clip, HeaderFill);
    QFont Bold = Painter.font();
    Bold.setBold(true);
    const int First = std::max(0, static_cast<int>(Clip.top() / BandPitch));
    for (int b = First; b < BandCount() && b * BandPitch < Clip.bottom(); ++b) {
        const double Top = b * BandPitch;
        const std::vector<QString>& Lines = Bands[static_cast<std::size_t>(b)].Lines;
        for (std::size_t i = 0; i < Lines.size(); ++i) {
            Painter.setFont(i == 0 ? Bold : Options.Font);
            Painter.setPen(Qt::black);
            const QRectF Box(6, Top + Margin + i * LineHeight, NameColumn - 12, LineHeight);
            Painter.drawText(
                Box, Qt::AlignVCenter | Qt::AlignLeft,
                QFontMetricsF(Painter.font()).elidedText(Lines[i], Qt::ElideRight, Box.width()));
        }
        Painter.setPen(RuleLine);
        Painter.drawLine(QPointF(0, Top + BandPitch - 0.5),
                         QPointF(NameColumn, Top + BandPitch - 0.5));
    }
    Painter.setPen(RuleLine);
    Painter.drawLine(QPointF(NameColumn - 0.5, Clip.top()),
                     QPointF(NameColumn - 0.5, Clip.bottom()));
}

void TLoadChart::PaintBands(QPainter& Painter, const QRectF& Clip) const {
    auto Run = std::partition_point(Holidays.begin(), Holidays.end(),
                                    [&Clip](const auto& h) { return h.second <= Clip.left(); });
    for (; Run != Holidays.end() && Run->first < Clip.right(); ++Run)
        Painter.fillRect(QRectF(Run->first, Clip.top(), Run->second - Run->first, Clip.height()),
                         ShadeFill);
    const int First = std::max(0, static_cast<int>(Clip.top() / BandPitch));
    for (int b = First; b < BandCount() && b * BandPitch < Clip.bottom(); ++b) {
        const TBand& Band = Bands[static_cast<std::size_t>(b)];
        const double Top = b * BandPitch, Bottom = UnitsY(b, 0);
        auto Over =
            std::partition_point(Band.Over.begin(), Band.Over.end(),
                                 [&Clip](const auto& o) { return o.second <= Clip.left(); });
        for (; Over != Band.Over.end() && Over->first < Clip.right(); ++Over)
            Painter.fillRect(QRectF(Over->first, Top, Over->second - Over->first, BandPitch - 1),
                             OverShade);
        auto Column =
            std::partition_point(Band.Columns.begin(), Band.Columns.end(),
                                 [&Clip](const TColumn& c) { return c.X1 <= Clip.left(); });
        for (; Column != Band.Columns.end() && Column->X0 < Clip.right(); ++Column) {
            const double Y = UnitsY(b, Column->Units);
            Painter.fillRect(QRectF(Column->X0, Y, Column->X1 - Column->X0, Bottom - Y),
                             Column->Over ? OverFill : LoadFill);
        }
        Painter.setPen(GridLine);
        Painter.drawLine(QPointF(Clip.left(), Bottom + 0.5), QPointF(Clip.right(), Bottom + 0.5));
        const double Limit = UnitsY(b, Band.Availability);
        Painter.setPen(QPen(LimitLine, 2, Qt::DashLine));
        Painter.drawLine(QPointF(Clip.left(), Limit), QPointF(Clip.right(), Limit));
        Painter.setPen(RuleLine);
        Painter.drawLine(QPointF(Clip.left(), Top + BandPitch - 0.5),
                         QPointF(Clip.right(), Top + BandPitch - 0.5));
    }
}

QSize LoadPictureSize(const TGanttChart& Axis, const TLoadChart& Load) {
    if (Load.Empty())
        return {};
    const QSize Bands = Load.Size();
    return QSize(Bands.width(), static_cast<int>(std::ceil(Axis.HeaderHeight())) + Bands.height());
}

void PaintLoadPicture(QPainter& Painter, const QRectF& Clip, const TGanttChart& Axis,
                      const TLoadChart& Load) {
    const double Head = std::ceil(Axis.HeaderHeight());
    Axis.Paint(Painter, Clip, gpHeader);
    const QRectF Corner(0, 0, Load.NameWidth(), Head);
    if (Clip.intersects(Corner)) {
        Painter.save();
        Painter.fillRect(Corner, HeaderFill);
        Painter.setPen(RuleLine);
        Painter.drawLine(QPointF(0, Head - 0.5), QPointF(Corner.width(), Head - 0.5));
        Painter.drawLine(QPointF(Corner.width() - 0.5, 0), QPointF(Corner.width() - 0.5, Head));
        Painter.setPen(Qt::black);
        Painter.drawText(Corner.adjusted(6, 0, -6, 0), Qt::AlignVCenter | Qt::AlignLeft,
                         QStringLiteral("Ресурс"));
        Painter.restore();
    }
    Painter.save();
    Painter.translate(0, Head);
    Load.Paint(Painter, Clip.translated(0, -Head));
    Painter.restore();
}

QSize StackedSize(const TGanttChart& Gantt, const TLoadChart* Load) {
    const QSize Top = Gantt.Size();
    if (!Load || Load->Empty())
        return Top;
    return QSize(Top.width(), Top.height() + Load->Size().height());
}

void PaintStacked(QPainter& Painter, const QRectF& Clip, const TGanttChart& Gantt,
                  const TLoadChart* Load) {
    Gantt.Paint(Painter, Clip);
    if (!Load || Load->Empty())
        return;
    const double Below = Gantt.Size().height();
    Painter.save();
    Painter.translate(0, Below);
    Load->Paint(Painter, Clip.translated(0, -Below));
    Painter.restore();
}
