#include "app/ContentView.h"
#include "app/ContentView_Previews.h"
#include "platform/foundation/Bundle.h"
#include "platform/ui/DisplayList.h"
#include "platform/ui/Layout.h"
#include "platform/ui/Render.h"
#include "platform/ui/Resources.h"

#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <optional>

namespace {

using namespace platform::ui;
using testing::ElementsAre;
namespace fs = std::filesystem;

const std::string versionPrefix = "текущая версия приложения: ";
const std::string labelPrefix = "обновить до версии ";

// The application's own assets, no string table: keys are shown as written.
class ContentViewTest : public testing::Test {
protected:
    ScopedResources resources_{Resources{{}, fs::path(TRELVO_SOURCE_DIR) / "app/resources"}};

    static ContentView viewShowing(std::string latest) {
        auto manager = std::make_shared<NetworkManager>();
        manager->latestAppVersionAvailable = AppVersionModel{std::move(latest)};
        return ContentView(manager);
    }
};

// Where a node lies in root coordinates; the window's tree has no rotations.
struct Placed {
    const LayoutNode* node;
    Rect frame;
};

void collectButtons(const LayoutNode& node, Point origin, std::vector<Placed>& out) {
    const Point at{origin.x + node.frame.origin.x, origin.y + node.frame.origin.y};
    if (node.action) {
        out.push_back({&node, {at, node.frame.size}});
    }
    for (const auto& child : node.children) {
        collectButtons(child, at, out);
    }
}

std::vector<Placed> buttons(const LayoutNode& root) {
    std::vector<Placed> found;
    collectButtons(root, {}, found);
    return found;
}

std::vector<std::string> texts(const DisplayList& list) {
    std::vector<std::string> shown;
    for (const auto& item : list.items(DisplayItem::Kind::text)) {
        shown.push_back(item.text);
    }
    return shown;
}

struct VersionCase {
    const char* name;
    std::string current;
    std::string latest;
    bool button;
};

void PrintTo(const VersionCase& c, std::ostream* out) {
    *out << c.name;
}

class ContentViewVersions : public ContentViewTest,
                            public testing::WithParamInterface<VersionCase> {};

TEST_P(ContentViewVersions, ShowsTheRedButtonExactlyWhenTheTextsDiffer) {
    const auto& c = GetParam();
    const auto view = viewShowing(c.latest).body(c.current);
    const auto size = idealSize(view);
    const auto list = record(view, size);

    std::vector<std::string> expected{"Made by Dovrel for Trelvo",
                                      "Добавьте Widget в mac os чтобы видеть результаты",
                                      versionPrefix + c.current};
    if (c.button) {
        expected.push_back(labelPrefix + c.latest);
    }
    EXPECT_EQ(texts(list), expected);
    EXPECT_EQ(buttons(layoutCentered(view, size)).size(), c.button ? 1u : 0u);
    if (c.button) {
        const auto* label = list.findText(labelPrefix + c.latest);
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(std::get<Color>(label->paint), Color::red);
    }
}

INSTANTIATE_TEST_SUITE_P(Pairs, ContentViewVersions,
                         testing::Values(VersionCase{"BeforeAnyAnswer", "1.0", "0", true},
                                         VersionCase{"Equal", "1.0", "1.0", false},
                                         VersionCase{"SpelledDifferently", "1.0", "1.0.0", true},
                                         VersionCase{"Older", "2.0", "1.9", true},
                                         VersionCase{"TrailingSpace", "1.0", "1.0 ", true},
                                         VersionCase{"OwnVersionZero", "0", "0", false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ContentViewTest, StacksLogoCreditHintVersionAndButtonCentredTopToBottom) {
    const auto view = viewShowing("0").body("1.0");
    const auto size = idealSize(view);
    const auto list = record(view, size);

    auto images = list.items(DisplayItem::Kind::image);
    ASSERT_EQ(images.size(), 1u) << "the trelvo asset is drawn";
    EXPECT_EQ(images[0].imageFile.filename(), "trelvo.svg");
    std::vector<double> tops{images[0].toRoot(images[0].rect.origin).y};
    for (const auto& item : list.items(DisplayItem::Kind::text)) {
        tops.push_back(item.toRoot(item.rect.origin).y);
        EXPECT_NEAR(item.centerInRoot().x, size.width / 2, 0.5) << item.text;
    }
    EXPECT_TRUE(std::is_sorted(tops.begin(), tops.end()));
    EXPECT_NEAR(images[0].centerInRoot().x, size.width / 2, 0.5);
    // The outer stack's default padding keeps everything off the window's edges.
    EXPECT_GE(images[0].toRoot(images[0].rect.origin).y, 16 + 2);
}

TEST_F(ContentViewTest, ReadsTheApplicationsOwnVersionFromTheBundle) {
    const auto own = platform::foundation::Bundle::main().object("CFBundleShortVersionString");
    ASSERT_TRUE(own);

    EXPECT_NE(record(viewShowing("0").body(), {400, 400}).findText(versionPrefix + *own), nullptr);
    EXPECT_TRUE(buttons(layout(viewShowing(*own).body(), {400, 400})).empty());
}

TEST_F(ContentViewTest, OnlyTheButtonAnswersAClick) {
    const auto view = viewShowing("0").body("1.0");
    const auto size = idealSize(view);
    const auto root = layoutCentered(view, size);
    const auto found = buttons(root);
    ASSERT_EQ(found.size(), 1u);

    EXPECT_TRUE(buttonActionAt(root, found[0].frame.center()));
    EXPECT_FALSE(buttonActionAt(root, {found[0].frame.midX(), found[0].frame.minY() - 4}));
    EXPECT_FALSE(buttonActionAt(root, {size.width / 2, 40}));
}

TEST_F(ContentViewTest, StartsOneVersionCheckWhenShown) {
    const auto root = layout(viewShowing("0").body("1.0"), ProposedSize::unspecified());
    EXPECT_EQ(appearActions(root).size(), 1u);
}

TEST_F(ContentViewTest, SharesAGivenClientAndMakesItsOwnOtherwise) {
    auto manager = std::make_shared<NetworkManager>();
    EXPECT_EQ(ContentView(manager).networkManager.object(), manager);
    EXPECT_NE(ContentView().networkManager.object(), ContentView().networkManager.object());
    EXPECT_EQ(ContentView().networkManager->latestAppVersionAvailable->version, "0");
    EXPECT_EQ(ContentView_Previews::previews().networkManager->latestAppVersionAvailable->version,
              "0");
}

struct HostileCase {
    const char* name;
    std::string latest;
};

void PrintTo(const HostileCase& c, std::ostream* out) {
    *out << c.name;
}

class ContentViewHostileVersion : public ContentViewTest,
                                  public testing::WithParamInterface<HostileCase> {};

TEST_P(ContentViewHostileVersion, KeepsTheLabelOnOneLineWithinTheWindowsWidth) {
    const auto reference = idealSize(viewShowing("0").body("1.0"));
    const auto view = viewShowing(GetParam().latest).body("1.0");
    const auto size = idealSize(view);
    const auto root = layoutCentered(view, size);
    const auto found = buttons(root);
    ASSERT_EQ(found.size(), 1u);

    EXPECT_EQ(size.width, reference.width) << "the label widened the window";
    EXPECT_EQ(size.height, reference.height) << "the label took more than one line";
    EXPECT_GE(found[0].frame.minX(), 0);
    EXPECT_LE(found[0].frame.maxX(), size.width);
    EXPECT_TRUE(buttonActionAt(root, found[0].frame.center()));
}

INSTANTIATE_TEST_SUITE_P(
    Versions, ContentViewHostileVersion,
    testing::Values(HostileCase{"ControlCharacters", "1.0\n\r\t\x1b[2J\x07 2.0\n3.0"},
                    HostileCase{"VeryLong", std::string(10'000, '9')},
                    HostileCase{"LongWords",
                                std::string(2'000, 'W') + " " + std::string(2'000, 'W')},
                    HostileCase{"RightToLeft", "\u202e\u05d2\u05e8\u05e1\u05d4 " +
                                                   std::string(400, 'x') + " \u0627\u0644"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
