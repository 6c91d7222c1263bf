#include "platform/ui/Render.h"
#include "platform/ui/Resources.h"
#include "results_widget/ActivityRing.h"
#include "results_widget/ResultsView.h"
#include "results_widget/TrelvoResultsWidget.h"
#include "tests/results_widget/PictureTesting.h"
#include "tests/support/ScopedEnv.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

using namespace results_widget;

using namespace platform::ui;
using platform::foundation::Date;
using namespace trelvo::test;

const std::filesystem::path folder = TRELVO_SOURCE_DIR "/tests/results_widget";

// Only the raw value of a size names it: the sizes' own values are the radii in the drawings.
TEST(RingDiameter, OnlyTheRawValueOfASizeNamesIt) {
    for (auto d :
         {RingDiameter::small, RingDiameter::medium, RingDiameter::big, RingDiameter::calculated}) {
        EXPECT_EQ(ringDiameter(rawValue(d)), d);
    }
    for (double raw : {0.3, 0.0, 0.270000001, -0.27, 2.0, double(NAN), double(INFINITY)}) {
        EXPECT_EQ(ringDiameter(raw), std::nullopt) << raw;
    }
}

// Each view in the states that draw differently, against the .txt of its name beside this file.
// Captions and figures are shown verbatim: a string table translating everything changes nothing.
TEST(Drawing, EachViewDrawsWhatItsFileShows) {
    ScopedResources translated(
        {[](std::string_view) { return std::optional<std::string>("X"); }, {}});
    ScopedEnv font("TRELVO_TEST_FONT", "DejaVu Sans");
    std::string drawn;
    const auto ring = [&](RingDiameter diameter, std::initializer_list<double> progresses) {
        for (double p : progresses) {
            drawn += "== " + testing::PrintToString(rawValue(diameter)) + " at " +
                     testing::PrintToString(p) + "\n" +
                     dumpDrawing(record(ActivityRing(p, "c", diameter), {350, 350}));
        }
    };
    ring(RingDiameter::big, {0.5, 0, -INFINITY, NAN, INFINITY});
    ring(RingDiameter::medium, {0.9799, 0.98, 1.3, 2.0});
    ring(RingDiameter::small, {0.5});
    ring(RingDiameter::calculated, {0.4});
    expectDrawing(drawn, folder / "ActivityRing.txt");

    drawn = "== 1234567 at 0.5, -5300 at 1.3\n" +
            dumpDrawing(record(ResultsView{{Date{}, 1234567, -5300, 0.5, 1.3}}, {170, 170})) +
            "== 7 at nan, 0 at -inf\n" +
            dumpDrawing(record(ResultsView{{Date{}, 7, 0, NAN, -INFINITY}}, {170, 170}));
    expectDrawing(drawn, folder / "ResultsView.txt");

    const auto widget = TrelvoResultsWidget().body();
    const auto placeholder = widget.provider().placeholder({});
    const auto preview = TrelvoResultsWidget_Previews::previews();
    EXPECT_EQ(preview.context.family, platform::widget::WidgetFamily::systemSmall);
    drawn = "== placeholder\n" + dumpDrawing(record(widget.content(placeholder), {170, 170})) +
            "== placeholder, wide\n" +
            dumpDrawing(record(widget.content(placeholder), {364, 170})) + "== preview\n" +
            dumpDrawing(record(preview.view, {170, 170}));
    expectDrawing(drawn, folder / "TrelvoResultsWidget.txt");
}

} // namespace
