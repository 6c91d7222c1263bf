#include "platform/widget/Timeline.h"

#include <gtest/gtest.h>
#include <ostream>
#include <string>

namespace {

using namespace platform::widget;
using platform::foundation::Date;

struct CountEntry {
    Date date;
    int count = 0;
};

struct CountProvider {
    CountEntry placeholder(const TimelineProviderContext&) const { return {Date{}, 10}; }
    void getSnapshot(const TimelineProviderContext&, std::function<void(CountEntry)> done) const {
        done({Date{}, 10});
    }
    void getTimeline(const TimelineProviderContext&,
                     std::function<void(Timeline<CountEntry>)> done) const {
        done(Timeline{std::vector{CountEntry{Date{5}, 3}}, TimelineReloadPolicy::after(Date{60})});
    }
};

struct Label {
    std::string text;
};

struct CountWidget {
    const std::string kind = "CountWidget";
    auto body() const {
        return StaticConfiguration(
                   kind, CountProvider(),
                   [](const CountEntry& e) { return Label{std::to_string(e.count)}; })
            .supportedFamilies({WidgetFamily::systemSmall, WidgetFamily::systemMedium})
            .configurationDisplayName("Count")
            .description("Counts");
    }
};

struct NotAnEntry {
    int count;
};
struct NoTimelineProvider {
    CountEntry placeholder(const TimelineProviderContext&) const { return {}; }
};

static_assert(TimelineEntry<CountEntry>);
static_assert(!TimelineEntry<NotAnEntry>);
static_assert(TimelineProvider<CountProvider>);
static_assert(!TimelineProvider<NoTimelineProvider>);
static_assert(Widget<CountWidget>);

TEST(StaticConfiguration, ModifiersRefineACopyAndLeaveTheOriginal) {
    auto base = StaticConfiguration("K", CountProvider(), [](const CountEntry&) { return 0; });
    auto refined = base.supportedFamilies({WidgetFamily::systemLarge}).description("D");

    EXPECT_EQ(base.descriptor().families, allFamilies());
    EXPECT_EQ(base.descriptor().description.key(), "");
    EXPECT_EQ(base.descriptor().displayName.key(), "K");
    EXPECT_EQ(refined.descriptor().families, std::vector{WidgetFamily::systemLarge});
    EXPECT_EQ(refined.descriptor().description.key(), "D");
}

TEST(StaticConfiguration, ContentBuildsAViewForAnEntry) {
    auto configuration = CountWidget().body();
    EXPECT_EQ(configuration.content(CountEntry{Date{}, 42}).text, "42");
    EXPECT_EQ(configuration.descriptor().kind, "CountWidget");
    EXPECT_EQ(configuration.descriptor().displayName.key(), "Count");
}

TEST(TimelineEntry, RelevanceIsNoneByDefault) {
    EXPECT_FALSE(relevance(CountEntry{}).has_value());
}

struct FamilyCase {
    WidgetFamily family;
    std::string_view shortName;
    std::string_view name;
    DisplaySize size;
};

void PrintTo(const FamilyCase& c, std::ostream* out) {
    *out << c.name;
}

class FamilyTable : public testing::TestWithParam<FamilyCase> {};

TEST_P(FamilyTable, SizesAndNamesRoundTrip) {
    const auto& c = GetParam();
    EXPECT_EQ(displaySize(c.family), c.size);
    EXPECT_EQ(shortName(c.family), c.shortName);
    EXPECT_EQ(name(c.family), c.name);
    EXPECT_EQ(familyFromShortName(c.shortName), c.family);
    EXPECT_EQ(TimelineProviderContext::forFamily(c.family).displaySize, c.size);
}

INSTANTIATE_TEST_SUITE_P(
    Families, FamilyTable,
    testing::Values(FamilyCase{WidgetFamily::systemSmall, "small", "systemSmall", {170, 170}},
                    FamilyCase{WidgetFamily::systemMedium, "medium", "systemMedium", {364, 170}},
                    FamilyCase{WidgetFamily::systemLarge, "large", "systemLarge", {364, 382}}));

TEST(WidgetFamily, UnknownShortNameIsRefused) {
    EXPECT_EQ(familyFromShortName("Small"), std::nullopt);
    EXPECT_EQ(familyFromShortName("extraLarge"), std::nullopt);
    EXPECT_EQ(familyFromShortName(""), std::nullopt);
}

} // namespace
