#include "platform/ui/Color.h"

#include <cmath>

namespace platform::ui {

bool Color::isDrawable() const {
    return std::isfinite(r) && std::isfinite(g) && std::isfinite(b) && std::isfinite(a);
}

} // namespace platform::ui
