#pragma once

#include "platform/foundation/Date.h"
#include "platform/ui/Geometry.h"
#include "platform/ui/Resources.h"
#include "platform/widget/TimelineSchedule.h"

#include <cairo.h>
#include <optional>
#include <string>

namespace platform::widget {

// How the host marks content it has failed to refresh for a while: a small dot in the top
// trailing corner over the widget's own drawing, and a line saying when it last updated, or,
// when no answer has ever come, that the service cannot be reached.
struct StaleBadge {
    static constexpr ui::Point center{-14, 14}; // x from the trailing edge
    static constexpr double radius = 4;
};

void drawStaleBadge(cairo_t* cr, ui::Size widget);

// "Last updated HH:MM", in the user's time zone, in the host's words (`strings`: its table;
// none shows the English as written).
std::string lastUpdatedText(foundation::Date date, const ui::StringTable& strings = {});

// What the stale mark says of the presentation; nothing while its content is fresh.
std::optional<std::string> staleText(const Presentation& presentation,
                                     const ui::StringTable& strings = {});

} // namespace platform::widget
