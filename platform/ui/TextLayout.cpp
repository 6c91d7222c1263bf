#include "platform/ui/TextLayout.h"

#include "platform/ui/CairoHandles.h"

#include <cmath>
#include <pango/pangocairo.h>

namespace platform::ui {
namespace {

GObjectPtr<PangoContext> makeMeasuringContext() {
    GObjectPtr<PangoContext> context(
        pango_font_map_create_context(pango_cairo_font_map_get_default()));
    FontOptionsPtr options(cairo_font_options_create());
    // Unhinted metrics keep a layout's size independent of the scale it is drawn at.
    cairo_font_options_set_hint_metrics(options.get(), CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options.get(), CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_antialias(options.get(), CAIRO_ANTIALIAS_GRAY);
    pango_cairo_context_set_font_options(context.get(), options.get());
    return context;
}

// Pango's default font map is per thread, so is this context.
PangoContext* measuringContext() {
    thread_local GObjectPtr<PangoContext> context = makeMeasuringContext();
    return context.get();
}

struct FontDescriptionDeleter {
    void operator()(PangoFontDescription* d) const { pango_font_description_free(d); }
};

Size logicalSize(PangoLayout* layout) {
    PangoRectangle logical;
    pango_layout_get_extents(layout, nullptr, &logical);
    return {static_cast<double>(logical.width) / PANGO_SCALE,
            static_cast<double>(logical.height) / PANGO_SCALE};
}

} // namespace

void TextLayout::prepareFonts() {
    make("0", Font::body(), std::nullopt, std::nullopt)->glyphCount();
}

std::shared_ptr<const TextLayout> TextLayout::make(std::string text, Font font,
                                                   std::optional<double> maxWidth,
                                                   std::optional<int> lineLimit) {
    std::string family = fontFamily(font.design);
    PangoLayout* layout = pango_layout_new(measuringContext());
    std::unique_ptr<PangoFontDescription, FontDescriptionDeleter> description(
        pango_font_description_new());
    pango_font_description_set_family(description.get(), family.c_str());
    pango_font_description_set_weight(description.get(),
                                      static_cast<PangoWeight>(numericWeight(font.weight)));
    pango_font_description_set_absolute_size(description.get(), font.size * PANGO_SCALE);
    pango_layout_set_font_description(layout, description.get());
    pango_layout_set_text(layout, text.c_str(), static_cast<int>(text.size()));
    const bool oneLine = lineLimit && *lineLimit <= 1;
    pango_layout_set_single_paragraph_mode(layout, oneLine);

    if (maxWidth && std::isfinite(*maxWidth) && logicalSize(layout).width > *maxWidth) {
        pango_layout_set_width(layout, static_cast<int>(std::max(0.0, *maxWidth) * PANGO_SCALE));
        if (lineLimit) {
            pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
            pango_layout_set_height(layout, -std::max(1, *lineLimit));
        } else {
            pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
        }
    }
    return std::shared_ptr<const TextLayout>(
        new TextLayout(std::move(text), font, std::move(family), layout));
}

TextLayout::TextLayout(std::string text, Font font, std::string family, PangoLayout* layout)
    : text_(std::move(text))
    , font_(font)
    , family_(std::move(family))
    , layout_(layout)
    , size_(logicalSize(layout)) {}

TextLayout::~TextLayout() {
    g_object_unref(layout_);
}

double TextLayout::baseline() const {
    return static_cast<double>(pango_layout_get_baseline(layout_)) / PANGO_SCALE;
}

int TextLayout::lineCount() const {
    return pango_layout_get_line_count(layout_);
}

bool TextLayout::isEllipsized() const {
    return pango_layout_is_ellipsized(layout_);
}

int TextLayout::glyphCount() const {
    int count = 0;
    PangoLayoutIter* iter = pango_layout_get_iter(layout_);
    do {
        if (PangoLayoutRun* run = pango_layout_iter_get_run_readonly(iter)) {
            for (int i = 0; i < run->glyphs->num_glyphs; ++i) {
                const PangoGlyph glyph = run->glyphs->glyphs[i].glyph;
                count += (glyph & PANGO_GLYPH_UNKNOWN_FLAG) == 0 && glyph != PANGO_GLYPH_EMPTY;
            }
        }
    } while (pango_layout_iter_next_run(iter));
    pango_layout_iter_free(iter);
    return count;
}

} // namespace platform::ui
