#include "results_widget/Extension/Formatter+separator.h"

using platform::foundation::NumberFormatter;

namespace results_widget {

NumberFormatter Formatter::makeWithSeparator() {
    NumberFormatter formatter;
    formatter.setNumberStyle(NumberFormatter::Style::decimal);
    formatter.setGroupingSeparator(" ");
    return formatter;
}

const NumberFormatter& Formatter::withSeparator() {
    // Function-local statics are initialised exactly once, even when threads race to the first
    // call; it lives until the process ends.
    static const NumberFormatter formatter = makeWithSeparator();
    return formatter;
}

} // namespace results_widget
