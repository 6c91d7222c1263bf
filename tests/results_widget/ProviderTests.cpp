#include "platform/foundation/Clock.h"
#include "platform/foundation/LinePrinter.h"
#include "platform/foundation/TimeZone.h"
#include "results_widget/Provider.h"

#include <cmath>
#include <cstdlib>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <limits>

namespace {

using namespace results_widget;
using platform::foundation::Date;
using platform::foundation::ScopedClock;
using platform::foundation::ScopedLineCapture;
using platform::foundation::ScopedTimeZone;
using platform::widget::Timeline;
using platform::widget::TimelineProviderContext;
using platform::widget::TimelineReloadPolicy;
using testing::ElementsAre;

constexpr double inf = std::numeric_limits<double>::infinity();
// 2021-06-10 10:00:00 UTC.
const Date tenOClock = Date::fromTimeIntervalSince1970(1623319200);

// Same value, NaN included.
bool sameDouble(double a, double b) {
    return (std::isnan(a) && std::isnan(b)) || a == b;
}

struct RatioCase {
    ResultsModel model;
    double yearCompletion;
    double monthCompletion;
    const char* line;
};

void PrintTo(const RatioCase& c, std::ostream* out) {
    *out << c.model.yearResult << "/" << c.model.yearPlan << " " << c.model.monthResult << "/"
         << c.model.monthPlan;
}

class ProviderRatioTest : public testing::TestWithParam<RatioCase> {};

TEST_P(ProviderRatioTest, DividesEachResultByItsPlanUnclamped) {
    const auto& c = GetParam();
    auto timeline = Provider::makeTimeline(c.model, tenOClock);

    ASSERT_EQ(timeline.entries.size(), 1u);
    const auto& entry = timeline.entries[0];
    EXPECT_EQ(entry.yearResults, c.model.yearResult);
    EXPECT_EQ(entry.monthResults, c.model.monthResult);
    EXPECT_PRED2(sameDouble, entry.yearCompletion, c.yearCompletion);
    EXPECT_PRED2(sameDouble, entry.monthCompletion, c.monthCompletion);
}

TEST_P(ProviderRatioTest, WritesTheYearRatioAsTheOnlyLine) {
    ScopedClock clock(tenOClock);
    ScopedLineCapture output;
    std::optional<Timeline<ResultsEntry>> delivered;

    Provider::answer(GetParam().model,
                     [&](Timeline<ResultsEntry> timeline) { delivered = timeline; });

    EXPECT_THAT(output.lines(), ElementsAre(GetParam().line));
    ASSERT_TRUE(delivered);
    EXPECT_EQ(delivered->entries.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Figures, ProviderRatioTest,
                         testing::Values(RatioCase{{1500, 3000, 100, 250}, 0.5, 0.4, "0.5"},
                                         RatioCase{{4500, 3000, 100, 250}, 1.5, 0.4, "1.5"},
                                         RatioCase{{3000, 3000, 250, 250}, 1.0, 1.0, "1.0"},
                                         RatioCase{{1500, 3000, 7, 0}, 0.5, inf, "0.5"},
                                         RatioCase{{1500, 3000, 0, 0}, 0.5, std::nan(""), "0.5"},
                                         RatioCase{{1500, 3000, -3, 0}, 0.5, -inf, "0.5"},
                                         RatioCase{{7, 0, 1, 2}, inf, 0.5, "inf"},
                                         RatioCase{{0, 0, 1, 2}, std::nan(""), 0.5, "nan"},
                                         RatioCase{{-3, 0, 1, 2}, -inf, 0.5, "-inf"},
                                         RatioCase{{-1500, 3000, 100, -250}, -0.5, -0.4, "-0.5"}));

TEST(ProviderTimelineTest, EntryAtNowAndReloadFifteenMinutesLater) {
    ScopedClock clock(tenOClock);
    std::optional<Timeline<ResultsEntry>> delivered;

    Provider::answer({1500, 3000, 100, 250},
                     [&](Timeline<ResultsEntry> timeline) { delivered = timeline; });

    ASSERT_TRUE(delivered);
    ASSERT_EQ(delivered->entries.size(), 1u);
    EXPECT_EQ(delivered->entries[0].date, tenOClock);
    EXPECT_EQ(delivered->policy,
              TimelineReloadPolicy::after(tenOClock.addingTimeInterval(15 * 60)));
}

struct ZoneCase {
    const char* zone;
    double since1970;
};

void PrintTo(const ZoneCase& c, std::ostream* out) {
    *out << c.zone << " " << c.since1970;
}

class ProviderReloadZoneTest : public testing::TestWithParam<ZoneCase> {};

// Minutes are elapsed time in every zone, so the reload is 900 s on even when the clocks
// change in between.
TEST_P(ProviderReloadZoneTest, ReloadIsNineHundredSecondsOnAcrossClockChanges) {
    ScopedTimeZone zone(GetParam().zone);
    auto now = Date::fromTimeIntervalSince1970(GetParam().since1970);
    auto timeline = Provider::makeTimeline({1, 2, 3, 4}, now);
    EXPECT_EQ(timeline.policy.kind, TimelineReloadPolicy::Kind::after);
    EXPECT_EQ(timeline.policy.date.timeIntervalSince(now), 900.0);
}

INSTANTIATE_TEST_SUITE_P(
    Zones, ProviderReloadZoneTest,
    testing::Values(ZoneCase{"UTC", 1623319200},
                    ZoneCase{"Europe/Berlin", 1616892900}, // 2021-03-28 01:55 CET, 02:00 skipped
                    ZoneCase{"Europe/Berlin", 1635641700}, // 2021-10-31 02:55 CEST, repeated hour
                    ZoneCase{"America/Sao_Paulo", 1541300100}, // 2018-11-03 23:55, midnight skipped
                    ZoneCase{"Asia/Kathmandu", 1623319200}));

// While alive, the service origin is one no fetch can use, so a fetch would write a line.
class NoServiceOrigin {
public:
    NoServiceOrigin() {
        if (const char* value = std::getenv("TRELVO_SERVICE_URL")) {
            previous_ = value;
        }
        setenv("TRELVO_SERVICE_URL", "not an origin", 1);
    }
    ~NoServiceOrigin() {
        if (previous_) {
            setenv("TRELVO_SERVICE_URL", previous_->c_str(), 1);
        } else {
            unsetenv("TRELVO_SERVICE_URL");
        }
    }

private:
    std::optional<std::string> previous_;
};

TEST(ProviderPlaceholderTest, PlaceholderAndSnapshotCarryZerosAndFetchNothing) {
    NoServiceOrigin noService;
    ScopedClock clock(tenOClock);
    ScopedLineCapture output;
    Provider provider;
    auto context = TimelineProviderContext::forFamily(platform::widget::WidgetFamily::systemSmall);
    std::vector<ResultsEntry> snapshots;

    auto placeholder = provider.placeholder(context);
    provider.getSnapshot(context, [&](ResultsEntry entry) { snapshots.push_back(entry); });

    const ResultsEntry zeros{tenOClock, 0, 0, 0.0, 0.0};
    EXPECT_EQ(placeholder, zeros);
    EXPECT_THAT(snapshots, ElementsAre(zeros)); // called once, before getSnapshot returned
    EXPECT_THAT(output.lines(), testing::IsEmpty());
}

TEST(ProviderPlaceholderTest, TimelineRequestDoesFetch) {
    // The counterpart of the test above: the same origin makes a timeline request write the
    // repository's line, so silence there means no fetch.
    NoServiceOrigin noService;
    ScopedLineCapture output;
    bool answered = false;

    Provider().getTimeline(TimelineProviderContext{}, [&](auto) { answered = true; });

    ASSERT_EQ(output.lines().size(), 1u);
    EXPECT_THAT(output.lines()[0], testing::StartsWith("Error: Optional("));
    EXPECT_FALSE(answered);
}

} // namespace
