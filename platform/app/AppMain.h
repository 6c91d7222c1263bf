#pragma once

#include "platform/app/App.h"
#include "platform/app/AppRuntime.h"

#include <memory>

namespace platform::app {

// The program's entry for an application type:
//   int main(int argc, char** argv) { return platform::app::main<TrelvoResultsApp>(argc, argv); }
template <App AppType> int main(int argc, char** argv) {
    return runApp(argc, argv, [] {
        auto app = std::make_shared<const AppType>();
        Scene scene = app->body();
        return LaunchedApp{app, std::move(scene)};
    });
}

} // namespace platform::app
