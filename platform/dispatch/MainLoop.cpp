#include "platform/dispatch/MainLoop.h"

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <glib-unix.h>
#include <glib.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <vector>

namespace platform::dispatch {

namespace {

struct SourceRelease {
    void operator()(GSource* source) const {
        g_source_destroy(source);
        g_source_unref(source);
    }
};
using OwnedSource = std::unique_ptr<GSource, SourceRelease>;

struct LoopRelease {
    void operator()(GMainLoop* loop) const { g_main_loop_unref(loop); }
};

// The eventfd that wakes the loop for queued blocks. Shared with the queue's waker, which may
// run on any thread, even after the loop is gone.
class WakeFd {
public:
    WakeFd()
        : fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
    ~WakeFd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    WakeFd(const WakeFd&) = delete;
    WakeFd& operator=(const WakeFd&) = delete;

    int get() const { return fd_; }
    void signal() const {
        std::uint64_t one = 1;
        [[maybe_unused]] auto put = ::write(fd_, &one, sizeof one);
    }

private:
    int fd_;
};

// Attaches the source to the default context; it owns the block and frees it when it goes.
OwnedSource attach(GSource* source, GSourceFunc callback, Block block) {
    g_source_set_callback(
        source, callback, std::make_unique<Block>(std::move(block)).release(),
        [](gpointer owned) { std::unique_ptr<Block> gone(static_cast<Block*>(owned)); });
    g_source_attach(source, nullptr);
    return OwnedSource(source);
}

gboolean runRepeating(gpointer block) {
    (*static_cast<Block*>(block))();
    return G_SOURCE_CONTINUE;
}

gboolean runOnce(gpointer block) {
    (*static_cast<Block*>(block))();
    return G_SOURCE_REMOVE;
}

gboolean drainMainQueue(gint fd, GIOCondition, gpointer) {
    std::uint64_t count = 0;
    // Read first: blocks queued while draining write again and bring us back.
    [[maybe_unused]] auto got = ::read(fd, &count, sizeof count);
    DispatchQueue::main().drain();
    return G_SOURCE_CONTINUE;
}

// The signals GLib can watch, but for the two that end the loop.
bool watchableWithoutQuitting(int signal) {
    return signal == SIGHUP || signal == SIGUSR1 || signal == SIGUSR2 || signal == SIGWINCH;
}

} // namespace

struct MainLoop::State {
    std::unique_ptr<GMainLoop, LoopRelease> loop{g_main_loop_new(nullptr, FALSE)};
    std::shared_ptr<WakeFd> wakeFd = std::make_shared<WakeFd>();
    std::function<int(int)> quitSignalHandler;
    int exitCode = 0;
    std::vector<OwnedSource> sources; // destroyed with the loop, fired or not

    void keep(OwnedSource source) {
        std::erase_if(sources, [](const OwnedSource& s) { return g_source_is_destroyed(s.get()); });
        sources.push_back(std::move(source));
    }
};

MainLoop::MainLoop()
    : state_(std::make_unique<State>()) {
    OwnedSource wake(g_unix_fd_source_new(state_->wakeFd->get(), G_IO_IN));
    g_source_set_callback(wake.get(), G_SOURCE_FUNC(drainMainQueue), nullptr, nullptr);
    g_source_attach(wake.get(), nullptr);
    state_->keep(std::move(wake));
    DispatchQueue::main().setWaker([fd = state_->wakeFd] { fd->signal(); });
    state_->wakeFd->signal(); // blocks queued before the loop existed
    for (int signal : {SIGINT, SIGTERM}) {
        auto* state = state_.get();
        state_->keep(attach(g_unix_signal_source_new(signal), runRepeating, [state, signal] {
            state->exitCode = state->quitSignalHandler ? state->quitSignalHandler(signal) : 0;
            g_main_loop_quit(state->loop.get());
        }));
    }
}

MainLoop::~MainLoop() {
    DispatchQueue::main().setWaker(nullptr);
}

int MainLoop::run() {
    g_main_loop_run(state_->loop.get());
    return state_->exitCode;
}

void MainLoop::quit(int exitCode) {
    state_->exitCode = exitCode;
    g_main_loop_quit(state_->loop.get());
}

void MainLoop::onQuitSignal(std::function<int(int)> exitCode) {
    state_->quitSignalHandler = std::move(exitCode);
}

bool MainLoop::onSignal(int signal, Block handler) {
    if (!watchableWithoutQuitting(signal)) {
        return false;
    }
    state_->keep(attach(g_unix_signal_source_new(signal), runRepeating, std::move(handler)));
    return true;
}

void MainLoop::after(double seconds, Block block) {
    auto milliseconds = static_cast<guint>(std::ceil(std::clamp(seconds, 0.0, 1e6) * 1000));
    state_->keep(attach(g_timeout_source_new(milliseconds), runOnce, std::move(block)));
}

void MainLoop::quitAfter(double seconds, int exitCode) {
    after(seconds, [this, exitCode] { quit(exitCode); });
}

} // namespace platform::dispatch
