#pragma once

#include "core/ResultsEntity.h"
#include "core/ResultsModel.h"
#include "platform/foundation/Date.h"
#include "platform/widget/Timeline.h"

#include <functional>

namespace results_widget {

// The results widget's timeline provider. Placeholder and snapshot answer at once with zeros;
// a timeline comes from one fetch of the service, with one entry and a reload 15 minutes on.
// A failed fetch leaves the host's request unanswered (the repository has said why).
struct Provider {
    using Entry = ResultsEntry;
    using Context = platform::widget::TimelineProviderContext;

    static constexpr int reloadMinutes = 15;

    ResultsEntry placeholder(const Context& context) const;
    void getSnapshot(const Context& context, std::function<void(ResultsEntry)> completion) const;
    void
    getTimeline(const Context& context,
                std::function<void(platform::widget::Timeline<ResultsEntry>)> completion) const;

    // The timeline for the fetched figures at `now`: ratios by plain division, unclamped (a zero
    // plan gives inf or nan), one entry dated now, and a reload 15 calendar minutes later.
    static platform::widget::Timeline<ResultsEntry> makeTimeline(const ResultsModel& model,
                                                                 platform::foundation::Date now);
    // What the fetch's callback does: reads the clock once, writes the year ratio as a line and
    // hands the timeline to the host's completion.
    static void
    answer(const ResultsModel& model,
           const std::function<void(platform::widget::Timeline<ResultsEntry>)>& completion);
};

static_assert(platform::widget::TimelineProvider<Provider>);

} // namespace results_widget
