#include "platform/ui/CairoHandles.h"
#include "tests/results_widget/PictureTesting.h"
#include "tests/support/ChildProgram.h"
#include "tests/support/servers/RunningDemoService.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

using namespace trelvo::test;

// The built widget against the demo service in this process. Each picture is probed on the rings'
// centre lines at 90 and 300 degrees: a quarter into the open sweeps, their tracks past the arcs'
// ends, the closed month sweep from its seam at 108 degrees; and at its edges.
TEST(ResultsWidgetProgram, DrawsTheServedRatiosWritesTheYearsLineAndFailsClearlyUnanswered) {
    RunningDemoService service;
    TemporaryDirectory folder{"results-e2e"};
    const std::string picture = (folder.path() / "results.png").string();
    const auto run = [&](std::vector<std::string> arguments, std::string origin = {}) {
        arguments.insert(arguments.begin(), RESULTS_WIDGET_EXTENSION);
        return runToEnd(arguments, folder.path(),
                        {"TRELVO_SERVICE_URL=" + (origin.empty() ? service.baseURL() : origin),
                         "SSL_CERT_FILE=" + service.caFile()});
    };
    const unsigned yearSweep = 0xFF8443C5, yearTrack = 0xFF332545, background = 0xFF232228;
    const unsigned monthSweep = 0xFFCB5E25, monthTrack = 0xFF412D28;
    const struct {
        std::vector<std::string> options;
        const char* stat;
        const char* output;
        int scale;
        unsigned year90, year300, month90, month300;
    } cases[] = {
        {{},
         R"({"year_result": 1500, "year_plan": 3000, "month_result": 100, "month_plan": 250})",
         "0.5\n",
         1,
         yearSweep,
         yearTrack,
         monthSweep,
         monthTrack},
        {{"--scale", "2"},
         R"({"yearResult": 2250, "yearPlan": 3000, "monthResult": 325, "monthPlan": 250})",
         "0.75\n",
         2,
         yearSweep,
         yearTrack,
         0xFFEB722D,
         0xFFD76628},
        // Zero plans: no ring can be drawn, the rest is.
        {{},
         R"({"year_result": 7, "year_plan": 0, "month_result": 0, "month_plan": 0})",
         "inf\n",
         1,
         background,
         background,
         background,
         background},
        // The stand-ins show empty rings at once, without a fetch or a line.
        {{"--placeholder"}, "", "", 1, yearTrack, yearTrack, monthTrack, monthTrack},
        {{"--snapshot", "--scale", "2"}, "", "", 2, yearTrack, yearTrack, monthTrack, monthTrack},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.output);
        service.setStatJSON(c.stat);
        auto arguments = c.options;
        arguments.insert(arguments.end(), {"--once", "--output", picture});
        const auto finished = run(arguments);
        expectClean(finished);
        EXPECT_EQ(finished.output, c.output);
        platform::ui::SurfacePtr image(cairo_image_surface_create_from_png(picture.c_str()));
        ASSERT_EQ(cairo_image_surface_get_width(image.get()), 170 * c.scale);
        const auto at = [&](double radius, double degrees) {
            const double a = degrees * std::numbers::pi / 180;
            return pixelAt(image.get(), int((85 + radius * std::sin(a)) * c.scale),
                           int((85 - radius * std::cos(a)) * c.scale));
        };
        EXPECT_TRUE(pixelNear(at(64.75, 90), c.year90));
        EXPECT_TRUE(pixelNear(at(64.75, 300), c.year300));
        EXPECT_TRUE(pixelNear(at(47.25, 90), c.month90));
        EXPECT_TRUE(pixelNear(at(47.25, 300), c.month300));
        const int last = 170 * c.scale - 1;
        for (auto [x, y] :
             {std::pair{last / 2, 0}, {last, last / 2}, {last / 2, last}, {0, last / 2}}) {
            EXPECT_EQ(pixelAt(image.get(), x, y), background) << x << "," << y;
        }
    }
    EXPECT_EQ(service.requests().size(), 3u) << "one fetch per timeline, none for the stand-ins";

    const auto described = run({"--describe"});
    expectClean(described);
    EXPECT_EQ(described.output,
              R"({"kind":"TrelvoResultsWidget","displayName":"Trelvo Results",)"
              R"("description":"Shows project results","families":["systemSmall"]})"
              "\n");

    writeFile(picture, "an earlier picture");
    const auto unanswered =
        run({"--once", "--timeout", "1", "--output", picture}, "https://127.0.0.1:1");
    expectClean(unanswered, ExitStatus::withCode(1));
    EXPECT_EQ(unanswered.output,
              "Error: Optional(Error Domain=NSURLErrorDomain Code=-1004 \"Could not connect to the "
              "server.\" UserInfo={NSErrorFailingURLStringKey=https://127.0.0.1:1/api/v1/stat, "
              "NSLocalizedDescription=Could not connect to the server.})\n");
    EXPECT_EQ(unanswered.errors, "TrelvoResultsWidgetExtension: the widget did not answer within 1 "
                                 "seconds; " +
                                     picture + " left as it was\n");
    EXPECT_EQ(readFile(picture), "an earlier picture");
}
