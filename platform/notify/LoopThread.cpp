#include "platform/notify/LoopThread.h"

#include <algorithm>
#include <future>
#include <pthread.h>

namespace platform::notify {

namespace {

gboolean runOnce(gpointer data) {
    (*static_cast<LoopThread::Block*>(data))();
    return G_SOURCE_REMOVE;
}

void destroyBlock(gpointer data) {
    std::unique_ptr<LoopThread::Block> owned(static_cast<LoopThread::Block*>(data));
}

guint attach(GSource* source, GMainContext* context, LoopThread::Block block) {
    auto owned = std::make_unique<LoopThread::Block>(std::move(block));
    g_source_set_callback(source, runOnce, owned.release(), destroyBlock);
    auto id = g_source_attach(source, context);
    g_source_unref(source);
    return id;
}

} // namespace

LoopThread::LoopThread(const char* name)
    : context_(g_main_context_new())
    , loop_(g_main_loop_new(context_.get(), FALSE)) {
    std::promise<void> running;
    auto started = running.get_future();
    thread_ = std::thread([this, name, &running] {
        pthread_setname_np(pthread_self(), name);
        g_main_context_push_thread_default(context_.get());
        running.set_value();
        g_main_loop_run(loop_.get());
        g_main_context_pop_thread_default(context_.get());
    });
    started.wait();
}

LoopThread::~LoopThread() {
    post([loop = loop_.get()] { g_main_loop_quit(loop); });
    thread_.join();
}

void LoopThread::post(Block block) {
    {
        std::lock_guard guard(lock_);
        posted_.push_back(std::move(block));
    }
    auto* source = g_idle_source_new();
    g_source_set_callback(
        source,
        [](gpointer self) {
            static_cast<LoopThread*>(self)->runPosted();
            return gboolean(G_SOURCE_REMOVE);
        },
        this, nullptr);
    g_source_attach(source, context_.get());
    g_source_unref(source);
}

void LoopThread::runPosted() {
    std::deque<Block> batch;
    {
        std::lock_guard guard(lock_);
        batch.swap(posted_);
    }
    for (auto& block : batch) {
        block();
    }
}

void LoopThread::invokeAndWait(const Block& block) {
    std::promise<void> done;
    post([&] {
        block();
        done.set_value();
    });
    done.get_future().wait();
}

LoopThread::TimerId LoopThread::schedule(std::chrono::milliseconds delay, Block block) {
    // Beyond what a guint of milliseconds holds (49 days) the caller is woken early and
    // schedules the rest.
    auto milliseconds = std::clamp<std::chrono::milliseconds::rep>(delay.count(), 0, G_MAXUINT);
    return attach(g_timeout_source_new(static_cast<guint>(milliseconds)), context_.get(),
                  std::move(block));
}

void LoopThread::cancel(TimerId timer) {
    if (auto* source = g_main_context_find_source_by_id(context_.get(), timer)) {
        g_source_destroy(source);
    }
}

void LoopThread::iterate() {
    g_main_context_iteration(context_.get(), TRUE);
}

} // namespace platform::notify
