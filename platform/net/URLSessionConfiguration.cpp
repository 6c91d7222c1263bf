#include "platform/net/URLSessionConfiguration.h"

#include "platform/net/ScopedDefaultTimeouts.h"

#include <atomic>
#include <cassert>

namespace platform::net {
namespace {

// Test seam: set only by ScopedDefaultTimeouts.
std::atomic<bool> overridden{false};
std::atomic<double> requestOverride{0};
std::atomic<double> resourceOverride{0};

} // namespace

URLSessionConfiguration URLSessionConfiguration::defaultConfiguration() {
    URLSessionConfiguration configuration;
    if (overridden.load(std::memory_order_acquire)) {
        configuration.timeoutIntervalForRequest = requestOverride.load();
        configuration.timeoutIntervalForResource = resourceOverride.load();
    }
    return configuration;
}

ScopedDefaultTimeouts::ScopedDefaultTimeouts(double request, double resource) {
    assert(!overridden.load() && "ScopedDefaultTimeouts does not nest");
    requestOverride.store(request);
    resourceOverride.store(resource);
    overridden.store(true, std::memory_order_release);
}

ScopedDefaultTimeouts::~ScopedDefaultTimeouts() {
    overridden.store(false, std::memory_order_release);
}

} // namespace platform::net
