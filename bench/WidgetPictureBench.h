#pragma once

// One widget's picture as the host makes it, step by step, at 1x, 2x and 3x:
//   Layout      the entry's view laid out in the family's points
//   Draw        the laid-out tree drawn into a reused image (no allocation, no encoding)
//   EncodePNG   that image to PNG bytes (libpng, as the file presenter writes it)
//   Picture     the whole file presenter path: view -> clipped, drawn image -> PNG bytes
// Register them from a main with registerPictureBenchmarks("results", makeView, size).

#include "platform/ui/CairoHandles.h"
#include "platform/ui/Layout.h"
#include "platform/ui/PNGWriter.h"
#include "platform/ui/Render.h"
#include "platform/widget/HostOptions.h"
#include "platform/widget/WidgetPicture.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <functional>
#include <string>

namespace picture_bench {

using MakeView = std::function<platform::ui::View()>;

inline platform::ui::SurfacePtr blankImage(platform::ui::Size points, int scale) {
    return platform::ui::SurfacePtr(cairo_image_surface_create(
        CAIRO_FORMAT_ARGB32, static_cast<int>(std::ceil(points.width * scale)),
        static_cast<int>(std::ceil(points.height * scale))));
}

inline void drawTree(cairo_surface_t* image, const platform::ui::LayoutNode& tree, int scale) {
    platform::ui::CairoPtr cr(cairo_create(image));
    cairo_set_operator(cr.get(), CAIRO_OPERATOR_CLEAR);
    cairo_paint(cr.get());
    cairo_set_operator(cr.get(), CAIRO_OPERATOR_OVER);
    cairo_scale(cr.get(), scale, scale);
    platform::ui::render(tree, cr.get());
    cairo_surface_flush(image);
}

inline void registerPictureBenchmarks(const std::string& name, MakeView makeView,
                                      platform::ui::Size points) {
    using namespace platform::ui;
    benchmark::RegisterBenchmark((name + "/Layout").c_str(), [=](benchmark::State& state) {
        const View view = makeView();
        for (auto _ : state) {
            benchmark::DoNotOptimize(layoutCentered(view, points));
        }
    })->Unit(benchmark::kMicrosecond);

    benchmark::RegisterBenchmark((name + "/Draw").c_str(),
                                 [=](benchmark::State& state) {
                                     const int scale = static_cast<int>(state.range(0));
                                     const auto tree = layoutCentered(makeView(), points);
                                     const auto image = blankImage(points, scale);
                                     for (auto _ : state) {
                                         drawTree(image.get(), tree, scale);
                                     }
                                 })
        ->DenseRange(1, 3)
        ->Unit(benchmark::kMicrosecond);

    benchmark::RegisterBenchmark((name + "/EncodePNG").c_str(),
                                 [=](benchmark::State& state) {
                                     const int scale = static_cast<int>(state.range(0));
                                     const auto image = blankImage(points, scale);
                                     drawTree(image.get(), layoutCentered(makeView(), points),
                                              scale);
                                     std::size_t bytes = 0;
                                     for (auto _ : state) {
                                         auto png = encodePNG(image.get());
                                         bytes = png ? png->size() : 0;
                                         benchmark::DoNotOptimize(png);
                                     }
                                     state.counters["bytes"] = static_cast<double>(bytes);
                                 })
        ->DenseRange(1, 3)
        ->Unit(benchmark::kMicrosecond);

    benchmark::RegisterBenchmark((name + "/Picture").c_str(),
                                 [=](benchmark::State& state) {
                                     const int scale = static_cast<int>(state.range(0));
                                     for (auto _ : state) {
                                         auto bytes = platform::widget::encodeWidget(
                                             platform::widget::OutputFormat::png, makeView(),
                                             points, scale, false);
                                         if (!bytes) {
                                             state.SkipWithError(bytes.error().c_str());
                                             break;
                                         }
                                         benchmark::DoNotOptimize(bytes);
                                     }
                                 })
        ->DenseRange(1, 3)
        ->Unit(benchmark::kMicrosecond);
}

} // namespace picture_bench
