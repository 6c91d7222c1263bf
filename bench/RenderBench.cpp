// What a user feels of one results entry: layout, drawing and PNG encoding of the widget picture
// (two rings with captions and two lines of figures, 170 x 170 points), at 1x and 2x.

#include "core/Extension/Color+Hex.h"
#include "platform/ui/PNGWriter.h"
#include "platform/ui/Render.h"
#include "platform/ui/Stack.h"
#include "platform/ui/Text.h"
#include "results_widget/ActivityRing.h"

#include <benchmark/benchmark.h>
#include <cmath>

namespace {

using namespace platform::ui;
using results_widget::ActivityRing;
using results_widget::RingDiameter;

constexpr Size widget{170, 170};

View scene() {
    return ZStack{
        VStack{
            Text::verbatim("1 234 567").foregroundColor(colorFromHex(0x875FC4)).font(Font::body()),
            Text::verbatim("89 000").foregroundColor(colorFromHex(0xEF8954)).font(Font::body())},
        ActivityRing(0.72, "y", RingDiameter::big), ActivityRing(1.3, "m", RingDiameter::medium)}
        .frame({.maxWidth = INFINITY, .maxHeight = INFINITY})
        .background(colorFromHex(0x232228));
}

SurfacePtr blankImage(double scale) {
    return SurfacePtr(cairo_image_surface_create(
        CAIRO_FORMAT_ARGB32, static_cast<int>(std::ceil(widget.width * scale)),
        static_cast<int>(std::ceil(widget.height * scale))));
}

void drawInto(cairo_surface_t* image, const LayoutNode& tree, double scale) {
    CairoPtr cr(cairo_create(image));
    cairo_set_operator(cr.get(), CAIRO_OPERATOR_CLEAR);
    cairo_paint(cr.get());
    cairo_set_operator(cr.get(), CAIRO_OPERATOR_OVER);
    cairo_scale(cr.get(), scale, scale);
    render(tree, cr.get());
}

void BM_Layout(benchmark::State& state) {
    const View view = scene();
    for (auto _ : state) {
        benchmark::DoNotOptimize(layoutCentered(view, widget));
    }
}
BENCHMARK(BM_Layout)->Unit(benchmark::kMicrosecond);

// Drawing only: the tree is laid out once, the surface reused.
void BM_Draw(benchmark::State& state) {
    const double scale = static_cast<double>(state.range(0));
    const auto tree = layoutCentered(scene(), widget);
    const auto image = blankImage(scale);
    for (auto _ : state) {
        drawInto(image.get(), tree, scale);
        cairo_surface_flush(image.get());
    }
}
BENCHMARK(BM_Draw)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

// What one entry costs end to end before encoding: layout, a new surface, drawing.
void BM_Render(benchmark::State& state) {
    const double scale = static_cast<double>(state.range(0));
    const View view = scene();
    for (auto _ : state) {
        auto image = renderToImage(view, widget, scale);
        benchmark::DoNotOptimize(image);
    }
}
BENCHMARK(BM_Render)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

void BM_EncodePNG(benchmark::State& state) {
    const double scale = static_cast<double>(state.range(0));
    const auto image = renderToImage(scene(), widget, scale);
    std::size_t bytes = 0;
    for (auto _ : state) {
        auto png = encodePNG(image->get());
        bytes = png->size();
        benchmark::DoNotOptimize(png);
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_EncodePNG)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

// cairo's own writer, for comparison with ours.
void BM_CairoWriteToPNG(benchmark::State& state) {
    const double scale = static_cast<double>(state.range(0));
    const auto image = renderToImage(scene(), widget, scale);
    std::size_t bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        cairo_surface_write_to_png_stream(
            image->get(),
            [](void* closure, const unsigned char*, unsigned int length) {
                *static_cast<std::size_t*>(closure) += length;
                return CAIRO_STATUS_SUCCESS;
            },
            &bytes);
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_CairoWriteToPNG)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
