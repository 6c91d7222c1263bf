#pragma once

#include "platform/ui/Canvas.h"

#include <cairo.h>

namespace platform::ui {

// Draws into a cairo context in its current transform (which may already scale for HiDPI).
// Angular gradients are exact per pixel on raster targets and mesh patches on vector ones.
class CairoCanvas final : public Canvas {
public:
    explicit CairoCanvas(cairo_t* cr)
        : cr_(cr) {}

    void save() override;
    void restore() override;
    void concat(const Transform& t) override;
    void fill(const Path& path, const Paint& paint) override;
    void stroke(const Path& path, const Paint& paint, const StrokeStyle& style) override;
    void drawText(const TextLayout& text, Point origin, const Color& color) override;
    void drawImage(const ImageAsset& image, Rect rect) override;

private:
    cairo_t* cr_;
};

// Replaces cr's path with path.
void appendPath(cairo_t* cr, const Path& path);
void setStrokeStyle(cairo_t* cr, const StrokeStyle& style);
void setSourceColor(cairo_t* cr, const Color& color);

} // namespace platform::ui
