#include "app/TrelvoResultsApp.h"

#include "app/BundleVersion.h"
#include "app/ContentView.h"
#include "app/UpdateAnnouncer.h"
#include "core/ServiceConfig.h"
#include "platform/foundation/LinePrinter.h"
#include "platform/notify/UNUserNotificationCenter.h"

using platform::foundation::print;
using namespace platform::notify;

TrelvoResultsApp::TrelvoResultsApp() {
    requestNotifications();
}

platform::app::Scene TrelvoResultsApp::body() const {
    UpdateAnnouncer announcer(bundleShortVersion(), &TrelvoResultsApp::notifyAboutNewVersion);
    return platform::app::Scene(platform::app::WindowGroup([announcer] {
               ContentView view;
               announcer.watch(view.networkManager.object());
               return view;
           }))
        .aboutPage(servicePage);
}

std::optional<std::string> TrelvoResultsApp::servicePage() {
    // The page the update button opens: the service's origin, as the environment may set it.
    if (auto origin = ServiceConfig::origin(ServiceConfig::baseURLText())) {
        return origin->absoluteString();
    }
    return std::nullopt;
}

void TrelvoResultsApp::requestNotifications() {
    UNUserNotificationCenter::current().requestAuthorization(
        {UNAuthorizationOptions::alert, UNAuthorizationOptions::sound,
         UNAuthorizationOptions::badge},
        [](bool granted, std::optional<UNError>) {
            if (!granted) {
                print("User has declined notifications");
            }
        });
}

void TrelvoResultsApp::notifyAboutNewVersion(const std::string& latestAvailableVersion) {
    UNMutableNotificationContent content;
    content.title = "Новая версия!";
    content.body = "Для скачивания доступна новая версия " + latestAvailableVersion;
    content.sound = UNNotificationSound::defaultSound();
    UNTimeIntervalNotificationTrigger trigger(5.0, false);
    UNNotificationRequest request("Local Notification", content, trigger);
    UNUserNotificationCenter::current().add(request, [](std::optional<UNError> error) {
        if (error) {
            print("Error " + error->localizedDescription());
        }
    });
}
