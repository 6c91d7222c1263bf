// The year ring's angular gradient, painted per device pixel, against the same band stroked in one
// colour: the difference is what the gradient itself costs a redraw. Geometry and colours are the
// results widget's outer ring (radius 64.75, 15 wide, in a 170-point square).

#include "core/Extension/Color+Hex.h"
#include "platform/ui/AngularGradientPainter.h"
#include "platform/ui/CairoHandles.h"
#include "platform/ui/Color.h"
#include "platform/ui/StrokeStyle.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <numbers>

namespace {

using namespace platform::ui;

constexpr double side = 170;
constexpr double radius = 64.75;
constexpr double thickness = 15;

struct Target {
    SurfacePtr image;
    CairoPtr cr;

    explicit Target(int scale)
        : image(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(side) * scale,
                                           static_cast<int>(side) * scale))
        , cr(cairo_create(image.get())) {
        cairo_scale(cr.get(), scale, scale);
    }

    void ring() {
        cairo_new_path(cr.get());
        cairo_arc(cr.get(), side / 2, side / 2, radius, 0, 2 * std::numbers::pi);
        cairo_set_line_width(cr.get(), thickness);
    }
};

// Pixels the band covers at this scale, for a per-pixel rate.
double bandPixels(int scale) {
    const double outer = (radius + thickness / 2) * scale;
    const double inner = (radius - thickness / 2) * scale;
    return std::numbers::pi * (outer * outer - inner * inner);
}

void BM_RingAngularGradient(benchmark::State& state) {
    const int scale = static_cast<int>(state.range(0));
    Target target(scale);
    const AngularGradientPaint paint{{side / 2, side / 2},
                                     -std::numbers::pi / 2,
                                     3 * std::numbers::pi / 2,
                                     {colorFromHex(0x7F3CC1), colorFromHex(0x9458D3)}};
    const StrokeStyle style{.lineWidth = thickness};
    for (auto _ : state) {
        target.ring();
        paintAngularGradient(target.cr.get(), paint, &style);
        cairo_surface_flush(target.image.get());
    }
    state.counters["px"] = bandPixels(scale);
    state.counters["px/s"] =
        benchmark::Counter(bandPixels(scale), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_RingAngularGradient)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMicrosecond);

// The baseline: cairo's own stroke of the band in one colour.
void BM_RingSolidStroke(benchmark::State& state) {
    const int scale = static_cast<int>(state.range(0));
    Target target(scale);
    const Color c = colorFromHex(0x7F3CC1);
    for (auto _ : state) {
        target.ring();
        cairo_set_source_rgba(target.cr.get(), c.r, c.g, c.b, c.a);
        cairo_stroke(target.cr.get());
        cairo_surface_flush(target.image.get());
    }
    state.counters["px"] = bandPixels(scale);
}
BENCHMARK(BM_RingSolidStroke)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
