#pragma once

#include <gdk/gdk.h>
#include <map>
#include <string>

namespace platform::widget {

// The connector name of each monitor ("HDMI-1"), as the compositor gives it through xdg-output:
// GTK 3 keeps no such name on Wayland. Empty when the compositor does not say.
std::map<GdkMonitor*, std::string> waylandOutputNames(GdkDisplay* display);

} // namespace platform::widget
