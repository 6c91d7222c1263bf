#pragma once

#include "platform/ui/Canvas.h"
#include "platform/ui/Font.h"

#include <filesystem>
#include <string>
#include <vector>

namespace platform::ui {

// One recorded drawing operation, with the transform from its coordinates to the root's.
struct DisplayItem {
    enum class Kind { fill, stroke, text, image };
    Kind kind = Kind::fill;
    Transform transform;
    Path path;   // fill, stroke
    Paint paint; // fill, stroke; text: its colour
    StrokeStyle strokeStyle;
    std::string text; // text
    Font font;
    std::string fontFamily;
    int glyphCount = 0;
    Rect rect; // text: its logical box; image: where it is drawn
    std::filesystem::path imageFile;

    Point toRoot(Point local) const { return transform.apply(local); }
    // The centre of the item's rectangle or first arc, in root coordinates.
    Point centerInRoot() const;
};

// A canvas that records what is drawn, for tests to read.
class DisplayList final : public Canvas {
public:
    void save() override;
    void restore() override;
    void concat(const Transform& t) override;
    void fill(const Path& path, const Paint& paint) override;
    void stroke(const Path& path, const Paint& paint, const StrokeStyle& style) override;
    void drawText(const TextLayout& text, Point origin, const Color& color) override;
    void drawImage(const ImageAsset& image, Rect rect) override;

    const std::vector<DisplayItem>& items() const { return items_; }
    std::vector<DisplayItem> items(DisplayItem::Kind kind) const;
    // The first text item showing exactly this text.
    const DisplayItem* findText(const std::string& text) const;

private:
    std::vector<DisplayItem> items_;
    std::vector<Transform> saved_;
    Transform current_;
};

} // namespace platform::ui
