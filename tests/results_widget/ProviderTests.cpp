#include "platform/foundation/Clock.h"
#include "platform/foundation/LinePrinter.h"
#include "platform/foundation/TimeZone.h"
#include "results_widget/Provider.h"

#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>

namespace {

using namespace results_widget;

using namespace results_widget;
using platform::foundation::Date;
using platform::foundation::ScopedClock;
using platform::foundation::ScopedLineCapture;
using Lines = std::vector<std::string>;

// Each result over its plan, unclamped (a zero plan gives inf or nan), the year's written as
// the only line; one entry dated now; a reload 900 s on, whatever the zone's clocks do meanwhile.
TEST(Provider, AnswersTheRatiosAtNowWithAReloadFifteenMinutesOn) {
    const struct {
        const char* zone;
        double now;
        ResultsModel model;
        double year, month;
        const char* line;
    } cases[] = {
        {"UTC", 1623319200, {1500, 3000, 100, 250}, 0.5, 0.4, "0.5"},
        {"UTC", 1623319200, {4500, 3000, 250, 250}, 1.5, 1.0, "1.5"},
        {"UTC", 1623319200, {3000, 3000, 7, 0}, 1.0, INFINITY, "1.0"},
        // 2021-03-28 01:55 CET, before 02:00 is skipped; 2021-10-31 02:55 CEST, hour repeated.
        {"Europe/Berlin", 1616892900, {1500, 3000, 0, 0}, 0.5, NAN, "0.5"},
        {"Europe/Berlin", 1635641700, {1500, 3000, -3, 0}, 0.5, -INFINITY, "0.5"},
        // 2018-11-03 23:55, before midnight is skipped.
        {"America/Sao_Paulo", 1541300100, {7, 0, 1, 2}, INFINITY, 0.5, "inf"},
        {"Asia/Kathmandu", 1623319200, {0, 0, 1, 2}, NAN, 0.5, "nan"},
        {"UTC", 1623319200, {-3, 0, 1, 2}, -INFINITY, 0.5, "-inf"},
        {"UTC", 1623319200, {-1500, 3000, 100, -250}, -0.5, -0.4, "-0.5"},
        {"UTC", 1623319200, {INT64_MAX, 1, 1, 3}, 0x1p63, 1 / 3.0, "9.223372036854776e+18"},
    };
    const auto same = [](double a, double b) { return std::isnan(a) ? std::isnan(b) : a == b; };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        platform::foundation::ScopedTimeZone zone(c.zone);
        const auto now = Date::fromTimeIntervalSince1970(c.now);
        ScopedClock clock(now);
        ScopedLineCapture output;
        std::vector<platform::widget::Timeline<ResultsEntry>> answers;

        Provider::answer(c.model, [&](auto timeline) { answers.push_back(timeline); });

        ASSERT_EQ(answers.size(), 1u);
        ASSERT_EQ(answers[0].entries.size(), 1u);
        const auto& entry = answers[0].entries[0];
        EXPECT_EQ(std::tuple(entry.date, entry.yearResults, entry.monthResults),
                  std::tuple(now, c.model.yearResult, c.model.monthResult));
        EXPECT_PRED2(same, entry.yearCompletion, c.year);
        EXPECT_PRED2(same, entry.monthCompletion, c.month);
        EXPECT_EQ(answers[0].policy,
                  platform::widget::TimelineReloadPolicy::after(now.addingTimeInterval(900)));
        EXPECT_EQ(output.lines(), Lines{c.line});
    }
}

} // namespace
