#pragma once

#include "platform/app/App.h"

#include <functional>
#include <memory>

namespace platform::app {

// An application value, kept for the life of the program, and the scene it declared.
struct LaunchedApp {
    std::shared_ptr<const void> app;
    Scene scene;
};

// Reads the runtime's options, then launches the application (only when it is to run: --help
// and --version make none) and shows its windows, or draws the first into a file with
// --render. Returns the process's exit status.
int runApp(int argc, char** argv, const std::function<LaunchedApp()>& launch);

} // namespace platform::app
