#pragma once

#include "platform/foundation/Date.h"

#include <concepts>
#include <optional>

namespace platform::widget {

// How much an entry matters compared with the same widget's other entries.
struct TimelineEntryRelevance {
    double score = 0;
    double duration = 0;
};

// A record the host shows from its `date` on.
template <class E>
concept TimelineEntry = std::copy_constructible<E> && requires(const E& entry) {
    { entry.date } -> std::convertible_to<foundation::Date>;
};

// An entry may offer relevance(); the host's default is none.
template <TimelineEntry E> std::optional<TimelineEntryRelevance> relevance(const E& entry) {
    if constexpr (requires { entry.relevance(); }) {
        return entry.relevance();
    } else {
        return std::nullopt;
    }
}

} // namespace platform::widget
