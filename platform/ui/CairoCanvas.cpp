#include "platform/ui/CairoCanvas.h"

#include "platform/ui/AngularGradientPainter.h"

#include <algorithm>
#include <pango/pangocairo.h>

namespace platform::ui {

void appendPath(cairo_t* cr, const Path& path) {
    cairo_new_path(cr);
    for (const auto& element : path.elements) {
        std::visit(
            [cr](const auto& e) {
                using E = std::decay_t<decltype(e)>;
                if constexpr (std::is_same_v<E, Path::MoveTo>) {
                    cairo_move_to(cr, e.point.x, e.point.y);
                } else if constexpr (std::is_same_v<E, Path::LineTo>) {
                    cairo_line_to(cr, e.point.x, e.point.y);
                } else if constexpr (std::is_same_v<E, Path::Arc>) {
                    cairo_arc(cr, e.center.x, e.center.y, e.radius, e.startAngle, e.endAngle);
                } else {
                    cairo_close_path(cr);
                }
            },
            element);
    }
}

void setStrokeStyle(cairo_t* cr, const StrokeStyle& style) {
    cairo_set_line_width(cr, style.lineWidth);
    cairo_set_line_cap(cr, style.lineCap == LineCap::round    ? CAIRO_LINE_CAP_ROUND
                           : style.lineCap == LineCap::square ? CAIRO_LINE_CAP_SQUARE
                                                              : CAIRO_LINE_CAP_BUTT);
    cairo_set_line_join(cr, style.lineJoin == LineJoin::round   ? CAIRO_LINE_JOIN_ROUND
                            : style.lineJoin == LineJoin::bevel ? CAIRO_LINE_JOIN_BEVEL
                                                                : CAIRO_LINE_JOIN_MITER);
    cairo_set_miter_limit(cr, style.miterLimit);
    cairo_set_dash(cr, style.dash.data(), static_cast<int>(style.dash.size()), style.dashPhase);
}

void setSourceColor(cairo_t* cr, const Color& c) {
    const auto unit = [](double v) { return std::clamp(v, 0.0, 1.0); };
    cairo_set_source_rgba(cr, unit(c.r), unit(c.g), unit(c.b), unit(c.a));
}

void CairoCanvas::save() {
    cairo_save(cr_);
}

void CairoCanvas::restore() {
    cairo_restore(cr_);
}

void CairoCanvas::concat(const Transform& t) {
    const cairo_matrix_t m{t.a, t.b, t.c, t.d, t.tx, t.ty};
    cairo_transform(cr_, &m);
}

void CairoCanvas::fill(const Path& path, const Paint& paint) {
    appendPath(cr_, path);
    if (const auto* color = std::get_if<Color>(&paint)) {
        setSourceColor(cr_, *color);
        cairo_fill(cr_);
    } else {
        paintAngularGradient(cr_, std::get<AngularGradientPaint>(paint), nullptr);
    }
}

void CairoCanvas::stroke(const Path& path, const Paint& paint, const StrokeStyle& style) {
    cairo_save(cr_);
    appendPath(cr_, path);
    setStrokeStyle(cr_, style);
    if (const auto* color = std::get_if<Color>(&paint)) {
        setSourceColor(cr_, *color);
        cairo_stroke(cr_);
    } else {
        paintAngularGradient(cr_, std::get<AngularGradientPaint>(paint), &style);
    }
    cairo_restore(cr_);
}

void CairoCanvas::drawText(const TextLayout& text, Point origin, const Color& color) {
    cairo_save(cr_);
    setSourceColor(cr_, color);
    cairo_move_to(cr_, origin.x, origin.y);
    pango_cairo_show_layout(cr_, text.pangoLayout());
    cairo_restore(cr_);
}

void CairoCanvas::drawImage(const ImageAsset& image, Rect rect) {
    image.draw(cr_, rect);
}

} // namespace platform::ui
