#include "platform/widget/StaleMark.h"

#include "platform/foundation/TimeZone.h"
#include "platform/ui/LocalizedStringKey.h"

#include <cmath>
#include <cstdio>

namespace platform::widget {

namespace {

std::string lookUp(const ui::StringTable& strings, const char* key) {
    if (auto translated = strings ? strings(key) : std::nullopt) {
        return *translated;
    }
    return key;
}

} // namespace

void drawStaleBadge(cairo_t* cr, ui::Size widget) {
    double x = widget.width + StaleBadge::center.x;
    double y = StaleBadge::center.y;
    cairo_save(cr);
    cairo_new_path(cr);
    cairo_arc(cr, x, y, StaleBadge::radius + 1, 0, 2 * M_PI);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.45); // a dark rim keeps it visible on light content
    cairo_fill(cr);
    cairo_arc(cr, x, y, StaleBadge::radius, 0, 2 * M_PI);
    cairo_set_source_rgb(cr, 0.96, 0.65, 0.14);
    cairo_fill(cr);
    cairo_restore(cr);
}

std::string lastUpdatedText(foundation::Date date, const ui::StringTable& strings) {
    double local =
        date.timeIntervalSince1970() + foundation::TimeZone::current().secondsFromGMT(date);
    auto minuteOfDay = static_cast<long long>(std::floor(local / 60));
    minuteOfDay = ((minuteOfDay % 1440) + 1440) % 1440;
    char time[8];
    std::snprintf(time, sizeof time, "%02lld:%02lld", minuteOfDay / 60, minuteOfDay % 60);
    return ui::formatLocalized(lookUp(strings, "Last updated %@"), {std::string(time)});
}

std::optional<std::string> staleText(const Presentation& presentation,
                                     const ui::StringTable& strings) {
    if (!presentation.stale) {
        return std::nullopt;
    }
    if (presentation.lastUpdated) {
        return lastUpdatedText(*presentation.lastUpdated, strings);
    }
    return lookUp(strings, "Can't reach the service");
}

} // namespace platform::widget
