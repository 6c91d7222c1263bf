#include "core/Extension/Color+Hex.h"

platform::ui::Color colorFromHex(std::uint64_t hex, double alpha) {
    const auto channel = [hex](unsigned shift) {
        return static_cast<double>((hex >> shift) & 0xFF) / 255.0;
    };
    return {platform::ui::ColorSpace::sRGB, channel(16), channel(8), channel(0), alpha};
}
