#pragma once

#include "platform/combine/Cancellable.h"

#include <functional>
#include <memory>

namespace platform::combine {

// Announces that its object is about to change. Subscribers are called in the order they
// subscribed, on the thread that calls send(). A Cancellable may outlive the publisher: its
// subscription then simply has nothing left to end.
class ObservableObjectPublisher {
public:
    ObservableObjectPublisher();
    ~ObservableObjectPublisher();
    ObservableObjectPublisher(const ObservableObjectPublisher&) = delete;
    ObservableObjectPublisher& operator=(const ObservableObjectPublisher&) = delete;

    [[nodiscard]] Cancellable sink(std::function<void()> receiveValue);
    void send();

    struct State;

private:
    std::shared_ptr<State> state_;
};

} // namespace platform::combine
