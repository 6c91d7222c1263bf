#include "results_widget/ResultsView.h"

#include "core/Extension/Color+Hex.h"
#include "platform/ui/Stack.h"
#include "platform/ui/Text.h"
#include "results_widget/ActivityRing.h"
#include "results_widget/Extension/Numeric+separator.h"

using platform::ui::Font;
using platform::ui::Text;
using platform::ui::View;
using platform::ui::VStack;
using platform::ui::ZStack;

namespace results_widget {

namespace {

View figure(std::int64_t value, std::uint64_t hex) {
    return Text::verbatim(formattedWithSeparator(value))
        .foregroundColor(colorFromHex(hex, 1.0))
        .font(Font::body());
}

} // namespace

View ResultsView::body() const {
    // The rings come after the figures so that their captions and dots lie on top.
    return ZStack{
        VStack{figure(entry.yearResults, yearFigureHex),
               figure(entry.monthResults, monthFigureHex)},
        ActivityRing(entry.yearCompletion, "y", RingDiameter::big),
        ActivityRing(entry.monthCompletion, "m", RingDiameter::medium),
    };
}

} // namespace results_widget
