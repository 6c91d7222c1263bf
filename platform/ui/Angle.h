#pragma once

#include <numbers>

namespace platform::ui {

// 0 points to three o'clock; positive angles turn clockwise on screen.
struct Angle {
    double radians = 0;

    static constexpr Angle degrees(double value) { return {value * std::numbers::pi / 180.0}; }
    static constexpr Angle fromRadians(double value) { return {value}; }
    constexpr double inDegrees() const { return radians * 180.0 / std::numbers::pi; }
    constexpr double inRadians() const { return radians; }
    friend constexpr bool operator==(const Angle&, const Angle&) = default;
};

} // namespace platform::ui
