#pragma once

#include "platform/ui/Color.h"
#include "platform/ui/Geometry.h"

#include <variant>
#include <vector>

namespace platform::ui {

// An angular gradient placed in a view's coordinates.
struct AngularGradientPaint {
    Point center;
    double startAngle = 0; // radians
    double endAngle = 0;
    std::vector<Color> colors;

    // The colour of a point at this angle (radians, 0 at three o'clock, clockwise) around the
    // centre: the colours spread evenly from startAngle to endAngle, blended in sRGB, the first
    // and last held outside the range.
    Color colorAt(double angle) const;
    friend bool operator==(const AngularGradientPaint&, const AngularGradientPaint&) = default;
};

// A resolved paint, as a canvas receives it.
using Paint = std::variant<Color, AngularGradientPaint>;

// Component-wise blend, t in 0...1.
Color mix(const Color& from, const Color& to, double t);

} // namespace platform::ui
