// Every program of the suite ended by SIGTERM or SIGINT once it is up, as a session ending or
// a user's Ctrl-C would: it exits with its documented status, dumps no core, says nothing on
// standard error and leaves no process behind. The windows are real ones on a private Xvfb.

#include "tests/support/ChildProgram.h"
#include "tests/support/servers/HostileServer.h"
#include "tests/support/servers/RunningDemoService.h"
#include "tests/support/TemporaryDirectory.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using trelvo::test::ChildProgram;
using trelvo::test::ExitStatus;
using trelvo::test::HostileScenario;
using trelvo::test::HostileServer;
using trelvo::test::RunningDemoService;
using trelvo::test::TemporaryDirectory;

const std::string countdown = VANTOREL_WIDGET_EXTENSION;
const std::string results = RESULTS_WIDGET_EXTENSION;
const std::string app = TRELVO_RESULTS;
const std::string demoService = TRELVO_DEMO_SERVICE;

enum class Ready {
    pictureWritten, // --output: the file is there
    fetchAnswered,  // --output, and the fetch's line is out
    fetchHanging,   // the fetch is in flight to a peer that never answers
    windowShown,    // a window of the process is mapped on the display
    serving,        // the demo service's first line
};

struct ProgramCase {
    std::string name;
    std::string program;
    std::vector<std::string> arguments; // "PICTURE" and "STATE" stand for the test's paths
    Ready ready;
    // A one-shot render cut short says so with 128 + the signal, as its help documents; every
    // other run ends with 0.
    bool cutShortFails = false;
};

void PrintTo(const ProgramCase& c, std::ostream* out) {
    *out << c.name;
}

// A daemon of the test's own whose first output line says where to find it.
struct Daemon {
    std::unique_ptr<ChildProgram> process;
    std::string address;

    Daemon(const std::vector<std::string>& command, const fs::path& folder)
        : process(std::make_unique<ChildProgram>(command, folder)) {
        address = process->waitForLine("", 20s).value_or("");
    }
    // Asked to go first, so that Xvfb removes its lock file and socket for the next one.
    ~Daemon() {
        if (process) {
            process->signal(SIGTERM);
            process->waitForExit(5s);
        }
    }
    Daemon(Daemon&&) = default;
    Daemon& operator=(Daemon&&) = default;
};

// Xvfb on a free display, which does not reset when its last client leaves: the test's own
// probes come and go before the program under test connects, and a reset would refuse it.
std::optional<Daemon> privateDisplay(const fs::path& folder) {
    Daemon display(
        {"Xvfb", "-displayfd", "1", "-noreset", "-nolisten", "tcp", "-screen", "0", "1024x768x24"},
        folder);
    if (display.address.empty()) {
        return std::nullopt;
    }
    return display;
}

bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds limit = 15s) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(20ms); // polled: the programs announce nothing
    }
    return true;
}

class CleanExit : public testing::TestWithParam<std::tuple<ProgramCase, int>> {
protected:
    void SetUp() override {
        const auto& c = std::get<0>(GetParam());
        environment = {"WAYLAND_DISPLAY",
                       "NO_AT_BRIDGE=1",
                       "GSETTINGS_BACKEND=memory",
                       "SSL_CERT_FILE=" + service.caFile(),
                       "TRELVO_SERVICE_URL=" + service.baseURL(),
                       "https_proxy",
                       "HTTPS_PROXY",
                       "all_proxy"};
        // Buses of our own, so that nothing reaches the machine's or autolaunches one.
        bus.emplace(std::vector<std::string>{"dbus-daemon", "--session", "--nofork", "--nopidfile",
                                             "--print-address=1"},
                    logs.path());
        ASSERT_FALSE(bus->address.empty()) << "dbus-daemon did not start";
        environment.push_back("DBUS_SESSION_BUS_ADDRESS=" + bus->address);
        environment.push_back("DBUS_SYSTEM_BUS_ADDRESS=" + bus->address);
        if (c.ready == Ready::windowShown) {
            display = privateDisplay(logs.path());
            ASSERT_TRUE(display) << "Xvfb did not start";
            environment.push_back("DISPLAY=:" + display->address);
        } else {
            environment.push_back("DISPLAY");
        }
        if (c.ready == Ready::fetchHanging) {
            silent.emplace(HostileScenario::neverAnswer);
            environment.push_back("TRELVO_SERVICE_URL=" + silent->baseURL());
        }
    }

    bool windowOf(pid_t pid) {
        auto found = trelvo::test::runToEnd(
            {"xdotool", "search", "--onlyvisible", "--pid", std::to_string(pid)}, logs.path(),
            {"DISPLAY=:" + display->address}, 5s);
        return found.status == ExitStatus::withCode(0) && !found.output.empty();
    }

    bool isUp(ChildProgram& program, Ready ready) {
        switch (ready) {
        case Ready::pictureWritten:
            return eventually([&] { return fs::exists(picture); });
        case Ready::fetchAnswered:
            return eventually([&] { return fs::exists(picture); }) &&
                   program.waitForLine("0.5", 15s).has_value();
        case Ready::fetchHanging:
            return silent->waitForRequests(1);
        case Ready::windowShown:
            return eventually([&] { return windowOf(program.pid()); });
        case Ready::serving:
            return program.waitForLine("Serving on ", 15s).has_value();
        }
        return false;
    }

    TemporaryDirectory logs{"reliability-exit-logs"};
    TemporaryDirectory outputs{"reliability-exit"};
    fs::path picture = outputs.path() / "widget.png";
    RunningDemoService service;
    std::optional<HostileServer> silent;
    std::optional<Daemon> bus;
    std::optional<Daemon> display;
    std::vector<std::string> environment;
};

TEST_P(CleanExit, EndsWithStatusZeroAndLeavesNothingRunning) {
    const auto& [c, signal] = GetParam();
    std::vector<std::string> command{c.program};
    for (const auto& argument : c.arguments) {
        command.push_back(argument == "PICTURE" ? picture.string()
                          : argument == "STATE" ? (outputs.path() / "state").string()
                                                : argument);
    }
    ChildProgram program(command, logs.path(), environment);
    ASSERT_TRUE(program.started());
    ASSERT_TRUE(isUp(program, c.ready))
        << program.output() << program.errors()
        << (display ? "Xvfb :" + display->address + " said: " + display->process->errors() : "");

    program.signal(signal);
    auto status = program.waitForExit(10s);

    ASSERT_TRUE(status) << "still running 10 s after the signal";
    EXPECT_EQ(*status, ExitStatus::withCode(c.cutShortFails ? 128 + signal : 0))
        << program.errors();
    EXPECT_FALSE(program.groupAlive()) << "a process it started outlived it";
    EXPECT_EQ(program.errors(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Programs, CleanExit,
    testing::Combine(
        testing::Values(
            ProgramCase{
                "CountdownIntoAFile", countdown, {"--output", "PICTURE"}, Ready::pictureWritten},
            ProgramCase{"CountdownWindow", countdown, {}, Ready::windowShown},
            ProgramCase{"ResultsIntoAFile", results, {"--output", "PICTURE"}, Ready::fetchAnswered},
            ProgramCase{
                "ResultsWhileItsFetchHangs", results, {"--output", "PICTURE"}, Ready::fetchHanging},
            ProgramCase{"ResultsOnceWhileItsFetchHangs",
                        results,
                        {"--once", "--timeout", "60", "--output", "PICTURE"},
                        Ready::fetchHanging},
            ProgramCase{"ResultsWindow", results, {}, Ready::windowShown},
            ProgramCase{"AppWindow", app, {}, Ready::windowShown},
            ProgramCase{"AppRenderWhileItsFetchHangs",
                        app,
                        {"--render", "PICTURE", "--timeout", "60"},
                        Ready::fetchHanging,
                        true},
            ProgramCase{"DemoService",
                        demoService,
                        {"--port", "0", "--state-dir", "STATE"},
                        Ready::serving}),
        testing::Values(SIGTERM, SIGINT)),
    [](const auto& info) {
        return std::get<0>(info.param).name +
               (std::get<1>(info.param) == SIGTERM ? "_SIGTERM" : "_SIGINT");
    });

} // namespace
