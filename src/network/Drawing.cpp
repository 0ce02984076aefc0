// Drawing: the analysed network becomes the picture of the diagram window.
// Arcs are straight segments between neighbouring columns, dotted when
// fictive, red on the found path; every event is a white circle with its
// number, red and bold on the path. The same code paints the whole picture
// into an image and any visible part of it into a window.

#include "network/CircuitEngine.h"

#include "model/WorkList.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QRect>

#include <algorithm>

namespace {

const QColor Red(255, 0, 0);
const QColor Black(0, 0, 0);
const QColor White(255, 255, 255);

// Pictures are drawn at the resolution of an ordinary screen, so that the
// 9-point numbers are as large in an image as in the window.
constexpr int DotsPerMeter = 3780; // 96 dots per inch

bool HasKey(const std::unique_ptr<TMultitude>& Set, std::int32_t Key) {
    return Set && Set->HasKey(Key);
}

bool IsEmpty(const std::unique_ptr<TMultitude>& Set) { return !Set || Set->Empty(); }

// A chain node of a marked arc carries the single key 0 in CritOut.
bool MarkedChainNode(const TLinkData& Data) {
    return Data.CritOut && Data.CritOut->Count() == 1 && (*Data.CritOut)[0].Key == 0;
}

bool IsChainNode(const TLinkNode& Node) {
    return Node.TypeID == TypeFictiveChain || Node.TypeID == TypeRealChain;
}

QFont DiagramFont() {
    // "Courier New" is resolved by fontconfig (to Liberation Mono on Debian).
    QFont Font(QStringLiteral("Courier New"));
    Font.setStyleHint(QFont::TypeWriter);
    // Plain pixels, as on the canvas of a window: no grey edges.
    Font.setStyleStrategy(QFont::NoAntialias);
    Font.setPointSize(9);
    return Font;
}

struct TSegment {
    const TLinkNode* u;
    const TLinkNode* v;
};

// Calls Visit(u, v) for every out-link v of every member u of hAll, in order,
// that joins neighbouring levels: the direct link of a split arc is passed
// over, its chain is drawn instead.
template <typename TVisit>
void ForEachSegment(const TMemoryLinkObject& Circuit, THandle All, TVisit Visit) {
    for (THandle uh : Circuit.Get(All).OutLinks) {
        const TLinkNode& u = Circuit.Get(uh);
        for (THandle vh : u.OutLinks) {
            const TLinkNode& v = Circuit.Get(vh);
            if (v.Data->TopN - u.Data->TopN > 1)
                continue;
            Visit(u, v);
        }
    }
}

bool SegmentOnPath(const TLinkNode& u, const TLinkNode& v) {
    const TLinkData& ud = *u.Data;
    const TLinkData& vd = *v.Data;
    if (IsEmpty(ud.CritOut) && IsEmpty(vd.CritOut))
        return false;
    return MarkedChainNode(vd) || MarkedChainNode(ud) ||
           HasKey(ud.CritOut, static_cast<std::int32_t>(v.Handle)) ||
           HasKey(vd.CritOut, static_cast<std::int32_t>(u.Handle));
}

bool SegmentDotted(const TLinkNode& u, const TLinkNode& v) {
    return HasKey(u.Data->FictOut, static_cast<std::int32_t>(v.Handle)) ||
           v.TypeID == TypeFictiveChain || u.TypeID == TypeFictiveChain;
}

} // namespace

void TCircuitEngine::AnalyseAndDraw() {
    if (WorkList.Graph.Rows.Count() < 2)
        return;
    Analyse();
    DrawCircuit();
}

void TCircuitEngine::DrawCircuit() {
    DrawWidth = 0;
    DrawHeight = 0;
    if (!Circuit)
        return;
    ForEachSegment(*Circuit, GethALL(TypeAllRoot), [this](const TLinkNode& u, const TLinkNode& v) {
        const TLinkData& ud = *u.Data;
        const TLinkData& vd = *v.Data;
        DrawWidth = std::max(DrawWidth, std::max(XCoord(vd.TopN, CoordFar), XCoord(ud.TopN, CoordFar)) + 10);
        DrawHeight = std::max(DrawHeight, std::max(YCoord(vd.Y, CoordFar), YCoord(ud.Y, CoordFar)) + 10);
    });
}

void TCircuitEngine::PaintCircuit(QPainter& Painter, const QRect& Clip) const {
    if (!Circuit || DrawWidth <= 0 || DrawHeight <= 0)
        return;
    const THandle All = GethALL(TypeAllRoot);
    Painter.save();
    Painter.setRenderHint(QPainter::Antialiasing, false);
    Painter.setRenderHint(QPainter::TextAntialiasing, false);
    Painter.setFont(DiagramFont());
    // Slightly larger than the clip so that a segment or circle that only
    // touches it is still painted.
    const QRect Area = Clip.adjusted(-2, -2, 2, 2);

    ForEachSegment(*Circuit, All, [&](const TLinkNode& u, const TLinkNode& v) {
        const TLinkData& ud = *u.Data;
        const TLinkData& vd = *v.Data;
        if (vd.TopN != ud.TopN + 1)
            return;
        const QPoint From(XCoord(ud.TopN, CoordCentre), YCoord(ud.Y, CoordCentre));
        const QPoint To(XCoord(vd.TopN, CoordCentre), YCoord(vd.Y, CoordCentre));
        if (!Area.intersects(QRect(From, To).normalized().adjusted(0, 0, 1, 1)))
            return;
        QPen Pen(SegmentOnPath(u, v) ? Red : Black);
        Pen.setWidth(1);
        Pen.setStyle(SegmentDotted(u, v) ? Qt::DotLine : Qt::SolidLine);
        Painter.setPen(Pen);
        Painter.drawLine(From, To);
    });

    const QFontMetrics Metrics(Painter.font());
    for (THandle dh : Circuit->Get(All).OutLinks) {
        const TLinkNode& d = Circuit->Get(dh);
        if (IsChainNode(d))
            continue;
        const TLinkData& dd = *d.Data;
        const int Left = XCoord(dd.TopN, CoordNear);
        const int Top = YCoord(dd.Y, CoordNear);
        const int Right = XCoord(dd.TopN, CoordFar);
        const int Bottom = YCoord(dd.Y, CoordFar);
        if (!Area.intersects(QRect(QPoint(Left, Top), QPoint(Right, Bottom))))
            continue;
        const bool Bold = !IsEmpty(dd.CritOut) || d.OutLinks.empty();
        QPen Pen(Bold ? Red : Black);
        Pen.setWidth(Bold ? 2 : 1);
        Painter.setPen(Pen);
        Painter.setBrush(White);
        // The circle covers the pixels Left..Right-1 and Top..Bottom-1.
        Painter.drawEllipse(QRect(Left, Top, Right - Left - 1, Bottom - Top - 1));

        const QString Text = QString::number(dd.Number);
        const int x = XCoord(dd.TopN, CoordCentre) - Metrics.horizontalAdvance(Text) / 2;
        const int y = YCoord(dd.Y, CoordCentre) - Metrics.height() / 2;
        Painter.setPen(Black);
        Painter.setBrush(Qt::NoBrush);
        Painter.drawText(QRect(x, y, Metrics.horizontalAdvance(Text), Metrics.height()),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, Text);
    }
    Painter.restore();
}

QImage TCircuitEngine::CircuitImage() const {
    if (DrawWidth <= 0 || DrawHeight <= 0)
        return {};
    QImage Image(DrawWidth, DrawHeight, QImage::Format_RGB32);
    if (Image.isNull())
        return {};
    Image.setDotsPerMeterX(DotsPerMeter);
    Image.setDotsPerMeterY(DotsPerMeter);
    Image.fill(White);
    QPainter Painter(&Image);
    PaintCircuit(Painter, Image.rect());
    return Image;
}

THandle TCircuitEngine::EventAt(int x, int y) const {
    if (!Circuit)
        return 0;
    for (THandle eh : Circuit->Get(GethALL(TypeAllRoot)).OutLinks) {
        const TLinkNode& e = Circuit->Get(eh);
        if (IsChainNode(e))
            continue;
        const long long dx = x - XCoord(e.Data->TopN, CoordCentre);
        const long long dy = y - YCoord(e.Data->Y, CoordCentre);
        if (dx * dx + dy * dy < 100)
            return eh;
    }
    return 0;
}
