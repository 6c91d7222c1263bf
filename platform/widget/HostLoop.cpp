#include "platform/widget/HostLoop.h"

#include "platform/dispatch/DispatchQueue.h"

#include <cmath>
#include <csignal>
#include <cstdint>
#include <glib-unix.h>
#include <sys/eventfd.h>

namespace platform::widget {

using dispatch::DispatchQueue;

namespace {

gboolean drainMainQueue(gint fd, GIOCondition, gpointer) {
    std::uint64_t count = 0;
    // Read first: blocks queued while draining write again and bring us back.
    [[maybe_unused]] auto got = ::read(fd, &count, sizeof count);
    DispatchQueue::main().drain();
    return G_SOURCE_CONTINUE;
}

void signal(const std::shared_ptr<UniqueFd>& fd) {
    std::uint64_t one = 1;
    [[maybe_unused]] auto put = ::write(fd->get(), &one, sizeof one);
}

} // namespace

HostLoop::HostLoop()
    : loop_(g_main_loop_new(nullptr, FALSE), g_main_loop_unref)
    , wakeFd_(std::make_shared<UniqueFd>(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))) {
    wakeWatch_ = SourceId(g_unix_fd_add(wakeFd_->get(), G_IO_IN, drainMainQueue, nullptr));
    // The waker may run on any thread, even after we are gone: it keeps the fd alive itself.
    DispatchQueue::main().setWaker([fd = wakeFd_] { signal(fd); });
    signal(wakeFd_); // blocks queued before the loop existed
    auto onSignal = [](gpointer self) -> gboolean {
        static_cast<HostLoop*>(self)->quit(0);
        return G_SOURCE_CONTINUE;
    };
    interrupt_ = SourceId(g_unix_signal_add(SIGINT, onSignal, this));
    terminate_ = SourceId(g_unix_signal_add(SIGTERM, onSignal, this));
}

HostLoop::~HostLoop() {
    DispatchQueue::main().setWaker(nullptr);
}

int HostLoop::run() {
    g_main_loop_run(loop_.get());
    return exitCode_;
}

void HostLoop::quit(int exitCode) {
    exitCode_ = exitCode;
    g_main_loop_quit(loop_.get());
}

void HostLoop::quitAfter(double seconds, int exitCode) {
    auto milliseconds = static_cast<guint>(std::ceil(std::max(seconds, 0.0) * 1000));
    deadlineExitCode_ = exitCode;
    deadline_ = SourceId(g_timeout_add(
        milliseconds,
        [](gpointer data) -> gboolean {
            auto* self = static_cast<HostLoop*>(data);
            self->deadline_.forget();
            self->quit(self->deadlineExitCode_);
            return G_SOURCE_REMOVE;
        },
        this));
}

} // namespace platform::widget
