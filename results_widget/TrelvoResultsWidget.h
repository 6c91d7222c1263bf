#pragma once

#include "core/ResultsEntity.h"
#include "platform/ui/View.h"
#include "platform/widget/StaticConfiguration.h"
#include "platform/widget/Widget.h"
#include "platform/widget/WidgetPreviewContext.h"
#include "results_widget/Provider.h"

#include <cstdint>
#include <string>

namespace results_widget {

// What the widget shows for one entry: the results view and nothing around it.
struct TrelvoResultsWidgetEntryView {
    ResultsEntry entry;

    platform::ui::View body() const;
};

// The results widget as the host lists and runs it: small only, the entry view filling the
// widget on the dark background.
struct TrelvoResultsWidget {
    using Content = platform::ui::View (*)(const ResultsEntry&);
    using Configuration = platform::widget::StaticConfiguration<Provider, Content>;

    static constexpr std::uint64_t backgroundHex = 0x232228;

    const std::string kind = "TrelvoResultsWidget";

    Configuration body() const;
    // What the host draws for one entry.
    static platform::ui::View content(const ResultsEntry& entry);
};

static_assert(platform::widget::Widget<TrelvoResultsWidget>);

// The design-time preview: the entry view of an empty entry in the small family, on the
// canvas's own background.
struct TrelvoResultsWidget_Previews {
    static platform::widget::WidgetPreview<platform::ui::View> previews();
};

} // namespace results_widget
