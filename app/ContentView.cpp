#include "app/ContentView.h"

#include "app/BundleVersion.h"
#include "core/ServiceConfig.h"
#include "platform/ui/Button.h"
#include "platform/ui/Image.h"
#include "platform/ui/Stack.h"
#include "platform/ui/Text.h"
#include "platform/workspace/NSWorkspace.h"

using namespace platform::ui;

namespace {

// The label is the service's text: one line, and never wider than the window's other lines,
// so that no answer can stretch the window.
constexpr double maximumLabelWidth = 300;

void openServicePage() {
    // The page is the service's origin itself, whatever version the label shows.
    if (auto origin = ServiceConfig::origin(ServiceConfig::baseURLText())) {
        platform::workspace::NSWorkspace::shared().open(origin->absoluteString());
    }
}

View updateButton(const std::string& latestVersion) {
    auto label = Text(LocalizedStringKey("обновить до версии %@", {latestVersion}))
                     .lineLimit(1)
                     .frame({.idealWidth = maximumLabelWidth});
    return Button(openServicePage, label).foregroundColor(Color::red);
}

} // namespace

ContentView::ContentView()
    : ContentView(std::make_shared<NetworkManager>()) {}

ContentView::ContentView(std::shared_ptr<NetworkManager> networkManager)
    : networkManager(std::move(networkManager)) {}

View ContentView::body() const {
    return body(bundleShortVersion());
}

View ContentView::body(const std::string& currentVersion) const {
    const std::string latestVersion = networkManager->latestAppVersionAvailable->version;
    return VStack{
        Image("trelvo").padding(2.0),
        Text("Made by Dovrel for Trelvo").padding(),
        Text("Добавьте Widget в mac os чтобы видеть результаты").padding(),
        VStack{
            Text(LocalizedStringKey("текущая версия приложения: %@", {currentVersion})),
            currentVersion != latestVersion ? updateButton(latestVersion) : View(),
        }
            .padding(),
    }
        .padding()
        .onAppear(
            [manager = networkManager.object()] { manager->fetchLatestAvailableAppVersion(); });
}
