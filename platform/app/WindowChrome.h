#pragma once

#include <functional>

typedef struct _GtkWindow GtkWindow;

namespace platform::app {

// What the window's shortcuts do.
struct WindowMenu {
    std::function<void()> quit;  // Ctrl+Q
    std::function<void()> close; // Ctrl+W
};

// Gives the window the shortcuts every GTK application has (Ctrl+Q quits, Ctrl+W closes the
// window), as window actions that live as long as the window.
void addWindowChrome(GtkWindow* window, WindowMenu menu);

} // namespace platform::app
