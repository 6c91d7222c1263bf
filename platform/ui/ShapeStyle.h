#pragma once

#include "platform/ui/Alignment.h"
#include "platform/ui/Angle.h"
#include "platform/ui/Color.h"

#include <variant>
#include <vector>

namespace platform::ui {

// Colours evenly spaced from 0 to 1.
struct Gradient {
    std::vector<Color> colors;
    friend bool operator==(const Gradient&, const Gradient&) = default;
};

// Colours each point by its angle around center: the first colour at startAngle blending into
// the last at endAngle.
struct AngularGradient {
    Gradient gradient;
    UnitPoint center = UnitPoint::center;
    Angle startAngle = Angle::degrees(0);
    Angle endAngle = Angle::degrees(360);
    friend bool operator==(const AngularGradient&, const AngularGradient&) = default;
};

// What fills or strokes a shape.
using ShapeStyle = std::variant<Color, AngularGradient>;

} // namespace platform::ui
