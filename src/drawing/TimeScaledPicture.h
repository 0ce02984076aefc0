#pragma once
// The time-scaled network as a picture: the date header of the Gantt chart
// (or day numbers) over the events, each a small numbered circle at its early
// time; every work a solid arrow as long as its duration, labelled with its
// name and duration, its free float a wavy (or dotted) line on to its end
// event; fictive arcs dotted; the critical path red. The geometry, labels
// included, is made once from the layout; painting only reads it, so the
// same picture paints a window, a printed page or a file.

#include "drawing/TimeAxis.h"
#include "network/TimeScaled.h"

#include <QFont>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QString>

#include <optional>
#include <string>
#include <vector>

class QPainter;

struct TTimeScaledOptions {
    // Width of one day of the axis; 0 picks one that gives most labels room.
    double PixelsPerDay = 0;
    // Free float as a dotted line instead of a wavy one.
    bool DottedFloat = false;
    char Separator = '.';
};

class TTimeScaledPicture {
public:
    // Reads the result and the names of its works (by position in the list);
    // nothing to draw without a network.
    TTimeScaledPicture(const TNetworkView& View, const std::vector<std::string>& Names,
                       const std::optional<TCalendar>& Calendar,
                       const TTimeScaledOptions& Options = {});

    bool Empty() const { return Events.empty(); }
    QSize Size() const;
    double Scale() const { return Axis.Scale(); }
    const TTimeAxis& TimeAxis() const { return Axis; }
    const TTimeScaled& Layout() const { return Laid; }
    // The centre of an event (by position in the result's Events), and the
    // event under a point (-1 for none).
    QPointF Centre(int Event) const;
    int EventAt(QPointF At) const;
    double Radius() const { return EventRadius; }
    // The line an arc is drawn along (from the centre of its start event to
    // the centre of its end event), and the arcs near a point.
    QPainterPath ArcPath(std::size_t Arc) const;
    std::vector<std::size_t> ArcsAt(QPointF At) const;

    struct TLabel {
        QRectF Box;
        QString Text; // shortened with "…" where the whole one has no room
        int Arc = 0;
        // Its row and tier: 0 beside the line between the arc's events,
        // from 1 on above the circles.
        int Row = 0;
        int Tier = 0;
    };
    const std::vector<TLabel>& Labels() const { return LabelList; }

    // Paints what meets Clip (picture coordinates) on the caller's
    // background.
    void Paint(QPainter& Painter, const QRectF& Clip) const;

private:
    struct TEventMark {
        QPointF Centre;
        int Row = 0;
        QString Number;
        bool Critical = false;
    };
    struct TArcLine {
        double X0 = 0, XSolid = 0, X1 = 0; // start, end of the duration, end
        int LaneRow = 0, FromRow = 0, ToRow = 0;
        bool Fictive = false, Critical = false;
        QRectF Bounds;
    };

    double Y(int Row) const;
    // The bottom of a tier of labels over a row.
    double TierBottom(int Row, int Tier) const;
    double PickScale(const TNetworkView& View, const std::vector<QString>& Texts,
                     bool Calendar) const;
    void LayArcs(const TNetworkView& View);
    void LayLabels(const std::vector<QString>& Texts);
    void PaintArc(QPainter& Painter, const TArcLine& Arc, const QRectF& Clip) const;
    void PaintEvents(QPainter& Painter, const QRectF& Clip) const;

    TTimeScaledOptions Options;
    QFont Font, NumberFont;
    double LabelHeight = 12;
    double HeaderRow = 20;
    double EventRadius = 9;
    double Pitch = 40;
    double Top = 0; // the y of row 0
    int Tiers = 0;  // of labels above the circles, at most
    double Width = 0;
    TTimeScaled Laid;
    TTimeAxis Axis;
    std::vector<TEventMark> Events;
    std::vector<TArcLine> Arcs;
    std::vector<TLabel> LabelList;
};
