#include "platform/workspace/NSWorkspace.h"

#include <algorithm>
#include <gio/gio.h>
#include <string>

namespace platform::workspace {
namespace {

// RFC 3986: letters, digits, the reserved and unreserved marks and percent escapes; anything
// else (spaces, controls, quotes, non-ASCII) means the text was never a URL.
bool isUrlCharacter(unsigned char c) {
    static constexpr std::string_view marks = "-._~:/?#[]@!$&'()*+,;=%";
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           marks.find(static_cast<char>(c)) != std::string_view::npos;
}

// Only an absolute URL reaches a handler: a text such as "--new-window" would otherwise
// arrive in its argument list as an option.
bool isAbsoluteUrl(const std::string& text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return isUrlCharacter(static_cast<unsigned char>(c)); }) &&
           g_uri_is_valid(text.c_str(), G_URI_FLAGS_NONE, nullptr);
}

} // namespace

NSWorkspace& NSWorkspace::shared() {
    static NSWorkspace workspace;
    return workspace;
}

bool NSWorkspace::open(std::string_view url) {
    const std::string text(url);
    if (!isAbsoluteUrl(text)) {
        return false;
    }
    g_autoptr(GError) error = nullptr;
    return g_app_info_launch_default_for_uri(text.c_str(), nullptr, &error);
}

} // namespace platform::workspace
