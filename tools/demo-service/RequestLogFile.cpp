#include "tools/demo-service/RequestLogFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace trelvo::demo {

using platform::foundation::Unexpected;

Result<std::shared_ptr<RequestLogFile>> RequestLogFile::open(const std::string& target) {
    if (target == "-") {
        return std::make_shared<RequestLogFile>(nullptr);
    }
    // The log holds credentials: private to the user, like the keys.
    const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    FilePtr file{fd >= 0 ? ::fdopen(fd, "a") : nullptr};
    if (!file) {
        const int error = errno;
        if (fd >= 0) {
            ::close(fd);
        }
        errno = error;
        return Unexpected{"cannot open the request log " + target + ": " + std::strerror(errno)};
    }
    return std::make_shared<RequestLogFile>(std::move(file));
}

RequestLogFile::RequestLogFile(FilePtr file)
    : owned_(std::move(file))
    , file_(owned_ ? owned_.get() : stdout) {}

void RequestLogFile::write(const RecordedRequest& request) {
    const std::string line = toJSONLine(request) + "\n";
    std::lock_guard lock(mutex_);
    std::fwrite(line.data(), 1, line.size(), file_);
    std::fflush(file_);
}

} // namespace trelvo::demo
