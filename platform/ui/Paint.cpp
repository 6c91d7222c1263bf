#include "platform/ui/Paint.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace platform::ui {

Color mix(const Color& from, const Color& to, double t) {
    return {from.colorSpace, from.r + (to.r - from.r) * t, from.g + (to.g - from.g) * t,
            from.b + (to.b - from.b) * t, from.a + (to.a - from.a) * t};
}

Color AngularGradientPaint::colorAt(double angle) const {
    if (colors.empty()) {
        return Color::clear;
    }
    const double span = endAngle - startAngle;
    if (colors.size() == 1 || span == 0 || !std::isfinite(angle)) {
        return colors.front();
    }
    constexpr double turn = 2 * std::numbers::pi;
    double relative = std::fmod((span > 0 ? angle - startAngle : startAngle - angle), turn);
    if (relative < 0) {
        relative += turn;
    }
    const double t = std::clamp(relative / std::abs(span), 0.0, 1.0);
    const double position = t * static_cast<double>(colors.size() - 1);
    const auto index = std::min(static_cast<std::size_t>(position), colors.size() - 2);
    return mix(colors[index], colors[index + 1], position - static_cast<double>(index));
}

} // namespace platform::ui
