#pragma once

#include "platform/ui/Paint.h"
#include "platform/ui/StrokeStyle.h"

#include <cairo.h>

namespace platform::ui {

// Paints cr's current path (filled, or stroked when style is given) with an angular gradient and
// clears the path. On raster targets every device pixel gets the colour of its own angle; PDF,
// PostScript, SVG and recording targets get mesh patches of at most 2 degrees, which stay vector.
void paintAngularGradient(cairo_t* cr, const AngularGradientPaint& paint, const StrokeStyle* style);

// atan2 to within 5e-8 radians (far below one step of an 8-bit colour over a full turn), several
// times quicker than the C library's; the painter calls it once a pixel.
double fastAtan2(double y, double x);

} // namespace platform::ui
