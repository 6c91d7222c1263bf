#include "countdown_widget/DayCount.h"
#include "platform/foundation/Locale.h"
#include "platform/foundation/TimeZone.h"
#include "tests/countdown_widget/CountdownTestSupport.h"

#include <gtest/gtest.h>
#include <ostream>
#include <string>

namespace {

using namespace countdown_widget;
using countdown_test::LocalTime;
using platform::foundation::Calendar;
using platform::foundation::Locale;
using platform::foundation::TimeZone;

struct DayCase {
    std::string name;
    LocalTime now;
    LocalTime event;
    std::int64_t days;
};

void PrintTo(const DayCase& c, std::ostream* out) {
    *out << c.name;
}

class SaoPauloDays : public testing::TestWithParam<DayCase> {};

// A day that starts at 01:00 is still one whole day: counting elapsed time from that 01:00 start
// to a later midnight would come out one day short.
TEST_P(SaoPauloDays, CountsLocalDatesAcrossSkippedAndRepeatedMidnights) {
    const auto& c = GetParam();
    Calendar calendar(*TimeZone::named("America/Sao_Paulo"), Locale("pt_BR"));

    EXPECT_EQ(daysUntil(calendar, c.now.instant(), c.event.instant()), c.days);
}

// Clocks went from 00:00 to 01:00 on 2018-11-04, and from 00:00 back to 23:00 on 2019-02-17.
INSTANTIATE_TEST_SUITE_P(
    Transitions, SaoPauloDays,
    testing::Values(
        DayCase{
            "NoonOfTheGapDayToNextMidnight", {2018, 11, 4, 12, 0, -2}, {2018, 11, 5, 0, 0, -2}, 1},
        DayCase{"FirstInstantToAWeekLater", {2018, 11, 4, 1, 0, -2}, {2018, 11, 10, 12, 0, -2}, 6},
        DayCase{"EveToTheGapDay", {2018, 11, 3, 12, 0, -3}, {2018, 11, 4, 12, 0, -2}, 1},
        DayCase{
            "EveToTheGapDaysFirstInstant", {2018, 11, 3, 23, 59, -3}, {2018, 11, 4, 1, 0, -2}, 1},
        DayCase{"WithinTheGapDay", {2018, 11, 4, 23, 59, -2}, {2018, 11, 4, 1, 0, -2}, 0},
        DayCase{"DayAfterBackToTheGapDay", {2018, 11, 5, 12, 0, -2}, {2018, 11, 4, 1, 30, -2}, -1},
        DayCase{"IntoTheRepeatedHour", {2019, 2, 16, 12, 0, -2}, {2019, 2, 16, 23, 30, -3}, 0},
        DayCase{"RepeatedHourToTheNextDay", {2019, 2, 16, 23, 30, -3}, {2019, 2, 17, 0, 0, -3}, 1},
        DayCase{"AcrossBothChanges", {2018, 10, 1, 0, 0, -3}, {2019, 3, 1, 0, 0, -3}, 151}),
    [](const auto& info) { return info.param.name; });

} // namespace
