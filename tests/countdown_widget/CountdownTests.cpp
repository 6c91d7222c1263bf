#include "countdown_widget/Provider.h"
#include "countdown_widget/VantorelWidget.h"
#include "countdown_widget/VantorelWidget_Previews.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Locale.h"
#include "platform/foundation/TimeZone.h"
#include "platform/ui/Render.h"
#include "tests/results_widget/PictureTesting.h"
#include "tests/support/ScopedEnv.h"

#include <ctime>
#include <gtest/gtest.h>

namespace {

using namespace countdown_widget;

using namespace trelvo::test;
using platform::foundation::Date;
constexpr auto small = platform::widget::WidgetFamily::systemSmall;
constexpr auto medium = platform::widget::WidgetFamily::systemMedium;

// A local wall time whose offset from UTC is `offset` hours; the C library reads the date.
Date at(int y, int mo, int d, int h, int mi, double offset) {
    std::tm t{.tm_min = mi, .tm_hour = h, .tm_mday = d, .tm_mon = mo - 1, .tm_year = y - 1900};
    return Date::fromTimeIntervalSince1970(double(timegm(&t)) - offset * 3600);
}

// A timeline: one entry dated now with the local days from today to the day holding 2021-06-11
// 00:00 UTC (1 on the eve, 0 on that day) in the user's zone as it is at that request, however
// long the days between; a reload an elapsed hour on. Placeholder and snapshot show the sample.
TEST(CountdownProvider, CountsLocalDaysInTheZoneAndAtTheTimeOfEachRequest) {
    const struct {
        const char* zone;
        Date now;
        std::int64_t days;
    } requests[] = {
        {"Europe/Moscow", at(2021, 6, 10, 23, 0, 3), 1},
        {"America/Chicago", at(2021, 6, 10, 15, 0, -5), 0}, // the same instant
        {"Europe/Moscow", at(2021, 6, 11, 0, 0, 3), 0},
        {"Europe/Moscow", at(2021, 6, 12, 12, 0, 3), -1},
        {"Pacific/Kiritimati", at(2021, 6, 11, 1, 0, 14), 0},
        {"Pacific/Pago_Pago", at(2021, 6, 10, 1, 0, -11), 0},
        // Daylight saving time starts or ends in between, or within the hour to the reload.
        {"Europe/Berlin", at(2021, 3, 20, 12, 0, 1), 83},
        {"Europe/Berlin", at(2021, 3, 28, 1, 30, 1), 75},
        {"Europe/Berlin", at(2021, 11, 1, 0, 0, 1), -143},
        {"Australia/Sydney", at(2021, 4, 1, 12, 0, 11), 71},
        // 2018-11-04 began at 01:00 in Sao Paulo; on 2019-02-16 23:00 to 00:00 came twice.
        {"America/Sao_Paulo", at(2018, 11, 3, 12, 0, -3), 950},
        {"America/Sao_Paulo", at(2018, 11, 4, 1, 0, -2), 949},
        {"America/Sao_Paulo", at(2018, 11, 4, 12, 0, -2), 949},
        {"America/Sao_Paulo", at(2019, 2, 16, 23, 30, -3), 845},
    };
    const Provider provider;
    for (const auto& c : requests) {
        SCOPED_TRACE(testing::Message() << c.zone << ", request " << &c - requests);
        platform::foundation::ScopedTimeZone zone(c.zone);
        platform::foundation::ScopedClock clock(c.now);
        std::vector<platform::widget::Timeline<DaysUntilEntry>> timelines;
        std::vector<DaysUntilEntry> snapshots;

        provider.getTimeline({}, [&](auto timeline) { timelines.push_back(timeline); });
        provider.getSnapshot({}, [&](DaysUntilEntry entry) { snapshots.push_back(entry); });
        const auto placeholder = provider.placeholder({});

        ASSERT_EQ(timelines.size(), 1u) << "answered before getTimeline returned";
        ASSERT_EQ(timelines[0].entries.size(), 1u);
        EXPECT_EQ(timelines[0].entries[0].daysUntil, c.days);
        EXPECT_EQ(timelines[0].entries[0].date, c.now);
        EXPECT_EQ(timelines[0].policy,
                  platform::widget::TimelineReloadPolicy::after(c.now.addingTimeInterval(3600)));
        EXPECT_TRUE(snapshots.size() == 1 && snapshots[0].date == c.now &&
                    snapshots[0].daysUntil == 10);
        EXPECT_TRUE(placeholder.date == c.now && placeholder.daysUntil == 10);
    }
}

// The count in 40-point bold over the two captions, white and centred on the dark background
// that fills the widget; the count in plain digits whatever the locale. As VantorelWidget.txt
// beside this file shows it.
TEST(VantorelWidget, DrawsWhatItsFileShows) {
    ScopedEnv font("TRELVO_TEST_FONT", "DejaVu Sans");
    const struct {
        std::int64_t days;
        const char* locale;
        platform::widget::WidgetFamily family;
    } cases[] = {
        {10, "en_US", small},     {-1000, "ru_RU", medium}, {123456, "de_DE", small},
        {123456, "hi_IN", small}, {0, "C", medium},
    };
    const auto widget = VantorelWidget().body();
    std::string drawn;
    for (const auto& c : cases) {
        platform::foundation::ScopedLocale locale(c.locale);
        const auto size = platform::widget::displaySize(c.family);
        drawn += "== " + std::to_string(c.days) + " in " + c.locale + "\n" +
                 dumpDrawing(
                     platform::ui::record(widget.content({{}, c.days}), {size.width, size.height}));
    }
    const auto preview = VantorelWidget_Previews::previews();
    EXPECT_EQ(preview.context.family, small);
    drawn += "== preview\n" + dumpDrawing(platform::ui::record(preview.view, {170, 170}));
    expectDrawing(drawn, TRELVO_SOURCE_DIR "/tests/countdown_widget/VantorelWidget.txt");
}

} // namespace
