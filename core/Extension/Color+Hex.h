#pragma once

#include "platform/ui/Color.h"

#include <cstdint>

// The colour of a 0xRRGGBB number (bits 24 and above ignored) with the given opacity, in sRGB.
// Components are the channel bytes divided by 255, so 0xFF is exactly 1; nothing is clamped.
platform::ui::Color colorFromHex(std::uint64_t hex, double alpha = 1.0);
