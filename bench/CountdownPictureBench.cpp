// The countdown widget's picture, small family, laid out, drawn and encoded as the host does it.
#include "bench/WidgetPictureBench.h"
#include "countdown_widget/VantorelWidget.h"
#include "platform/widget/WidgetFamily.h"

int main(int argc, char** argv) {
    const auto size = platform::widget::displaySize(platform::widget::WidgetFamily::systemSmall);
    picture_bench::registerPictureBenchmarks(
        "Countdown",
        [] {
            using namespace countdown_widget;
            return VantorelWidget::content(DaysUntilEntry{{}, 1234});
        },
        {size.width, size.height});
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
