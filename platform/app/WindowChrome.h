#pragma once

#include "platform/app/RuntimeStrings.h"

#include <functional>
#include <string>

typedef struct _GtkWindow GtkWindow;

namespace platform::app {

// What the window's menu and shortcuts do.
struct WindowMenu {
    std::function<void()> addWidgets;
    std::function<void()> about;
    std::function<void()> quit;  // the menu's Quit and Ctrl+Q
    std::function<void()> close; // Ctrl+W
};

// Gives the window the chrome of a GTK application: a header bar with its title and a menu
// button carrying the platform's menu ("Add widgets…", "About", "Quit"), and the shortcuts
// every GTK application has (Ctrl+Q quits, Ctrl+W closes the window). What the menu holds lives
// as long as the window.
void addWindowChrome(GtkWindow* window, const std::string& title, const RuntimeStrings& strings,
                     WindowMenu menu);

} // namespace platform::app
