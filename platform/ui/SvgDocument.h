#pragma once

#include "platform/foundation/Expected.h"
#include "platform/ui/Geometry.h"

#include <cairo.h>
#include <filesystem>
#include <memory>
#include <string>

namespace platform::ui {

// A parsed SVG file, from the "svg-image" module: librsvg and its libraries (libxml2,
// gdk-pixbuf) are loaded only by a process that shows an SVG.
class SvgDocument {
public:
    virtual ~SvgDocument() = default;
    // In CSS pixels, from its width and height or else its view box.
    virtual Size size() const = 0;
    virtual void draw(cairo_t* cr, Rect rect) const = 0;
};

// The module's one entry point: the file parsed, or why it is not an SVG with a size.
using OpenSvgDocument = foundation::Expected<std::unique_ptr<SvgDocument>, std::string> (*)(
    const std::filesystem::path&);

inline constexpr const char* svgDocumentModule = "svg-image";
inline constexpr const char* svgDocumentEntry = "trelvo_open_svg_document";

// Parses through the module; fails when the module cannot be loaded too.
foundation::Expected<std::unique_ptr<SvgDocument>, std::string>
openSvgDocument(const std::filesystem::path& file);

} // namespace platform::ui
