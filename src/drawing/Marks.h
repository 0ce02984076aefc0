#pragma once
// Marks that help the eye find its way through a picture: an arc under the
// pointer with both its events, all the arcs of a chosen event, what "Найти"
// found. The arcs are traced with a broad translucent pen and the events
// ringed, beneath the picture, so that the picture stays readable on top.

#include <QColor>

#include <cstddef>
#include <cstdint>
#include <vector>

class QPainter;
class TPicture;

struct TMarks {
    // Positions in the result's Arcs and Events.
    std::vector<std::size_t> Arcs;
    std::vector<std::int32_t> Events;

    bool Empty() const { return Arcs.empty() && Events.empty(); }
    bool operator==(const TMarks&) const = default;
};

// The arc and both its ends.
TMarks ArcMarks(const TPicture& Picture, const std::vector<std::size_t>& Arcs);
// The event and every arc into and out of it.
TMarks EventMarks(const TPicture& Picture, std::int32_t Event);

// Paints the marks in Colour, before the picture is painted over them at
// the same scale.
void PaintMarks(QPainter& Painter, const TPicture& Picture, const TMarks& Marks,
                const QColor& Colour);
