#pragma once

#include <cstddef>
#include <string_view>

namespace fuzz {

// The deepest nesting of arrays and objects in a text already known to be valid JSON.
inline std::size_t nestingDepth(std::string_view json) {
    std::size_t depth = 0;
    std::size_t deepest = 0;
    bool inString = false;
    for (std::size_t i = 0; i < json.size(); ++i) {
        char c = json[i];
        if (inString) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            deepest = ++depth > deepest ? depth : deepest;
        } else if ((c == ']' || c == '}') && depth > 0) {
            --depth;
        }
    }
    return deepest;
}

} // namespace fuzz
