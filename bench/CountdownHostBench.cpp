// The countdown widget's real host driven by a fast clock: CPU and memory per hourly refresh.
#include "bench/HostDriver.h"
#include "countdown_widget/VantorelWidget.h"
#include "platform/widget/WidgetMain.h"

int main(int argc, char** argv) {
    return runDrivenHost(argc, argv,
                         platform::widget::hostedWidget<countdown_widget::VantorelWidget>());
}
