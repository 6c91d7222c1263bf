#pragma once

#include "platform/foundation/NumberFormatter.h"

namespace results_widget {

// The widget's one number formatter: decimal, grouped with a plain space in the user's locale.
struct Formatter {
    // Created on first use, once per process even under concurrent first use; never released.
    static const platform::foundation::NumberFormatter& withSeparator();

    // A formatter with withSeparator's settings in the current locale (what the first use makes).
    static platform::foundation::NumberFormatter makeWithSeparator();
};

} // namespace results_widget
