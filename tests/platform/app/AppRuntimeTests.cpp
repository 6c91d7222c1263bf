#include "platform/app/AppOptions.h"
#include "platform/app/ObservedObject.h"
#include "platform/app/WindowContent.h"
#include "platform/combine/Published.h"
#include "platform/dispatch/DispatchQueue.h"
#include "platform/foundation/Bundle.h"
#include "platform/ui/Button.h"
#include "platform/ui/DisplayList.h"
#include "platform/ui/Stack.h"
#include "platform/ui/Text.h"
#include "tests/support/TemporaryDirectory.h"
#include "tests/support/TestFiles.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using namespace platform::ui;
using namespace platform::app;
using platform::dispatch::DispatchQueue;
using platform::foundation::Bundle;

TEST(AppOptions, ReadsTheCommandLineAndNamesWhatItCannot) {
    const std::string seconds = "--timeout needs a number of seconds, 0 or more";
    const std::string scale = "--scale needs a number above 0, up to 8";
    const std::string render = "--render needs the path of a picture to write";
    struct Case {
        std::vector<std::string_view> args;
        std::string parsed; // what to do, the picture, the time-out and the scale; or the error
    } cases[] = {
        {{}, "run - 5s x1"},
        {{"-h"}, "help - 5s x1"},
        {{"--version"}, "version - 5s x1"},
        {{"--render", "out/app.png"}, "run out/app.png 5s x1"},
        {{"--render=a b.svg", "--scale", "2", "--timeout=0.5"}, "run a b.svg 0.5s x2"},
        {{"--timeout", "0"}, "run - 0s x1"},
        {{"--render"}, render},
        {{"--render="}, render},
        {{"--timeout", "-1"}, seconds},
        {{"--timeout", "5s"}, seconds},
        {{"--timeout", "inf"}, seconds},
        {{"--timeout"}, seconds},
        {{"--scale", "0"}, scale},
        {{"--scale", "100"}, scale},
        {{"--frobnicate"}, "unknown argument: --frobnicate"},
        {{"file.png"}, "unknown argument: file.png"},
        {{"--help=yes"}, "unknown argument: --help=yes"},
    };
    for (const auto& c : cases) {
        auto options = parseAppOptions(c.args);
        std::ostringstream parsed;
        if (options) {
            const char* actions[] = {"run", "help", "version"};
            parsed << actions[int(options->action)] << ' ' << options->render.value_or("-").string()
                   << ' ' << options->timeout << "s x" << options->scale;
        }
        EXPECT_EQ(options ? parsed.str() : options.error(), c.parsed);
    }
}

TEST(Bundle, InfoKeysAreTheBuildsAndItsResourcesPlainFilesBesideTheProgram) {
    const auto& bundle = Bundle::main();
    EXPECT_EQ(bundle.object("CFBundleShortVersionString"), EXPECTED_VERSION);
    EXPECT_EQ(bundle.object("CFBundleVersion"), EXPECTED_VERSION);
    EXPECT_EQ(bundle.object("CFBundleName"), EXPECTED_NAME);
    EXPECT_EQ(bundle.bundleIdentifier(), EXPECTED_IDENTIFIER);
    EXPECT_EQ(bundle.object("CFBundleExecutable"), "app_runtime_tests");
    EXPECT_EQ(bundle.object("NoSuchKey"), std::nullopt);

    auto probe = bundle.path("probe", "txt");
    EXPECT_EQ(probe, fs::read_symlink("/proc/self/exe").parent_path() / "Resources/probe.txt");
    EXPECT_EQ(trelvo::test::readFile(probe.value_or("")), "bundled probe\n");
    for (auto [name, type] : {std::pair{"missing", "svg"},
                              {"probe", ""},
                              {"probe", "png"},
                              {"../Resources/probe", "txt"},
                              {"..", ""},
                              {".", "txt"},
                              {"", "txt"},
                              {"probe", "txt/.."}}) {
        EXPECT_EQ(bundle.path(name, type), std::nullopt) << name << " . " << type;
    }
}

TEST(Bundle, ResourcesBesideABuildTreeProgramComeBeforeTheInstalledOnes) {
    trelvo::test::TemporaryDirectory root;
    const auto program = root.path() / "bin/TrelvoResults";
    const auto built = root.path() / "bin/Resources";
    const auto installed = root.path() / "share" / EXPECTED_IDENTIFIER;
    EXPECT_EQ(Bundle::forExecutable(program).resourceURL(), std::nullopt);
    fs::create_directories(installed);
    trelvo::test::writeFile(installed / "trelvo.svg", "<svg/>");
    EXPECT_EQ(Bundle::forExecutable(program).path("trelvo", "svg"), installed / "trelvo.svg");
    fs::create_directories(built);
    EXPECT_EQ(Bundle::forExecutable(program).resourceURL(), built);
    EXPECT_EQ(Bundle::forExecutable(program).object("CFBundleExecutable"), "TrelvoResults");
    // Never resolved against the working directory, whatever it holds.
    EXPECT_EQ(Bundle::forExecutable("bin/TrelvoResults").resourceURL(), std::nullopt);
}

struct Counter : platform::combine::ObservableObject {
    platform::combine::Published<int> value{*this, 0};
};

// A bar per count above a button that adds one: the content's size follows the count.
struct CounterView {
    ObservedObject<Counter> counter;

    View body() const {
        std::vector<View> bars(std::size_t(counter->value.get()), View(Color::blue).frame(50, 10));
        bars.push_back(Button([c = counter.object()] { c->value = c->value + 1; },
                              View(Color::red).frame(50, 20)));
        return VStack(HorizontalAlignment::center, 0.0, bars);
    }
};

TEST(WindowContent, RedrawsOnceAMainQueueTurnAfterAChangeToWhatItsLayoutRead) {
    auto shown = std::make_shared<Counter>(), other = std::make_shared<Counter>();
    std::vector<int> redraws; // the count each redraw saw
    auto content = std::make_unique<WindowContent>(CounterView{shown},
                                                   [&] { redraws.push_back(shown->value); });
    auto before = content->idealSize();
    content->layout({200, 200});
    other->value = 5; // never read by the content
    DispatchQueue::main().async([&] {
        shown->value = 1;
        shown->value = 2; // one redraw for both, once the value is stored
    });
    DispatchQueue::main().drain(); // the changes
    DispatchQueue::main().drain(); // the redraw they queued
    EXPECT_EQ(redraws, std::vector<int>{2});
    EXPECT_EQ(content->idealSize().height, before.height + 20);

    shown->value = 3; // queues a redraw for a window...
    content.reset();  // ...that is gone before it runs
    DispatchQueue::main().drain();
    EXPECT_EQ(redraws, std::vector<int>{2});
}

TEST(WindowContent, AppearActionsRunOnceOutermostFirstOnceLaidOut) {
    std::vector<std::string> ran;
    auto inner = View(Color::blue).frame(10, 10).onAppear([&] { ran.push_back("inner"); });
    WindowContent content(VStack{inner}.onAppear([&] { ran.push_back("outer"); }), [] {});
    content.appear(); // nothing laid out yet: nothing on screen
    EXPECT_FALSE(content.hasAppeared());
    for (int frame = 0; frame < 2; ++frame) {
        content.layout({100, 100});
        content.appear();
    }
    EXPECT_EQ(ran, (std::vector<std::string>{"outer", "inner"}));
}

TEST(WindowContent, ClicksReachTheButtonUnderThePointerOnly) {
    auto counter = std::make_shared<Counter>();
    WindowContent content(CounterView{counter}, [] {});
    EXPECT_FALSE(content.click({150, 150})); // nothing laid out yet
    content.layout({300, 300});              // the 50 × 20 label in its bezel, 66 × 26, centred
    for (auto [x, y, hits] : {std::tuple{150.0, 150.0, true},
                              {117.5, 137.5, true},
                              {150.0, 136.0, false},
                              {116.0, 150.0, false},
                              {0.0, 0.0, false}}) {
        EXPECT_EQ(content.click({x, y}), hits) << x << "," << y;
    }
    EXPECT_EQ(counter->value.get(), 2);
}

struct Offer : platform::combine::ObservableObject {
    platform::combine::Published<std::string> version{*this, "0"};
};

// An update button while the offer differs from "1.0", a button that draws nothing (moved by a
// geometry that is not finite) and a quit button; each press is recorded.
struct Window {
    std::shared_ptr<Offer> offer = std::make_shared<Offer>();
    std::vector<std::string> pressed;
    WindowContent content{Panel{offer, this}, [this] { content.layout({300, 200}); }};

    struct Panel {
        ObservedObject<Offer> offer;
        Window* window;
        View button(const std::string& name, const std::string& label) const {
            return Button([w = window, name] { w->pressed.push_back(name); },
                          Text::verbatim(label));
        }
        View body() const {
            const std::string version = offer->version;
            return VStack{Text::verbatim("current: 1.0"),
                          version != "1.0" ? button("update", "update to " + version) : View(),
                          button("hidden", "hidden").offset(NAN, 0), button("quit", "quit")};
        }
    };

    Window() { content.layout({300, 200}); }
    // What Return runs: the pressed button's name, or "" when none runs.
    std::string press() {
        const auto before = pressed.size();
        return content.activateFocus() && pressed.size() > before ? pressed.back() : "";
    }
    long ringStrokes(bool windowFocused) const {
        DisplayList list;
        content.draw(list, windowFocused);
        return std::ranges::count_if(list.items(DisplayItem::Kind::stroke), [](auto& item) {
            return std::get<Color>(item.paint) == focusRingColor;
        });
    }
};

// Tab and Shift+Tab visit the visible buttons in order and leave the content past either end;
// Return runs the focused one.
TEST(Keyboard, TabAndShiftTabVisitTheVisibleButtonsInOrderAndLeaveTheContentPastEitherEnd) {
    using enum FocusDirection;
    struct Step {
        FocusDirection direction;
        bool staysInside;
        std::string pressed; // what Return then runs
    };
    const std::pair<const char*, std::vector<Step>> cases[] = {
        {"Tab, and round again",
         {{forward, true, "update"},
          {forward, true, "quit"},
          {forward, false, ""},
          {forward, true, "update"}}},
        {"Shift+Tab",
         {{backward, true, "quit"}, {backward, true, "update"}, {backward, false, ""}}},
    };
    for (const auto& [name, steps] : cases) {
        SCOPED_TRACE(name);
        Window window;
        EXPECT_EQ(window.press(), "") << "nothing is focused before the first Tab";
        for (const auto& step : steps) {
            EXPECT_EQ(window.content.moveFocus(step.direction), step.staysInside);
            EXPECT_EQ(window.press(), step.pressed);
        }
    }
}

// The focus stays on its button across the redraws an observed change makes and goes with it;
// its ring is drawn only while the window has the focus.
TEST(Keyboard, FocusAndItsRingFollowTheButtonAcrossRedrawsWhileTheWindowHasFocus) {
    Window window;
    EXPECT_EQ(window.ringStrokes(true), 0) << "nothing focused yet";
    window.content.moveFocus(FocusDirection::forward);
    EXPECT_EQ(window.ringStrokes(true), 1);
    EXPECT_EQ(window.ringStrokes(false), 0) << "another window is active";
    for (auto [offered, pressed] : {std::pair{"9.9.9", "update"}, {"1.0", ""}}) {
        window.offer->version = offered; // the same button with a new label, then none
        DispatchQueue::main().drain();   // the redraw the change queued
        EXPECT_EQ(window.press(), pressed) << "focus must not jump to the button in its place";
    }
    EXPECT_TRUE(window.content.moveFocus(FocusDirection::forward));
    EXPECT_EQ(window.press(), "quit");
}

} // namespace
