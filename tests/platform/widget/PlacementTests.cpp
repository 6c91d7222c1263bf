#include "platform/widget/HostOptions.h"
#include "platform/widget/PlaceMemory.h"
#include "platform/widget/PlaceRegistry.h"
#include "platform/widget/Placement.h"
#include "tests/support/TemporaryDirectory.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>
#include <set>
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
    const Monitor dp2{"DP-2", area, false};
    EXPECT_EQ(placeOfFrame({20, 600, 170, 170}, dp2), (Place{"DP-2", Corner::bottomLeft, 20, 30}));
    EXPECT_EQ(placeOfFrame({700, 40, 170, 170}, dp2), (Place{"DP-2", Corner::topRight, 410, 8}));
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
        std::vector<std::string> args;
        std::optional<Place> remembered;
        StartingPlace start;
    } cases[] = {
        {"nothing kept", {}, {}, {{"", Corner::topRight, 16, 16}, true, 16}},
        {"kept, taken as it is", {}, remembered, {remembered, false, 16}},
        {"a margin asked", {"--margin", "0"}, remembered, {{"", Corner::topRight, 0, 0}, true, 0}},
        {"a corner and monitor asked",
         {"--position=bottom-right", "--monitor", "DP-1"},
         remembered,
         {{"DP-1", Corner::bottomRight, 16, 16}, true, 16}},
        {"the centre",
         {"--position", "center", "--margin=40"},
         {},
         {{"", Corner::center, 0, 0}, true, 40}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto start = startingPlace(parseHostOptions(c.args).value().placement, c.remembered);
        EXPECT_EQ(std::tie(start.place, start.stack, start.margin),
                  std::tie(c.start.place, c.start.stack, c.start.margin));
    }
    const std::vector<Monitor> monitors{{"DP-1", area, false}, {"HDMI-1", area, true}};
    EXPECT_EQ(monitorFor({"DP-1"}, monitors)->name, "DP-1");
    EXPECT_EQ(monitorFor({"gone"}, monitors)->name, "HDMI-1"); // unplugged: the primary
    EXPECT_FALSE(monitorFor({}, {}));
}

TEST(PlaceRegistry, SeesTheLiveWidgetsOnItsMonitorAndForgetsTheGone) {
    TemporaryDirectory folder;
    const std::string gone = "4194305"; // above any process id Linux hands out
    writeFile(folder.path() / gone, "0 0 170 170\nDP-1\nA\n");
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
        EXPECT_FALSE(std::filesystem::exists(folder.path() / gone));
        std::multiset<std::string> kinds;
        for (const auto& holder : PlaceRegistry::holders(folder.path())) {
            kinds.insert(holder.kind);
        }
        EXPECT_EQ(kinds, (std::multiset<std::string>{"B", "C", "Ours"}));
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
