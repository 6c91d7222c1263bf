#pragma once

#include "platform/ui/Geometry.h"

#include <optional>

namespace platform::ui {

// An affine map in cairo's convention: x' = a x + c y + tx, y' = b x + d y + ty.
struct Transform {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

    static Transform identity() { return {}; }
    static Transform translation(double x, double y) { return {1, 0, 0, 1, x, y}; }
    static Transform scaling(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }
    static Transform rotation(double radians);
    // The same turn about a pivot.
    static Transform rotation(double radians, Point pivot);

    // First this, then other.
    Transform then(const Transform& other) const;
    Point apply(Point p) const { return {a * p.x + c * p.y + tx, b * p.x + d * p.y + ty}; }
    std::optional<Transform> inverted() const;
    bool isFinite() const;
    friend bool operator==(const Transform&, const Transform&) = default;
};

} // namespace platform::ui
