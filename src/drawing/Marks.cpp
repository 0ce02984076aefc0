#include "drawing/Marks.h"

#include "drawing/Picture.h"

#include <QPainter>
#include <QPainterPath>
#include <QPen>

TMarks ArcMarks(const TPicture& Picture, const std::vector<std::size_t>& Arcs) {
    TMarks Marks;
    const TNetworkView& View = Picture.Result();
    for (const std::size_t a : Arcs) {
        if (a >= View.Arcs.size())
            continue;
        Marks.Arcs.push_back(a);
        for (const std::int32_t End : {View.Arcs[a].From, View.Arcs[a].To})
            if (End >= 0)
                Marks.Events.push_back(End);
    }
    return Marks;
}

TMarks EventMarks(const TPicture& Picture, std::int32_t Event) {
    TMarks Marks;
    const TNetworkView& View = Picture.Result();
    if (Event < 0 || static_cast<std::size_t>(Event) >= View.Events.size())
        return Marks;
    Marks.Events.push_back(Event);
    for (std::size_t a = 0; a < View.Arcs.size(); ++a)
        if (View.Arcs[a].From == Event || View.Arcs[a].To == Event)
            Marks.Arcs.push_back(a);
    return Marks;
}

void PaintMarks(QPainter& Painter, const TPicture& Picture, const TMarks& Marks,
                const QColor& Colour) {
    if (Marks.Empty())
        return;
    const TNetworkView& View = Picture.Result();
    Painter.save();
    Painter.setRenderHint(QPainter::Antialiasing, true);
    QColor Wash = Colour;
    Wash.setAlpha(110);
    QPen Pen(Wash, 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    Painter.setPen(Pen);
    Painter.setBrush(Qt::NoBrush);
    for (const std::size_t a : Marks.Arcs)
        Painter.drawPath(Picture.ArcPath(a));
    Pen.setWidthF(4);
    Pen.setColor(Colour);
    Painter.setPen(Pen);
    const double Ring = Picture.Radius() + 4;
    for (const std::int32_t e : Marks.Events)
        if (e >= 0 && static_cast<std::size_t>(e) < View.Events.size())
            Painter.drawEllipse(Picture.Centre(View.Events[static_cast<std::size_t>(e)]), Ring,
                                Ring);
    Painter.restore();
}
