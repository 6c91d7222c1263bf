// The results widget's real host driven by a fast clock: each refresh is one fetch from the
// service named by TRELVO_SERVICE_URL, decoded, drawn and presented; CPU and memory per refresh.
#include "bench/HostDriver.h"
#include "platform/widget/WidgetMain.h"
#include "results_widget/TrelvoResultsWidget.h"

int main(int argc, char** argv) {
    return runDrivenHost(argc, argv,
                         platform::widget::hostedWidget<results_widget::TrelvoResultsWidget>());
}
