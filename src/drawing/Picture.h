#pragma once
// The diagram in any of its three views, as the window, the printer and the
// picture files see it: its size, painting any part of it, and which event or
// arc lies under a point. The plain view is the grid of small numbered
// circles; the detailed view draws the same network on a larger grid, every
// event a circle of four sectors (number, early time, late time, slack) and
// every work an arrow labelled with its name and duration; the time-scaled
// view stands every event at its early time on a date axis.

#include "model/Calendar.h"
#include "network/NetworkView.h"

#include <QImage>
#include <QPainterPath>
#include <QPointF>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QPainter;
class QRectF;
class TWorkList;
struct TDetailedPicture;
struct TDetailedRows;
class TTimeScaledPicture;

enum class TDiagramKind { Plain, Detailed, TimeScaled };

class TPicture {
public:
    // Reads the result and the works' names; both must outlive the picture
    // (the result is read again on every paint). Separator is the decimal
    // separator of the times written in the detailed view.
    TPicture(const TNetworkView& View, const TWorkList& List, TDiagramKind Kind,
             char Separator = '.');
    // The same with the names and durations of the works the result was made
    // from, and the detailed view's layout when it is already made (it is
    // made here otherwise).
    TPicture(const TNetworkView& View, const std::vector<std::string>& Names,
             const std::vector<TReal>& Durations, TDiagramKind Kind, char Separator,
             const TDetailedPicture* Laid = nullptr);
    // The same with the names of the works the result was made from, and
    // the detailed view's rows when they are already laid out (they are laid
    // out here otherwise).
    TPicture(const TNetworkView& View, const std::vector<std::string>& Names, TDiagramKind Kind,
             char Separator, const TDetailedRows* Rows = nullptr);
    // The time-scaled view, its axis in the calendar's dates (day numbers
    // without one), the free float wavy or dotted.
    TPicture(const TNetworkView& View, const std::vector<std::string>& Names,
             const std::optional<TCalendar>& Calendar, char Separator, bool DottedFloat = false);
    ~TPicture();
    TPicture(const TPicture&) = delete;
    TPicture& operator=(const TPicture&) = delete;

    TDiagramKind Kind() const { return DiagramKind; }
    const TNetworkView& Result() const { return View; }
    // The whole picture in pixels at scale 1; empty without a network.
    QSize Size() const;
    // Paints what meets Clip (picture coordinates at scale 1) on the
    // caller's background.
    void Paint(QPainter& Painter, const QRectF& Clip) const;
    // The event under a point, none when there is none.
    const TViewEvent* EventAt(QPointF At) const;
    // The arcs under a point, as positions in the result's Arcs.
    std::vector<std::size_t> ArcsAt(QPointF At) const;
    QPointF Centre(const TViewEvent& Event) const;
    // The line an arc is drawn along (empty for an arc not drawn), for
    // marking it.
    QPainterPath ArcPath(std::size_t Arc) const;
    // Half the height of an event's circle.
    double Radius() const;

private:
    struct TDetailed;
    const TNetworkView& View;
    TDiagramKind DiagramKind;
    std::unique_ptr<TDetailed> Detailed;
    std::unique_ptr<TTimeScaledPicture> Timed;
};

// The formats a picture can be saved in, chosen by the file's suffix.
enum class TPictureFormat { None, Png, Jpeg, Svg, Pdf };
TPictureFormat PictureFormatOf(const QString& FileName);
// The suffixes PictureFormatOf knows, for messages: ".png, .jpg, ...".
QString PictureSuffixes();

// Paints the part of a picture that meets the rectangle (picture
// coordinates) on the caller's background.
using TPaintPart = std::function<void(QPainter&, const QRectF&)>;

// Writes a picture of Size painted by Paint to the file in the format of its
// suffix, as SavePicture does; Raster, when given, is the raster picture
// itself (for PNG and JPEG).
bool SavePainting(QSize Size, const TPaintPart& Paint, const QString& FileName, QString& Error,
                  const QImage& Raster = {});

// Writes the whole picture to the file in the format of its suffix. The file
// is written aside and put in place only when complete, so a failure leaves
// whatever was there before. False with the reason in Error (a raster
// picture too large for one image, a folder that does not exist, a full
// disk). Without a network the file holds a white area of size Blank (none
// when it is empty).
bool SavePicture(const TPicture& Picture, const QString& FileName, QString& Error,
                 QSize Blank = {});
