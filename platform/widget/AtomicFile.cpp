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

// The file's contents, whole and synced to disk, with the permissions of the file replaced.
std::optional<int> fill(int fd, const std::filesystem::path& path, std::string_view bytes) {
    if (auto error = writeAll(fd, bytes)) {
        return error;
    }
    if (::fchmod(fd, modeFor(path)) != 0 || ::fsync(fd) != 0) {
        return errno;
    }
    return std::nullopt;
}

// Written unnamed (O_TMPFILE) and named only once whole, so that a writer killed while it
// writes leaves nothing behind, and one killed between naming and renaming leaves one file
// that the next write replaces. Nullopt where the file system cannot.
std::optional<std::optional<FileError>> writeUnnamed(const std::filesystem::path& folder,
                                                     const std::filesystem::path& path,
                                                     const std::string& stem,
                                                     std::string_view bytes) {
    UniqueFd fd(::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
    if (!fd) {
        return std::nullopt;
    }
    if (auto error = fill(fd.get(), path, bytes)) {
        return failure(path, "write", *error);
    }
    auto named = folder / ("." + stem + ".new");
    ::unlink(named.c_str());
    auto self = "/proc/self/fd/" + std::to_string(fd.get());
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, named.c_str(), AT_SYMLINK_FOLLOW) != 0) {
        return std::nullopt; // no /proc: the named way still works
    }
    if (::rename(named.c_str(), path.c_str()) != 0) {
        int error = errno;
        ::unlink(named.c_str());
        return failure(path, "replace", error);
    }
    return std::optional<FileError>();
}

std::optional<FileError> writeThroughTemporary(const std::filesystem::path& folder,
                                               const std::filesystem::path& path,
                                               const std::string& stem, std::string_view bytes) {
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
    if (auto error = fill(fd.get(), path, bytes)) {
        return abandon("write", *error);
    }
    if (::close(fd.release()) != 0) {
        return abandon("write", errno);
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        return abandon("replace", errno);
    }
    return std::nullopt;
}

} // namespace

std::optional<FileError> writeFileAtomically(const std::filesystem::path& path,
                                             std::string_view bytes) {
    auto folder = path.parent_path().empty() ? std::filesystem::path(".") : path.parent_path();
    // Shortened so that a name near the system's limit still leaves room for the suffix.
    auto stem = path.filename().string().substr(0, 200);
    auto written = writeUnnamed(folder, path, stem, bytes);
    auto error = written ? *written : writeThroughTemporary(folder, path, stem, bytes);
    if (!error) {
        syncFolder(folder);
    }
    return error;
}

} // namespace platform::widget
