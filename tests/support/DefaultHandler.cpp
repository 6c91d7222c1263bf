#include "tests/support/DefaultHandler.h"

#include "tests/support/Eventually.h"
#include "tests/support/TestFiles.h"

#include <algorithm>

namespace trelvo::test {

namespace fs = std::filesystem;

DefaultHandler::DefaultHandler() {
    const auto& root = root_.path();
    for (auto folder : {"data/applications", "config", "none"}) {
        fs::create_directories(root / folder);
    }
    const auto recorder = root / "record-url";
    writeFile(recorder,
              "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + (root / "opened").string() + "'\n");
    fs::permissions(recorder, fs::perms::owner_all);
    writeFile(root / "data/applications/trelvo-test-browser.desktop",
              "[Desktop Entry]\nType=Application\nName=Test Browser\nExec=" + recorder.string() +
                  " %u\nMimeType=x-scheme-handler/https;\n");
    writeFile(root / "config/mimeapps.list",
              "[Default Applications]\nx-scheme-handler/https=trelvo-test-browser.desktop\n");
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
    // Whole lines only: a launch may be writing its line right now.
    std::string text;
    auto lines = [&] { return std::ranges::count(text = readFile(root_.path() / "opened"), '\n'); };
    if (!eventually([&] { return std::size_t(lines()) > taken_; }, limit)) {
        return std::nullopt;
    }
    std::size_t start = 0;
    for (std::size_t line = 0; line < taken_; ++line) {
        start = text.find('\n', start) + 1;
    }
    ++taken_;
    return text.substr(start, text.find('\n', start) - start);
}

} // namespace trelvo::test
