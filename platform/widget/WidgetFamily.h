#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace platform::widget {

enum class WidgetFamily { systemSmall, systemMedium, systemLarge };

// A widget's size on screen, in points.
struct DisplaySize {
    double width = 0;
    double height = 0;

    friend constexpr bool operator==(DisplaySize, DisplaySize) = default;
};

constexpr DisplaySize displaySize(WidgetFamily family) {
    switch (family) {
    case WidgetFamily::systemSmall:
        return {170, 170};
    case WidgetFamily::systemMedium:
        return {364, 170};
    case WidgetFamily::systemLarge:
        return {364, 382};
    }
    return {170, 170};
}

// Every widget is clipped to a rounded rectangle with this corner radius, in points.
inline constexpr double widgetCornerRadius = 22;

// "systemSmall", as a declaration names the family.
std::string_view name(WidgetFamily family);
// "small", as the command line names the family.
std::string_view shortName(WidgetFamily family);
std::optional<WidgetFamily> familyFromShortName(std::string_view text);

std::vector<WidgetFamily> allFamilies();

} // namespace platform::widget
