#pragma once

#include "platform/widget/GLibHandles.h"

#include <glib.h>
#include <memory>

namespace platform::widget {

// The host's main loop: GLib's, on the default context, with the main dispatch queue drained
// on it and SIGINT/SIGTERM ending it cleanly. No GTK: the window presenter starts GTK itself.
class HostLoop {
public:
    HostLoop();
    ~HostLoop();
    HostLoop(const HostLoop&) = delete;
    HostLoop& operator=(const HostLoop&) = delete;

    // Runs until quit(); returns the code given to it.
    int run();
    void quit(int exitCode);
    // Stops after `seconds` with `exitCode`, unless something quits first.
    void quitAfter(double seconds, int exitCode);

private:
    std::unique_ptr<GMainLoop, void (*)(GMainLoop*)> loop_;
    std::shared_ptr<UniqueFd> wakeFd_;
    SourceId wakeWatch_;
    SourceId interrupt_;
    SourceId terminate_;
    SourceId deadline_;
    int exitCode_ = 0;
    int deadlineExitCode_ = 0;
};

} // namespace platform::widget
