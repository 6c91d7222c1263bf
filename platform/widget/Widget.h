#pragma once

#include "platform/widget/StaticConfiguration.h"

#include <concepts>
#include <string_view>

namespace platform::widget {

// A widget type: made by the host with no arguments, named by its constant `kind`, declared by
// the configuration its body() returns.
template <class W>
concept Widget = std::default_initializable<W> && requires(const W& widget) {
    { widget.kind } -> std::convertible_to<std::string_view>;
    { widget.body() } -> WidgetConfiguration;
};

} // namespace platform::widget
