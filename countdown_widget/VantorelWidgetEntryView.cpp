#include "countdown_widget/VantorelWidgetEntryView.h"

#include "platform/ui/LocalizedStringKey.h"
#include "platform/ui/Stack.h"
#include "platform/ui/Text.h"

using platform::ui::Color;
using platform::ui::Font;
using platform::ui::LocalizedStringKey;
using platform::ui::Text;
using platform::ui::View;
using platform::ui::VStack;

namespace countdown_widget {

View VantorelWidgetEntryView::body() const {
    // A key that is only the number: a translation may put words around it; plain decimal
    // digits otherwise, no grouping.
    LocalizedStringKey count("%lld", {entry.daysUntil});
    return VStack{
        Text(count).font(Font::system(countPointSize)).bold().foregroundColor(Color::white),
        Text("дней до события").foregroundColor(Color::white),
        Text("Чемпионат Европы 2021")
            .font(Font::system(eventNamePointSize))
            .fontWeight(Font::Weight::light)
            .foregroundColor(Color::white),
    };
}

} // namespace countdown_widget
