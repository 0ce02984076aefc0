#pragma once
// The load chart: for each resource a band with the histogram of the units
// in use over time, the availability as a line and the periods of
// over-allocation in red, and beside it the resource's name with its totals
// (peak, average, "коэффициент неравномерности"). It shares the time axis of
// a Gantt chart, x for x, so that it can stand under the bars in a window and
// scroll with them, or under the Gantt chart's date header in a picture of
// its own. A value made once; painting only reads it.

#include "drawing/GanttChart.h"
#include "model/ResourceLoad.h"

#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QString>

#include <vector>

class QPainter;

struct TLoadOptions {
    QFont Font;
    char Separator = '.';
};

enum TLoadPart : unsigned {
    lpNames = 1,
    lpBands = 2,
    lpAll = 3,
};

// How wide the name column must be for the totals of these resources to be
// read whole: what a Gantt chart with a load chart under it asks for.
double LoadNameWidth(const std::vector<TResource>& Resources, const QFont& Font);

class TLoadChart {
public:
    // One band per resource, Loads in the order of Resources; nothing to draw
    // without resources or with an empty axis.
    TLoadChart(const TGanttChart& Axis, const std::vector<TResource>& Resources,
               const std::vector<TResourceLoad>& Loads, const TLoadOptions& Options = {});

    bool Empty() const { return Bands.empty(); }
    // The bands from y 0, as wide as the axis' chart.
    QSize Size() const;
    double NameWidth() const { return NameColumn; }
    double BandHeight() const { return BandPitch; }
    int BandCount() const { return static_cast<int>(Bands.size()); }
    // The y of a number of units in a band, and the x span of the band's
    // over-allocated periods.
    double UnitsY(int Band, TReal Units) const;
    const std::vector<std::pair<double, double>>& OverSpans(int Band) const {
        return Bands[static_cast<std::size_t>(Band)].Over;
    }

    // Paints the chosen parts that meet Clip (chart coordinates).
    void Paint(QPainter& Painter, const QRectF& Clip, unsigned Parts = lpAll) const;
    // A viewport of View whose bands are scrolled to Offset (chart
    // coordinates of the bands' top left corner in view), the name column
    // kept in place.
    void PaintView(QPainter& Painter, QPointF Offset, QSizeF View) const;
    // A printed page of Area (pixels) under the Gantt chart's pages: the
    // part of the axis of their Column, under the axis' header.
    void PaintPage(QPainter& Painter, const TGanttChart& Axis, int Column, QSizeF Area) const;

private:
    struct TColumn {
        double X0 = 0, X1 = 0;
        TReal Units = 0;
        bool Over = false;
    };
    struct TBand {
        std::vector<QString> Lines; // name, availability, peak and average, unevenness
        std::vector<TColumn> Columns;
        std::vector<std::pair<double, double>> Over;
        TReal Top = 0; // the largest number of units the band's scale shows
        TReal Availability = 0;
    };

    void PaintNames(QPainter& Painter, const QRectF& Clip) const;
    void PaintBands(QPainter& Painter, const QRectF& Clip) const;

    TLoadOptions Options;
    double NameColumn = 120;
    double Width = 0;
    double LineHeight = 16;
    double BandPitch = 90;
    std::vector<std::pair<double, double>> Holidays;
    std::vector<TBand> Bands;
};

// The load chart under its axis' date header, as a picture of its own.
QSize LoadPictureSize(const TGanttChart& Axis, const TLoadChart& Load);
void PaintLoadPicture(QPainter& Painter, const QRectF& Clip, const TGanttChart& Axis,
                      const TLoadChart& Load);
// The Gantt chart with the load chart under its bars (none: the Gantt chart
// alone), as a window's picture is saved.
QSize StackedSize(const TGanttChart& Gantt, const TLoadChart* Load);
void PaintStacked(QPainter& Painter, const QRectF& Clip, const TGanttChart& Gantt,
                  const TLoadChart* Load);
