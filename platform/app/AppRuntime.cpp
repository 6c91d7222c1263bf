#include "platform/app/AppRuntime.h"

#include "platform/app/AppOptions.h"
#include "platform/app/AppWindow.h"
#include "platform/app/WindowContent.h"
#include "platform/dispatch/MainLoop.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Localization.h"
#include "platform/ui/Render.h"
#include "platform/ui/Resources.h"

#include <csignal>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace platform::app {

namespace {

using foundation::Bundle;

constexpr int usageError = 2;

void complain(const std::string& program, const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", program.c_str(), message.c_str());
}

// Images and translations come from the bundle's resources folder.
void useBundleResources(const Bundle& bundle) {
    auto folder = bundle.resourceURL();
    if (!folder) {
        return;
    }
    ui::Resources resources{.directory = *folder};
    if (auto table = foundation::Localization::forBundle(bundle)) {
        auto shared = std::make_shared<const foundation::Localization>(std::move(*table));
        resources.strings = [shared](std::string_view key) { return shared->string(key); };
    }
    ui::setMainResources(std::move(resources));
}

// Headless: draws the first window into a file once what it shows first changes, or when the
// time-out passes, whichever comes first. No GTK.
int renderWindow(const std::string& program, const AppOptions& options,
                 const std::function<LaunchedApp()>& launch) {
    dispatch::MainLoop loop;
    auto launched = launch();
    if (launched.scene.windowGroups.empty()) {
        complain(program, "the application declares no window");
        return 1;
    }
    std::unique_ptr<WindowContent> content;
    bool drawn = false;
    auto draw = [&] {
        if (std::exchange(drawn, true)) {
            return;
        }
        auto points = content->idealSize();
        auto written = ui::renderToFile(content->root(), points, options.scale, *options.render);
        if (!written) {
            complain(program, "cannot draw " + options.render->string() + ": " + written.error());
            loop.quit(1);
            return;
        }
        loop.quit(0);
    };
    content = std::make_unique<WindowContent>(launched.scene.windowGroups.front().makeContent(),
                                              [&] { draw(); });
    content->layout(content->idealSize());
    content->appear();
    loop.after(options.timeout, draw);
    loop.onQuitSignal([](int signal) { return 128 + signal; }); // the picture was not drawn
    return loop.run();
}

int openWindows(const std::string& program, const Bundle& bundle,
                const std::function<LaunchedApp()>& launch) {
    if (!startGtk(bundle.bundleIdentifier())) {
        complain(program, "cannot open the display (is DISPLAY or WAYLAND_DISPLAY set?); "
                          "--render PATH draws the window without one");
        return 1;
    }
    dispatch::MainLoop loop;
    auto launched = launch();
    std::vector<std::unique_ptr<AppWindow>> windows;
    std::size_t open = 0;
    const auto name = bundle.object("CFBundleName").value_or(program);
    const AppWindow::Options options{
        .title = name,
        .iconName = bundle.bundleIdentifier(),
        .closed =
            [&] {
                if (--open == 0) {
                    loop.quit(0);
                }
            },
        .quit = [&] { loop.quit(0); },
        .about = {name, bundle.object("CFBundleShortVersionString").value_or(""),
                  bundle.bundleIdentifier(), launched.scene.aboutWebsite},
        .strings = RuntimeStrings(bundle),
    };
    for (const auto& group : launched.scene.windowGroups) {
        auto window = AppWindow::open(group.makeContent(), options);
        if (!window) {
            complain(program, window.error());
            return 1;
        }
        windows.push_back(std::move(window.value()));
        ++open;
    }
    if (open == 0) {
        complain(program, "the application declares no window");
        return 1;
    }
    return loop.run();
}

} // namespace

int runApp(int argc, char** argv, const std::function<LaunchedApp()>& launch) {
    std::string program = argc > 0 ? std::filesystem::path(argv[0]).filename().string() : "app";
    std::vector<std::string_view> arguments(argv + std::min(argc, 1), argv + argc);
    auto options = parseAppOptions(arguments);
    if (!options) {
        complain(program, options.error());
        std::fprintf(stderr, "Try '%s --help' for more information.\n", program.c_str());
        return usageError;
    }
    const auto& bundle = Bundle::main();
    switch (options->action) {
    case AppOptions::Action::help:
        std::fputs(appUsage(program).c_str(), stdout);
        return 0;
    case AppOptions::Action::version:
        std::printf("%s\n", bundle.object("CFBundleShortVersionString").value_or("").c_str());
        return 0;
    case AppOptions::Action::run:
        break;
    }
    useBundleResources(bundle);
    if (options->render) {
        return renderWindow(program, *options, launch);
    }
    return openWindows(program, bundle, launch);
}

} // namespace platform::app
