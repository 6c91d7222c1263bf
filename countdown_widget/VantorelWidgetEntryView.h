#pragma once

#include "countdown_widget/DaysUntilEntry.h"
#include "platform/ui/View.h"

namespace countdown_widget {

// One countdown entry: the day count over the two captions, white, centred in a column. It
// draws no background of its own and looks the same in every family.
struct VantorelWidgetEntryView {
    DaysUntilEntry entry;

    static constexpr double countPointSize = 40;
    static constexpr double eventNamePointSize = 10;

    platform::ui::View body() const;
};

} // namespace countdown_widget
