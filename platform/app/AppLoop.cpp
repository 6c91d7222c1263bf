#include "platform/app/AppLoop.h"

#include "platform/dispatch/DispatchQueue.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <csignal>
#include <glib-unix.h>
#include <vector>

namespace platform::app {

using dispatch::DispatchQueue;

namespace {

// A source's callback data, owned by the source and freed when it goes.
template <class T> void attach(GSource* source, GSourceFunc callback, std::unique_ptr<T> data) {
    g_source_set_callback(source, callback, data.release(),
                          [](gpointer owned) { std::unique_ptr<T> gone(static_cast<T*>(owned)); });
    g_source_attach(source, nullptr);
}

// One idle source at a time drains the main queue, however many blocks were queued.
struct Waker {
    std::atomic<bool> scheduled{false};
};

void wake(const std::shared_ptr<Waker>& waker) {
    if (waker->scheduled.exchange(true)) {
        return;
    }
    // The source holds the waker: it may fire after the loop is gone.
    auto* source = g_idle_source_new();
    g_source_set_priority(source, G_PRIORITY_DEFAULT);
    attach(
        source,
        [](gpointer data) -> gboolean {
            (*static_cast<std::shared_ptr<Waker>*>(data))->scheduled = false;
            DispatchQueue::main().drain(); // blocks queued meanwhile schedule another turn
            return G_SOURCE_REMOVE;
        },
        std::make_unique<std::shared_ptr<Waker>>(waker));
    g_source_unref(source);
}

struct Block {
    std::function<void()> run;
};

} // namespace

struct AppLoop::State {
    std::unique_ptr<GMainLoop, void (*)(GMainLoop*)> loop{g_main_loop_new(nullptr, FALSE),
                                                          g_main_loop_unref};
    std::shared_ptr<Waker> waker = std::make_shared<Waker>();
    std::vector<GSource*> sources; // ours to destroy, fired or not
    std::function<int(int)> signalHandler;
    int exitCode = 0;

    void keep(GSource* source) { sources.push_back(source); }
};

AppLoop::AppLoop()
    : state_(std::make_unique<State>()) {
    DispatchQueue::main().setWaker([waker = state_->waker] { wake(waker); });
    wake(state_->waker); // blocks queued before the loop existed
    for (int signal : {SIGINT, SIGTERM}) {
        auto* source = g_unix_signal_source_new(signal);
        auto* state = state_.get();
        attach(
            source,
            [](gpointer data) -> gboolean {
                auto& handler = *static_cast<Block*>(data);
                handler.run();
                return G_SOURCE_CONTINUE;
            },
            std::make_unique<Block>(Block{[state, signal] {
                state->exitCode = state->signalHandler ? state->signalHandler(signal) : 0;
                g_main_loop_quit(state->loop.get());
            }}));
        state_->keep(source);
    }
}

AppLoop::~AppLoop() {
    DispatchQueue::main().setWaker(nullptr);
    for (auto* source : state_->sources) {
        g_source_destroy(source);
        g_source_unref(source);
    }
}

int AppLoop::run() {
    g_main_loop_run(state_->loop.get());
    return state_->exitCode;
}

void AppLoop::quit(int exitCode) {
    state_->exitCode = exitCode;
    g_main_loop_quit(state_->loop.get());
}

void AppLoop::onSignal(std::function<int(int)> handler) {
    state_->signalHandler = std::move(handler);
}

void AppLoop::after(double seconds, std::function<void()> block) {
    auto milliseconds = static_cast<guint>(std::ceil(std::clamp(seconds, 0.0, 1e6) * 1000));
    auto* source = g_timeout_source_new(milliseconds);
    attach(
        source,
        [](gpointer data) -> gboolean {
            static_cast<Block*>(data)->run();
            return G_SOURCE_REMOVE;
        },
        std::make_unique<Block>(Block{std::move(block)}));
    state_->keep(source);
}

} // namespace platform::app
