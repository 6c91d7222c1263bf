#pragma once

#include "app/NetworkManager.h"
#include "platform/app/ObservedObject.h"
#include "platform/ui/View.h"

#include <memory>
#include <string>

// The application's window: logo, credit, the hint to add the widget, the application's own
// version and, while the service offers a different one, the red update button.
struct ContentView {
    platform::app::ObservedObject<NetworkManager> networkManager;

    ContentView();
    explicit ContentView(std::shared_ptr<NetworkManager> networkManager);

    platform::ui::View body() const;
    // The same window for an application whose own version is `currentVersion`.
    platform::ui::View body(const std::string& currentVersion) const;
};
