#pragma once

#include "platform/ui/ImageAsset.h"
#include "platform/ui/Paint.h"
#include "platform/ui/Path.h"
#include "platform/ui/StrokeStyle.h"
#include "platform/ui/TextLayout.h"
#include "platform/ui/Transform.h"

namespace platform::ui {

// Where a laid-out tree is drawn: cairo (CairoCanvas) or a recording for tests (DisplayList).
// Coordinates are points in the current transform.
class Canvas {
public:
    virtual ~Canvas() = default;
    virtual void save() = 0;
    virtual void restore() = 0;
    // Applies t before the current transform.
    virtual void concat(const Transform& t) = 0;
    virtual void fill(const Path& path, const Paint& paint) = 0;
    virtual void stroke(const Path& path, const Paint& paint, const StrokeStyle& style) = 0;
    // origin: the top-left corner of the layout's logical box.
    virtual void drawText(const TextLayout& text, Point origin, const Color& color) = 0;
    virtual void drawImage(const ImageAsset& image, Rect rect) = 0;
};

} // namespace platform::ui
