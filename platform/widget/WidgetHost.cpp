#include "platform/widget/WidgetHost.h"

#include "platform/dispatch/DispatchQueue.h"
#include "platform/dispatch/MainLoop.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/LinePrinter.h"
#include "platform/ui/TextLayout.h"
#include "platform/widget/BundleResources.h"
#include "platform/widget/DesktopWindow.h"
#include "platform/widget/FilePresenter.h"
#include "platform/widget/HeapTrim.h"
#include "platform/widget/HostStrings.h"
#include "platform/widget/SleepMonitor.h"
#include "platform/widget/WallClockTimer.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <glib-unix.h>
#include <sstream>
#include <string>
#include <vector>

namespace platform::widget {

namespace {

constexpr int exitFailure = 1;
constexpr int exitUsage = 2;

void complain(const std::string& program, const std::string& message) {
    std::string line = program + ": " + message + "\n";
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
}

void printText(std::string text) {
    while (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    foundation::print(text);
}

bool hasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value && *value) {
            return true;
        }
    }
    return false;
}

std::string formatSeconds(double seconds) {
    std::ostringstream text;
    text << seconds;
    return text.str();
}

ui::Size pointsOf(WidgetFamily family) {
    auto size = displaySize(family);
    return {size.width, size.height};
}

// How a one-off entry is shown: the placeholder as a placeholder, a snapshot as it is.
Presentation presentationOf(ContentSource source) {
    Presentation presentation;
    presentation.placeholder = source == ContentSource::placeholder;
    return presentation;
}

// Runs the widget's timeline until the loop ends: sleeps until the next deadline, wakes for
// wall-clock jumps, resume from suspend, and moves of the test clock; asks again at once on
// SIGUSR1 or when `refresh` is called.
int runTimeline(dispatch::MainLoop& loop, const HostedWidget& widget,
                const TimelineProviderContext& context, PresentView present,
                std::function<void()>* refresh = nullptr) {
    std::shared_ptr<HostSession> session;
    WallClockTimer timer([&] { session->wake(); }, [&] { session->clockChanged(); });
    SleepMonitor sleep([&] { session->clockChanged(); });
    HeapTrim trim;
    auto presentAndTrim = [&trim, present = std::move(present)](const ui::View& view,
                                                                const Presentation& shown) {
        present(view, shown);
        trim.refreshed();
    };
    session = widget.makeSession(context, std::move(presentAndTrim),
                                 [&](std::optional<foundation::Date> at) { timer.arm(at); });
    std::weak_ptr<HostSession> weak = session;
    auto clockMoves = foundation::clock::observeChanges([weak] {
        dispatch::DispatchQueue::main().async([weak] {
            if (auto live = weak.lock()) {
                live->clockChanged();
            }
        });
    });
    auto refreshNow = [weak] {
        if (auto live = weak.lock()) {
            live->refresh();
        }
    };
    if (refresh) {
        *refresh = refreshNow;
    }
    [[maybe_unused]] const bool watched = loop.onSignal(SIGUSR1, refreshNow);
    session->start();
    return loop.run();
}

// One view into the file, then exit: 0 once written, 1 when the widget gives none in time.
int runOnce(dispatch::MainLoop& loop, const HostedWidget& widget,
            const TimelineProviderContext& context, const HostOptions& options,
            FilePresenter& output, const std::string& program) {
    bool finished = false;
    int result = exitFailure;
    auto finish = [&](int code, std::optional<std::string> message) {
        if (finished) {
            return;
        }
        finished = true;
        result = code;
        if (message) {
            complain(program, *message);
        }
        loop.quit(code);
    };
    widget.requestView(context, options.source, [&](std::optional<ui::View> view) {
        if (!view) {
            finish(exitFailure, "the widget answered with an empty timeline; " +
                                    output.path().string() + " left as it was");
            return;
        }
        auto error = output.present(*view, presentationOf(options.source));
        finish(error ? exitFailure : 0, error);
    });
    // A provider that answers at once is served before the time-out can run.
    dispatch::DispatchQueue::main().drain();
    if (finished) {
        return result;
    }
    // The answer is on its way over the network: the fonts it will be drawn in can get ready.
    ui::TextLayout::prepareFonts();
    loop.quitAfter(options.timeoutSeconds, exitFailure);
    int code = loop.run();
    if (!finished) {
        finished = true;
        if (code == 0) {
            return 0; // ended by SIGINT or SIGTERM
        }
        complain(program, "the widget did not answer within " +
                              formatSeconds(options.timeoutSeconds) + " seconds; " +
                              output.path().string() + " left as it was");
        return code;
    }
    return result;
}

int runFile(dispatch::MainLoop& loop, const HostedWidget& widget,
            const TimelineProviderContext& context, const HostOptions& options,
            const std::string& program) {
    FilePresenter output(*options.output, context.family, options.scale.value_or(1));
    if (options.once || options.source != ContentSource::timeline) {
        return runOnce(loop, widget, context, options, output, program);
    }
    return runTimeline(loop, widget, context,
                       [&](const ui::View& view, const Presentation& presentation) {
                           if (auto error = output.present(view, presentation)) {
                               complain(program, *error);
                           }
                       });
}

int runWindow(dispatch::MainLoop& loop, const HostedWidget& widget,
              const TimelineProviderContext& context, const HostOptions& options,
              const std::string& program) {
    std::function<void()> refresh;
    auto window = DesktopWindow::open({pointsOf(context.family),
                                       widget.descriptor.displayName.resolved(),
                                       widget.descriptor.kind, options.placement,
                                       [&] { loop.quit(0); },
                                       [&] {
                                           if (refresh) {
                                               refresh();
                                           }
                                       },
                                       hostStrings(foundation::Bundle::main())});
    if (!window) {
        const bool noDisplay = window.error().rfind("cannot open the display", 0) == 0;
        complain(program,
                 window.error() + (noDisplay ? "; without a display use --output FILE.png" : ""));
        return exitUsage;
    }
    auto& shown = **window;
    if (options.source != ContentSource::timeline) {
        widget.requestView(context, options.source, [&](std::optional<ui::View> view) {
            if (view) {
                shown.show(std::move(*view), presentationOf(options.source));
            }
        });
        return loop.run();
    }
    return runTimeline(
        loop, widget, context,
        [&](const ui::View& view, const Presentation& presentation) {
            shown.show(view, presentation);
        },
        &refresh);
}

std::string version() {
    return foundation::Bundle::main().object("CFBundleShortVersionString").value_or("unknown");
}

} // namespace

int runHost(int argc, char** argv, const HostedWidget& widget) {
    std::string program =
        argc > 0 && argv[0] ? std::filesystem::path(argv[0]).filename().string() : "widget";
    auto options =
        parseHostOptions(std::vector<std::string>(argv + std::min(argc, 1), argv + argc));
    if (!options) {
        complain(program, options.error().message + " (see --help)");
        return exitUsage;
    }
    ui::setMainResources(bundleResources(foundation::Bundle::main()));
    switch (options->action) {
    case HostAction::help:
        printText(helpText(program));
        return 0;
    case HostAction::version:
        printText(program + " " + version());
        return 0;
    case HostAction::describe:
        printText(describeJSON(widget.descriptor));
        return 0;
    case HostAction::run:
        break;
    }
    auto family = chooseFamily(*options, widget.descriptor);
    if (!family) {
        complain(program, family.error().message);
        return exitUsage;
    }
    if (options->once && !options->output) {
        complain(program, "--once needs --output FILE.png");
        return exitUsage;
    }
    if (!options->output && !hasDisplay()) {
        complain(program, "no display: use --output FILE.png (see --help)");
        return exitUsage;
    }
    auto context =
        TimelineProviderContext::forFamily(*family, options->source == ContentSource::snapshot);
    dispatch::MainLoop loop;
    if (options->output) {
        return runFile(loop, widget, context, *options, program);
    }
    return runWindow(loop, widget, context, *options, program);
}

} // namespace platform::widget
