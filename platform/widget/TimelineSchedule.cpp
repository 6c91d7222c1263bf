#include "platform/widget/TimelineSchedule.h"

#include <algorithm>
#include <cmath>

namespace platform::widget {

using foundation::Date;

namespace {

std::optional<Date> earliest(std::optional<Date> a, std::optional<Date> b) {
    if (!a) {
        return b;
    }
    if (!b) {
        return a;
    }
    return std::min(*a, *b);
}

// The entry for `now`: the latest one already due; of equal dates, the later in the list.
std::optional<std::size_t> dueEntry(const std::vector<Date>& dates, Date now) {
    std::optional<std::size_t> due;
    for (std::size_t i = 0; i < dates.size(); ++i) {
        if (dates[i] <= now && (!due || dates[i] >= dates[*due])) {
            due = i;
        }
    }
    return due;
}

std::optional<Date> nextEntryDate(const std::vector<Date>& dates, Date now) {
    std::optional<Date> next;
    for (auto date : dates) {
        if (date > now) {
            next = earliest(next, date);
        }
    }
    return next;
}

std::optional<Date> requestedReload(const TimelinePlan& plan, Date now) {
    switch (plan.policy.kind) {
    case TimelineReloadPolicy::Kind::after:
        return plan.policy.date;
    case TimelineReloadPolicy::Kind::atEnd:
        if (plan.entryDates.empty()) {
            return now;
        }
        return *std::max_element(plan.entryDates.begin(), plan.entryDates.end());
    case TimelineReloadPolicy::Kind::never:
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace

std::optional<std::size_t> entryToShow(const std::vector<Date>& dates, Date now) {
    if (auto due = dueEntry(dates, now)) {
        return due;
    }
    std::optional<std::size_t> first;
    for (std::size_t i = 0; i < dates.size(); ++i) {
        if (!first || dates[i] < dates[*first]) {
            first = i;
        }
    }
    return first;
}

double TimelineSchedule::retryDelay(int attempt) const {
    double delay = settings_.firstRetryDelay * std::pow(2.0, std::min(attempt, 30));
    return std::min(delay, settings_.maximumRetryDelay);
}

std::optional<RequestId> TimelineSchedule::outstanding() const {
    if (!outstanding_) {
        return std::nullopt;
    }
    return outstanding_->id;
}

TimelineSchedule::Step TimelineSchedule::start(Date now) {
    latestSeen_ = now;
    presentation_ = {};
    presentation_.placeholder = true;
    auto step = plan(now);
    step.request = send(now, 0);
    step.wakeAt = nextDeadline(now);
    return step;
}

TimelineSchedule::Step TimelineSchedule::receive(RequestId id, TimelinePlan plan, Date now) {
    auto sent = observe(now);
    // Only an answer newer than the current timeline counts: a duplicate, or a late answer to a
    // request older than the one that produced what is shown, would turn the clock back.
    bool accepted = id > lastAccepted_ && id <= lastSent_;
    if (accepted) {
        lastAccepted_ = id;
        timeline_ = std::move(plan);
        hasTimeline_ = true;
        outstanding_.reset();
        reloadAskedAt_.reset();
        if (auto requested = requestedReload(timeline_, now)) {
            reloadInterval_ =
                std::max(requested->timeIntervalSince(now), settings_.minimumReloadInterval);
            reloadAt_ =
                std::max(*requested, now.addingTimeInterval(settings_.minimumReloadInterval));
        } else {
            reloadAt_.reset();
        }
        presentation_.timelineGeneration += 1;
        presentation_.entry.reset();
        presentation_.stale = false;
        presentation_.lastUpdated = now;
    }
    auto step = this->plan(now);
    step.request = sent ? sent : step.request;
    step.accepted = accepted;
    return step;
}

TimelineSchedule::Step TimelineSchedule::advance(Date now) {
    auto sent = observe(now);
    auto step = plan(now);
    step.request = sent ? sent : step.request;
    return step;
}

TimelineSchedule::Step TimelineSchedule::clockChanged(Date now) {
    return advance(now);
}

TimelineSchedule::Step TimelineSchedule::refresh(Date now) {
    auto sent = observe(now);
    if (!sent && outstanding_) {
        sent = send(now, outstanding_->attempt + 1);
    } else if (!sent) {
        // Stale from when the reload was due, as if it had been asked then.
        if (hasTimeline_ && reloadAt_) {
            reloadAskedAt_ = *reloadAt_;
            reloadAt_.reset();
        }
        sent = send(now, 0);
    }
    auto step = plan(now);
    step.request = sent;
    return step;
}

std::optional<RequestId> TimelineSchedule::observe(Date now) {
    if (now >= latestSeen_) {
        latestSeen_ = now;
        return std::nullopt;
    }
    // The clock went back: every deadline was set against a clock that no longer holds, and the
    // shown content may be dated in what is now the future. Ask again from here.
    latestSeen_ = now;
    if (reloadAskedAt_) {
        reloadAskedAt_ = now;
    }
    if (outstanding_) {
        return send(now, outstanding_->attempt);
    }
    if (hasTimeline_ && reloadAt_) {
        reloadAt_ = now;
    }
    return std::nullopt;
}

TimelineSchedule::Step TimelineSchedule::plan(Date now) {
    showDueEntry(now);
    Step step;
    step.request = sendIfDue(now);
    markStaleIfDue(now);
    step.wakeAt = nextDeadline(now);
    return step;
}

void TimelineSchedule::showDueEntry(Date now) {
    if (!hasTimeline_) {
        return;
    }
    if (auto due = dueEntry(timeline_.entryDates, now)) {
        presentation_.entry = due;
        presentation_.placeholder = false;
    }
}

std::optional<RequestId> TimelineSchedule::sendIfDue(Date now) {
    if (outstanding_) {
        if (now >= outstanding_->retryAt) {
            return send(now, outstanding_->attempt + 1);
        }
        return std::nullopt;
    }
    if (hasTimeline_ && reloadAt_ && now >= *reloadAt_) {
        reloadAskedAt_ = now;
        reloadAt_.reset();
        return send(now, 0);
    }
    return std::nullopt;
}

RequestId TimelineSchedule::send(Date now, int attempt) {
    RequestId id = ++lastSent_;
    outstanding_ = Outstanding{id, attempt, now.addingTimeInterval(retryDelay(attempt))};
    return id;
}

std::optional<Date> TimelineSchedule::staleAt() const {
    if (!hasTimeline_ || !reloadAskedAt_ || presentation_.stale) {
        return std::nullopt;
    }
    return reloadAskedAt_->addingTimeInterval(reloadInterval_);
}

void TimelineSchedule::markStaleIfDue(Date now) {
    if (auto at = staleAt(); at && now >= *at) {
        presentation_.stale = true;
    }
    // The first request has gone unanswered long enough to be asked again.
    if (!hasTimeline_ && outstanding_ && outstanding_->attempt > 0) {
        presentation_.stale = true;
    }
}

std::optional<Date> TimelineSchedule::nextDeadline(Date now) const {
    std::optional<Date> next;
    if (hasTimeline_) {
        next = nextEntryDate(timeline_.entryDates, now);
    }
    if (outstanding_) {
        next = earliest(next, outstanding_->retryAt);
    } else if (hasTimeline_ && reloadAt_) {
        next = earliest(next, reloadAt_);
    }
    return earliest(next, staleAt());
}

} // namespace platform::widget
