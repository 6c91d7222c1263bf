#pragma once

#include "core/ResultsEntity.h"
#include "platform/ui/View.h"

#include <cstdint>

namespace results_widget {

// One results entry: the year and month figures, grouped with plain spaces, inside the year
// ring and, within it, the month ring.
struct ResultsView {
    ResultsEntry entry;

    static constexpr std::uint64_t yearFigureHex = 0x875FC4;
    static constexpr std::uint64_t monthFigureHex = 0xEF8954;

    platform::ui::View body() const;
};

} // namespace results_widget
