#pragma once

#include "platform/foundation/Expected.h"
#include "platform/ui/CairoHandles.h"
#include "platform/ui/View.h"
#include "platform/widget/HostOptions.h"
#include "platform/widget/StaleMark.h"

#include <cairo.h>
#include <cstdint>
#include <string>
#include <vector>

namespace platform::widget {

// One widget as the host shows it: the content laid out in `points`, clipped to the family's
// rounded rectangle, the stale badge over it. Draws in cr's current transform.
void drawWidget(cairo_t* cr, const ui::View& content, ui::Size points, bool stale);

// The widget as an ARGB32 image at `scale` pixels per point.
foundation::Expected<ui::SurfacePtr, std::string>
drawWidgetImage(const ui::View& content, ui::Size points, int scale, bool stale);

// The widget as a file's bytes: PNG at `scale` pixels per point, SVG or PDF in points.
foundation::Expected<std::vector<std::uint8_t>, std::string>
encodeWidget(OutputFormat format, const ui::View& content, ui::Size points, int scale, bool stale);

} // namespace platform::widget
