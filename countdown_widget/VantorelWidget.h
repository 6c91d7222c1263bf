#pragma once

#include "countdown_widget/DaysUntilEntry.h"
#include "countdown_widget/Provider.h"
#include "platform/ui/View.h"
#include "platform/widget/Timeline.h"

#include <cstdint>
#include <string>

namespace countdown_widget {

// The countdown widget as the host lists and runs it: small and medium, the entry view filling
// the widget on the dark background.
struct VantorelWidget {
    using Content = platform::ui::View (*)(const DaysUntilEntry&);
    using Configuration = platform::widget::StaticConfiguration<Provider, Content>;

    static constexpr std::uint64_t backgroundHex = 0x232228;

    const std::string kind = "VantorelWidget";

    Configuration body() const;
    // What the host draws for one entry.
    static platform::ui::View content(const DaysUntilEntry& entry);
};

static_assert(platform::widget::Widget<VantorelWidget>);

} // namespace countdown_widget
