// The results widget's picture for the demo service's figures (1 500 of 3 000 this year, 100
// of 250 this month), laid out, drawn and encoded as the host does it.
#include "bench/WidgetPictureBench.h"
#include "core/ResultsEntity.h"
#include "platform/widget/WidgetFamily.h"
#include "results_widget/TrelvoResultsWidget.h"

using results_widget::TrelvoResultsWidget;

int main(int argc, char** argv) {
    const auto size = platform::widget::displaySize(platform::widget::WidgetFamily::systemSmall);
    picture_bench::registerPictureBenchmarks("Results",
                                             [] {
                                                 ResultsEntry entry;
                                                 entry.yearResults = 1500;
                                                 entry.monthResults = 100;
                                                 entry.yearCompletion = 0.5;
                                                 entry.monthCompletion = 0.4;
                                                 return TrelvoResultsWidget::content(entry);
                                             },
                                             {size.width, size.height});
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
