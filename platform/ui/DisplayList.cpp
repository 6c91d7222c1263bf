#include "platform/ui/DisplayList.h"

namespace platform::ui {

Point DisplayItem::centerInRoot() const {
    if (const auto* arc = path.firstArc(); arc && (kind == Kind::fill || kind == Kind::stroke)) {
        return toRoot(arc->center);
    }
    return toRoot(rect.center());
}

void DisplayList::save() {
    saved_.push_back(current_);
}

void DisplayList::restore() {
    if (!saved_.empty()) {
        current_ = saved_.back();
        saved_.pop_back();
    }
}

void DisplayList::concat(const Transform& t) {
    current_ = t.then(current_);
}

void DisplayList::fill(const Path& path, const Paint& paint) {
    items_.push_back(
        {.kind = DisplayItem::Kind::fill, .transform = current_, .path = path, .paint = paint});
}

void DisplayList::stroke(const Path& path, const Paint& paint, const StrokeStyle& style) {
    items_.push_back({.kind = DisplayItem::Kind::stroke,
                      .transform = current_,
                      .path = path,
                      .paint = paint,
                      .strokeStyle = style});
}

void DisplayList::drawText(const TextLayout& text, Point origin, const Color& color) {
    items_.push_back({.kind = DisplayItem::Kind::text,
                      .transform = current_,
                      .paint = color,
                      .text = text.text(),
                      .font = text.font(),
                      .fontFamily = text.family(),
                      .glyphCount = text.glyphCount(),
                      .rect = {origin, text.size()}});
}

void DisplayList::drawImage(const ImageAsset& image, Rect rect) {
    items_.push_back({.kind = DisplayItem::Kind::image,
                      .transform = current_,
                      .rect = rect,
                      .imageFile = image.file()});
}

std::vector<DisplayItem> DisplayList::items(DisplayItem::Kind kind) const {
    std::vector<DisplayItem> found;
    for (const auto& item : items_) {
        if (item.kind == kind) {
            found.push_back(item);
        }
    }
    return found;
}

const DisplayItem* DisplayList::findText(const std::string& text) const {
    for (const auto& item : items_) {
        if (item.kind == DisplayItem::Kind::text && item.text == text) {
            return &item;
        }
    }
    return nullptr;
}

} // namespace platform::ui
