#pragma once

#include <glib-object.h>
#include <memory>
#include <unistd.h>
#include <utility>

namespace platform::widget {

// A GLib source attached to the default context, removed when this goes.
class SourceId {
public:
    SourceId() = default;
    explicit SourceId(guint id)
        : id_(id) {}
    ~SourceId() { reset(); }
    SourceId(SourceId&& other) noexcept
        : id_(std::exchange(other.id_, 0)) {}
    SourceId& operator=(SourceId&& other) noexcept {
        if (this != &other) {
            reset();
            id_ = std::exchange(other.id_, 0);
        }
        return *this;
    }

    void reset() {
        if (id_ != 0) {
            g_source_remove(std::exchange(id_, 0));
        }
    }
    // For a source whose callback returned G_SOURCE_REMOVE: GLib has already dropped it.
    void forget() { id_ = 0; }
    guint get() const { return id_; }

private:
    guint id_ = 0;
};

class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd)
        : fd_(fd) {}
    ~UniqueFd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    UniqueFd(UniqueFd&& other) noexcept
        : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            UniqueFd gone(std::move(*this));
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }

    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }
    explicit operator bool() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <class T> using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

struct GErrorFree {
    void operator()(GError* error) const { g_error_free(error); }
};
using GErrorPtr = std::unique_ptr<GError, GErrorFree>;

} // namespace platform::widget
