#include "platform/widget/PlaceRegistry.h"

#include "platform/widget/AtomicFile.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/file.h>
#include <unistd.h>
#include <utility>

namespace platform::widget {

namespace fs = std::filesystem;

namespace {

// flock on a file of its own: held for the few reads and one write of a claim.
class FolderLock {
public:
    explicit FolderLock(const fs::path& folder)
        : fd_(::open((folder / ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
        if (fd_.get() >= 0) {
            while (::flock(fd_.get(), LOCK_EX) != 0 && errno == EINTR) {
            }
        }
    }

private:
    UniqueFd fd_; // closing it releases the lock
};

bool alive(pid_t pid) {
    return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM);
}

std::string recordText(const std::string& monitor, const Rect& r) {
    std::ostringstream text;
    text << r.x << ' ' << r.y << ' ' << r.width << ' ' << r.height << ' ' << monitor << '\n';
    return text.str();
}

// The frames other live widgets hold on `monitor`; records of processes gone are removed.
std::vector<Rect> framesHeld(const fs::path& folder, const fs::path& ours,
                             const std::string& monitor) {
    std::vector<Rect> frames;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        const auto name = entry.path().filename().string();
        char* end = nullptr;
        const long pid = std::strtol(name.c_str(), &end, 10);
        if (name.empty() || *end != '\0' || entry.path() == ours) {
            continue;
        }
        if (!alive(static_cast<pid_t>(pid))) {
            fs::remove(entry.path(), error);
            continue;
        }
        std::ifstream in(entry.path());
        Rect frame;
        std::string on;
        if (in >> frame.x >> frame.y >> frame.width >> frame.height &&
            std::getline(in >> std::ws, on) && on == monitor) {
            frames.push_back(frame);
        }
    }
    return frames;
}

} // namespace

std::optional<PlaceRegistry> PlaceRegistry::open() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || !*runtime) {
        return std::nullopt;
    }
    fs::path folder = fs::path(runtime) / "trelvo" / "places";
    std::error_code error;
    fs::create_directories(folder, error);
    if (!fs::is_directory(folder, error)) {
        return std::nullopt;
    }
    return PlaceRegistry(std::move(folder));
}

PlaceRegistry::PlaceRegistry(fs::path folder)
    : folder_(std::move(folder))
    , record_(folder_ / std::to_string(::getpid())) {}

PlaceRegistry::PlaceRegistry(PlaceRegistry&& other) noexcept
    : folder_(std::move(other.folder_))
    , record_(std::exchange(other.record_, {})) {}

PlaceRegistry::~PlaceRegistry() {
    if (!record_.empty()) {
        std::error_code ignored;
        fs::remove(record_, ignored);
    }
}

Rect PlaceRegistry::claim(const std::string& monitor,
                          const std::function<Rect(const std::vector<Rect>&)>& choose) {
    FolderLock lock(folder_);
    Rect frame = choose(framesHeld(folder_, record_, monitor));
    writeFileAtomically(record_, recordText(monitor, frame));
    return frame;
}

void PlaceRegistry::update(const std::string& monitor, const Rect& frame) {
    FolderLock lock(folder_);
    writeFileAtomically(record_, recordText(monitor, frame));
}

} // namespace platform::widget
