#include "countdown_widget/VantorelWidget.h"

#include "core/Extension/Color+Hex.h"
#include "countdown_widget/VantorelWidgetEntryView.h"

#include <limits>

using platform::ui::View;
using platform::widget::WidgetFamily;

namespace countdown_widget {

VantorelWidget::Configuration VantorelWidget::body() const {
    return Configuration(kind, Provider(), &VantorelWidget::content)
        .supportedFamilies({WidgetFamily::systemSmall, WidgetFamily::systemMedium})
        .configurationDisplayName("Next big event countdown")
        .description("Ведет отсчет до следующего крупного события");
}

View VantorelWidget::content(const DaysUntilEntry& entry) {
    constexpr double infinity = std::numeric_limits<double>::infinity();
    return View(VantorelWidgetEntryView{entry})
        .frame({.maxWidth = infinity, .maxHeight = infinity})
        .background(colorFromHex(backgroundHex, 1.0));
}

} // namespace countdown_widget
