#include "platform/ui/Transform.h"

#include <cmath>

namespace platform::ui {

Transform Transform::rotation(double radians) {
    const double cs = std::cos(radians);
    const double sn = std::sin(radians);
    return {cs, sn, -sn, cs, 0, 0};
}

Transform Transform::rotation(double radians, Point pivot) {
    return translation(-pivot.x, -pivot.y)
        .then(rotation(radians))
        .then(translation(pivot.x, pivot.y));
}

Transform Transform::then(const Transform& o) const {
    return {o.a * a + o.c * b, o.b * a + o.d * b,          o.a * c + o.c * d,
            o.b * c + o.d * d, o.a * tx + o.c * ty + o.tx, o.b * tx + o.d * ty + o.ty};
}

std::optional<Transform> Transform::inverted() const {
    const double det = a * d - b * c;
    if (!std::isfinite(det) || det == 0) {
        return std::nullopt;
    }
    const double ia = d / det, ib = -b / det, ic = -c / det, id = a / det;
    return Transform{ia, ib, ic, id, -(ia * tx + ic * ty), -(ib * tx + id * ty)};
}

bool Transform::isFinite() const {
    return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d) &&
           std::isfinite(tx) && std::isfinite(ty);
}

} // namespace platform::ui
