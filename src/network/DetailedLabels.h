#pragma once
// Labels: the detailed picture's geometry, from its columns and rows and the
// sizes of its labels as the drawing measures them. Every work's arc carries
// its whole name, wrapped onto up to three lines, above the line and its
// duration below. A column gap is as wide as the labels that must stand in
// it (a work spanning one gap) and no wider: a gap of fictive arcs only is
// narrow, and a long work puts its label in whichever of its gaps is wide
// enough already. Labels never overlap each other, an event or an arrowhead:
// a label that does not fit at its place moves along its arc, takes a
// narrower shape, or stands beside the arc with a leader line to it. Plain
// numbers in the picture's units (pixels at 100 %); nothing is measured here.

#include "network/DetailedLayout.h"
#include "network/NetworkView.h"

#include <vector>

// One way to write a work's label: the name on one to three lines and the
// duration on one.
struct TLabelShape {
    double NameWidth = 0;
    double NameHeight = 0;
    double TimeWidth = 0;
};

// The drawing's sizes and the shapes of every work's label.
struct TDetailedSizes {
    double Radius = 26;  // of an event's circle
    double Margin = 14;  // around the picture
    double BowStep = 34; // between parallel works at their middle
    double ArrowLength = 10;
    double ArrowHalfWidth = 4;
    double LineHeight = 13; // of a label's line
    double RowStep = 106;   // between the centres of neighbouring rows
    double MinGap = 30;     // between two circles of neighbouring columns
    double Pad = 1.5;       // kept free around a label
    // A label's name wraps onto more lines only when wider than this.
    double TargetWidth = 50;
    // By work: its label's shapes, the fewest lines first; none for a work
    // without a label.
    std::vector<std::vector<TLabelShape>> Works;
};

struct TPoint {
    double X = 0;
    double Y = 0;
};

struct TBox {
    double Left = 0;
    double Top = 0;
    double Right = 0;
    double Bottom = 0;
    // The two boxes share more than an edge.
    bool Meets(const TBox& Other) const {
        return Left < Other.Right && Other.Left < Right && Top < Other.Bottom && Other.Top < Bottom;
    }
};

struct TArcGeometry {
    // The drawn line through these points; Curved: a quadratic curve from the
    // first point to the third with the second as its control point.
    std::vector<TPoint> Points;
    bool Curved = false;
    // Bowed away from works between the same events: -1 upwards, +1
    // downwards; its label then stands wholly on that side.
    int Side = 0;
    TPoint ArrowTip;
    TPoint ArrowBack; // a unit vector from the tip backwards
    // The label: Shape is the position in the work's shapes, -1 for none.
    // Its name is centred on CentreX from NameTop, its duration from TimeTop;
    // Box holds both. A label beside its arc has a leader from LeaderFrom on
    // the label's edge to LeaderTo on the arc.
    int Shape = -1;
    double CentreX = 0;
    double NameTop = 0;
    double TimeTop = 0;
    TBox Box;
    bool Leader = false;
    TPoint LeaderFrom, LeaderTo;
};

struct TDetailedGeometry {
    std::vector<double> ColumnX; // by column, from 1 (ColumnX[0] unused)
    std::vector<double> RowY;    // by row
    double Width = 0;
    double Height = 0;
    std::vector<TPoint> EventCentre; // by position in the result's Events
    std::vector<TArcGeometry> Arcs;  // by position in the result's Arcs
};

TDetailedGeometry PlaceDetailed(const TNetworkView& View, const TDetailedRows& Rows,
                                const TDetailedSizes& Sizes);

// The whole detailed view: its rows and its geometry.
struct TDetailedPicture {
    TDetailedRows Rows;
    TDetailedGeometry Geometry;
};
TDetailedPicture LayOutDetailed(const TNetworkView& View, const TDetailedSizes& Sizes);
