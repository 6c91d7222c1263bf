#pragma once

#include <functional>
#include <utility>

namespace platform::combine {

// Ends a subscription when dropped (or when cancel() is called), at most once. Move-only, so
// whoever holds it decides how long the subscription lives.
class Cancellable {
public:
    Cancellable() = default;
    explicit Cancellable(std::function<void()> cancel)
        : cancel_(std::move(cancel)) {}
    ~Cancellable() { cancel(); }

    Cancellable(Cancellable&& other) noexcept
        : cancel_(std::exchange(other.cancel_, nullptr)) {}
    Cancellable& operator=(Cancellable&& other) noexcept {
        if (this != &other) {
            cancel();
            cancel_ = std::exchange(other.cancel_, nullptr);
        }
        return *this;
    }
    Cancellable(const Cancellable&) = delete;
    Cancellable& operator=(const Cancellable&) = delete;

    void cancel() {
        if (auto cancel = std::exchange(cancel_, nullptr)) {
            cancel();
        }
    }

private:
    std::function<void()> cancel_;
};

using AnyCancellable = Cancellable;

} // namespace platform::combine
