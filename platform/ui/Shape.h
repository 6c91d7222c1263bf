#pragma once

#include "platform/ui/ShapeStyle.h"
#include "platform/ui/StrokeStyle.h"
#include "platform/ui/View.h"

namespace platform::ui {

// A path fitted to the frame it is proposed. As a view it is filled with the inherited
// foreground colour (primary by default).
class Shape : public View {
public:
    // Scales the path about the anchor of its frame; stroke widths stay as given.
    Shape scale(double factor, UnitPoint anchor = UnitPoint::center) const;
    // Keeps the part of the outline from `from` to `to` (fractions of its length); nothing when
    // to <= from.
    Shape trim(double from, double to) const;
    View stroke(ShapeStyle paint, double lineWidth = 1) const;
    View stroke(ShapeStyle paint, StrokeStyle style) const;
    View fill(ShapeStyle paint) const;

protected:
    using View::View;
    static Shape ofKind(int kind, double cornerRadius);
};

// The circle inscribed in the frame; its outline starts at three o'clock and runs clockwise.
class Circle : public Shape {
public:
    Circle();
};

class Rectangle : public Shape {
public:
    Rectangle();
};

class RoundedRectangle : public Shape {
public:
    explicit RoundedRectangle(double cornerRadius);
};

} // namespace platform::ui
