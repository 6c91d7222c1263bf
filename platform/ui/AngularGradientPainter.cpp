#include "platform/ui/AngularGradientPainter.h"

#include "platform/ui/CairoCanvas.h"
#include "platform/ui/CairoHandles.h"
#include "platform/ui/Transform.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>

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

std::uint8_t channel(double value, double alpha) {
    return static_cast<std::uint8_t>(std::lround(std::clamp(value, 0.0, 1.0) * alpha * 255.0));
}

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
    for (int y = 0; y < box.height(); ++y) {
        const auto* maskRow = coverage + static_cast<std::ptrdiff_t>(y) * maskStride;
        auto* row =
            reinterpret_cast<std::uint32_t*>(pixels + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < box.width(); ++x) {
            const unsigned a = maskRow[x];
            if (a == 0) {
                row[x] = 0;
                continue;
            }
            // The colour is taken at the pixel's centre, in the gradient's own coordinates.
            const Point user = inv.apply({box.x0 + x + 0.5, box.y0 + y + 0.5});
            const Color c =
                paint.colorAt(std::atan2(user.y - paint.center.y, user.x - paint.center.x));
            const double alpha = std::clamp(c.a, 0.0, 1.0) * (a / 255.0);
            row[x] = static_cast<std::uint32_t>(channel(1, alpha)) << 24 |
                     static_cast<std::uint32_t>(channel(c.r, alpha)) << 16 |
                     static_cast<std::uint32_t>(channel(c.g, alpha)) << 8 | channel(c.b, alpha);
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

void paintAngularGradient(cairo_t* cr, const AngularGradientPaint& paint,
                          const StrokeStyle* style) {
    if (isVectorTarget(cr)) {
        paintMesh(cr, paint, style);
    } else {
        paintPerPixel(cr, paint, style);
    }
}

} // namespace platform::ui
