#pragma once

#include <string_view>

namespace platform::workspace {

// The desktop's handlers for URLs.
class NSWorkspace {
public:
    static NSWorkspace& shared();

    // Hands the URL to the user's default handler for its scheme (the browser for https),
    // started directly, never through a shell. False when the text is not an absolute URL or
    // no handler could be started. Returns once the handler is launched, not when it is done.
    bool open(std::string_view url);

private:
    NSWorkspace() = default;
};

} // namespace platform::workspace
