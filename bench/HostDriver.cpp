#include "bench/HostDriver.h"

#include "platform/dispatch/DispatchQueue.h"
#include "platform/foundation/Clock.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <gtk/gtk.h>
#include <malloc.h>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using platform::widget::HostedWidget;
using platform::widget::HostSession;
using platform::widget::Presentation;

struct DriverOptions {
    int refreshes = 1000;
    int redraws = 0;
    int warmup = 10;
    double step = 3601; // past the countdown's hourly reload and the results' 15 minutes
    std::optional<std::string> report;
    std::vector<std::string> hostArgs;
};

std::optional<DriverOptions> parse(int argc, char** argv) {
    DriverOptions options;
    options.hostArgs.push_back(argc > 0 ? argv[0] : "bench");
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= argc) {
                return std::nullopt;
            }
            return std::string(argv[++i]);
        };
        std::optional<std::string> v;
        if (arg == "--refreshes" && (v = value())) {
            options.refreshes = std::stoi(*v);
        } else if (arg == "--redraws" && (v = value())) {
            options.redraws = std::stoi(*v);
        } else if (arg == "--warmup" && (v = value())) {
            options.warmup = std::stoi(*v);
        } else if (arg == "--step" && (v = value())) {
            options.step = std::stod(*v);
        } else if (arg == "--report" && (v = value())) {
            options.report = *v;
        } else if (arg.starts_with("--refreshes") || arg.starts_with("--redraws") ||
                   arg.starts_with("--warmup") || arg.starts_with("--step") ||
                   arg.starts_with("--report")) {
            return std::nullopt;
        } else {
            options.hostArgs.push_back(arg);
        }
    }
    return options;
}

// What the host has done so far, as the driver thread sees it.
class Probe {
public:
    struct Counts {
        std::uint64_t presents = 0;
        std::uint64_t generation = 0;
        std::uint64_t draws = 0;
        bool hostEnded = false;
    };

    void presented(const Presentation& presentation) {
        update([&](Counts& c) {
            ++c.presents;
            c.generation = presentation.timelineGeneration;
        });
    }
    void drew() {
        update([](Counts& c) { ++c.draws; });
    }
    void hostEnded() {
        update([](Counts& c) { c.hostEnded = true; });
    }
    Counts now() {
        std::lock_guard lock(mutex_);
        return counts_;
    }
    bool waitFor(const std::function<bool(const Counts&)>& done, std::chrono::seconds timeout) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] {
            return counts_.hostEnded || done(counts_);
        }) && !counts_.hostEnded;
    }

private:
    void update(const std::function<void(Counts&)>& change) {
        {
            std::lock_guard lock(mutex_);
            change(counts_);
        }
        changed_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    Counts counts_;
};

// Counts paints of every window GTK has open; runs on the main thread. The window's own draw
// handler ends the signal's emission, so a draw is seen by an emission hook, and counted once
// its frame has been painted.
struct DrawWatch {
    Probe* probe = nullptr;
    bool drawing = false;
};

void watchDraws(Probe& probe) {
    if (!gtk_init_check(nullptr, nullptr)) {
        return;
    }
    static DrawWatch watch;
    watch.probe = &probe;
    g_signal_add_emission_hook(
        g_signal_lookup("draw", GTK_TYPE_WIDGET), 0,
        +[](GSignalInvocationHint*, guint, const GValue* params, gpointer data) -> gboolean {
            if (GTK_IS_WINDOW(g_value_get_object(&params[0]))) {
                static_cast<DrawWatch*>(data)->drawing = true;
            }
            return TRUE;
        },
        &watch, nullptr);
    GList* windows = gtk_window_list_toplevels();
    for (GList* w = windows; w; w = w->next) {
        GdkWindow* window = gtk_widget_get_window(GTK_WIDGET(w->data));
        if (!window) {
            continue;
        }
        g_signal_connect(gdk_window_get_frame_clock(window), "after-paint",
                         G_CALLBACK(+[](GdkFrameClock*, gpointer data) {
                             auto* watch = static_cast<DrawWatch*>(data);
                             if (watch->drawing) {
                                 watch->drawing = false;
                                 watch->probe->drew();
                             }
                         }),
                         &watch);
    }
    g_list_free(windows);
}

void queueRedraws() {
    GList* windows = gtk_window_list_toplevels();
    for (GList* w = windows; w; w = w->next) {
        gtk_widget_queue_draw(GTK_WIDGET(w->data));
    }
    g_list_free(windows);
}

// The process's memory as the kernel and the allocator see it, in kB.
struct Memory {
    long rss = 0;
    long hwm = 0;
    long pss = 0;
    long privateBytes = 0;
    long heapInUse = 0; // bytes, from malloc
};

std::map<std::string, long> readKilobytes(const char* file) {
    std::map<std::string, long> values;
    std::ifstream in(file);
    std::string key;
    long value = 0;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        if (fields >> key >> value) {
            values[key] = value;
        }
    }
    return values;
}

Memory sampleMemory() {
    auto status = readKilobytes("/proc/self/status");
    auto rollup = readKilobytes("/proc/self/smaps_rollup");
    const auto info = mallinfo2();
    return {status["VmRSS:"], status["VmHWM:"], rollup["Pss:"],
            rollup["Private_Clean:"] + rollup["Private_Dirty:"],
            static_cast<long>(info.uordblks + info.hblkhd)};
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

class Report {
public:
    void add(const std::string& key, double value) {
        char number[64];
        if (value == static_cast<double>(static_cast<long long>(value))) {
            std::snprintf(number, sizeof number, "%lld", static_cast<long long>(value));
        } else {
            std::snprintf(number, sizeof number, "%.4f", value);
        }
        text_ += key + ' ' + number + '\n';
    }
    void add(const std::string& prefix, const Memory& m) {
        add(prefix + "_rss_kb", m.rss);
        add(prefix + "_pss_kb", m.pss);
        add(prefix + "_private_kb", m.privateBytes);
        add(prefix + "_heap_bytes", m.heapInUse);
    }
    void write(const std::optional<std::string>& file) const {
        if (file) {
            std::ofstream(*file) << text_;
        } else {
            std::fputs(text_.c_str(), stderr);
        }
    }

private:
    std::string text_;
};

// One timed series: `event` starts one refresh or redraw, `done` says when it has been shown.
struct Series {
    std::string name;
    int count = 0;
    std::function<void()> event;
    std::function<bool(const Probe::Counts& before, const Probe::Counts& now)> done;
};

bool runSeries(Probe& probe, const Series& series, Report& report) {
    const auto before = sampleMemory();
    const double cpu0 = cpuSeconds();
    const auto wall0 = std::chrono::steady_clock::now();
    for (int i = 1; i <= series.count; ++i) {
        const auto start = probe.now();
        series.event();
        if (!probe.waitFor([&](const Probe::Counts& c) { return series.done(start, c); }, 20s)) {
            std::fprintf(stderr, "bench: %s %d was not shown within 20 s\n", series.name.c_str(),
                         i);
            return false;
        }
        if (i == series.count / 10) {
            report.add(series.name + "_tenth", sampleMemory());
        }
    }
    const double cpu = cpuSeconds() - cpu0;
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - wall0;
    const auto after = sampleMemory();
    report.add(series.name, series.count);
    report.add(series.name + "_cpu_ms_each", cpu * 1000 / series.count);
    report.add(series.name + "_wall_ms_each", wall.count() * 1000 / series.count);
    report.add(series.name + "_before", before);
    report.add(series.name + "_after", after);
    report.add(series.name + "_hwm_kb", after.hwm);
    return true;
}

} // namespace

int runDrivenHost(int argc, char** argv, HostedWidget widget) {
    auto options = parse(argc, argv);
    if (!options) {
        std::fputs("usage: bench [--refreshes N] [--redraws N] [--warmup N] [--step SECONDS] "
                   "[--report FILE] [host options...]\n",
                   stderr);
        return 2;
    }
    platform::foundation::ScopedClock clock(platform::foundation::clock::systemNow());
    Probe probe;
    const bool windowed = std::find(options->hostArgs.begin(), options->hostArgs.end(),
                                    "--output") == options->hostArgs.end();
    auto makeSession = widget.makeSession;
    widget.makeSession = [makeSession, &probe,
                          windowed](const platform::widget::TimelineProviderContext& context,
                                    platform::widget::PresentView present,
                                    platform::widget::SleepUntil sleepUntil) {
        auto hooked = std::make_shared<bool>(false);
        return makeSession(
            context,
            [present, &probe, windowed, hooked](const platform::ui::View& view,
                                                const Presentation& presentation) {
                if (windowed && !*hooked) {
                    *hooked = true;
                    watchDraws(probe);
                }
                present(view, presentation);
                probe.presented(presentation);
            },
            std::move(sleepUntil));
    };

    Report report;
    int status = 0;
    std::thread driver([&] {
        const auto shown = [windowed](const Probe::Counts& before, const Probe::Counts& now) {
            return now.generation > before.generation && (!windowed || now.draws > before.draws);
        };
        const Series refresh{"refreshes", options->refreshes, [&] { clock.advance(options->step); },
                             shown};
        const Series warmup{"warmup", options->warmup, refresh.event, shown};
        const Series redraw{"redraws", options->redraws,
                            [] { platform::dispatch::DispatchQueue::main().async(queueRedraws); },
                            [](const Probe::Counts& before, const Probe::Counts& now) {
                                return now.draws > before.draws;
                            }};
        const bool first = probe.waitFor(
            [windowed](const Probe::Counts& c) {
                return c.generation > 0 && (!windowed || c.draws > 0);
            },
            30s);
        Report scratch;
        bool ok = first && runSeries(probe, warmup, scratch);
        if (!first) {
            std::fputs("bench: the widget showed no timeline within 30 s\n", stderr);
        }
        ok = ok && (options->refreshes <= 0 || runSeries(probe, refresh, report));
        ok = ok && (!windowed || options->redraws <= 0 || runSeries(probe, redraw, report));
        status = ok ? 0 : 1;
        std::raise(SIGTERM);
    });
    std::vector<char*> args;
    for (auto& arg : options->hostArgs) {
        args.push_back(arg.data());
    }
    args.push_back(nullptr);
    const int host =
        platform::widget::runHost(static_cast<int>(options->hostArgs.size()), args.data(), widget);
    // A driver still waiting gives up, and its SIGTERM no longer has a loop to end.
    std::signal(SIGTERM, SIG_IGN);
    probe.hostEnded();
    driver.join();
    report.add("host_exit", host);
    report.write(options->report);
    return status != 0 ? status : host;
}
