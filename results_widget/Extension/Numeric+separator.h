#pragma once

#include "results_widget/Extension/Formatter+separator.h"

#include <concepts>
#include <string>

namespace results_widget {

// The number's text through the shared formatter, or "" when it gives none.
template <class T>
requires(std::integral<T> || std::floating_point<T>) && (!std::same_as<T, bool>)std::string
    formattedWithSeparator(T number) {
    return Formatter::withSeparator().string(platform::foundation::Number(number)).value_or("");
}

} // namespace results_widget
