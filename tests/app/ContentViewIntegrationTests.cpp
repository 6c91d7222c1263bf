#include "app/ContentView.h"
#include "platform/dispatch/DispatchQueue.h"
#include "platform/foundation/LinePrinter.h"
#include "platform/net/ScopedCompletionCounter.h"
#include "platform/ui/Layout.h"
#include "tests/support/DefaultHandler.h"
#include "tests/support/servers/DemoServiceFixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using namespace platform::ui;
using platform::dispatch::DispatchQueue;
using platform::foundation::ScopedLineCapture;

// The centre of the window's only button, in the coordinates of the laid-out root.
std::optional<Point> buttonCenter(const LayoutNode& node, Point origin = {}) {
    const Point at{origin.x + node.frame.origin.x, origin.y + node.frame.origin.y};
    if (node.action) {
        return Point{at.x + node.frame.size.width / 2, at.y + node.frame.size.height / 2};
    }
    for (const auto& child : node.children) {
        if (auto found = buttonCenter(child, at)) {
            return found;
        }
    }
    return std::nullopt;
}

class ContentViewServiceTest : public trelvo::test::DemoServiceFixture {
protected:
    void SetUp() override {
        handler();
        DispatchQueue::main().drain();
    }
    void TearDown() override { DispatchQueue::main().drain(); }

    // One desktop for the process: GIO reads the XDG folders once.
    static trelvo::test::DefaultHandler& handler() {
        static trelvo::test::DefaultHandler desktop;
        static bool applied = (desktop.apply(), true);
        (void)applied;
        return desktop;
    }

    ScopedLineCapture output_;
};

struct LabelCase {
    const char* name;
    std::string latest;
};

void PrintTo(const LabelCase& c, std::ostream* out) {
    *out << c.name;
}

class ContentViewButton : public ContentViewServiceTest,
                          public testing::WithParamInterface<LabelCase> {};

TEST_P(ContentViewButton, OpensTheServiceOriginWhateverTheLabelSays) {
    auto manager = std::make_shared<NetworkManager>();
    manager->latestAppVersionAvailable = AppVersionModel{GetParam().latest};
    const auto view = ContentView(manager).body("1.0");
    const auto root = layoutCentered(view, idealSize(view));
    auto center = buttonCenter(root);
    ASSERT_TRUE(center);
    auto action = buttonActionAt(root, *center);
    ASSERT_TRUE(action);

    (*action)();

    EXPECT_EQ(handler().nextOpened(), service().baseURL());
    EXPECT_TRUE(service().requests().empty()) << "a click fetches nothing";
    EXPECT_EQ(manager->latestAppVersionAvailable->version, GetParam().latest);
}

INSTANTIATE_TEST_SUITE_P(Labels, ContentViewButton,
                         testing::Values(LabelCase{"BeforeAnyAnswer", "0"},
                                         LabelCase{"LooksLikeAUrl",
                                                   "https://elsewhere.example/download"},
                                         LabelCase{"ShellCharacters", "2.0 $(touch x); `id`"},
                                         LabelCase{"PathLike", "/api/v1/appLatestVersion"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ContentViewServiceTest, AppearingStartsOneCheckAndTheAnswerRemovesTheButton) {
    service().setLatestVersion("1.0");
    auto manager = std::make_shared<NetworkManager>();
    const auto before = layout(ContentView(manager).body("1.0"), ProposedSize::unspecified());
    auto actions = appearActions(before);
    ASSERT_EQ(actions.size(), 1u);

    platform::net::ScopedCompletionCounter completions;
    actions[0]();
    ASSERT_TRUE(completions.waitFor(1));
    DispatchQueue::main().drain();

    EXPECT_EQ(service().requests().size(), 1u);
    const auto after = layout(ContentView(manager).body("1.0"), ProposedSize::unspecified());
    EXPECT_FALSE(buttonCenter(after)) << "the answer equals the application's version";
}

} // namespace
