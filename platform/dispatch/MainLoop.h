#pragma once

#include "platform/dispatch/DispatchQueue.h"

#include <functional>
#include <memory>

namespace platform::dispatch {

// The process's main loop: GLib's, on the default context (where GTK delivers its events once
// a window is open), with the main dispatch queue drained on it and SIGINT and SIGTERM ending it
// cleanly. It starts no toolkit: a window runtime starts GTK itself. One at a time.
class MainLoop {
public:
    MainLoop();
    ~MainLoop();
    MainLoop(const MainLoop&) = delete;
    MainLoop& operator=(const MainLoop&) = delete;

    // Runs until quit(); returns the code given to it.
    int run();
    void quit(int exitCode);

    // SIGINT and SIGTERM end the loop with 0, or with the code this handler returns.
    void onQuitSignal(std::function<int(int signal)> exitCode);
    // Runs the handler on the loop each time the signal arrives; the loop goes on. For the
    // signals GLib can watch that do not end the loop (SIGHUP, SIGUSR1, SIGUSR2, SIGWINCH);
    // false, and nothing watched, for any other.
    [[nodiscard]] bool onSignal(int signal, Block handler);

    // Runs the block once after `seconds`, unless the loop is gone by then.
    void after(double seconds, Block block);
    // Ends the loop with `exitCode` after `seconds`, unless something ends it first.
    void quitAfter(double seconds, int exitCode);

    struct State;

private:
    std::unique_ptr<State> state_;
};

} // namespace platform::dispatch
