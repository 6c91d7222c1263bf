#include "platform/ui/AngularGradientPainter.h"

#include "platform/ui/CairoCanvas.h"
#include "platform/ui/CairoHandles.h"
#include "platform/ui/Transform.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace platform::ui {
namespace {

constexpr double turn = 2 * std::numbers::pi;
constexpr double largestWedge = 2 * std::numbers::pi / 180; // 2 degrees
// Larger areas are not worth a per-pixel pass; cairo's own limit is 32767.
constexpr double largestRasterSide = 16384;

bool isVectorTarget(cairo_t* cr) {
    switch (cairo_surface_get_type(cairo_get_target(cr))) {
    case CAIRO_SURFACE_TYPE_PDF:
    case CAIRO_SURFACE_TYPE_PS:
    case CAIRO_SURFACE_TYPE_SVG:
    case CAIRO_SURFACE_TYPE_RECORDING:
    case CAIRO_SURFACE_TYPE_SCRIPT:
        return true;
    default:
        return false;
    }
}

void finish(cairo_t* cr, const StrokeStyle* style) {
    if (style) {
        cairo_stroke(cr);
    } else {
        cairo_fill(cr);
    }
}

inline double atan2Quick(double y, double x) {
    const double ax = std::abs(x);
    const double ay = std::abs(y);
    const double most = std::max(ax, ay);
    if (most == 0 || std::isnan(x) || std::isnan(y)) {
        return 0;
    }
    const double a = std::min(ax, ay) / most;
    const double s = a * a;
    // Least-squares fit of atan(a) / a in a * a on [0, 1]; error under 5e-8 radians.
    double r = -0.0040695177282440275;
    r = r * s + 0.021932381566073154;
    r = r * s - 0.0560418322905852;
    r = r * s + 0.09654628272268642;
    r = r * s - 0.1391513899291224;
    r = r * s + 0.19948371132736564;
    r = r * s - 0.33330094233676016;
    r = r * s + 0.9999994337486462;
    r *= a;
    if (ay > ax) {
        r = std::numbers::pi / 2 - r;
    }
    if (x < 0) {
        r = std::numbers::pi - r;
    }
    return y < 0 ? -r : r;
}

// The gradient's colour for each device pixel, premultiplied as cairo stores it, from a table of
// steps along the span, each the exact colour at its middle. The table has as many steps as the
// colours differ, so a pixel is within 1/30 of an 8-bit step of its exact colour; the widget's
// rings, whose ends are close in colour, need a few hundred rather than thousands.
class Sampler {
public:
    static constexpr int mostSteps = 4096;

    explicit Sampler(const AngularGradientPaint& paint)
        : direction_(paint.endAngle >= paint.startAngle ? 1.0 : -1.0)
        , base_(std::fmod(-direction_ * paint.startAngle, turn)) {
        if (base_ < 0) {
            base_ += turn;
        }
        const double span = std::abs(paint.endAngle - paint.startAngle);
        if (paint.colors.size() < 2 || span == 0) {
            // One colour everywhere, as colorAt gives.
            table_ = {pack(paint.colorAt(0))};
            last_ = table_.front();
            return;
        }
        const int steps = stepsFor(paint.colors);
        // Table positions are fractions of the gradient's span, clamped past its end.
        perRadian_ = steps / span;
        table_ = tableOf(paint.colors, steps);
        last_ = pack(paint.colors.back());
    }

    std::uint32_t premultiplied(double angle, unsigned coverage) const {
        double relative = direction_ * angle + base_;
        if (relative < 0) {
            relative += turn;
        } else if (relative >= turn) {
            relative -= turn;
        }
        const double position = relative * perRadian_;
        const std::uint32_t full = position < static_cast<double>(table_.size())
                                       ? table_[static_cast<std::size_t>(position)]
                                       : last_;
        if (coverage == 255) {
            return full;
        }
        const auto scaled = [coverage](std::uint32_t c) {
            const std::uint32_t v = c * coverage + 128;
            return (v + (v >> 8)) >> 8;
        };
        return scaled(full >> 24) << 24 | scaled((full >> 16) & 0xFF) << 16 |
               scaled((full >> 8) & 0xFF) << 8 | scaled(full & 0xFF);
    }

private:
    // NaN counts as 0.
    static double unit(double v) { return v > 0 ? std::min(v, 1.0) : 0.0; }

    // Half a step's change in any premultiplied channel stays under 1/30 of 1/255.
    static int stepsFor(const std::vector<Color>& colors) {
        double widest = 0;
        for (std::size_t i = 1; i < colors.size(); ++i) {
            const Color& a = colors[i - 1];
            const Color& b = colors[i];
            const double aa = unit(a.a), ba = unit(b.a);
            for (const double d :
                 {ba - aa, unit(b.r) * ba - unit(a.r) * aa, unit(b.g) * ba - unit(a.g) * aa,
                  unit(b.b) * ba - unit(a.b) * aa}) {
                widest = std::max(widest, std::abs(d));
            }
        }
        const double segments = static_cast<double>(colors.size() > 1 ? colors.size() - 1 : 1);
        const double needed = std::ceil(widest * segments * 255 * 15);
        return static_cast<int>(std::clamp(needed, 1.0, double{mostSteps}));
    }

    static std::vector<std::uint32_t> tableOf(const std::vector<Color>& colors, int steps) {
        std::vector<std::uint32_t> table(static_cast<std::size_t>(steps));
        const double segments = static_cast<double>(colors.size() - 1);
        for (int i = 0; i < steps; ++i) {
            const double position = (i + 0.5) / steps * segments;
            const auto index = std::min(static_cast<std::size_t>(position), colors.size() - 2);
            table[static_cast<std::size_t>(i)] =
                pack(mix(colors[index], colors[index + 1], position - static_cast<double>(index)));
        }
        return table;
    }

    static std::uint32_t pack(const Color& c) {
        const double alpha = unit(c.a);
        const auto byte = [](double v) {
            return static_cast<std::uint32_t>(unit(v) * 255.0 + 0.5);
        };
        return byte(alpha) << 24 | byte(c.r * alpha) << 16 | byte(c.g * alpha) << 8 |
               byte(c.b * alpha);
    }

    double direction_;
    double base_;
    double perRadian_ = 0;
    std::vector<std::uint32_t> table_;
    std::uint32_t last_ = 0;
};

struct PixelBox {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    int width() const { return x1 - x0; }
    int height() const { return y1 - y0; }
};

void setMatrix(cairo_t* cr, const Transform& m) {
    const cairo_matrix_t matrix{m.a, m.b, m.c, m.d, m.tx, m.ty};
    cairo_set_matrix(cr, &matrix);
}

// Cairo 1.16 measures strokes on a target with a device scale as if the line were thinner, so
// the extents are taken on a scratch context whose matrix holds the whole map to device pixels.
std::array<double, 4> paintedExtents(cairo_t* cr, const Transform& userToDevice,
                                     const StrokeStyle* style) {
    SurfacePtr scratch(cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1));
    CairoPtr scr(cairo_create(scratch.get()));
    setMatrix(scr.get(), userToDevice);
    CairoPathPtr path(cairo_copy_path(cr));
    cairo_append_path(scr.get(), path.get());
    std::array<double, 4> e{};
    if (style) {
        setStrokeStyle(scr.get(), *style);
        cairo_stroke_extents(scr.get(), &e[0], &e[1], &e[2], &e[3]);
    } else {
        cairo_fill_extents(scr.get(), &e[0], &e[1], &e[2], &e[3]);
    }
    return e;
}

// The path's painted extents in device pixels, within the clip.
PixelBox deviceBox(cairo_t* cr, const Transform& userToDevice, const StrokeStyle* style) {
    const auto [ex0, ey0, ex1, ey1] = paintedExtents(cr, userToDevice, style);
    double cx0, cy0, cx1, cy1;
    cairo_clip_extents(cr, &cx0, &cy0, &cx1, &cy1);
    const auto toDevice = [&](double x0, double y0, double x1, double y1) {
        std::array<double, 4> box{INFINITY, INFINITY, -INFINITY, -INFINITY};
        for (const Point corner : {Point{x0, y0}, Point{x1, y0}, Point{x0, y1}, Point{x1, y1}}) {
            const Point d = userToDevice.apply(corner);
            box = {std::min(box[0], d.x), std::min(box[1], d.y), std::max(box[2], d.x),
                   std::max(box[3], d.y)};
        }
        return box;
    };
    const auto e = toDevice(ex0, ey0, ex1, ey1);
    const auto c = toDevice(cx0, cy0, cx1, cy1);
    const double x0 = std::floor(std::max(e[0], c[0]));
    const double y0 = std::floor(std::max(e[1], c[1]));
    const double x1 = std::ceil(std::min(e[2], c[2]));
    const double y1 = std::ceil(std::min(e[3], c[3]));
    if (!(x1 > x0 && y1 > y0) || x1 - x0 > largestRasterSide || y1 - y0 > largestRasterSide) {
        return {};
    }
    return {static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1), static_cast<int>(y1)};
}

// Coverage of the path, one byte a device pixel.
SurfacePtr coverageMask(cairo_t* cr, const Transform& userToDevice, const PixelBox& box,
                        const StrokeStyle* style) {
    SurfacePtr mask(cairo_image_surface_create(CAIRO_FORMAT_A8, box.width(), box.height()));
    CairoPtr mcr(cairo_create(mask.get()));
    setMatrix(mcr.get(), userToDevice.then(Transform::translation(-box.x0, -box.y0)));
    CairoPathPtr path(cairo_copy_path(cr));
    cairo_append_path(mcr.get(), path.get());
    cairo_set_fill_rule(mcr.get(), cairo_get_fill_rule(cr));
    cairo_set_antialias(mcr.get(), cairo_get_antialias(cr));
    if (style) {
        setStrokeStyle(mcr.get(), *style);
    }
    finish(mcr.get(), style);
    cairo_surface_flush(mask.get());
    return mask;
}

// The current transform followed by the target's device scale: user space to device pixels.
Transform userToDeviceOf(cairo_t* cr) {
    cairo_matrix_t ctm;
    cairo_get_matrix(cr, &ctm);
    double scaleX = 1, scaleY = 1;
    cairo_surface_get_device_scale(cairo_get_target(cr), &scaleX, &scaleY);
    return Transform{ctm.xx, ctm.yx, ctm.xy, ctm.yy, ctm.x0, ctm.y0}.then(
        Transform::scaling(scaleX, scaleY));
}

void paintPerPixel(cairo_t* cr, const AngularGradientPaint& paint, const StrokeStyle* style) {
    double scaleX = 1, scaleY = 1;
    cairo_surface_get_device_scale(cairo_get_target(cr), &scaleX, &scaleY);
    const Transform userToDevice = userToDeviceOf(cr);
    const auto deviceToUser = userToDevice.inverted();
    const PixelBox box = deviceBox(cr, userToDevice, style);
    if (!deviceToUser || box.width() <= 0) {
        cairo_new_path(cr);
        return;
    }
    const SurfacePtr mask = coverageMask(cr, userToDevice, box, style);
    cairo_new_path(cr);
    SurfacePtr colored(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, box.width(), box.height()));
    const unsigned char* coverage = cairo_image_surface_get_data(mask.get());
    const int maskStride = cairo_image_surface_get_stride(mask.get());
    unsigned char* pixels = cairo_image_surface_get_data(colored.get());
    const int stride = cairo_image_surface_get_stride(colored.get());
    const Transform& inv = *deviceToUser;
    const Sampler sampler(paint);
    // Pixel centres step through the gradient's coordinates by a fixed amount along a row.
    const Point step{inv.a, inv.b};
    for (int y = 0; y < box.height(); ++y) {
        const auto* maskRow = coverage + static_cast<std::ptrdiff_t>(y) * maskStride;
        auto* row =
            reinterpret_cast<std::uint32_t*>(pixels + static_cast<std::ptrdiff_t>(y) * stride);
        const Point first = inv.apply({box.x0 + 0.5, box.y0 + y + 0.5});
        const double dx0 = first.x - paint.center.x;
        const double dy0 = first.y - paint.center.y;
        // The new image is clear; only the covered part of each row needs colour.
        int begin = 0;
        int end = box.width();
        while (begin < end && maskRow[begin] == 0) {
            ++begin;
        }
        while (end > begin && maskRow[end - 1] == 0) {
            --end;
        }
        for (int x = begin; x < end; ++x) {
            const unsigned a = maskRow[x];
            if (a != 0) {
                row[x] = sampler.premultiplied(atan2Quick(dy0 + step.y * x, dx0 + step.x * x), a);
            }
        }
    }
    cairo_surface_mark_dirty(colored.get());
    // One unit a device pixel, whatever the target's device scale.
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_scale(cr, 1 / scaleX, 1 / scaleY);
    cairo_set_source_surface(cr, colored.get(), box.x0, box.y0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_rectangle(cr, box.x0, box.y0, box.width(), box.height());
    cairo_fill(cr);
    cairo_restore(cr);
}

void setMeshColor(cairo_pattern_t* mesh, unsigned corner, const Color& c) {
    const auto unit = [](double v) { return std::clamp(v, 0.0, 1.0); };
    cairo_mesh_pattern_set_corner_color_rgba(mesh, corner, unit(c.r), unit(c.g), unit(c.b),
                                             unit(c.a));
}

void paintMesh(cairo_t* cr, const AngularGradientPaint& paint, const StrokeStyle* style) {
    const auto [x0, y0, x1, y1] = paintedExtents(cr, userToDeviceOf(cr), style);
    double reach = 0;
    for (const Point corner : {Point{x0, y0}, Point{x1, y0}, Point{x0, y1}, Point{x1, y1}}) {
        reach = std::max(reach, std::hypot(corner.x - paint.center.x, corner.y - paint.center.y));
    }
    // The straight outer edge of a wedge must stay outside everything painted.
    reach = reach / std::cos(largestWedge / 2) + 1;
    PatternPtr mesh(cairo_pattern_create_mesh());
    const int wedges = static_cast<int>(std::ceil(turn / largestWedge));
    const double step = turn / wedges;
    const auto at = [&](double angle) {
        return Point{paint.center.x + reach * std::cos(angle),
                     paint.center.y + reach * std::sin(angle)};
    };
    // Wedges start at the gradient's start so that its seam falls on a wedge boundary.
    const double direction = paint.endAngle >= paint.startAngle ? 1 : -1;
    for (int i = 0; i < wedges; ++i) {
        const double a0 = paint.startAngle + direction * step * i;
        const double a1 = paint.startAngle + direction * step * (i + 1);
        // Sample just inside the wedge so that the last one ends in the last colour.
        const double inward = direction * step * 1e-6;
        const Color c0 = paint.colorAt(a0 + inward);
        const Color c1 = paint.colorAt(a1 - inward);
        const Point p0 = at(a0);
        const Point p1 = at(a1);
        cairo_mesh_pattern_begin_patch(mesh.get());
        cairo_mesh_pattern_move_to(mesh.get(), paint.center.x, paint.center.y);
        cairo_mesh_pattern_line_to(mesh.get(), p0.x, p0.y);
        cairo_mesh_pattern_line_to(mesh.get(), p1.x, p1.y);
        cairo_mesh_pattern_line_to(mesh.get(), paint.center.x, paint.center.y);
        setMeshColor(mesh.get(), 0, c0);
        setMeshColor(mesh.get(), 1, c0);
        setMeshColor(mesh.get(), 2, c1);
        setMeshColor(mesh.get(), 3, c1);
        cairo_mesh_pattern_end_patch(mesh.get());
    }
    cairo_set_source(cr, mesh.get());
    finish(cr, style);
}

} // namespace

double fastAtan2(double y, double x) {
    return atan2Quick(y, x);
}

void paintAngularGradient(cairo_t* cr, const AngularGradientPaint& paint,
                          const StrokeStyle* style) {
    if (isVectorTarget(cr)) {
        paintMesh(cr, paint, style);
    } else {
        paintPerPixel(cr, paint, style);
    }
}

} // namespace platform::ui
