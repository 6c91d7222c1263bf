#include "platform/widget/HostOptions.h"
#include "platform/widget/PlaceMemory.h"
#include "platform/widget/PlaceRegistry.h"
#include "platform/widget/Placement.h"
#include "tests/support/TemporaryDirectory.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace platform::widget;
using trelvo::test::TemporaryDirectory;
using trelvo::test::writeFile;

// A 1280x800 monitor whose top 32 points are a panel; a small widget.
const Rect area{0, 32, 1280, 768};
const platform::ui::Size small{170, 170};

TEST(Placement, FramesKeepTheirCornerAndStayOnTheMonitor) {
    struct Case {
        const char* name;
        Place place;
        Rect frame;
    } cases[] = {
        {"top right", {"", Corner::topRight, 16, 16}, {1094, 48, 170, 170}},
        {"top left", {"", Corner::topLeft, 16, 16}, {16, 48, 170, 170}},
        {"bottom right", {"", Corner::bottomRight, 16, 16}, {1094, 614, 170, 170}},
        {"bottom left", {"", Corner::bottomLeft, 0, 0}, {0, 630, 170, 170}},
        {"centre", {"", Corner::center, 0, 0}, {555, 331, 170, 170}},
        {"off the edge, pulled back", {"", Corner::topRight, 5000, -40}, {0, 32, 170, 170}},
        {"centre off the edge", {"", Corner::center, -900, 900}, {0, 630, 170, 170}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Place inside = pulledInside(c.place, area, small);
        const Rect frame = frameOf(inside, area, small);
        EXPECT_EQ(frame, c.frame);
        // Where the person leaves a frame is the place it came from, wherever that is.
        EXPECT_EQ(frameOf(placeOfFrame(frame, {"M", area, true}), area, small), frame);
    }
}

TEST(Placement, DraggedFramesAnchorToTheNearestCorner) {
    const Monitor monitor{"DP-2", area, false};
    EXPECT_EQ(placeOfFrame({20, 600, 170, 170}, monitor),
              (Place{"DP-2", Corner::bottomLeft, 20, 30}));
    EXPECT_EQ(placeOfFrame({700, 40, 170, 170}, monitor),
              (Place{"DP-2", Corner::topRight, 410, 8}));
}

TEST(Placement, WidgetsStartedTogetherStackWithoutOverlapping) {
    for (auto corner : {Corner::topRight, Corner::bottomLeft, Corner::center}) {
        SCOPED_TRACE(std::string(nameOf(corner)));
        std::vector<Rect> taken;
        for (auto size : {small, platform::ui::Size{364, 170}, small}) {
            auto place = stacked({"", corner, 16, 16}, area, size, taken, 16);
            const Rect frame = frameOf(place, area, size);
            for (const auto& other : taken) {
                EXPECT_FALSE(frame.overlaps(other));
                EXPECT_GE(std::abs(frame.y - other.y), other.height + 16 - 1);
            }
            taken.push_back(frame);
        }
    }
}

TEST(Placement, TheCommandLineWinsOverTheRememberedPlace) {
    const Place remembered{"HDMI-1", Corner::bottomLeft, 40, 50};
    struct Case {
        const char* name;
        PlaceRequest request;
        std::optional<Place> remembered;
        StartingPlace start;
    } cases[] = {
        {"nothing kept", {}, std::nullopt, {{"", Corner::topRight, 16, 16}, true, 16}},
        {"kept, taken as it is", {}, remembered, {remembered, false, 16}},
        {"a margin asked",
         {std::nullopt, 0, std::nullopt},
         remembered,
         {{"", Corner::topRight, 0, 0}, true, 0}},
        {"a corner and monitor asked",
         {Corner::bottomRight, std::nullopt, "DP-1"},
         remembered,
         {{"DP-1", Corner::bottomRight, 16, 16}, true, 16}},
        {"the centre",
         {Corner::center, 40, std::nullopt},
         std::nullopt,
         {{"", Corner::center, 0, 0}, true, 40}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto start = startingPlace(c.request, c.remembered);
        EXPECT_EQ(start.place, c.start.place);
        EXPECT_EQ(start.stack, c.start.stack);
        EXPECT_EQ(start.margin, c.start.margin);
    }
    const std::vector<Monitor> monitors{{"DP-1", area, false}, {"HDMI-1", area, true}};
    EXPECT_EQ(monitorFor({"DP-1"}, monitors)->name, "DP-1");
    EXPECT_EQ(monitorFor({"gone"}, monitors)->name, "HDMI-1"); // unplugged: the primary
    EXPECT_FALSE(monitorFor({}, {}));
}

TEST(Placement, OptionsTheHostCannotFollowAreRefused) {
    struct Case {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"--position", "left"},
         "--position left: expected top-left, top-right, bottom-left, bottom-right or center"},
        {{"--margin", "-1"}, "--margin -1: expected whole points, from 0 to 1000"},
        {{"--margin=2.5"}, "--margin 2.5: expected whole points, from 0 to 1000"},
        {{"--monitor="}, "--monitor needs a monitor's name, such as HDMI-1"},
        {{"--position"}, "--position needs a value"},
    };
    for (const auto& c : cases) {
        auto parsed = parseHostOptions(c.args);
        ASSERT_FALSE(parsed) << c.message;
        EXPECT_EQ(parsed.error().message, c.message);
    }
    auto parsed =
        parseHostOptions({"--position=bottom-left", "--margin", "0", "--monitor", "DP-1"});
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->placement.position, Corner::bottomLeft);
    EXPECT_EQ(parsed->placement.margin, 0);
    EXPECT_EQ(parsed->placement.monitor, "DP-1");
}

TEST(PlaceRegistry, SeesTheLiveWidgetsOnItsMonitorAndForgetsTheGone) {
    TemporaryDirectory folder;
    const pid_t gone = fork();
    if (gone == 0) {
        _exit(0);
    }
    waitpid(gone, nullptr, 0);
    writeFile(folder.path() / std::to_string(gone), "0 0 170 170\nDP-1\nA\n");
    writeFile(folder.path() / std::to_string(getppid()), "10 20 170 170\nDP-1\nB\n");
    writeFile(folder.path() / "1", "30 40 364 170\nHDMI-1\nC\n"); // init: alive, elsewhere
    std::vector<Rect> seen;
    {
        PlaceRegistry registry(folder.path(), "Ours");
        registry.claim("DP-1", [&](const std::vector<Rect>& taken) {
            seen = taken;
            return Rect{1, 2, 3, 4};
        });
        EXPECT_EQ(seen, (std::vector<Rect>{{10, 20, 170, 170}}));
        EXPECT_FALSE(std::filesystem::exists(folder.path() / std::to_string(gone)));
        std::vector<std::string> kinds;
        for (const auto& holder : PlaceRegistry::holders(folder.path())) {
            kinds.push_back(holder.kind);
        }
        std::sort(kinds.begin(), kinds.end());
        EXPECT_EQ(kinds, (std::vector<std::string>{"B", "C", "Ours"}));
    }
    EXPECT_FALSE(std::filesystem::exists(folder.path() / std::to_string(getpid())));
}

TEST(PlaceMemory, KeepsThePlaceAndIgnoresWhatItCannotRead) {
    TemporaryDirectory folder;
    PlaceMemory memory(folder.path() / "state" / "Kind.place.json");
    EXPECT_FALSE(memory.recall());
    const Place place{"HEADLESS-1", Corner::bottomRight, 24, 0};
    ASSERT_TRUE(memory.remember(place));
    EXPECT_EQ(memory.recall(), place);
    for (const char* text :
         {"", "{", R"({"corner":"middle","x":1,"y":1})", R"({"corner":"center","x":"1","y":1})",
          R"({"corner":"center","x":1e9,"y":1})"}) {
        writeFile(memory.file(), text);
        EXPECT_FALSE(memory.recall()) << text;
    }
}

} // namespace
