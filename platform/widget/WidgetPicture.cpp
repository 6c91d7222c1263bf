#include "platform/widget/WidgetPicture.h"

#include "platform/ui/CairoHandles.h"
#include "platform/ui/PNGWriter.h"
#include "platform/ui/Render.h"
#include "platform/widget/RoundedRectangle.h"
#include "platform/widget/RoundedRectangle.h"
#include "platform/widget/WidgetFamily.h"

#include <algorithm>
#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cmath>

namespace platform::widget {

using foundation::Expected;
using foundation::Unexpected;

namespace {

cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length) {
    auto* bytes = static_cast<std::vector<std::uint8_t>*>(closure);
    bytes->insert(bytes->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
}

std::optional<std::string> failed(cairo_status_t status) {
    if (status == CAIRO_STATUS_SUCCESS) {
        return std::nullopt;
    }
    return std::string(cairo_status_to_string(status));
}

Expected<std::vector<std::uint8_t>, std::string> encodeVector(OutputFormat format,
                                                              const ui::View& content,
                                                              ui::Size points, bool stale,
                                                              ui::Redaction redaction) {
    std::vector<std::uint8_t> bytes;
    ui::SurfacePtr surface(
        format == OutputFormat::pdf
            ? cairo_pdf_surface_create_for_stream(appendBytes, &bytes, points.width, points.height)
            : cairo_svg_surface_create_for_stream(appendBytes, &bytes, points.width,
                                                  points.height));
    {
        ui::CairoPtr cr(cairo_create(surface.get()));
        drawWidget(cr.get(), content, points, stale, redaction);
        if (auto problem = failed(cairo_status(cr.get()))) {
            return Unexpected{*problem};
        }
    }
    cairo_surface_finish(surface.get());
    if (auto problem = failed(cairo_surface_status(surface.get()))) {
        return Unexpected{*problem};
    }
    return bytes;
}

} // namespace

ui::Redaction redactionOf(const Presentation& presentation) {
    return presentation.placeholder ? ui::Redaction::placeholder : ui::Redaction::none;
}

void drawWidget(cairo_t* cr, const ui::View& content, ui::Size points, bool stale,
                ui::Redaction redaction) {
    cairo_save(cr);
    roundedRectangle(cr, points, widgetCornerRadius);
    cairo_clip(cr);
    ui::render(content, cr, points, redaction);
    if (stale) {
        drawStaleBadge(cr, points);
    }
    cairo_restore(cr);
}

Expected<ui::SurfacePtr, std::string> drawWidgetImage(const ui::View& content, ui::Size points,
                                                      int scale, bool stale,
                                                      ui::Redaction redaction) {
    ui::SurfacePtr surface(cairo_image_surface_create(
        CAIRO_FORMAT_ARGB32, static_cast<int>(std::ceil(points.width * scale)),
        static_cast<int>(std::ceil(points.height * scale))));
    if (auto problem = failed(cairo_surface_status(surface.get()))) {
        return Unexpected{*problem};
    }
    ui::CairoPtr cr(cairo_create(surface.get()));
    cairo_scale(cr.get(), scale, scale);
    drawWidget(cr.get(), content, points, stale, redaction);
    if (auto problem = failed(cairo_status(cr.get()))) {
        return Unexpected{*problem};
    }
    cairo_surface_flush(surface.get());
    return surface;
}

Expected<std::vector<std::uint8_t>, std::string> encodeWidget(OutputFormat format,
                                                              const ui::View& content,
                                                              ui::Size points, int scale,
                                                              bool stale, ui::Redaction redaction) {
    if (format == OutputFormat::png) {
        auto image = drawWidgetImage(content, points, scale, stale, redaction);
        if (!image) {
            return Unexpected{image.error()};
        }
        return ui::encodePNG(image->get());
    }
    return encodeVector(format, content, points, stale, redaction);
}

} // namespace platform::widget
