#include "platform/ui/Render.h"

#include "platform/ui/CairoCanvas.h"
#include "platform/ui/PNGWriter.h"

#include <algorithm>
#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cmath>

namespace platform::ui {
namespace {

using foundation::Expected;
using foundation::Unexpected;

// Larger pictures are refused: cairo's limit is 32767 pixels a side, memory runs out sooner.
constexpr double largestPixelSide = 16384;

void drawText(const TextContent& content, Canvas& canvas, Redaction redaction) {
    if (redaction == Redaction::none) {
        canvas.drawText(*content.layout, {}, content.color);
        return;
    }
    for (const auto& bar : redactionBars(*content.layout)) {
        canvas.fill(Path::roundedRect(bar, bar.size.height / 2), redactionColor(content.color));
    }
}

void drawContent(const LayoutNode& node, Canvas& canvas, Redaction redaction) {
    std::visit(
        [&](const auto& content) {
            using C = std::decay_t<decltype(content)>;
            if constexpr (std::is_same_v<C, TextContent>) {
                drawText(content, canvas, redaction);
            } else if constexpr (std::is_same_v<C, ShapeContent>) {
                if (content.path.isEmpty()) {
                    return;
                }
                if (content.fill) {
                    canvas.fill(content.path, *content.fill);
                }
                if (content.stroke) {
                    canvas.stroke(content.path, *content.stroke, content.strokeStyle);
                }
            } else if constexpr (std::is_same_v<C, ImageContent>) {
                canvas.drawImage(*content.asset, {{}, node.frame.size});
            }
        },
        node.content);
}

void draw(const LayoutNode& node, Canvas& canvas, Redaction redaction) {
    if (!node.visible) {
        return;
    }
    canvas.save();
    canvas.concat(node.toParent());
    drawContent(node, canvas, redaction);
    for (const auto& child : node.children) {
        draw(child, canvas, redaction);
    }
    canvas.restore();
}

std::optional<std::string> checkArea(Size points, double scale) {
    if (!isFinite(points) || points.width <= 0 || points.height <= 0) {
        return "the picture size must be positive and finite";
    }
    if (!std::isfinite(scale) || scale <= 0) {
        return "the scale factor must be positive and finite";
    }
    if (points.width * scale > largestPixelSide || points.height * scale > largestPixelSide) {
        return "the picture would be larger than 16384 pixels a side";
    }
    return std::nullopt;
}

std::string lowercaseExtension(const std::filesystem::path& file) {
    auto extension = file.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

cairo_status_t appendToVector(void* closure, const unsigned char* data, unsigned int length) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(closure);
    out->insert(out->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
}

Expected<std::vector<std::uint8_t>, std::string> renderVector(const View& view, Size points,
                                                              bool pdf) {
    std::vector<std::uint8_t> bytes;
    SurfacePtr surface(pdf ? cairo_pdf_surface_create_for_stream(appendToVector, &bytes,
                                                                 points.width, points.height)
                           : cairo_svg_surface_create_for_stream(appendToVector, &bytes,
                                                                 points.width, points.height));
    {
        CairoPtr cr(cairo_create(surface.get()));
        render(view, cr.get(), points);
        if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) {
            return Unexpected{std::string(cairo_status_to_string(cairo_status(cr.get())))};
        }
    }
    cairo_surface_finish(surface.get());
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
        return Unexpected{std::string(cairo_status_to_string(cairo_surface_status(surface.get())))};
    }
    return bytes;
}

} // namespace

void render(const LayoutNode& root, Canvas& canvas, Redaction redaction) {
    draw(root, canvas, redaction);
}

void render(const LayoutNode& root, cairo_t* cr, Redaction redaction) {
    CairoCanvas canvas(cr);
    render(root, canvas, redaction);
}

void render(const View& view, cairo_t* cr, Size points, Redaction redaction) {
    if (!isFinite(points) || points.width < 0 || points.height < 0) {
        return;
    }
    render(layoutCentered(view, points), cr, redaction);
}

Expected<SurfacePtr, std::string> renderToImage(const View& view, Size points, double scale) {
    if (auto problem = checkArea(points, scale)) {
        return Unexpected{*problem};
    }
    const int width = static_cast<int>(std::ceil(points.width * scale));
    const int height = static_cast<int>(std::ceil(points.height * scale));
    SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
        return Unexpected{std::string(cairo_status_to_string(cairo_surface_status(surface.get())))};
    }
    CairoPtr cr(cairo_create(surface.get()));
    cairo_scale(cr.get(), scale, scale);
    render(view, cr.get(), points);
    cairo_surface_flush(surface.get());
    return surface;
}

Expected<std::vector<std::uint8_t>, std::string> renderToPNG(const View& view, Size points,
                                                             double scale) {
    auto image = renderToImage(view, points, scale);
    if (!image) {
        return Unexpected{image.error()};
    }
    return encodePNG(image->get());
}

Expected<std::filesystem::path, std::string>
renderToFile(const View& view, Size points, double scale, const std::filesystem::path& file) {
    const auto extension = lowercaseExtension(file);
    if (extension != ".png" && extension != ".svg" && extension != ".pdf") {
        return Unexpected{"cannot tell the picture format of " + file.string() +
                          " (use .png, .svg or .pdf)"};
    }
    if (auto problem = checkArea(points, extension == ".png" ? scale : 1.0)) {
        return Unexpected{*problem};
    }
    auto bytes = extension == ".png" ? renderToPNG(view, points, scale)
                                     : renderVector(view, points, extension == ".pdf");
    if (!bytes) {
        return Unexpected{bytes.error()};
    }
    return replaceFileAtomically(file, *bytes);
}

DisplayList record(const View& view, Size points, Redaction redaction) {
    DisplayList list;
    render(layoutCentered(view, points), list, redaction);
    return list;
}

} // namespace platform::ui
