#pragma once

#include <string>

namespace platform::gallery {

// The gallery's own words, in the user's language where its catalogue has them.
std::string text(const char* key);

} // namespace platform::gallery
