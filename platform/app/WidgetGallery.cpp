#include "platform/app/WidgetGallery.h"

#include "platform/foundation/ProgramLookup.h"

#include <glib.h>
#include <system_error>

namespace platform::app {

namespace fs = std::filesystem;

namespace {} // namespace

std::optional<fs::path> findWidgetGallery(const fs::path& folder) {
    return foundation::findProgram(widgetGalleryProgram, folder);
}

foundation::Expected<fs::path, std::string> openWidgetGallery(const RuntimeStrings& strings) {
    const auto executable = foundation::runningExecutable();
    auto gallery = findWidgetGallery(executable.parent_path());
    if (!gallery) {
        return foundation::Unexpected{
            strings("%@ is neither beside %@ nor on PATH.",
                    {std::string(widgetGalleryProgram), executable.filename().string()})};
    }
    // No shell: the path is handed over as it is. GLib reaps the child.
    std::string program = gallery->string();
    char* argv[] = {program.data(), nullptr};
    g_autoptr(GError) error = nullptr;
    if (!g_spawn_async(nullptr, argv, nullptr, G_SPAWN_DEFAULT, nullptr, nullptr, nullptr,
                       &error)) {
        return foundation::Unexpected{
            strings("%@ did not start: %@",
                    {std::string(widgetGalleryProgram), std::string(error->message)})};
    }
    return *gallery;
}

} // namespace platform::app
