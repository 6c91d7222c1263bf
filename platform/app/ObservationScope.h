#pragma once

#include "platform/combine/ObservableObject.h"

#include <memory>
#include <vector>

namespace platform::app {

// While alive, records on its thread every observable object a view reads through an
// ObservedObject: the objects whose changes must redraw what is being laid out. Nested
// scopes hand what they saw to the enclosing one.
class ObservationScope {
public:
    using Objects = std::vector<std::shared_ptr<combine::ObservableObject>>;

    ObservationScope();
    ~ObservationScope();
    ObservationScope(const ObservationScope&) = delete;
    ObservationScope& operator=(const ObservationScope&) = delete;

    // Each object once, in the order first read.
    const Objects& observed() const { return observed_; }

    // Records the object in this thread's innermost scope; nothing outside one.
    static void note(std::shared_ptr<combine::ObservableObject> object);

private:
    void add(std::shared_ptr<combine::ObservableObject> object);

    Objects observed_;
    ObservationScope* enclosing_;
};

} // namespace platform::app
