#pragma once

// A private desktop whose only https handler is a script that appends each URL it is started
// with, one line per launch, to a file the test reads; never a real browser.

#include "tests/support/Eventually.h"
#include "tests/support/TemporaryDirectory.h"
#include "tests/support/TestFiles.h"

#include <chrono>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace trelvo::test {

class DefaultHandler {
public:
    DefaultHandler() {
        for (auto folder : {"data/applications", "config", "none"}) {
            std::filesystem::create_directories(root_.path() / folder);
        }
        // The MIME database every desktop has (no handler in it): without it GTK cannot load its
        // own icons, a header bar's among them, and aborts.
        std::error_code noDatabase;
        std::filesystem::create_directory_symlink("/usr/share/mime", root_.path() / "none" / "mime",
                                                  noDatabase);
        const auto recorder = root_.path() / "record-url";
        writeFile(recorder, "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + opened_.string() + "'\n");
        std::filesystem::permissions(recorder, std::filesystem::perms::owner_all);
        writeFile(root_.path() / "data/applications/trelvo-test-browser.desktop",
                  "[Desktop Entry]\nType=Application\nName=Test Browser\nExec=" +
                      recorder.string() + " %u\nMimeType=x-scheme-handler/https;\n");
        writeFile(root_.path() / "config/mimeapps.list",
                  "[Default Applications]\nx-scheme-handler/https=trelvo-test-browser.desktop\n");
    }
    // NAME=VALUE for the XDG variables that point at this desktop.
    std::vector<std::string> environment() const {
        const auto& root = root_.path();
        return {"XDG_DATA_HOME=" + (root / "data").string(),
                "XDG_CONFIG_HOME=" + (root / "config").string(),
                "XDG_DATA_DIRS=" + (root / "none").string(),
                "XDG_CONFIG_DIRS=" + (root / "none").string()};
    }
    // The same for this process (before GIO first reads them).
    void apply() const {
        for (const auto& entry : environment()) {
            const auto equals = entry.find('=');
            ::setenv(entry.substr(0, equals).c_str(), entry.c_str() + equals + 1, 1);
        }
        ::unsetenv("XDG_CURRENT_DESKTOP");
    }
    // The next URL a launched handler received, or nothing within the limit.
    std::optional<std::string>
    nextOpened(std::chrono::milliseconds limit = std::chrono::seconds(20)) {
        std::vector<std::string> lines;
        auto arrived = [&] { // whole lines only: a launch may be writing its line right now
            std::istringstream opened(readFile(opened_));
            lines.clear();
            for (std::string line; std::getline(opened, line) && !opened.eof();) {
                lines.push_back(line);
            }
            return lines.size() > taken_;
        };
        return eventually(arrived, limit) ? std::optional(lines[taken_++]) : std::nullopt;
    }

private:
    TemporaryDirectory root_{"trelvo-desktop"};
    std::filesystem::path opened_ = root_.path() / "opened";
    std::size_t taken_ = 0; // lines already handed out
};

} // namespace trelvo::test
