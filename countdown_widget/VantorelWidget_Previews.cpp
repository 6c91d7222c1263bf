#include "countdown_widget/VantorelWidget_Previews.h"

#include "countdown_widget/DaysUntilEntry.h"
#include "countdown_widget/VantorelWidgetEntryView.h"

using platform::foundation::Date;
using platform::widget::WidgetFamily;
using platform::widget::WidgetPreview;
using platform::widget::WidgetPreviewContext;

namespace countdown_widget {

WidgetPreview<platform::ui::View> VantorelWidget_Previews::previews() {
    platform::ui::View view = VantorelWidgetEntryView{DaysUntilEntry{Date::now(), 10}};
    return platform::widget::previewContext(view, WidgetPreviewContext{WidgetFamily::systemSmall});
}

} // namespace countdown_widget
