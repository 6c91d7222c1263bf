#include "platform/gallery/InstalledWidget.h"

#include "platform/foundation/ProgramLookup.h"
#include "platform/widget/GLibHandles.h"

#include <algorithm>
#include <gio/gio.h>
#include <nlohmann/json.hpp>
#include <set>

namespace platform::gallery {

namespace fs = std::filesystem;

namespace {

std::string stringOf(GKeyFile* entry, const char* key) {
    g_autofree gchar* value = g_key_file_get_string(entry, "Desktop Entry", key, nullptr);
    return value ? value : "";
}

// The program of an entry's Exec line: its first word, found beside us first.
fs::path programOf(const std::string& exec, const fs::path& executable) {
    gint argc = 0;
    g_auto(GStrv) argv = nullptr;
    if (!g_shell_parse_argv(exec.c_str(), &argc, &argv, nullptr) || argc < 1) {
        return {};
    }
    const fs::path program = argv[0];
    if (program.has_parent_path()) {
        return fs::exists(program) ? program : fs::path();
    }
    return foundation::findProgram(argv[0], executable.parent_path()).value_or(fs::path());
}

// The program's own account of itself, in the user's language: --describe's JSON.
bool describe(InstalledWidget& widget) {
    const gchar* argv[] = {widget.program.c_str(), "--describe", nullptr};
    g_autofree gchar* output = nullptr;
    gint status = 0;
    if (!g_spawn_sync(nullptr, const_cast<gchar**>(argv), nullptr, G_SPAWN_STDERR_TO_DEV_NULL,
                      nullptr, nullptr, &output, nullptr, &status, nullptr) ||
        !g_spawn_check_wait_status(status, nullptr)) {
        return false;
    }
    auto json = nlohmann::json::parse(output ? output : "", nullptr, false);
    if (!json.is_object() || json.value("kind", "") != widget.kind) {
        return false;
    }
    widget.displayName = json.value("displayName", widget.displayName);
    widget.description = json.value("description", widget.description);
    for (const auto& family : json.value("families", nlohmann::json::array())) {
        // "systemSmall" as declared; the command line takes "small".
        auto name = family.is_string() ? family.get<std::string>() : "";
        if (name.rfind("system", 0) == 0 && name.size() > 6) {
            name = name.substr(6);
            name[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[0])));
            widget.families.push_back(name);
        }
    }
    return !widget.families.empty();
}

void addFolders(std::vector<fs::path>& folders, const char* list) {
    if (!list) {
        return;
    }
    g_auto(GStrv) parts = g_strsplit(list, ":", -1);
    for (auto** part = parts; *part; ++part) {
        if (**part == '/') {
            folders.push_back(fs::path(*part) / "applications");
        }
    }
}

} // namespace

std::vector<fs::path> applicationFolders(const fs::path& executable) {
    std::vector<fs::path> folders;
    folders.push_back(fs::path(g_get_user_data_dir()) / "applications");
    addFolders(folders, std::getenv("XDG_DATA_DIRS") ? std::getenv("XDG_DATA_DIRS")
                                                     : "/usr/local/share:/usr/share");
    folders.push_back(executable.parent_path().parent_path() / "share" / "applications");
    return folders;
}

std::vector<InstalledWidget> findInstalledWidgets(const std::vector<fs::path>& folders,
                                                  const fs::path& executable) {
    std::vector<InstalledWidget> widgets;
    std::set<std::string> seen;
    for (const auto& folder : folders) {
        std::error_code error;
        std::vector<fs::path> entries;
        for (const auto& file : fs::directory_iterator(folder, error)) {
            if (file.path().extension() == ".desktop") {
                entries.push_back(file.path());
            }
        }
        std::sort(entries.begin(), entries.end());
        for (const auto& file : entries) {
            const auto id = file.stem().string();
            if (!seen.insert(id).second) {
                continue;
            }
            g_autoptr(GKeyFile) entry = g_key_file_new();
            if (!g_key_file_load_from_file(entry, file.c_str(), G_KEY_FILE_NONE, nullptr)) {
                continue;
            }
            InstalledWidget widget{id,
                                   stringOf(entry, widgetKey),
                                   programOf(stringOf(entry, "Exec"), executable),
                                   stringOf(entry, "Name"),
                                   stringOf(entry, "Comment"),
                                   {}};
            if (!widget.kind.empty() && !widget.program.empty() && describe(widget)) {
                widgets.push_back(std::move(widget));
            }
        }
    }
    return widgets;
}

} // namespace platform::gallery
