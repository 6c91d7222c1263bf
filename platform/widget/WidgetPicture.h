#pragma once

#include "platform/foundation/Expected.h"
#include "platform/ui/CairoHandles.h"
#include "platform/ui/Redaction.h"
#include "platform/ui/View.h"
#include "platform/widget/HostOptions.h"
#include "platform/widget/StaleMark.h"
#include "platform/widget/TimelineSchedule.h"

#include <cairo.h>
#include <cstdint>
#include <string>
#include <vector>

namespace platform::widget {

// One widget as the host shows it: the content laid out in `points` (redacted when it is a
// placeholder), clipped to the family's rounded rectangle, the stale badge over it. Draws in
// cr's current transform.
void drawWidget(cairo_t* cr, const ui::View& content, ui::Size points, bool stale,
                ui::Redaction redaction = ui::Redaction::none);

// The widget as an ARGB32 image at `scale` pixels per point.
foundation::Expected<ui::SurfacePtr, std::string>
drawWidgetImage(const ui::View& content, ui::Size points, int scale, bool stale,
                ui::Redaction redaction = ui::Redaction::none);

// The widget as a file's bytes: PNG at `scale` pixels per point, SVG or PDF in points.
foundation::Expected<std::vector<std::uint8_t>, std::string>
encodeWidget(OutputFormat format, const ui::View& content, ui::Size points, int scale, bool stale,
             ui::Redaction redaction = ui::Redaction::none);

// How the host draws what the presentation shows: a placeholder redacted.
ui::Redaction redactionOf(const Presentation& presentation);

} // namespace platform::widget
