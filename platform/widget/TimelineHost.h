#pragma once

#include "platform/dispatch/DispatchQueue.h"
#include "platform/foundation/Date.h"
#include "platform/widget/Timeline.h"
#include "platform/widget/TimelineSchedule.h"

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

namespace platform::widget {

// Runs one provider for the host: shows its placeholder, asks for timelines as the schedule
// says, and takes each answer on the host's own loop, from whatever thread it came. It never
// waits for an answer; the caller owns the sleeping (sleepUntil) and wakes it (wake,
// clockChanged).
template <TimelineProvider P> class TimelineHost {
public:
    using Entry = ProviderEntry<P>;
    using Present = std::function<void(const Entry&, const Presentation&)>;
    using SleepUntil = std::function<void(std::optional<foundation::Date>)>;
    // Must be callable from any thread; runs the block later on the host's loop.
    using Post = std::function<void(dispatch::Block)>;

    struct Hooks {
        Present present;
        SleepUntil sleepUntil;
        Post post = [](dispatch::Block block) {
            dispatch::DispatchQueue::main().async(std::move(block));
        };
    };

    TimelineHost(P provider, TimelineProviderContext context, Hooks hooks,
                 TimelineSchedule::Settings settings = {})
        : state_(
              std::make_shared<State>(std::move(provider), context, std::move(hooks), settings)) {}

    // Answers still in flight find the host gone and are dropped.
    ~TimelineHost() = default;
    TimelineHost(const TimelineHost&) = delete;
    TimelineHost& operator=(const TimelineHost&) = delete;

    void start() {
        state_->run([](State& s) { return s.schedule.start(foundation::Date::now()); });
    }
    void wake() {
        state_->run([](State& s) { return s.schedule.advance(foundation::Date::now()); });
    }
    void clockChanged() {
        state_->run([](State& s) { return s.schedule.clockChanged(foundation::Date::now()); });
    }

    void refresh() {
        state_->run([](State& s) { return s.schedule.refresh(foundation::Date::now()); });
    }

    const Entry& shown() const { return state_->shown; }
    const Presentation& presentation() const { return state_->schedule.presentation(); }

private:
    struct State : std::enable_shared_from_this<State> {
        State(P p, TimelineProviderContext c, Hooks h, TimelineSchedule::Settings settings)
            : provider(std::move(p))
            , context(c)
            , hooks(std::move(h))
            , schedule(settings)
            , shown(provider.placeholder(context)) {}

        P provider;
        TimelineProviderContext context;
        Hooks hooks;
        TimelineSchedule schedule;
        Entry shown;
        std::vector<Entry> entries;
        std::optional<Presentation> presented;
        // Events that arrive while one is being handled (a provider that answers inside
        // getTimeline through a synchronous post) wait their turn instead of nesting.
        std::deque<std::function<TimelineSchedule::Step(State&)>> queued;
        bool running = false;

        void run(std::function<TimelineSchedule::Step(State&)> event) {
            queued.push_back(std::move(event));
            if (running) {
                return;
            }
            running = true;
            while (!queued.empty()) {
                auto next = std::move(queued.front());
                queued.pop_front();
                apply(next(*this));
            }
            running = false;
        }

        void apply(const TimelineSchedule::Step& step) {
            presentIfChanged();
            if (step.request) {
                ask(*step.request);
            }
            if (hooks.sleepUntil) {
                hooks.sleepUntil(step.wakeAt);
            }
        }

        void presentIfChanged() {
            const auto& now = schedule.presentation();
            if (presented == now) {
                return;
            }
            if (now.entry && now.entry < entries.size() &&
                (!presented || presented->timelineGeneration != now.timelineGeneration ||
                 presented->entry != now.entry)) {
                shown = entries[*now.entry];
            }
            presented = now;
            if (hooks.present) {
                hooks.present(shown, now);
            }
        }

        void ask(RequestId id) {
            std::weak_ptr<State> weak = this->shared_from_this();
            auto post = hooks.post;
            provider.getTimeline(context, [weak, post, id](Timeline<Entry> timeline) {
                post([weak, id, timeline = std::move(timeline)]() mutable {
                    if (auto self = weak.lock()) {
                        self->run([id, timeline = std::move(timeline)](State& s) mutable {
                            return s.receive(id, std::move(timeline));
                        });
                    }
                });
            });
        }

        TimelineSchedule::Step receive(RequestId id, Timeline<Entry> timeline) {
            TimelinePlan plan{{}, timeline.policy};
            plan.entryDates.reserve(timeline.entries.size());
            for (const auto& entry : timeline.entries) {
                plan.entryDates.push_back(entry.date);
            }
            auto step = schedule.receive(id, std::move(plan), foundation::Date::now());
            if (step.accepted) {
                entries = std::move(timeline.entries);
            }
            return step;
        }
    };

    std::shared_ptr<State> state_;
};

} // namespace platform::widget
