#pragma once

#include "platform/foundation/Date.h"
#include "platform/widget/TimelineReloadPolicy.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace platform::widget {

using RequestId = std::uint64_t;

// What the host shows. `entry` indexes the current timeline; none means keep showing what is
// on screen (the placeholder, at first). Stale without `lastUpdated`: no answer has ever come.
struct Presentation {
    std::uint64_t timelineGeneration = 0; // grows with each accepted timeline
    std::optional<std::size_t> entry;
    bool stale = false;
    std::optional<foundation::Date> lastUpdated;
    // No entry shown yet: the provider's placeholder is on screen, drawn redacted.
    bool placeholder = false;

    friend bool operator==(const Presentation&, const Presentation&) = default;
};

// Of a timeline, what the schedule needs: when each entry is due and when to ask again.
struct TimelinePlan {
    std::vector<foundation::Date> entryDates;
    TimelineReloadPolicy policy;
};

// The entry a one-shot host shows at `now`: the latest already due, else the first to come.
std::optional<std::size_t> entryToShow(const std::vector<foundation::Date>& dates,
                                       foundation::Date now);

// The host's timing, as pure logic: which entry to show, when to ask the provider for a
// timeline, when to give up on an answer and ask again, when the content has gone stale. Every
// event returns a Step; the caller sends the request it names and sleeps until wakeAt.
class TimelineSchedule {
public:
    struct Settings {
        double firstRetryDelay = 60;
        double maximumRetryDelay = 15 * 60;
        // No provider can make the host ask more often than this, whatever its policy says.
        double minimumReloadInterval = 60;
    };

    struct Step {
        std::optional<RequestId> request;
        std::optional<foundation::Date> wakeAt;
        bool accepted = false; // receive() only: the answer became the current timeline
    };

    TimelineSchedule() = default;
    explicit TimelineSchedule(Settings settings)
        : settings_(settings) {}

    Step start(foundation::Date now);
    Step receive(RequestId id, TimelinePlan plan, foundation::Date now);
    // A deadline passed, or the machine woke from suspend.
    Step advance(foundation::Date now);
    // The wall clock was set, in either direction.
    Step clockChanged(foundation::Date now);
    // The person asked for fresh content: ask now, as a due reload would. An unanswered request
    // is asked again with its backoff kept, so asking often cannot flood the provider's service.
    Step refresh(foundation::Date now);

    const Presentation& presentation() const { return presentation_; }
    std::optional<RequestId> outstanding() const;
    // Delay before the retry that follows the given number of unanswered attempts.
    double retryDelay(int attempt) const;

private:
    struct Outstanding {
        RequestId id = 0;
        int attempt = 0;
        foundation::Date retryAt;
    };

    std::optional<RequestId> observe(foundation::Date now);
    Step plan(foundation::Date now);
    void showDueEntry(foundation::Date now);
    std::optional<RequestId> sendIfDue(foundation::Date now);
    RequestId send(foundation::Date now, int attempt);
    void markStaleIfDue(foundation::Date now);
    std::optional<foundation::Date> nextDeadline(foundation::Date now) const;
    std::optional<foundation::Date> staleAt() const;

    Settings settings_;
    Presentation presentation_;
    TimelinePlan timeline_;
    bool hasTimeline_ = false;
    std::optional<foundation::Date> reloadAt_;
    double reloadInterval_ = 0;
    std::optional<foundation::Date> reloadAskedAt_;
    std::optional<Outstanding> outstanding_;
    RequestId lastSent_ = 0;
    RequestId lastAccepted_ = 0;
    foundation::Date latestSeen_;
};

} // namespace platform::widget
