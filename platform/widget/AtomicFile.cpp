#include "platform/widget/AtomicFile.h"

#include "platform/widget/GLibHandles.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform::widget {

namespace {

FileError failure(const std::filesystem::path& path, std::string_view what, int error) {
    return {"cannot " + std::string(what) + " " + path.string() + ": " + std::strerror(error)};
}

std::optional<int> writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        auto written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return std::nullopt;
}

// Readers of the old file keep its permissions; a new file is readable by all, as images are.
mode_t modeFor(const std::filesystem::path& path) {
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0) {
        return existing.st_mode & 07777;
    }
    return 0644;
}

void syncFolder(const std::filesystem::path& folder) {
    UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd) {
        ::fsync(fd.get()); // best effort: the rename itself has happened
    }
}

} // namespace

std::optional<FileError> writeFileAtomically(const std::filesystem::path& path,
                                             std::string_view bytes) {
    auto folder = path.parent_path().empty() ? std::filesystem::path(".") : path.parent_path();
    // Shortened so that a name near the system's limit still leaves room for the suffix.
    auto stem = path.filename().string().substr(0, 200);
    auto pattern = (folder / ("." + stem + ".XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');

    UniqueFd fd(::mkostemp(name.data(), O_CLOEXEC));
    if (!fd) {
        return failure(path, "create a file next to", errno);
    }
    std::filesystem::path temporary(name.data());
    auto abandon = [&](std::string_view what, int error) {
        ::unlink(temporary.c_str());
        return failure(path, what, error);
    };
    if (auto error = writeAll(fd.get(), bytes)) {
        return abandon("write", *error);
    }
    if (::fchmod(fd.get(), modeFor(path)) != 0 || ::fsync(fd.get()) != 0) {
        return abandon("write", errno);
    }
    if (::close(fd.release()) != 0) {
        return abandon("write", errno);
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        return abandon("replace", errno);
    }
    syncFolder(folder);
    return std::nullopt;
}

} // namespace platform::widget
