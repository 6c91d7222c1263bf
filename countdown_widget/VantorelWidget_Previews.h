#pragma once

#include "platform/ui/View.h"
#include "platform/widget/WidgetPreviewContext.h"

namespace countdown_widget {

// The design-time preview: the entry view alone, in the small family, on the canvas's own
// background.
struct VantorelWidget_Previews {
    static platform::widget::WidgetPreview<platform::ui::View> previews();
};

} // namespace countdown_widget
