#include "platform/widget/WidgetMain.h"
#include "results_widget/TrelvoResultsWidget.h"

int main(int argc, char** argv) {
    return platform::widget::main<results_widget::TrelvoResultsWidget>(argc, argv);
}
