#pragma once

// A widget needs this one include for its provider and its declaration.
#include "platform/widget/StaticConfiguration.h"
#include "platform/widget/TimelineEntry.h"
#include "platform/widget/TimelineProvider.h"
#include "platform/widget/TimelineProviderContext.h"
#include "platform/widget/TimelineReloadPolicy.h"
#include "platform/widget/Widget.h"
#include "platform/widget/WidgetFamily.h"
#include "platform/widget/WidgetPreviewContext.h"

#include <vector>

namespace platform::widget {

// The entries a provider lays out, in date order, and when the host should ask again.
template <TimelineEntry Entry> struct Timeline {
    std::vector<Entry> entries;
    TimelineReloadPolicy policy;
};

template <class Entry> Timeline(std::vector<Entry>, TimelineReloadPolicy) -> Timeline<Entry>;

} // namespace platform::widget
