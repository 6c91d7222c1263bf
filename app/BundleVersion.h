#pragma once

#include <string>

// The application's own marketing version (CFBundleShortVersionString), read from the main
// bundle each time; empty when the bundle has none.
std::string bundleShortVersion();
