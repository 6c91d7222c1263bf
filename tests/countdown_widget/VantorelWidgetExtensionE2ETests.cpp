#include "countdown_widget/Provider.h"
#include "countdown_widget/VantorelWidget.h"
#include "platform/foundation/Calendar.h"
#include "platform/ui/CairoHandles.h"
#include "platform/widget/WidgetPicture.h"
#include "tests/countdown_widget/PicturePixels.h"
#include "tests/countdown_widget/ProgramRun.h"

#include <algorithm>
#include <cairo.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <vector>

namespace {

using namespace countdown_widget;
using countdown_test::runProgram;
using countdown_test::ScratchDirectory;
using platform::foundation::Calendar;
using platform::foundation::Date;
using platform::foundation::Locale;
using platform::foundation::TimeZone;
using platform::ui::SurfacePtr;
using platform::widget::WidgetFamily;

const std::string binary = VANTOREL_WIDGET_EXTENSION;

// What a person in the zone reads today, counted apart from the provider.
std::int64_t todaysCount(const std::string& zone) {
    Calendar calendar(*TimeZone::named(zone), Locale("en_US"));
    auto today = calendar.startOfDay(Date::now());
    auto eventDay = calendar.startOfDay(Date::fromTimeIntervalSince1970(1623369600.0));
    return *calendar.dateComponents({Calendar::Component::day}, today, eventDay).day;
}

SurfacePtr decodeFile(const std::filesystem::path& file) {
    return SurfacePtr(cairo_image_surface_create_from_png(file.c_str()));
}

std::vector<std::uint8_t> bytesOf(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The widget as the host draws it for this count, rendered here.
// The encoder is deterministic, so the same drawing gives the same bytes.
std::vector<std::uint8_t> expectedPicture(std::int64_t daysUntil, WidgetFamily family, int scale,
                                          platform::ui::Redaction redaction) {
    auto size = platform::widget::displaySize(family);
    auto content = VantorelWidget::content(DaysUntilEntry{Date::now(), daysUntil});
    auto png = platform::widget::encodeWidget(platform::widget::OutputFormat::png, content,
                                              {size.width, size.height}, scale, false, redaction);
    return png ? *png : std::vector<std::uint8_t>{};
}

struct PictureCase {
    std::string name;
    std::string zone;
    std::vector<std::string> options;
    WidgetFamily family;
    int scale;
    int width;
    int height;
    bool sample = false;     // placeholder or snapshot: the sample count, not today's
    std::string keepAs = {}; // also kept under pictures/ for people to look at
};

void PrintTo(const PictureCase& c, std::ostream* out) {
    *out << c.name;
}

class ExtensionPicture : public testing::TestWithParam<PictureCase> {};

TEST_P(ExtensionPicture, OneShotDrawsTodaysCountOnTheDarkBackground) {
    const auto& c = GetParam();
    ScratchDirectory scratch;
    auto file = c.keepAs.empty() ? scratch.path() / "widget.png"
                                 : std::filesystem::path(TRELVO_BINARY_DIR) / "pictures" / c.keepAs;
    std::filesystem::create_directories(file.parent_path());
    // The untranslated texts, as the in-process pictures draw them, whatever the user's language.
    std::vector<std::string> arguments{"env",          "-u",   "LANGUAGE", "LC_ALL=C.UTF-8",
                                       "TZ=" + c.zone, binary, "--once",   "--output",
                                       file.string()};
    arguments.insert(arguments.end(), c.options.begin(), c.options.end());

    const auto before = todaysCount(c.zone);
    auto run = runProgram(arguments);
    const auto after = todaysCount(c.zone);

    ASSERT_EQ(run.status, 0) << run.output;
    auto picture = decodeFile(file);
    ASSERT_EQ(cairo_surface_status(picture.get()), CAIRO_STATUS_SUCCESS) << file;
    ASSERT_EQ(cairo_image_surface_get_width(picture.get()), c.width);
    ASSERT_EQ(cairo_image_surface_get_height(picture.get()), c.height);
    for (auto [x, y] : countdown_test::edgePixels(c.width, c.height)) {
        EXPECT_EQ(countdown_test::rgbAt(picture.get(), x, y), 0x232228u) << x << "," << y;
    }

    // Midnight may pass while the child runs: either day's count is right then.
    std::vector<std::int64_t> readable{before, after};
    if (c.sample) {
        readable = {Provider::sampleDaysUntil};
    }
    // The placeholder is drawn redacted: no count can be read from it.
    const bool placeholder = std::ranges::count(c.options, "--placeholder") > 0;
    const auto redaction =
        placeholder ? platform::ui::Redaction::placeholder : platform::ui::Redaction::none;
    const auto drawn = bytesOf(file);
    bool matched = false;
    for (auto count : readable) {
        matched = matched || drawn == expectedPicture(count, c.family, c.scale, redaction);
    }
    EXPECT_TRUE(matched) << "the picture does not show " << readable.front();
    if (!placeholder) {
        EXPECT_NE(drawn, expectedPicture(readable.front() + 1, c.family, c.scale, redaction))
            << "another count draws the same picture";
    }
}

INSTANTIATE_TEST_SUITE_P(
    FamiliesScalesAndZones, ExtensionPicture,
    testing::Values(
        PictureCase{"SmallInMoscow", "Europe/Moscow", {}, WidgetFamily::systemSmall, 1, 170, 170},
        PictureCase{"SmallAtTwoTimes",
                    "Europe/Moscow",
                    {"--scale", "2"},
                    WidgetFamily::systemSmall,
                    2,
                    340,
                    340,
                    false,
                    "countdown-small@2x.png"},
        PictureCase{"Medium",
                    "Europe/Moscow",
                    {"--family", "medium"},
                    WidgetFamily::systemMedium,
                    1,
                    364,
                    170},
        PictureCase{"MediumAtTwoTimes",
                    "Europe/Moscow",
                    {"--family", "medium", "--scale", "2"},
                    WidgetFamily::systemMedium,
                    2,
                    728,
                    340,
                    false,
                    "countdown-medium@2x.png"},
        // The event falls on 11 June at UTC+14 and on 10 June at UTC-11: the zone must reach the
        // child.
        PictureCase{"FarEast", "Pacific/Kiritimati", {}, WidgetFamily::systemSmall, 1, 170, 170},
        PictureCase{"FarWest", "Pacific/Pago_Pago", {}, WidgetFamily::systemSmall, 1, 170, 170},
        PictureCase{"Snapshot",
                    "Europe/Moscow",
                    {"--snapshot"},
                    WidgetFamily::systemSmall,
                    1,
                    170,
                    170,
                    true},
        PictureCase{"Placeholder",
                    "Europe/Moscow",
                    {"--placeholder", "--family", "medium"},
                    WidgetFamily::systemMedium,
                    1,
                    364,
                    170,
                    true}),
    [](const auto& info) { return info.param.name; });

TEST(Extension, DescribesItselfToTheHost) {
    auto run = runProgram({"env", "-u", "LANGUAGE", "LC_ALL=C.UTF-8", binary, "--describe"});

    ASSERT_EQ(run.status, 0) << run.output;
    auto description = nlohmann::json::parse(run.output);
    EXPECT_EQ(description["kind"], "VantorelWidget");
    EXPECT_EQ(description["displayName"], "Next big event countdown");
    EXPECT_EQ(description["description"], "Ведет отсчет до следующего крупного события");
    EXPECT_EQ(description["families"], nlohmann::json({"systemSmall", "systemMedium"}));
}

TEST(Extension, RefusesAFamilyItDoesNotOffer) {
    ScratchDirectory scratch;
    auto run = runProgram(
        {binary, "--once", "--output", (scratch.path() / "w.png").string(), "--family", "large"});

    EXPECT_NE(run.status, 0);
    EXPECT_FALSE(run.output.empty());
    EXPECT_FALSE(std::filesystem::exists(scratch.path() / "w.png"));
}

} // namespace
