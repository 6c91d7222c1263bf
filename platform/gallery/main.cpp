// trelvo-widget-gallery: the suite's widgets, added to the desktop or removed from it.

#include "platform/foundation/Bundle.h"
#include "platform/foundation/ProgramLookup.h"
#include "platform/gallery/DesktopWidgets.h"
#include "platform/gallery/GalleryText.h"
#include "platform/gallery/GalleryWindow.h"
#include "platform/gallery/InstalledWidget.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <glib.h>
#include <gtk/gtk.h>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace platform::gallery;

constexpr int exitUsage = 2;

int fail(int status, const std::string& message) {
    std::fprintf(stderr, "trelvo-widget-gallery: %s\n", message.c_str());
    return status;
}

void help() {
    std::puts(
        "Usage: trelvo-widget-gallery [OPTION]...\n"
        "Shows the installed widgets and adds them to the desktop or removes them.\n"
        "\n"
        "  --list            print each installed widget's kind, families and whether it is on\n"
        "                    the desktop\n"
        "  --add KIND        start the widget now and at every login\n"
        "  --family FAMILY   with --add: small, medium or large (default: the widget's first)\n"
        "  --remove KIND     end the widget and no longer start it at login\n"
        "  --help            print this help\n"
        "  --version         print the version\n"
        "\n"
        "Exit status: 0 when done; 1 when a widget could not be added; 2 for a command line\n"
        "that cannot be followed.");
}

struct Options {
    std::string action; // "", "list", "add", "remove", "help", "version"
    std::string kind;
    std::string family;
};

std::optional<Options> parse(int argc, char** argv, std::string& error) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 < argc) {
                return std::string(argv[++i]);
            }
            error = arg + " needs a value";
            return std::nullopt;
        };
        if (arg == "--list" || arg == "--help" || arg == "--version") {
            options.action = arg.substr(2);
        } else if (arg == "--add" || arg == "--remove") {
            auto kind = value();
            if (!kind) {
                return std::nullopt;
            }
            options.action = arg.substr(2);
            options.kind = *kind;
        } else if (arg == "--family") {
            auto family = value();
            if (!family) {
                return std::nullopt;
            }
            options.family = *family;
        } else {
            error = "unknown option " + arg + " (see --help)";
            return std::nullopt;
        }
    }
    return options;
}

int list(const std::vector<InstalledWidget>& widgets, const DesktopWidgets& desktop) {
    for (const auto& widget : widgets) {
        std::string families;
        for (const auto& family : widget.families) {
            families += (families.empty() ? "" : ",") + family;
        }
        std::printf("%s\t%s\t%s\t%s\n", widget.kind.c_str(), families.c_str(),
                    desktop.isOn(widget) ? "on" : "off", widget.displayName.c_str());
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::string error;
    auto options = parse(argc, argv, error);
    if (!options) {
        return fail(exitUsage, error);
    }
    if (options->action == "help") {
        help();
        return 0;
    }
    if (options->action == "version") {
        auto version = platform::foundation::Bundle::main().object("CFBundleShortVersionString");
        std::printf("trelvo-widget-gallery %s\n", version.value_or("unknown").c_str());
        return 0;
    }
    std::error_code ignored;
    const fs::path self = platform::foundation::runningExecutable();
    auto widgets = findInstalledWidgets(applicationFolders(self), self);
    const auto desktop = DesktopWidgets::ofSession();
    if (options->action == "list") {
        return list(widgets, desktop);
    }
    if (!options->action.empty()) {
        auto widget = std::find_if(widgets.begin(), widgets.end(), [&](const InstalledWidget& w) {
            return w.kind == options->kind;
        });
        if (widget == widgets.end()) {
            return fail(exitUsage, "no installed widget of kind " + options->kind);
        }
        if (options->action == "remove") {
            desktop.remove(*widget);
            return 0;
        }
        const auto family = options->family.empty() ? widget->families.front() : options->family;
        if (std::find(widget->families.begin(), widget->families.end(), family) ==
            widget->families.end()) {
            return fail(exitUsage,
                        "--family " + family + ": " + widget->kind + " does not come in it");
        }
        if (auto failed = desktop.add(*widget, family)) {
            return fail(1, "cannot add " + widget->kind + ": " + *failed);
        }
        return 0;
    }
    ::setenv("GDK_GL", "disable", 1);
    if (!gtk_init_check(&argc, &argv)) {
        return fail(exitUsage,
                    "cannot open the display; --list, --add and --remove work without one");
    }
    g_autofree gchar* scratch = g_dir_make_tmp("trelvo-gallery-XXXXXX", nullptr);
    const int status = runGalleryWindow(std::move(widgets), desktop, scratch ? scratch : "/tmp");
    if (scratch) {
        fs::remove_all(scratch, ignored);
    }
    return status;
}
