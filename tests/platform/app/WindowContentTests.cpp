#include "platform/app/ObservedObject.h"
#include "platform/app/WindowContent.h"
#include "platform/combine/Published.h"
#include "platform/dispatch/DispatchQueue.h"
#include "platform/ui/Button.h"
#include "platform/ui/Stack.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace platform::ui;
using platform::app::ObservationScope;
using platform::app::ObservedObject;
using platform::app::WindowContent;
using platform::combine::ObservableObject;
using platform::combine::Published;
using platform::dispatch::DispatchQueue;

namespace {

struct Counter : ObservableObject {
    Published<int> value{*this, 0};
};

// Shows a bar per count, so the content's size follows the observed value.
struct CounterView {
    ObservedObject<Counter> counter;

    View body() const {
        std::vector<View> bars;
        for (int i = 0; i < counter->value; ++i) {
            bars.push_back(View(Color::blue).frame(50, 10));
        }
        bars.push_back(Button([c = counter.object()] { c->value = c->value + 1; },
                              View(Color::red).frame(50, 20)));
        return VStack(HorizontalAlignment::center, 0.0, bars);
    }
};

std::optional<Rect> buttonFrame(const LayoutNode& node, Point origin = {}) {
    Point here{origin.x + node.frame.origin.x, origin.y + node.frame.origin.y};
    if (node.action) {
        return Rect{here, node.frame.size};
    }
    for (const auto& child : node.children) {
        if (auto found = buttonFrame(child, here)) {
            return found;
        }
    }
    return std::nullopt;
}

} // namespace

TEST(WindowContent, RedrawsAfterAnObservedChangeIsStoredOncePerMainQueueTurn) {
    auto counter = std::make_shared<Counter>();
    std::vector<int> seenAtRedraw;
    WindowContent content(CounterView{counter}, [&] { seenAtRedraw.push_back(counter->value); });
    auto before = content.idealSize();

    DispatchQueue::main().async([&] {
        counter->value = 1;
        counter->value = 2; // one redraw for both
    });
    DispatchQueue::main().drain(); // the assignments
    DispatchQueue::main().drain(); // the redraw they queued

    EXPECT_EQ(seenAtRedraw, (std::vector<int>{2}));
    EXPECT_GT(content.idealSize().height, before.height);
}

TEST(WindowContent, WatchesOnlyWhatTheLastLayoutRead) {
    auto shown = std::make_shared<Counter>();
    auto other = std::make_shared<Counter>();
    int redraws = 0;
    WindowContent content(CounterView{shown}, [&] { ++redraws; });
    content.layout({200, 200});

    other->value = 5; // never read by the content
    DispatchQueue::main().drain();
    EXPECT_EQ(redraws, 0);

    shown->value = 1;
    DispatchQueue::main().drain();
    EXPECT_EQ(redraws, 1);
}

TEST(WindowContent, StopsWatchingWhenDestroyed) {
    auto counter = std::make_shared<Counter>();
    int redraws = 0;
    {
        WindowContent content(CounterView{counter}, [&] { ++redraws; });
        content.layout({200, 200});
        counter->value = 1; // queued a redraw...
    }                       // ...that must not reach a window that is gone
    counter->value = 2;
    DispatchQueue::main().drain();
    EXPECT_EQ(redraws, 0);
}

TEST(WindowContent, AppearActionsRunOnceOutermostFirstAfterTheFirstLayout) {
    std::vector<std::string> ran;
    auto view = VStack{View(Color::blue).frame(10, 10).onAppear([&] {
                    ran.push_back("inner");
                })}.onAppear([&] { ran.push_back("outer"); });
    WindowContent content(view, [] {});

    content.appear(); // nothing laid out yet: nothing on screen
    EXPECT_TRUE(ran.empty());
    content.layout({100, 100});
    content.appear();
    content.layout({100, 100});
    content.appear();

    EXPECT_EQ(ran, (std::vector<std::string>{"outer", "inner"}));
    EXPECT_TRUE(content.hasAppeared());
}

TEST(WindowContent, ClicksReachTheButtonUnderThePointerOnly) {
    auto counter = std::make_shared<Counter>();
    WindowContent content(CounterView{counter}, [] {});
    const auto& tree = content.layout({300, 300});
    auto button = buttonFrame(tree);
    ASSERT_TRUE(button);

    struct Case {
        const char* where;
        Point point;
        bool hits;
    } cases[] = {
        {"centre", button->center(), true},
        {"just inside", {button->minX() + 0.5, button->minY() + 0.5}, true},
        {"above", {button->midX(), button->minY() - 1}, false},
        {"left of it", {button->minX() - 1, button->midY()}, false},
        {"window corner", {0, 0}, false},
    };
    int expected = 0;
    for (auto c : cases) {
        EXPECT_EQ(content.click(c.point), c.hits) << c.where;
        expected += c.hits ? 1 : 0;
    }
    EXPECT_EQ(counter->value.get(), expected);
}

TEST(ObservationScope, RecordsReadsInsideItOnceAndHandsThemOutward) {
    auto first = std::make_shared<Counter>();
    auto second = std::make_shared<Counter>();
    ObservedObject<Counter> a(first);
    ObservedObject<Counter> b(second);

    (void)a->value; // outside any scope: nobody records it
    ObservationScope outer;
    (void)a->value;
    {
        ObservationScope inner;
        (void)b->value;
        (void)a->value;
        (void)b->value;
        EXPECT_EQ(inner.observed().size(), 2u);
    }
    (void)a.object()->value; // reading past the wrapper observes nothing

    ASSERT_EQ(outer.observed().size(), 2u);
    EXPECT_EQ(outer.observed()[0], first);
    EXPECT_EQ(outer.observed()[1], second);
}
