#include "platform/widget/WidgetFamily.h"

namespace platform::widget {

std::string_view name(WidgetFamily family) {
    switch (family) {
    case WidgetFamily::systemSmall:
        return "systemSmall";
    case WidgetFamily::systemMedium:
        return "systemMedium";
    case WidgetFamily::systemLarge:
        return "systemLarge";
    }
    return "systemSmall";
}

std::string_view shortName(WidgetFamily family) {
    switch (family) {
    case WidgetFamily::systemSmall:
        return "small";
    case WidgetFamily::systemMedium:
        return "medium";
    case WidgetFamily::systemLarge:
        return "large";
    }
    return "small";
}

std::optional<WidgetFamily> familyFromShortName(std::string_view text) {
    for (auto family : allFamilies()) {
        if (shortName(family) == text) {
            return family;
        }
    }
    return std::nullopt;
}

std::vector<WidgetFamily> allFamilies() {
    return {WidgetFamily::systemSmall, WidgetFamily::systemMedium, WidgetFamily::systemLarge};
}

} // namespace platform::widget
