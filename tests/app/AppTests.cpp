// What the window shows for each answer, and that an offered version is announced once a run.
#include "app/ContentView.h"
#include "app/ContentView_Previews.h"
#include "app/UpdateAnnouncer.h"
#include "platform/dispatch/DispatchQueue.h"
#include "platform/ui/DisplayList.h"
#include "platform/ui/Layout.h"
#include "platform/ui/Render.h"
#include "platform/ui/Resources.h"

#include <gtest/gtest.h>

namespace {

using namespace platform::ui;
using platform::dispatch::DispatchQueue;

TEST(ContentView, ShowsTheRedUpdateButtonExactlyWhenTheOfferedTextDiffersAndNeverWidens) {
    ScopedResources resources{
        Resources{{}, std::filesystem::path(TRELVO_SOURCE_DIR) / "app/resources"}};
    auto window = [](std::string latest) {
        auto manager = std::make_shared<NetworkManager>();
        manager->latestAppVersionAvailable = AppVersionModel{std::move(latest)};
        return ContentView(manager).body("1.0");
    };
    // The first is the app's own version; every other text shows the button, hostile ones too.
    const std::string nines(10'000, '9'), w(2'000, 'W'),
        words = w + " " + w, rtl = "\u202e\u05d2\u05e8 " + std::string(400, 'x') + " \u0627";
    const std::string offered[] = {
        "1.0", "0",   "1.0.0", "0.9", "1.0 ", " 1.0", "1.0\n\r\t\x1b[2J\x07 2.0\n3.0",
        nines, words, rtl};
    const auto reference = idealSize(window("0"));
    for (const auto& latest : offered) {
        SCOPED_TRACE(latest.substr(0, 40));
        const auto view = window(latest);
        const auto size = idealSize(view);
        const auto list = record(view, size);
        std::vector<std::string> shown;
        double top = 0;
        for (const auto& item : list.items()) {
            if (item.kind == DisplayItem::Kind::text || item.kind == DisplayItem::Kind::image) {
                shown.push_back(item.text.empty() ? item.imageFile.filename().string() : item.text);
                EXPECT_NEAR(item.centerInRoot().x, size.width / 2, 0.5) << shown.back();
                EXPECT_GE(item.toRoot(item.rect.origin).y, top) << "top to bottom";
                top = item.toRoot(item.rect.origin).y;
            }
        }
        std::vector<std::string> expected{"trelvo.svg", "Made by Dovrel for Trelvo",
                                          "Добавьте Widget в mac os чтобы видеть результаты",
                                          "текущая версия приложения: 1.0"};
        if (&latest != offered) {
            expected.push_back("обновить до версии " + latest);
        }
        EXPECT_EQ(shown, expected);
        const auto root = layoutCentered(view, size);
        if (const auto* label = list.findText("обновить до версии " + latest); label) {
            EXPECT_EQ(std::get<Color>(label->paint), Color::red);
            EXPECT_EQ(size.width, reference.width) << "the label widened the window";
            EXPECT_EQ(size.height, reference.height) << "the label took more than one line";
            const auto center = label->centerInRoot();
            EXPECT_TRUE(buttonActionAt(root, center));
            EXPECT_FALSE(buttonActionAt(root, {center.x, center.y - 30})) << "only the button";
        }
    }
    EXPECT_EQ(ContentView_Previews::previews().networkManager->latestAppVersionAvailable->version,
              "0");
}

void publish(NetworkManager& manager, std::string version) {
    // Answers are stored from a main-queue block, as the client stores them.
    DispatchQueue::main().async(
        [&manager, version] { manager.latestAppVersionAvailable = AppVersionModel{version}; });
    while (DispatchQueue::main().drain() > 0) {
    }
}

TEST(UpdateAnnouncer, AnnouncesTheFirstAnswerThatDiffersOnceAcrossWindows) {
    using Answers = std::vector<std::pair<int, std::string>>; // window, version
    const std::pair<Answers, std::vector<std::string>> cases[] = {
        {{}, {}},
        {{{0, "1.0"}}, {}},
        {{{0, "1.0.0"}}, {"1.0.0"}},
        {{{0, "1.0"}, {0, "2.0"}, {0, "1.0"}, {0, "3.0"}}, {"2.0"}},
        {{{1, "2.0"}, {0, "2.0"}, {1, "3.0"}}, {"2.0"}}};
    for (const auto& c : cases) {
        const auto& [answers, expected] = c;
        SCOPED_TRACE(&c - cases);
        std::vector<std::string> announced;
        UpdateAnnouncer announcer("1.0", [&](const std::string& v) { announced.push_back(v); });
        std::shared_ptr<NetworkManager> windows[]{std::make_shared<NetworkManager>(),
                                                  std::make_shared<NetworkManager>()};
        announcer.watch(windows[0]);
        announcer.watch(windows[1]);
        for (const auto& [window, version] : answers) {
            publish(*windows[window], version);
        }
        EXPECT_EQ(announced, expected);
    }
}

} // namespace
