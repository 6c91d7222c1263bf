#pragma once

#include <cairo.h>
#include <cstdint>
#include <utility>
#include <vector>

namespace countdown_test {

// An opaque pixel as 0xRRGGBB, or the alpha byte in bits 24 and up when it is not opaque.
inline std::uint32_t rgbAt(cairo_surface_t* image, int x, int y) {
    cairo_surface_flush(image);
    const int stride = cairo_image_surface_get_stride(image);
    const auto* row = cairo_image_surface_get_data(image) + static_cast<std::ptrdiff_t>(y) * stride;
    const std::uint32_t argb = reinterpret_cast<const std::uint32_t*>(row)[x];
    const std::uint32_t alpha = argb >> 24;
    return alpha == 0xFF ? (argb & 0xFFFFFF) : (alpha << 24);
}

// Pixels on the four edges: the middle of each side, and points a quarter and three quarters
// along it, clear of the rounded corners the host clips away.
inline std::vector<std::pair<int, int>> edgePixels(int width, int height) {
    std::vector<std::pair<int, int>> pixels;
    for (int step : {1, 2, 3}) {
        const int x = width * step / 4;
        const int y = height * step / 4;
        pixels.insert(pixels.end(), {{x, 0}, {x, height - 1}, {0, y}, {width - 1, y}});
    }
    return pixels;
}

} // namespace countdown_test
