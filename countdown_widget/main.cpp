#include "countdown_widget/VantorelWidget.h"
#include "platform/widget/WidgetMain.h"

int main(int argc, char** argv) {
    return platform::widget::main<countdown_widget::VantorelWidget>(argc, argv);
}
