#pragma once

#include "platform/ui/Geometry.h"

#include <variant>
#include <vector>

namespace platform::ui {

// A path in a view's own coordinates. Arcs run clockwise on screen from startAngle to endAngle
// (radians, 0 at three o'clock).
struct Path {
    struct MoveTo {
        Point point;
        friend bool operator==(const MoveTo&, const MoveTo&) = default;
    };
    struct LineTo {
        Point point;
        friend bool operator==(const LineTo&, const LineTo&) = default;
    };
    struct Arc {
        Point center;
        double radius = 0;
        double startAngle = 0;
        double endAngle = 0;
        friend bool operator==(const Arc&, const Arc&) = default;
    };
    struct Close {
        friend bool operator==(const Close&, const Close&) = default;
    };
    using Element = std::variant<MoveTo, LineTo, Arc, Close>;

    std::vector<Element> elements;

    static Path circle(Point center, double radius);
    static Path arc(Point center, double radius, double startAngle, double endAngle);
    static Path rect(Rect rect);
    static Path roundedRect(Rect rect, double cornerRadius);

    bool isEmpty() const { return elements.empty(); }
    bool isClosed() const;
    // The first arc, for callers that know the path is a circle or an arc.
    const Arc* firstArc() const;
    friend bool operator==(const Path&, const Path&) = default;
};

} // namespace platform::ui
