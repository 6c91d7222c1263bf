#pragma once

#include "platform/widget/WidgetHost.h"

// Runs the real widget host (file or window presenter, as its own options say) on the main
// thread while a second thread drives it: the test clock jumps past each reload so that the
// host refreshes as fast as the widget answers, or the window is asked to redraw. It reports CPU
// per event and memory before and after, then ends the host with SIGTERM.
//
//   <bench> [--refreshes N] [--redraws N] [--warmup N] [--step SECONDS] [--report FILE]
//           [host options...]
int runDrivenHost(int argc, char** argv, platform::widget::HostedWidget widget);
