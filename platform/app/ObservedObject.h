#pragma once

#include "platform/app/ObservationScope.h"
#include "platform/combine/ObservableObject.h"

#include <concepts>
#include <memory>

namespace platform::app {

// A view's reference to an observable object it shows. Reading the object through it while the
// window lays the view out makes the window redraw when the object announces a change.
//
//   struct ContentView {
//       ObservedObject<NetworkManager> networkManager;
//       View body() const { return Text(networkManager->latestAppVersionAvailable->version); }
//   };
template <std::derived_from<combine::ObservableObject> T> class ObservedObject {
public:
    ObservedObject(std::shared_ptr<T> object)
        : object_(std::move(object)) {}

    T* operator->() const {
        ObservationScope::note(object_);
        return object_.get();
    }
    T& operator*() const { return *operator->(); }

    // The object itself, read without observing it: to hand it on or keep it in an action.
    const std::shared_ptr<T>& object() const { return object_; }

private:
    std::shared_ptr<T> object_;
};

} // namespace platform::app
