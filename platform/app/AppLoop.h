#pragma once

#include <functional>
#include <glib.h>
#include <memory>

namespace platform::app {

// The application's main loop: GLib's, on the default context (where GTK delivers its events),
// with the main dispatch queue drained on it and SIGINT/SIGTERM ending it cleanly.
class AppLoop {
public:
    AppLoop();
    ~AppLoop();
    AppLoop(const AppLoop&) = delete;
    AppLoop& operator=(const AppLoop&) = delete;

    // Runs until quit(); returns the code given to it.
    int run();
    void quit(int exitCode);
    // Called instead of quitting when a signal arrives; returns the exit code.
    void onSignal(std::function<int(int signal)> handler);
    // Runs the block once after `seconds`, unless the loop has ended.
    void after(double seconds, std::function<void()> block);

    struct State;

private:
    std::unique_ptr<State> state_;
};

} // namespace platform::app
