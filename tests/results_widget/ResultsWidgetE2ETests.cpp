#include "platform/dispatch/DispatchQueue.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Description.h"
#include "platform/foundation/LinePrinter.h"
#include "platform/ui/CairoHandles.h"
#include "platform/widget/StaleMark.h"
#include "platform/widget/WidgetMain.h"
#include "results_widget/TrelvoResultsWidget.h"
#include "tests/results_widget/ChildProcess.h"
#include "tests/results_widget/ResultsPicture.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TemporaryDirectory.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cairo.h>
#include <chrono>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <limits>
#include <memory>
#include <netinet/in.h>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using namespace results_widget;
namespace fs = std::filesystem;
using namespace results_test;
using namespace platform::ui::testing_support;
using platform::foundation::Date;
using platform::ui::Point;
using platform::ui::SurfacePtr;
using std::chrono::seconds;
using trelvo::test::ScopedEnv;
using trelvo::test::TemporaryDirectory;

const std::string extension = RESULTS_WIDGET_EXTENSION;
const std::string demoServiceProgram = TRELVO_DEMO_SERVICE;
constexpr Point center{85, 85};

std::string readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Replaced whole, so that the service never reads half a file.
void writeFile(const fs::path& file, const std::string& text) {
    const auto partial = fs::path(file.string() + ".partial");
    std::ofstream(partial, std::ios::binary) << text;
    fs::rename(partial, file);
}

std::string statJSON(long long yearResult, long long yearPlan, long long monthResult,
                     long long monthPlan) {
    return nlohmann::json{{"year_result", yearResult},
                          {"year_plan", yearPlan},
                          {"month_result", monthResult},
                          {"month_plan", monthPlan}}
        .dump();
}

// A loopback port nothing listens on.
int closedPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), length);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

// The bundled demo service, run as the README runs it, on a free loopback port; the test
// process's environment names and trusts it, so every child does too.
class DemoService {
public:
    DemoService()
        : process_({demoServiceProgram, "--port", "0", "--state-dir",
                    (folder_.path() / "state").string()},
                   folder_.path()) {
        url_ = process_.waitForLine("Serving on ", seconds(20)).value_or("");
        ca_ = process_.waitForLine("CA certificate: ", seconds(20)).value_or("");
        origin_ = std::make_unique<ScopedEnv>("TRELVO_SERVICE_URL", url_);
        trust_ = std::make_unique<ScopedEnv>("SSL_CERT_FILE", ca_);
    }

    bool running() const { return !url_.empty() && !ca_.empty(); }
    std::string failure() const { return process_.output() + process_.errors(); }
    fs::path statFile() const { return folder_.path() / "state" / "stat.json"; }
    void serve(const std::string& text) const { writeFile(statFile(), text); }

private:
    TemporaryDirectory folder_{"results-e2e-service"};
    ChildProcess process_;
    std::string url_;
    std::string ca_;
    std::unique_ptr<ScopedEnv> origin_;
    std::unique_ptr<ScopedEnv> trust_;
    // Loopback only, whatever the machine's proxy settings.
    ScopedEnv noProxy_{"https_proxy", std::nullopt};
    ScopedEnv noProxyUpper_{"HTTPS_PROXY", std::nullopt};
    ScopedEnv noProxyAll_{"all_proxy", std::nullopt};
};

class ServedWidget : public testing::Test {
protected:
    static DemoService& service() {
        static DemoService running;
        return running;
    }

    void SetUp() override { ASSERT_TRUE(service().running()) << service().failure(); }

    Finished runExtension(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), extension);
        return ChildProcess(arguments, logs.path()).finish();
    }

    TemporaryDirectory logs{"results-e2e-logs"};
    TemporaryDirectory outputs{"results-e2e-out"};
};

SurfacePtr decodePNG(const fs::path& file) {
    return SurfacePtr(cairo_image_surface_create_from_png(file.c_str()));
}

// --- The picture of the served figures --------------------------------------------------------

struct PictureCase {
    std::string name;
    std::string stat;
    double year;
    double month;
    std::string line;
    int scale;
    std::string keepAs = {}; // also kept under pictures/ for a person to look at
};

void PrintTo(const PictureCase& c, std::ostream* os) {
    *os << c.name << " at " << c.scale << "x";
}

class ServedPicture : public ServedWidget, public testing::WithParamInterface<PictureCase> {};

TEST_P(ServedPicture, OnceDrawsTheServedRatiosOnTheDarkBackground) {
    const auto& c = GetParam();
    service().serve(c.stat);
    const auto file = c.keepAs.empty() ? outputs.path() / "results.png"
                                       : fs::path(TRELVO_BINARY_DIR) / "pictures" / c.keepAs;
    fs::create_directories(file.parent_path());

    const auto run =
        runExtension({"--once", "--scale", std::to_string(c.scale), "--output", file.string()});

    ASSERT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(run.output, c.line + "\n") << "the year ratio and nothing else";
    EXPECT_EQ(run.errors, "");
    const auto image = decodePNG(file);
    ASSERT_EQ(cairo_surface_status(image.get()), CAIRO_STATUS_SUCCESS);
    const int side = 170 * c.scale;
    ASSERT_EQ(cairo_image_surface_get_width(image.get()), side);
    ASSERT_EQ(cairo_image_surface_get_height(image.get()), side);

    for (auto at : edgePixels(side, side)) {
        EXPECT_TRUE(isNear(pixelAt(image.get(), at), premultiplied(background), 0))
            << "edge " << at.x << "," << at.y;
    }
    // The host clips the widget to its rounded rectangle.
    for (PixelIndex corner :
         {PixelIndex{0, 0}, {side - 1, 0}, {0, side - 1}, {side - 1, side - 1}}) {
        EXPECT_EQ(pixelAt(image.get(), corner).a, 0) << "corner " << corner.x << "," << corner.y;
    }
    auto probes = openRingProbes(yearRing, center, c.year, c.scale);
    const auto month = openRingProbes(monthRing, center, c.month, c.scale);
    probes.insert(probes.end(), month.begin(), month.end());
    for (const auto& probe : probes) {
        EXPECT_TRUE(isNear(pixelAt(image.get(), pixelOf(probe.at, c.scale)),
                           premultiplied(probe.expected), 3))
            << probe.what;
    }
    const auto band = figureBand(image.get(), center, c.scale);
    EXPECT_GT(band.differing, 20 * c.scale * c.scale) << "the figures are in the middle";
    EXPECT_LT(distance(band.strongestUpper, premultiplied(yearFigure)),
              distance(band.strongestUpper, premultiplied(monthFigure)));
    EXPECT_LT(distance(band.strongestLower, premultiplied(monthFigure)),
              distance(band.strongestLower, premultiplied(yearFigure)));
}

INSTANTIATE_TEST_SUITE_P(
    Figures, ServedPicture,
    testing::Values(
        PictureCase{"Demo", statJSON(1500, 3000, 100, 250), 0.5, 0.4, "0.5", 1, "results@1x.png"},
        PictureCase{"Demo", statJSON(1500, 3000, 100, 250), 0.5, 0.4, "0.5", 2, "results@2x.png"},
        PictureCase{"ThreeQuarters", statJSON(2250, 3000, 200, 250), 0.75, 0.8, "0.75", 2},
        PictureCase{"EarlyInTheYear", statJSON(300, 3000, 50, 250), 0.1, 0.2, "0.1", 1}),
    [](const auto& info) {
        return info.param.name + "At" + std::to_string(info.param.scale) + "x";
    });

// --- Figures the service may send that no plan foresaw ----------------------------------------

struct OddCase {
    std::string name;
    std::string stat;
    double year; // the ratio, as the provider divides
};

class OddFigures : public ServedWidget, public testing::WithParamInterface<OddCase> {};

TEST_P(OddFigures, RenderWithoutACrash) {
    const auto& c = GetParam();
    service().serve(c.stat);
    const auto file = outputs.path() / "odd.png";

    for (int scale : {1, 2}) {
        const auto run =
            runExtension({"--once", "--scale", std::to_string(scale), "--output", file.string()});

        ASSERT_EQ(run.status, 0) << run.errors;
        EXPECT_EQ(run.output, platform::foundation::describe(c.year) + "\n");
        const auto image = decodePNG(file);
        ASSERT_EQ(cairo_surface_status(image.get()), CAIRO_STATUS_SUCCESS);
        ASSERT_EQ(cairo_image_surface_get_width(image.get()), 170 * scale);
        for (auto at : edgePixels(170 * scale, 170 * scale)) {
            EXPECT_TRUE(isNear(pixelAt(image.get(), at), premultiplied(background), 0))
                << "edge " << at.x << "," << at.y;
        }
        EXPECT_GT(figureBand(image.get(), center, scale).differing, 0);
    }
}

constexpr long long int64Max = std::numeric_limits<long long>::max();
constexpr long long int64Min = std::numeric_limits<long long>::min();

INSTANTIATE_TEST_SUITE_P(
    Stat, OddFigures,
    testing::Values(
        OddCase{"ZeroPlans", statJSON(7, 0, 0, 0), std::numeric_limits<double>::infinity()},
        OddCase{"ZeroPlanBelowZero", statJSON(-3, 0, 5, 0),
                -std::numeric_limits<double>::infinity()},
        OddCase{"NothingOfNothing", statJSON(0, 0, -1, 0), std::nan("")},
        OddCase{"Negative", statJSON(-300, 1000, -5, -10), -0.3},
        OddCase{"Int64Extremes", statJSON(int64Max, 1, int64Min, -1), double(int64Max)}),
    [](const auto& info) { return info.param.name; });

// --- When no answer comes ---------------------------------------------------------------------

enum class Outage { nothingListens, bodyIsNotJSON, noFigures };

struct OutageCase {
    std::string name;
    Outage outage;
};

class Unanswered : public ServedWidget, public testing::WithParamInterface<OutageCase> {
protected:
    void TearDown() override { service().serve(statJSON(1500, 3000, 100, 250)); }
};

TEST_P(Unanswered, OnceFailsAfterItsTimeOutAndLeavesTheFileAsItWas) {
    const auto& c = GetParam();
    std::optional<ScopedEnv> elsewhere;
    switch (c.outage) {
    case Outage::nothingListens:
        elsewhere.emplace("TRELVO_SERVICE_URL",
                          "https://127.0.0.1:" + std::to_string(closedPort()));
        break;
    case Outage::bodyIsNotJSON:
        service().serve("<html>Service Unavailable</html>");
        break;
    case Outage::noFigures:
        fs::remove(service().statFile());
        break;
    }
    const auto file = outputs.path() / "results.png";
    const std::string previous = "the picture of an earlier run";
    writeFile(file, previous);

    // Long enough for the failing fetch to have said why, even on a busy machine.
    const auto run = runExtension({"--once", "--timeout", "2", "--output", file.string()});

    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.errors.find("did not answer within 2 seconds"), std::string::npos) << run.errors;
    EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 1)
        << "one line saying why the fetch failed: " << run.output;
    EXPECT_EQ(readFile(file), previous);
    EXPECT_EQ(std::distance(fs::directory_iterator(outputs.path()), fs::directory_iterator()), 1)
        << "nothing left beside the file";
}

INSTANTIATE_TEST_SUITE_P(Service, Unanswered,
                         testing::Values(OutageCase{"NothingListens", Outage::nothingListens},
                                         OutageCase{"BodyIsNotJSON", Outage::bodyIsNotJSON},
                                         OutageCase{"NoFigures", Outage::noFigures}),
                         [](const auto& info) { return info.param.name; });

// --- The declaration, as the host reads it ---------------------------------------------------

TEST_F(ServedWidget, DescribeListsTheWidgetInTheSmallFamilyOnly) {
    const auto run = runExtension({"--describe"});

    ASSERT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(nlohmann::json::parse(run.output),
              (nlohmann::json{{"kind", "TrelvoResultsWidget"},
                              {"displayName", "Trelvo Results"},
                              {"description", "Shows project results"},
                              {"families", {"systemSmall"}}}));
}

// --- The file presenter over time ------------------------------------------------------------

// What a picture file shows, read from its pixels.
struct Shown {
    bool readable = false;
    bool stale = false;
    double yearRatio = -1; // of the probed ratios, the one whose probes match; -1 for none
};

Shown shownIn(const fs::path& file, const std::vector<double>& ratios) {
    Shown shown;
    const auto image = decodePNG(file);
    if (cairo_surface_status(image.get()) != CAIRO_STATUS_SUCCESS) {
        return shown;
    }
    shown.readable = true;
    const Point badge{170 + platform::widget::StaleBadge::center.x,
                      platform::widget::StaleBadge::center.y};
    shown.stale = !isNear(pixelAt(image.get(), pixelOf(badge, 1)), premultiplied(background), 0);
    for (double ratio : ratios) {
        bool matches = true;
        for (const auto& probe : openRingProbes(yearRing, center, ratio, 1)) {
            matches = matches && isNear(pixelAt(image.get(), pixelOf(probe.at, 1)),
                                        premultiplied(probe.expected), 3);
        }
        if (matches) {
            shown.yearRatio = ratio;
        }
    }
    return shown;
}

// Runs the extension's host in this process, under the test clock, until the script ends.
// The script runs on its own thread; it moves the clock and waits for the file to change,
// which the host does on its own loop and the network on its threads.
int runHostWhile(const fs::path& file, std::function<void()> script) {
    std::thread scripting([script = std::move(script)] {
        script();
        // Ends the host from its own loop, as a user's Ctrl-C would.
        platform::dispatch::DispatchQueue::main().async([] { std::raise(SIGTERM); });
    });
    std::string program = "TrelvoResultsWidgetExtension";
    std::string output = "--output";
    std::string path = file.string();
    std::vector<char*> argv{program.data(), output.data(), path.data(), nullptr};
    const int status = platform::widget::main<TrelvoResultsWidget>(3, argv.data());
    scripting.join();
    return status;
}

// Waits for what the host does next. Real time passes only for the network and the drawing;
// the host's own time is the test clock's.
bool eventually(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + seconds(30);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

TEST_F(ServedWidget, FileIsRewrittenAcrossFailedFetchesAndMarkedStaleMeanwhile) {
    service().serve(statJSON(1500, 3000, 100, 250));
    const auto file = outputs.path() / "results.png";
    const std::vector<double> ratios{0.5, 0.75};
    platform::foundation::ScopedClock clock(Date::fromTimeIntervalSince1970(1'623'000'000));
    platform::foundation::ScopedLineCapture lines;
    std::string fresh;

    const int status = runHostWhile(file, [&] {
        ASSERT_TRUE(eventually([&] { return shownIn(file, ratios).yearRatio == 0.5; }))
            << "the first timeline is drawn";
        EXPECT_FALSE(shownIn(file, ratios).stale);
        fresh = readFile(file);

        // The service breaks; the host asks again after the 15 minutes and then retries.
        service().serve("<html>Bad Gateway</html>");
        clock.advance(15 * 60);
        // Each fetch writes one line: the ratio, or why it failed.
        ASSERT_TRUE(eventually([&] { return lines.lines().size() == 2; }));
        clock.advance(60);
        ASSERT_TRUE(eventually([&] { return lines.lines().size() == 3; }));
        EXPECT_EQ(readFile(file), fresh) << "a failed fetch leaves the picture as it was";

        // Unanswered for a whole reload interval: the old figures with the stale badge.
        clock.set(Date::fromTimeIntervalSince1970(1'623'000'000 + 30 * 60));
        ASSERT_TRUE(eventually([&] { return shownIn(file, ratios).stale; }));
        EXPECT_EQ(shownIn(file, ratios).yearRatio, 0.5);

        // The service is back: the next retry's answer replaces the picture, badge gone.
        service().serve(statJSON(2250, 3000, 200, 250));
        clock.advance(15 * 60);
        ASSERT_TRUE(eventually([&] {
            const auto shown = shownIn(file, ratios);
            return shown.yearRatio == 0.75 && !shown.stale;
        }));
    });

    EXPECT_EQ(status, 0);
    const auto printed = lines.lines();
    ASSERT_FALSE(printed.empty());
    EXPECT_EQ(printed.front(), "0.5");
    EXPECT_EQ(printed.back(), "0.75");
}

} // namespace
