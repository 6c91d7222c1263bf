#include "platform/ui/Redaction.h"

#include <pango/pango.h>

namespace platform::ui {

namespace {

constexpr double fadedOpacity = 0.3;

double inkHeight(const char* letter, const Font& font) {
    auto layout = TextLayout::make(letter, font, std::nullopt, std::nullopt);
    PangoRectangle ink;
    pango_layout_get_extents(layout->pangoLayout(), &ink, nullptr);
    return static_cast<double>(ink.height) / PANGO_SCALE;
}

struct LineIterDeleter {
    void operator()(PangoLayoutIter* iter) const { pango_layout_iter_free(iter); }
};

} // namespace

std::vector<Rect> redactionBars(const TextLayout& text) {
    // Measured on the font's own letters: no metric of Pango's says how tall they are.
    const double capHeight = inkHeight("H", text.font());
    const double height = (inkHeight("x", text.font()) + capHeight) / 2;
    std::vector<Rect> bars;
    std::unique_ptr<PangoLayoutIter, LineIterDeleter> line(
        pango_layout_get_iter(text.pangoLayout()));
    do {
        PangoRectangle logical;
        pango_layout_iter_get_line_extents(line.get(), nullptr, &logical);
        if (logical.width <= 0) {
            continue;
        }
        const double baseline =
            static_cast<double>(pango_layout_iter_get_baseline(line.get())) / PANGO_SCALE;
        bars.push_back(
            {{static_cast<double>(logical.x) / PANGO_SCALE, baseline - capHeight / 2 - height / 2},
             {static_cast<double>(logical.width) / PANGO_SCALE, height}});
    } while (pango_layout_iter_next_line(line.get()));
    return bars;
}

Color redactionColor(const Color& text) {
    return text.withOpacity(text.a * fadedOpacity);
}

} // namespace platform::ui
