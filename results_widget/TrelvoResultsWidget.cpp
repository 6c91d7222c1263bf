#include "results_widget/TrelvoResultsWidget.h"

#include "core/Extension/Color+Hex.h"
#include "results_widget/ResultsView.h"

#include <limits>

using platform::ui::View;
using platform::widget::WidgetFamily;
using platform::widget::WidgetPreview;
using platform::widget::WidgetPreviewContext;

namespace results_widget {

View TrelvoResultsWidgetEntryView::body() const {
    return ResultsView{entry};
}

TrelvoResultsWidget::Configuration TrelvoResultsWidget::body() const {
    return Configuration(kind, Provider(), &TrelvoResultsWidget::content)
        .supportedFamilies({WidgetFamily::systemSmall})
        .configurationDisplayName("Trelvo Results")
        .description("Shows project results");
}

View TrelvoResultsWidget::content(const ResultsEntry& entry) {
    constexpr double infinity = std::numeric_limits<double>::infinity();
    // Framed before the background, so that the colour fills the whole widget.
    return View(TrelvoResultsWidgetEntryView{entry})
        .frame({.maxWidth = infinity, .maxHeight = infinity})
        .background(colorFromHex(backgroundHex, 1.0));
}

WidgetPreview<View> TrelvoResultsWidget_Previews::previews() {
    View view = TrelvoResultsWidgetEntryView{ResultsEntry()};
    return platform::widget::previewContext(view, WidgetPreviewContext{WidgetFamily::systemSmall});
}

} // namespace results_widget
