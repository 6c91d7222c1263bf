#pragma once

#include <functional>
#include <optional>
#include <string>

typedef struct _GtkWindow GtkWindow;

namespace platform::app {

// What the About window says.
struct AboutInfo {
    std::string name;
    std::string version;
    std::string iconName;
    // The application's page, asked when the window opens (it may follow the environment).
    std::function<std::optional<std::string>()> website;
};

// The About window, modal over the parent, gone when closed.
void showAboutDialog(GtkWindow* parent, const AboutInfo& about);

// A message that something could not be done, modal over the parent, with one Close button.
void showErrorMessage(GtkWindow* parent, const std::string& title, const std::string& detail);

} // namespace platform::app
