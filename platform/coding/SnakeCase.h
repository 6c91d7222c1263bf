#pragma once

#include <string>
#include <string_view>

namespace platform::coding {

// The platform's snake_case to camelCase key conversion: leading and trailing underscores stay, a
// key with no inner underscore is unchanged, otherwise the inner words are joined with the first
// lowercased and each later one capitalised ("year_result" -> "yearResult"). Case mapping is
// Unicode-aware and capitalising follows the platform's rule: a letter after a cased letter is
// lowercased, any other letter titlecased ("x_1st" -> "x1St").
std::string convertFromSnakeCase(std::string_view key);

} // namespace platform::coding
