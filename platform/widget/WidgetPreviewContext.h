#pragma once

#include "platform/widget/WidgetFamily.h"

#include <utility>

namespace platform::widget {

// For design-time previews only: the family a preview is drawn in.
struct WidgetPreviewContext {
    WidgetFamily family = WidgetFamily::systemSmall;
};

template <class View> struct WidgetPreview {
    View view;
    WidgetPreviewContext context;
};

template <class View> WidgetPreview<View> previewContext(View view, WidgetPreviewContext context) {
    return {std::move(view), context};
}

} // namespace platform::widget
