#pragma once

// Reading pixels of a rendered picture where the geometry is exact.

#include "platform/ui/Color.h"
#include "platform/ui/Geometry.h"

#include <algorithm>
#include <cairo.h>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <gtest/gtest.h>
#include <ostream>

namespace platform::ui::testing_support {

// A pixel as cairo stores it: premultiplied by its alpha, 0...255.
struct Pixel {
    int a = 0, r = 0, g = 0, b = 0;
    friend bool operator==(const Pixel&, const Pixel&) = default;
    friend std::ostream& operator<<(std::ostream& os, const Pixel& p) {
        return os << "argb(" << p.a << ", " << p.r << ", " << p.g << ", " << p.b << ")";
    }
};

struct PixelIndex {
    int x = 0, y = 0;
};

inline Pixel pixelAt(cairo_surface_t* image, PixelIndex at) {
    cairo_surface_flush(image);
    const int stride = cairo_image_surface_get_stride(image);
    const auto* row =
        cairo_image_surface_get_data(image) + static_cast<std::ptrdiff_t>(at.y) * stride;
    const std::uint32_t v = reinterpret_cast<const std::uint32_t*>(row)[at.x];
    return {static_cast<int>(v >> 24), static_cast<int>((v >> 16) & 0xFF),
            static_cast<int>((v >> 8) & 0xFF), static_cast<int>(v & 0xFF)};
}

inline Pixel premultiplied(const Color& c) {
    const double a = std::clamp(c.a, 0.0, 1.0);
    const auto ch = [a](double v) {
        return static_cast<int>(std::lround(std::clamp(v, 0.0, 1.0) * a * 255));
    };
    return {static_cast<int>(std::lround(a * 255)), ch(c.r), ch(c.g), ch(c.b)};
}

// `top` drawn over `bottom`, as cairo's OVER does.
inline Color over(const Color& top, const Color& bottom) {
    const double a = top.a + bottom.a * (1 - top.a);
    if (a == 0) {
        return Color::clear;
    }
    const auto ch = [&](double t, double b) {
        return (t * top.a + b * bottom.a * (1 - top.a)) / a;
    };
    return {ColorSpace::sRGB, ch(top.r, bottom.r), ch(top.g, bottom.g), ch(top.b, bottom.b), a};
}

inline PixelIndex pixelOf(Point points, double scale) {
    return {static_cast<int>(std::floor(points.x * scale)),
            static_cast<int>(std::floor(points.y * scale))};
}

// The centre of a pixel, in points.
inline Point centerOf(PixelIndex at, double scale) {
    return {(at.x + 0.5) / scale, (at.y + 0.5) / scale};
}

inline ::testing::AssertionResult isNear(const Pixel& actual, const Pixel& expected,
                                         int tolerance = 2) {
    const bool close = std::abs(actual.a - expected.a) <= tolerance &&
                       std::abs(actual.r - expected.r) <= tolerance &&
                       std::abs(actual.g - expected.g) <= tolerance &&
                       std::abs(actual.b - expected.b) <= tolerance;
    if (close) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << actual << " is not within " << tolerance << " of " << expected;
}

} // namespace platform::ui::testing_support
