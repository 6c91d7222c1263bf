#include "platform/app/ObservationScope.h"

#include <algorithm>

namespace platform::app {

namespace {
thread_local ObservationScope* innermost = nullptr;
} // namespace

ObservationScope::ObservationScope()
    : enclosing_(innermost) {
    innermost = this;
}

ObservationScope::~ObservationScope() {
    innermost = enclosing_;
    if (enclosing_) {
        for (auto& object : observed_) {
            enclosing_->add(std::move(object));
        }
    }
}

void ObservationScope::note(std::shared_ptr<combine::ObservableObject> object) {
    if (innermost && object) {
        innermost->add(std::move(object));
    }
}

void ObservationScope::add(std::shared_ptr<combine::ObservableObject> object) {
    if (std::ranges::find(observed_, object) == observed_.end()) {
        observed_.push_back(std::move(object));
    }
}

} // namespace platform::app
