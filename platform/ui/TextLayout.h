#pragma once

#include "platform/ui/Font.h"
#include "platform/ui/Geometry.h"

#include <memory>
#include <optional>
#include <string>

typedef struct _PangoLayout PangoLayout;

namespace platform::ui {

// Shaped text (Pango), measured in points: a 13-point font is 13 units high whatever the scale
// it is drawn at. Metrics are unhinted, so a layout measured here draws the same at 1x and 2x.
class TextLayout {
public:
    // maxWidth: wrap (or, with a line limit, end in an ellipsis) when the text is wider.
    static std::shared_ptr<const TextLayout>
    make(std::string text, Font font, std::optional<double> maxWidth, std::optional<int> lineLimit);
    // Sets up this thread's fonts (fontconfig's configuration and caches, the body font) ahead
    // of the first layout, for a caller with time to spare, like a widget awaiting its answer.
    static void prepareFonts();
    ~TextLayout();
    TextLayout(const TextLayout&) = delete;
    TextLayout& operator=(const TextLayout&) = delete;

    const std::string& text() const { return text_; }
    const Font& font() const { return font_; }
    const std::string& family() const { return family_; }
    // The logical box of the laid-out lines.
    Size size() const { return size_; }
    double baseline() const;
    int lineCount() const;
    bool isEllipsized() const;
    // Glyphs the font really has (not boxes for missing characters).
    int glyphCount() const;
    PangoLayout* pangoLayout() const { return layout_; }

private:
    TextLayout(std::string text, Font font, std::string family, PangoLayout* layout);
    std::string text_;
    Font font_;
    std::string family_;
    PangoLayout* layout_;
    Size size_;
};

} // namespace platform::ui
