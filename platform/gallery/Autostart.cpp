#include "platform/gallery/Autostart.h"

#include "platform/widget/AtomicFile.h"

#include <glib.h>

namespace platform::gallery {

namespace fs = std::filesystem;

namespace {

fs::path entryFile(const fs::path& folder, const InstalledWidget& widget) {
    return folder / (widget.id + ".desktop");
}

// A value of a string key: one line, its backslashes doubled; UTF-8 as it is.
std::string escaped(const std::string& value) {
    std::string text;
    for (char c : value) {
        text += c == '\\' ? "\\\\" : c == '\n' ? "\\n" : c == '\r' ? "\\r" : std::string(1, c);
    }
    return text;
}

} // namespace

fs::path autostartFolder() {
    return fs::path(g_get_user_config_dir()) / "autostart";
}

std::string quotedArgument(const std::string& argument) {
    if (!argument.empty() &&
        argument.find_first_of(" \t\n\"'\\><~|&;$*?#()`") == std::string::npos) {
        return argument;
    }
    std::string quoted = "\"";
    for (char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            quoted += '\\';
        }
        quoted += c;
    }
    // The entry's own escaping comes on top: a backslash is written twice.
    std::string entry;
    for (char c : quoted + "\"") {
        entry += c == '\\' ? std::string("\\\\") : std::string(1, c);
    }
    return entry;
}

std::optional<std::string> enableAtLogin(const fs::path& folder, const InstalledWidget& widget,
                                         const std::string& family) {
    std::error_code error;
    fs::create_directories(folder, error);
    const std::string text = "[Desktop Entry]\n"
                             "Type=Application\n"
                             "Name=" +
                             escaped(widget.displayName) +
                             "\n"
                             "Comment=" +
                             escaped(widget.description) +
                             "\n"
                             "Exec=" +
                             quotedArgument(widget.program.string()) + " --family " +
                             quotedArgument(family) +
                             "\n"
                             "Terminal=false\n"
                             "NoDisplay=true\n"
                             "X-GNOME-Autostart-enabled=true\n" +
                             std::string(widgetKey) + "=" + widget.kind + "\n";
    if (auto failed = widget::writeFileAtomically(entryFile(folder, widget), text)) {
        return failed->message;
    }
    return std::nullopt;
}

void disableAtLogin(const fs::path& folder, const InstalledWidget& widget) {
    std::error_code ignored;
    fs::remove(entryFile(folder, widget), ignored);
}

bool enabledAtLogin(const fs::path& folder, const InstalledWidget& widget) {
    return fs::exists(entryFile(folder, widget));
}

} // namespace platform::gallery
