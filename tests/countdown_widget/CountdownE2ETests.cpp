#include "countdown_widget/VantorelWidget.h"
#include "platform/widget/WidgetPicture.h"
#include "tests/support/ChildProgram.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TemporaryDirectory.h"
#include "tests/support/TestFiles.h"

#include <ctime>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using namespace countdown_widget;

using namespace trelvo::test;
using testing::HasSubstr;
using testing::Not;

// Days from today in the zone to 11 June 2021 there, by the C library's calendar.
std::int64_t todaysCount(const std::string& zone) {
    ScopedEnv tz("TZ", zone);
    tzset();
    const std::time_t now = std::time(nullptr), event = 1623369600;
    std::tm today{}, day{};
    localtime_r(&now, &today);
    localtime_r(&event, &day);
    return timegm(&day) / 86400 - timegm(&today) / 86400;
}

// The picture the host draws of this count, made in this process.
std::string pictureOf(std::int64_t days, const std::string& family, int scale,
                      platform::ui::Redaction redaction = platform::ui::Redaction::none) {
    const auto size = platform::widget::displaySize(
        family == "small" ? platform::widget::WidgetFamily::systemSmall
                          : platform::widget::WidgetFamily::systemMedium);
    const auto png = platform::widget::encodeWidget(
        platform::widget::OutputFormat::png, VantorelWidget::content({{}, days}),
        {size.width, size.height}, scale, false, redaction);
    return png ? std::string(png->begin(), png->end()) : "";
}

// Untranslated, as this process draws. The zone must reach the program: the event falls on
// 11 June at UTC+14, on 10 June at UTC-11.
TEST(CountdownProgram, DrawsTodaysCountInItsZoneDescribesItselfAndCarriesNoNetworkCode) {
    const std::string program = VANTOREL_WIDGET_EXTENSION;
    TemporaryDirectory folder{"countdown-e2e"};
    const auto picture = (folder.path() / "countdown.png").string();
    const struct {
        const char* zone;
        const char* family;
        int scale;
        std::vector<std::string> standIn = {}; // for today's count: the sample one
    } cases[] = {
        {"Pacific/Kiritimati", "small", 1},
        {"Pacific/Pago_Pago", "medium", 2},
        {"Europe/Moscow", "small", 1, {"--snapshot"}},
        {"Europe/Moscow", "medium", 1, {"--placeholder"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.zone);
        std::vector<std::string> arguments{
            program,    "--once", "--output", picture,
            "--family", c.family, "--scale",  std::to_string(c.scale)};
        arguments.insert(arguments.end(), c.standIn.begin(), c.standIn.end());
        const auto before = todaysCount(c.zone);
        const auto run = runToEnd(arguments, folder.path(),
                                  {std::string("TZ=") + c.zone, "LANGUAGE", "LC_ALL=C.UTF-8"});
        const auto after = todaysCount(c.zone);
        expectClean(run);
        EXPECT_EQ(run.output, "");
        // Midnight may pass while it runs: either day's count is right then.
        const auto drawn = readFile(picture);
        // The placeholder is drawn as one: its texts as bars.
        const auto redaction = c.standIn == std::vector<std::string>{"--placeholder"}
                                   ? platform::ui::Redaction::placeholder
                                   : platform::ui::Redaction::none;
        const auto sample = !c.standIn.empty();
        EXPECT_TRUE(drawn == pictureOf(sample ? 10 : before, c.family, c.scale, redaction) ||
                    drawn == pictureOf(sample ? 10 : after, c.family, c.scale, redaction))
            << "not " << before;
    }

    const auto described =
        runToEnd({program, "--describe"}, folder.path(), {"LANGUAGE", "LC_ALL=C.UTF-8"});
    expectClean(described);
    EXPECT_EQ(described.output,
              R"({"kind":"VantorelWidget","displayName":"Next big event countdown",)"
              R"("description":"Ведет отсчет до следующего крупного события",)"
              R"("families":["systemSmall","systemMedium"]})"
              "\n");

    // It holds no network permission, so it carries no network code, linked or loaded.
    const auto loaded = runToEnd({"ldd", program}, folder.path()).output;
    EXPECT_THAT(loaded, AllOf(HasSubstr("libc.so"), Not(HasSubstr("libcurl"))));
    const auto symbols = runToEnd({"nm", "-C", program}, folder.path()).output;
    EXPECT_THAT(symbols, HasSubstr("Provider::getTimeline")) << "nm read no symbols";
    for (const char* code : {"platform::net", "curl_", "ResultsRepository"}) {
        EXPECT_THAT(symbols, Not(HasSubstr(code)));
    }
}

} // namespace
