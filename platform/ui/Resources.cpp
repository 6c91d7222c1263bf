#include "platform/ui/Resources.h"

#include <mutex>

namespace platform::ui {
namespace {

struct Store {
    std::mutex mutex;
    Resources resources;
};

Store& store() {
    static Store instance;
    return instance;
}

} // namespace

void setMainResources(Resources resources) {
    auto& s = store();
    std::lock_guard lock(s.mutex);
    s.resources = std::move(resources);
}

Resources mainResources() {
    auto& s = store();
    std::lock_guard lock(s.mutex);
    return s.resources;
}

ScopedResources::ScopedResources(Resources resources)
    : saved_(mainResources()) {
    setMainResources(std::move(resources));
}

ScopedResources::~ScopedResources() {
    setMainResources(std::move(saved_));
}

} // namespace platform::ui
