#pragma once

// Where the results widget's geometry is exact, and what colour it has there: the rings' centre
// lines around the widget's centre, and the dark background.

#include "core/Extension/Color+Hex.h"
#include "platform/ui/Color.h"
#include "platform/ui/Geometry.h"
#include "platform/ui/Paint.h"
#include "tests/platform/ui/PixelProbe.h"

#include <cairo.h>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

namespace results_test {

using platform::ui::Color;
using platform::ui::Point;

inline const Color background = colorFromHex(0x232228);
inline const Color yearFigure = colorFromHex(0x875FC4);
inline const Color monthFigure = colorFromHex(0xEF8954);

struct RingLook {
    const char* name;
    double radius; // of the centre line, in points
    Color start, end, head, track;
};

inline const RingLook yearRing{"year",
                               64.75,
                               colorFromHex(0x7F3CC1),
                               colorFromHex(0x9458D3),
                               colorFromHex(0x9458D3),
                               colorFromHex(0x7232B7, 0.2)};
inline const RingLook monthRing{"month",
                                47.25,
                                colorFromHex(0xBF5722),
                                colorFromHex(0xED742E),
                                colorFromHex(0xED742E),
                                colorFromHex(0xEB6C29, 0.15)};

// The point on a circle at a clockwise angle from twelve o'clock.
inline Point onRing(Point center, double radius, double degrees) {
    const double a = degrees * std::numbers::pi / 180;
    return {center.x + radius * std::sin(a), center.y - radius * std::cos(a)};
}

inline double clockwiseDegrees(Point center, Point p) {
    const double d = std::atan2(p.x - center.x, center.y - p.y) * 180 / std::numbers::pi;
    return d < 0 ? d + 360 : d;
}

struct Probe {
    std::string what;
    Point at; // points
    Color expected;
};

// Probes on an open ring's centre line just inside its arc and just past its round cap, where
// the track shows over the background.
inline std::vector<Probe> openRingProbes(const RingLook& ring, Point center, double progress,
                                         double scale) {
    using namespace platform::ui::testing_support;
    const double end = 360 * progress;
    const double capDegrees = 7.5 / ring.radius * 180 / std::numbers::pi;
    const Point inside = onRing(center, ring.radius, end - 3);
    // The sweep gives each pixel the colour of its own centre's angle.
    const Point insidePixel = centerOf(pixelOf(inside, scale), scale);
    const Color sweep =
        platform::ui::mix(ring.start, ring.end, clockwiseDegrees(center, insidePixel) / 360);
    return {
        {std::string(ring.name) + " arc just before " + std::to_string(end), inside, sweep},
        {std::string(ring.name) + " track just past " + std::to_string(end),
         onRing(center, ring.radius, end + capDegrees + 2), over(ring.track, background)},
    };
}

// Middles and quarter points of the four edges, clear of the rounded corners.
inline std::vector<platform::ui::testing_support::PixelIndex> edgePixels(int width, int height) {
    std::vector<platform::ui::testing_support::PixelIndex> pixels;
    for (int step : {1, 2, 3}) {
        const int x = width * step / 4;
        const int y = height * step / 4;
        pixels.insert(pixels.end(), {{x, 0}, {x, height - 1}, {0, y}, {width - 1, y}});
    }
    return pixels;
}

// The figures' band in the middle, inside the month ring: of its upper and lower halves, the
// pixel that differs most from the background.
struct FigureBand {
    int differing = 0;
    platform::ui::testing_support::Pixel strongestUpper;
    platform::ui::testing_support::Pixel strongestLower;
};

inline int distance(const platform::ui::testing_support::Pixel& a,
                    const platform::ui::testing_support::Pixel& b) {
    return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
}

inline FigureBand figureBand(cairo_surface_t* image, Point center, double scale) {
    using namespace platform::ui::testing_support;
    const Pixel dark = premultiplied(background);
    FigureBand band;
    int upper = 0;
    int lower = 0;
    for (double y = center.y - 20; y <= center.y + 20; y += 1 / scale) {
        for (double x = center.x - 30; x <= center.x + 30; x += 1 / scale) {
            const Pixel p = pixelAt(image, pixelOf({x, y}, scale));
            const int d = distance(p, dark);
            band.differing += d > 24 ? 1 : 0;
            if (y < center.y && d > upper) {
                upper = d;
                band.strongestUpper = p;
            } else if (y > center.y && d > lower) {
                lower = d;
                band.strongestLower = p;
            }
        }
    }
    return band;
}

} // namespace results_test
