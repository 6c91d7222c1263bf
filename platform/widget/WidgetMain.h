#pragma once

#include "platform/dispatch/DispatchQueue.h"
#include "platform/widget/Timeline.h"
#include "platform/widget/TimelineHost.h"
#include "platform/widget/WidgetHost.h"

#include <memory>
#include <optional>
#include <utility>

namespace platform::widget {

namespace detail {

template <WidgetConfiguration Configuration> class Session final : public HostSession {
public:
    using Entry = typename Configuration::Entry;

    Session(const Configuration& configuration, const TimelineProviderContext& context,
            PresentView present, SleepUntil sleepUntil)
        : host_(configuration.provider(), context,
                {[configuration, present](const Entry& entry, const Presentation& presentation) {
                     present(ui::View(configuration.content(entry)), presentation);
                 },
                 std::move(sleepUntil)}) {}

    void start() override { host_.start(); }
    void wake() override { host_.wake(); }
    void clockChanged() override { host_.clockChanged(); }
    void refresh() override { host_.refresh(); }

private:
    TimelineHost<typename Configuration::Provider> host_;
};

// Answers may come on any thread; views are built on the main queue, as the host renders.
template <WidgetConfiguration Configuration>
void requestView(const Configuration& configuration, const TimelineProviderContext& context,
                 ContentSource source, std::function<void(std::optional<ui::View>)> deliver) {
    using Entry = typename Configuration::Entry;
    auto onMain = [configuration, deliver](std::optional<Entry> entry) {
        dispatch::DispatchQueue::main().async([configuration, deliver, entry] {
            deliver(entry ? std::optional(ui::View(configuration.content(*entry))) : std::nullopt);
        });
    };
    const auto& provider = configuration.provider();
    switch (source) {
    case ContentSource::placeholder:
        onMain(provider.placeholder(context));
        return;
    case ContentSource::snapshot:
        provider.getSnapshot(context, [onMain](Entry entry) { onMain(std::move(entry)); });
        return;
    case ContentSource::timeline:
        provider.getTimeline(context, [onMain](Timeline<Entry> timeline) {
            std::vector<foundation::Date> dates;
            for (const auto& entry : timeline.entries) {
                dates.push_back(entry.date);
            }
            auto index = entryToShow(dates, foundation::Date::now());
            onMain(index ? std::optional(timeline.entries[*index]) : std::nullopt);
        });
        return;
    }
}

} // namespace detail

// The widget type as the host runs it.
template <Widget W> HostedWidget hostedWidget() {
    auto configuration = W().body();
    using Configuration = decltype(configuration);
    HostedWidget hosted;
    hosted.descriptor = configuration.descriptor();
    hosted.makeSession = [configuration](const TimelineProviderContext& context,
                                         PresentView present, SleepUntil sleepUntil) {
        return std::unique_ptr<HostSession>(std::make_unique<detail::Session<Configuration>>(
            configuration, context, std::move(present), std::move(sleepUntil)));
    };
    hosted.requestView = [configuration](const TimelineProviderContext& context,
                                         ContentSource source,
                                         std::function<void(std::optional<ui::View>)> deliver) {
        detail::requestView(configuration, context, source, std::move(deliver));
    };
    return hosted;
}

// Runs the widget host for one widget type for the life of the process:
//   int main(int argc, char** argv) { return platform::widget::main<MyWidget>(argc, argv); }
template <Widget W> int main(int argc, char** argv) {
    return runHost(argc, argv, hostedWidget<W>());
}

} // namespace platform::widget
