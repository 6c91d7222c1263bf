#pragma once

#include "platform/combine/ObservableObjectPublisher.h"

namespace platform::combine {

// A reference type whose changes views observe. Held by std::shared_ptr: its identity is the
// object, so it is neither copied nor moved.
class ObservableObject {
public:
    ObservableObject() = default;
    virtual ~ObservableObject() = default;
    ObservableObject(const ObservableObject&) = delete;
    ObservableObject& operator=(const ObservableObject&) = delete;

    // Fires before any Published member of the object changes.
    ObservableObjectPublisher objectWillChange;
};

} // namespace platform::combine
