#include "tests/support/DefaultHandler.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace trelvo::test {

namespace fs = std::filesystem;

DefaultHandler::DefaultHandler() {
    const auto& root = root_.path();
    for (auto folder : {"data/applications", "config", "none"}) {
        fs::create_directories(root / folder);
    }
    // The MIME database every desktop has (no handler in it): without it GTK cannot load its own
    // icons, those of a header bar among them, and aborts.
    std::error_code noDatabase;
    fs::create_directory_symlink("/usr/share/mime", root / "none" / "mime", noDatabase);
    const auto fifo = root / "opened";
    if (mkfifo(fifo.c_str(), 0600) != 0) {
        throw std::runtime_error("cannot make " + fifo.string());
    }
    const auto recorder = root / "record-url";
    // Bounded, so a launch nobody reads any more never waits for ever.
    std::ofstream(recorder) << "#!/bin/sh\nexec timeout 20 sh -c 'printf \"%s\\n\" \"$1\" > \""
                            << fifo.string() << "\"' sh \"$1\"\n";
    fs::permissions(recorder, fs::perms::owner_all);
    std::ofstream(root / "data/applications/trelvo-test-browser.desktop")
        << "[Desktop Entry]\nType=Application\nName=Test Browser\nExec=" << recorder.string()
        << " %u\nMimeType=x-scheme-handler/https;\n";
    std::ofstream(root / "config/mimeapps.list")
        << "[Default Applications]\nx-scheme-handler/https=trelvo-test-browser.desktop\n";
    // The test holds a writer too, so the FIFO never reads as hung up between launches.
    reader_ = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    writer_ = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    if (reader_ < 0 || writer_ < 0) {
        throw std::runtime_error("cannot open " + fifo.string());
    }
}

DefaultHandler::~DefaultHandler() {
    ::close(reader_);
    ::close(writer_);
}

std::vector<std::string> DefaultHandler::environment() const {
    const auto& root = root_.path();
    return {"XDG_DATA_HOME=" + (root / "data").string(),
            "XDG_CONFIG_HOME=" + (root / "config").string(),
            "XDG_DATA_DIRS=" + (root / "none").string(),
            "XDG_CONFIG_DIRS=" + (root / "none").string()};
}

void DefaultHandler::apply() const {
    for (const auto& entry : environment()) {
        auto equals = entry.find('=');
        setenv(entry.substr(0, equals).c_str(), entry.substr(equals + 1).c_str(), 1);
    }
    unsetenv("XDG_CURRENT_DESKTOP");
}

std::optional<std::string> DefaultHandler::nextOpened(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (auto end = pending_.find('\n'); end != std::string::npos) {
            auto line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            return line;
        }
        char buffer[256];
        auto got = ::read(reader_, buffer, sizeof buffer);
        if (got > 0) {
            pending_.append(buffer, static_cast<std::size_t>(got));
            continue;
        }
        if (got < 0 && errno != EAGAIN) {
            return std::nullopt;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd wait{reader_, POLLIN, 0};
        if (left.count() <= 0 || poll(&wait, 1, static_cast<int>(left.count())) <= 0) {
            return std::nullopt;
        }
    }
}

} // namespace trelvo::test
