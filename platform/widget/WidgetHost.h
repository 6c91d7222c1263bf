#pragma once

#include "platform/foundation/Date.h"
#include "platform/ui/View.h"
#include "platform/widget/HostOptions.h"
#include "platform/widget/StaticConfiguration.h"
#include "platform/widget/TimelineProviderContext.h"
#include "platform/widget/TimelineSchedule.h"

#include <functional>
#include <memory>
#include <optional>

namespace platform::widget {

using PresentView = std::function<void(const ui::View&, const Presentation&)>;
using SleepUntil = std::function<void(std::optional<foundation::Date>)>;

// A running timeline of one widget, driven by the host's loop.
class HostSession {
public:
    virtual ~HostSession() = default;
    virtual void start() = 0;
    virtual void wake() = 0;
    virtual void clockChanged() = 0;
    virtual void refresh() = 0;
};

// One widget type as the host sees it, its entry type erased: what it is called, a way to run
// its timeline, and a way to get one view (placeholder, snapshot or the timeline's entry due
// now). Views are delivered on the main queue; nullopt means an answer with no entry.
struct HostedWidget {
    WidgetDescriptor descriptor;
    std::function<std::unique_ptr<HostSession>(const TimelineProviderContext&, PresentView,
                                               SleepUntil)>
        makeSession;
    std::function<void(const TimelineProviderContext&, ContentSource,
                       std::function<void(std::optional<ui::View>)>)>
        requestView;
};

// The host's process: reads its options, then shows the widget in a desktop window or draws it
// into a file until the process is ended (or once). Returns the exit status.
int runHost(int argc, char** argv, const HostedWidget& widget);

} // namespace platform::widget
