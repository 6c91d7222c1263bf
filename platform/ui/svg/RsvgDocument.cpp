// SVG documents through librsvg, built as the "svg-image" module.

#include "platform/ui/SvgDocument.h"

#include <glib-object.h>
#include <librsvg/rsvg.h>

namespace platform::ui {
namespace {

using foundation::Expected;
using foundation::Unexpected;

struct HandleDeleter {
    void operator()(RsvgHandle* handle) const { g_object_unref(handle); }
};
using HandlePtr = std::unique_ptr<RsvgHandle, HandleDeleter>;

std::string messageOf(GError* error) {
    std::string message = error ? error->message : "unknown error";
    g_clear_error(&error);
    return message;
}

class RsvgDocument final : public SvgDocument {
public:
    RsvgDocument(HandlePtr handle, Size size)
        : handle_(std::move(handle))
        , size_(size) {}

    Size size() const override { return size_; }

    void draw(cairo_t* cr, Rect rect) const override {
        const RsvgRectangle viewport{rect.origin.x, rect.origin.y, rect.size.width,
                                     rect.size.height};
        GError* error = nullptr;
        if (!rsvg_handle_render_document(handle_.get(), cr, &viewport, &error)) {
            g_clear_error(&error); // a part that cannot be drawn is left out
        }
    }

private:
    HandlePtr handle_;
    Size size_;
};

Expected<std::unique_ptr<SvgDocument>, std::string> open(const std::filesystem::path& file) {
    GError* error = nullptr;
    HandlePtr handle(rsvg_handle_new_from_file(file.c_str(), &error));
    if (!handle) {
        return Unexpected{messageOf(error)};
    }
    double width = 0, height = 0;
    if (!rsvg_handle_get_intrinsic_size_in_pixels(handle.get(), &width, &height)) {
        // No width and height: use the view box as points.
        gboolean hasViewBox = FALSE;
        RsvgRectangle viewBox{};
        rsvg_handle_get_intrinsic_dimensions(handle.get(), nullptr, nullptr, nullptr, nullptr,
                                             &hasViewBox, &viewBox);
        if (!hasViewBox) {
            return Unexpected{std::string("no width, height or view box")};
        }
        width = viewBox.width;
        height = viewBox.height;
    }
    return std::unique_ptr<SvgDocument>(
        std::make_unique<RsvgDocument>(std::move(handle), Size{width, height}));
}

} // namespace
} // namespace platform::ui

extern "C" __attribute__((visibility("default")))
const platform::ui::OpenSvgDocument trelvo_open_svg_document = &platform::ui::open;
