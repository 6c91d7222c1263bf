#pragma once

#include "platform/foundation/Date.h"
#include "platform/ui/Geometry.h"

#include <cairo.h>
#include <string>

namespace platform::widget {

// How the host marks content it has failed to refresh for a while: a small dot in the top
// trailing corner over the widget's own drawing, and a line saying when it last updated.
struct StaleBadge {
    static constexpr ui::Point center{-14, 14}; // x from the trailing edge
    static constexpr double radius = 4;
};

void drawStaleBadge(cairo_t* cr, ui::Size widget);

// "Last updated HH:MM", in the user's time zone.
std::string lastUpdatedText(foundation::Date date);

} // namespace platform::widget
