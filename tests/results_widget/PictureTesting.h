#pragma once

// What the widgets' tests read of a picture: the recorded drawing as text, one line per item in
// root coordinates (angles in degrees clockwise from twelve o'clock), compared with an expected
// .txt beside the test so that a diff names the item that moved; and single pixels of a render.
// TRELVO_UPDATE_DRAWINGS=1 rewrites the expected files from what is drawn now.

#include "platform/ui/DisplayList.h"
#include "tests/support/TestFiles.h"

#include <algorithm>
#include <array>
#include <cairo.h>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <numbers>
#include <sstream>

namespace trelvo::test {

inline std::string number(double v) {
    std::ostringstream out;
    out << std::round(v * 100) / 100 + 0.0; // two decimals at most, never "-0"
    return out.str();
}

inline std::string colour(const platform::ui::Color& c) {
    const auto byte = [](double v) { return int(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", byte(c.r), byte(c.g), byte(c.b));
    return text + (c.a == 1 ? "" : "@" + number(c.a));
}

inline std::string dumpDrawing(const platform::ui::DisplayList& list) {
    using namespace platform::ui;
    std::string out;
    for (const auto& item : list.items()) {
        const auto& t = item.transform;
        const auto point = [&](Point p) {
            return number(item.toRoot(p).x) + "," + number(item.toRoot(p).y);
        };
        // From radians after three o'clock in the item's space.
        const auto angles = [&](double from, double to) {
            return " from " + number((from + std::atan2(t.b, t.a)) * 180 / std::numbers::pi + 90) +
                   " by " + number((to - from) * 180 / std::numbers::pi);
        };
        out += std::array{"fill", "stroke", "text", "image"}[static_cast<int>(item.kind)];
        if (const auto* sweep = std::get_if<AngularGradientPaint>(&item.paint)) {
            out += " sweep " + colour(sweep->colors.front()) + ".." + colour(sweep->colors.back());
            out += " at " + point(sweep->center) + angles(sweep->startAngle, sweep->endAngle);
        } else {
            out += " " + colour(std::get<Color>(item.paint));
        }
        if (item.kind == DisplayItem::Kind::stroke) {
            out += " width " + number(item.strokeStyle.lineWidth) +
                   (item.strokeStyle.lineCap == LineCap::round ? " round" : "");
        }
        for (const auto& element : item.path.elements) {
            if (const auto* arc = std::get_if<Path::Arc>(&element)) {
                const bool whole =
                    std::abs(arc->endAngle - arc->startAngle) == 2 * std::numbers::pi;
                out += " arc " + point(arc->center) + " r" +
                       number(arc->radius * std::sqrt(std::abs(t.a * t.d - t.b * t.c))) +
                       (whole ? "" : angles(arc->startAngle, arc->endAngle));
            } else if (const auto* to = std::get_if<Path::LineTo>(&element)) {
                out += " " + point(to->point);
            } else if (const auto* from = std::get_if<Path::MoveTo>(&element)) {
                out += " " + point(from->point);
            }
        }
        if (item.kind == DisplayItem::Kind::text) {
            const auto glyphs = std::ranges::count_if(
                item.text, [](unsigned char c) { return (c & 0xC0) != 0x80; });
            out += " \"" + item.text + "\" " + number(item.font.size) + "pt weight " +
                   std::to_string(numericWeight(item.font.weight)) + " at " +
                   point(item.rect.center()) + (item.glyphCount == glyphs ? "" : " MISSING GLYPHS");
        }
        out += "\n";
    }
    return out;
}

inline void expectDrawing(const std::string& actual, const std::filesystem::path& expected) {
    if (std::getenv("TRELVO_UPDATE_DRAWINGS")) {
        writeFile(expected, actual);
    }
    EXPECT_EQ(actual, readFile(expected)) << "drawn otherwise than " << expected;
}

// 0xAARRGGBB, premultiplied as cairo keeps it.
inline std::uint32_t pixelAt(cairo_surface_t* picture, int x, int y) {
    cairo_surface_flush(picture);
    const auto* row = cairo_image_surface_get_data(picture) +
                      std::ptrdiff_t{y} * cairo_image_surface_get_stride(picture);
    return reinterpret_cast<const std::uint32_t*>(row)[x];
}

inline testing::AssertionResult pixelNear(std::uint32_t actual, std::uint32_t expected,
                                          int tolerance = 3) {
    for (int shift : {0, 8, 16, 24}) {
        if (std::abs(int(actual >> shift & 0xFF) - int(expected >> shift & 0xFF)) > tolerance) {
            return testing::AssertionFailure() << std::hex << actual << ", not " << expected;
        }
    }
    return testing::AssertionSuccess();
}

} // namespace trelvo::test
