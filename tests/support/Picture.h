#pragma once

// A PNG read back as pixels (a screenshot, a program's picture), each 0xAARRGGBB.

#include <algorithm>
#include <cairo.h>
#include <cstdint>
#include <filesystem>
#include <memory>

namespace trelvo::test {

class Picture {
public:
    explicit Picture(const std::filesystem::path& png)
        : image_(cairo_image_surface_create_from_png(png.c_str()), cairo_surface_destroy) {}

    bool read() const { return cairo_surface_status(image_.get()) == CAIRO_STATUS_SUCCESS; }
    int width() const { return read() ? cairo_image_surface_get_width(image_.get()) : 0; }
    int height() const { return read() ? cairo_image_surface_get_height(image_.get()) : 0; }
    std::uint32_t at(int x, int y) const {
        const auto* row = cairo_image_surface_get_data(image_.get()) +
                          y * cairo_image_surface_get_stride(image_.get());
        return reinterpret_cast<const std::uint32_t*>(row)[x];
    }

    // The pixels that match: how many, and the box they lie in.
    struct Found {
        int count = 0;
        int x = 0, y = 0, width = 0, height = 0;
    };
    template <class Match> Found find(Match match) const {
        Found found;
        int right = -1, bottom = -1;
        for (int y = 0; y < height(); ++y) {
            for (int x = 0; x < width(); ++x) {
                if (match(at(x, y))) {
                    found.x = found.count ? std::min(found.x, x) : x;
                    found.y = found.count ? found.y : y;
                    right = std::max(right, x), bottom = y, ++found.count;
                }
            }
        }
        found.width = right - found.x + 1;
        found.height = bottom - found.y + 1;
        return found;
    }

private:
    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> image_;
};

} // namespace trelvo::test
