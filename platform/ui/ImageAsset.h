#pragma once

#include "platform/ui/Geometry.h"

#include <cairo.h>
#include <filesystem>
#include <memory>
#include <string_view>

namespace platform::ui {

// A decoded image file: SVG through librsvg (in its module), PNG through cairo. Sizes are in points (one CSS
// pixel of an SVG, one pixel of a PNG).
class ImageAsset {
public:
    // nullptr when the file is missing or does not decode.
    static std::shared_ptr<const ImageAsset> load(const std::filesystem::path& file);
    // "<name>.svg", then "<name>.png", in the folder. Names with a path separator or a leading
    // dot are refused, so a name cannot reach outside the folder.
    static std::shared_ptr<const ImageAsset> named(std::string_view name,
                                                   const std::filesystem::path& directory);
    ~ImageAsset();
    ImageAsset(const ImageAsset&) = delete;
    ImageAsset& operator=(const ImageAsset&) = delete;

    Size size() const { return size_; }
    const std::filesystem::path& file() const { return file_; }
    // Draws the image scaled into the rectangle (user space of cr).
    void draw(cairo_t* cr, Rect rect) const;

    struct Handles;

private:
    ImageAsset(std::filesystem::path file, std::unique_ptr<Handles> handles, Size size);
    std::filesystem::path file_;
    std::unique_ptr<Handles> handles_;
    Size size_;
};

} // namespace platform::ui
