#pragma once

#include "platform/app/App.h"

#include <optional>
#include <string>

// The companion application: asks for notification permission at each start and shows one
// window of ContentView.
struct TrelvoResultsApp {
    TrelvoResultsApp();

    // The window group. Its windows' version answers are watched, so that the first one that
    // differs from the application's own version is also announced as a notification.
    platform::app::Scene body() const;

    // Asks for alert, sound and badge; a refusal prints one line.
    static void requestNotifications();
    // Schedules the "new version" notification five seconds from now; a pending one is
    // replaced. A failure prints one line.
    static void notifyAboutNewVersion(const std::string& latestAvailableVersion);
    // The service's page, which the About window links to; none when the origin is not valid.
    static std::optional<std::string> servicePage();
};
