#pragma once

#include "platform/widget/TimelineEntry.h"
#include "platform/widget/TimelineProviderContext.h"

#include <functional>
#include <type_traits>

namespace platform::widget {

// Defined in Timeline.h, which includes this header.
template <TimelineEntry Entry> struct Timeline;

template <class P>
using ProviderEntry = std::remove_cvref_t<decltype(std::declval<const P&>().placeholder(
    std::declval<const TimelineProviderContext&>()))>;

// The three requests the host makes of a widget's provider. Placeholder answers at once;
// snapshot and timeline call their completion once, the timeline possibly later, from any
// thread, or never.
template <class P>
concept TimelineProvider = requires(const P& provider, const TimelineProviderContext& context) {
    { provider.placeholder(context) } -> TimelineEntry;
}
&&requires(const P& provider, const TimelineProviderContext& context,
           std::function<void(ProviderEntry<P>)> snapshot,
           std::function<void(Timeline<ProviderEntry<P>>)> timeline) {
    provider.getSnapshot(context, snapshot);
    provider.getTimeline(context, timeline);
};

} // namespace platform::widget
