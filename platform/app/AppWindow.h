#pragma once

#include "platform/app/ContentAccessibility.h"
#include "platform/app/Dialogs.h"
#include "platform/app/RuntimeStrings.h"
#include "platform/app/WindowContent.h"
#include "platform/foundation/Expected.h"

#include <functional>
#include <memory>
#include <string>

typedef struct _GtkWidget GtkWidget;
typedef struct _cairo cairo_t;

namespace platform::app {

// A top-level GTK window showing one WindowContent: opened at the content's ideal size and never
// smaller, drawn with Cairo at the window's scale factor, clicks and keys handed to the content's
// buttons (Tab and Shift+Tab move a focus ring among them, Return and Space press the focused
// one), its elements told to screen readers, under a header bar with the platform's menu.
class AppWindow {
public:
    struct Options {
        std::string title;
        std::string iconName;
        std::function<void()> closed; // after the user closed it
        std::function<void()> quit;   // the menu's Quit, Ctrl+Q
        AboutInfo about;
        RuntimeStrings strings;
    };

    // Starts GTK (with its GL off) on first use; fails when no display can be opened.
    static foundation::Expected<std::unique_ptr<AppWindow>, std::string> open(ui::View content,
                                                                              Options options);
    ~AppWindow();
    AppWindow(const AppWindow&) = delete;
    AppWindow& operator=(const AppWindow&) = delete;

    WindowContent& content() { return content_; }

    struct Token; // keeps construction to open()
    AppWindow(const Token&, ui::View content, Options options);

private:
    void build();
    void addChrome();
    void connectWindow();
    void connectCanvas();
    void fitContent();
    void layOut();
    void paint(cairo_t* cr);
    void released(double x, double y);
    bool moveFocus(ui::FocusDirection direction, bool entering);
    bool keyPressed(unsigned keyval, unsigned modifiers);
    void focusChanged();
    void openGallery();

    Options options_;
    WindowContent content_;
    ContentAccessibility accessibility_;
    GtkWidget* window_ = nullptr;
    GtkWidget* canvas_ = nullptr;
    bool pressedOnButton_ = false;
};

// Starts GTK once for the process, with GL off; false without a display.
bool startGtk(const std::string& programName);

} // namespace platform::app
