#pragma once

#include <vector>

namespace platform::ui {

enum class LineCap { butt, round, square };
enum class LineJoin { miter, round, bevel };

// Unset fields: butt cap, miter join, miter limit 10, no dash.
struct StrokeStyle {
    double lineWidth = 1;
    LineCap lineCap = LineCap::butt;
    LineJoin lineJoin = LineJoin::miter;
    double miterLimit = 10;
    std::vector<double> dash;
    double dashPhase = 0;
    friend bool operator==(const StrokeStyle&, const StrokeStyle&) = default;
};

} // namespace platform::ui
