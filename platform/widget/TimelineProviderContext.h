#pragma once

#include "platform/widget/WidgetFamily.h"

namespace platform::widget {

// What the host tells a provider about the widget it is asking for.
struct TimelineProviderContext {
    WidgetFamily family = WidgetFamily::systemSmall;
    DisplaySize displaySize = platform::widget::displaySize(WidgetFamily::systemSmall);
    bool isPreview = false;

    static TimelineProviderContext forFamily(WidgetFamily family, bool isPreview = false) {
        return {family, platform::widget::displaySize(family), isPreview};
    }
};

} // namespace platform::widget
