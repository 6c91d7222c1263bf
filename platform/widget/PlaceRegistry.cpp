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

// "x y width height", the monitor and the kind, a line each.
struct Record {
    pid_t pid = 0;
    Rect frame;
    std::string monitor;
    std::string kind;
};

std::string recordText(const Rect& r, const std::string& monitor, const std::string& kind) {
    std::ostringstream text;
    text << r.x << ' ' << r.y << ' ' << r.width << ' ' << r.height << '\n'
         << monitor << '\n'
         << kind << '\n';
    return text.str();
}

// The records of live widgets but `ours`; those of processes gone are removed.
std::vector<Record> liveRecords(const fs::path& folder, const fs::path& ours = {}) {
    std::vector<Record> records;
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
        Record record{static_cast<pid_t>(pid)};
        auto& f = record.frame;
        if (in >> f.x >> f.y >> f.width >> f.height &&
            std::getline(in >> std::ws, record.monitor) && std::getline(in, record.kind)) {
            records.push_back(std::move(record));
        }
    }
    return records;
}

} // namespace

std::optional<fs::path> PlaceRegistry::folder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || !*runtime) {
        return std::nullopt;
    }
    return fs::path(runtime) / "trelvo" / "places";
}

std::optional<PlaceRegistry> PlaceRegistry::open(std::string kind) {
    auto shared = folder();
    std::error_code error;
    if (!shared || (fs::create_directories(*shared, error), !fs::is_directory(*shared, error))) {
        return std::nullopt;
    }
    return PlaceRegistry(std::move(*shared), std::move(kind));
}

std::vector<PlaceRegistry::Holder> PlaceRegistry::holders(const fs::path& folder) {
    std::vector<Holder> found;
    FolderLock lock(folder);
    for (auto& record : liveRecords(folder)) {
        found.push_back({record.pid, std::move(record.kind)});
    }
    return found;
}

PlaceRegistry::PlaceRegistry(fs::path folder, std::string kind)
    : folder_(std::move(folder))
    , kind_(std::move(kind))
    , record_(folder_ / std::to_string(::getpid())) {}

PlaceRegistry::PlaceRegistry(PlaceRegistry&& other) noexcept
    : folder_(std::move(other.folder_))
    , kind_(std::move(other.kind_))
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
    std::vector<Rect> taken;
    for (const auto& record : liveRecords(folder_, record_)) {
        if (record.monitor == monitor) {
            taken.push_back(record.frame);
        }
    }
    Rect frame = choose(taken);
    writeFileAtomically(record_, recordText(frame, monitor, kind_));
    return frame;
}

void PlaceRegistry::update(const std::string& monitor, const Rect& frame) {
    FolderLock lock(folder_);
    writeFileAtomically(record_, recordText(frame, monitor, kind_));
}

} // namespace platform::widget
