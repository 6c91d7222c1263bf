#pragma once

namespace platform::coding {

// How the names of a JSON object's members become the keys a record asks for.
enum class KeyDecodingStrategy {
    useDefaultKeys,
    // Each name through convertFromSnakeCase (SnakeCase.h) before matching.
    convertFromSnakeCase,
};

} // namespace platform::coding
