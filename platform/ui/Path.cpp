#include "platform/ui/Path.h"

#include <algorithm>
#include <numbers>

namespace platform::ui {

Path Path::circle(Point center, double radius) {
    return {{Arc{center, radius, 0, 2 * std::numbers::pi}, Close{}}};
}

Path Path::arc(Point center, double radius, double startAngle, double endAngle) {
    return {{Arc{center, radius, startAngle, endAngle}}};
}

Path Path::rect(Rect r) {
    return {{MoveTo{r.origin}, LineTo{{r.maxX(), r.minY()}}, LineTo{{r.maxX(), r.maxY()}},
             LineTo{{r.minX(), r.maxY()}}, Close{}}};
}

Path Path::roundedRect(Rect r, double cornerRadius) {
    const double k = std::clamp(cornerRadius, 0.0, std::min(r.size.width, r.size.height) / 2);
    if (k == 0) {
        return rect(r);
    }
    constexpr double quarter = std::numbers::pi / 2;
    return {{Arc{{r.maxX() - k, r.minY() + k}, k, -quarter, 0},
             Arc{{r.maxX() - k, r.maxY() - k}, k, 0, quarter},
             Arc{{r.minX() + k, r.maxY() - k}, k, quarter, 2 * quarter},
             Arc{{r.minX() + k, r.minY() + k}, k, 2 * quarter, 3 * quarter}, Close{}}};
}

bool Path::isClosed() const {
    return !elements.empty() && std::holds_alternative<Close>(elements.back());
}

const Path::Arc* Path::firstArc() const {
    for (const auto& e : elements) {
        if (const auto* a = std::get_if<Arc>(&e)) {
            return a;
        }
    }
    return nullptr;
}

} // namespace platform::ui
