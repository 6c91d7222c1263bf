#pragma once

#include "platform/ui/Geometry.h"

#include <algorithm>
#include <cairo.h>
#include <cmath>

namespace platform::widget {

// The widget's outline, from (0, 0): what its picture is clipped to and, where nothing
// composites, what its window is shaped to. Header-only: the window module links no host code.
inline void roundedRectangle(cairo_t* cr, ui::Size size, double radius) {
    radius = std::min({radius, size.width / 2, size.height / 2});
    cairo_new_sub_path(cr);
    cairo_arc(cr, size.width - radius, radius, radius, -M_PI / 2, 0);
    cairo_arc(cr, size.width - radius, size.height - radius, radius, 0, M_PI / 2);
    cairo_arc(cr, radius, size.height - radius, radius, M_PI / 2, M_PI);
    cairo_arc(cr, radius, radius, radius, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

} // namespace platform::widget
