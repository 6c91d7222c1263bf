#pragma once

#include "platform/combine/ObservableObject.h"

#include <utility>

namespace platform::combine {

// A member of an ObservableObject whose every assignment first announces the change through
// the owner's objectWillChange, then stores the value: observers see the old value while they
// are told, and read the new one once they redraw. Assign on the main queue only.
template <class T> class Published {
public:
    Published(ObservableObject& owner, T initialValue)
        : owner_(owner)
        , value_(std::move(initialValue)) {}
    Published(const Published&) = delete;
    Published& operator=(const Published&) = delete;

    Published& operator=(T newValue) {
        owner_.objectWillChange.send();
        value_ = std::move(newValue);
        return *this;
    }

    const T& get() const { return value_; }
    operator const T&() const { return value_; }
    const T* operator->() const { return &value_; }

private:
    ObservableObject& owner_;
    T value_;
};

} // namespace platform::combine
