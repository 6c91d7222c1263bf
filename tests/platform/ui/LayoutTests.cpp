#include "platform/ui/Layout.h"
#include "platform/ui/Render.h"
#include "platform/ui/Shape.h"
#include "platform/ui/Stack.h"
#include "platform/ui/Text.h"

#include <cmath>
#include <gtest/gtest.h>

namespace platform::ui {
namespace {

struct SizeCase {
    const char* name;
    View view;
    ProposedSize proposal;
    Size expected;
};

void PrintTo(const SizeCase& c, std::ostream* os) {
    *os << c.name;
}

class LayoutSize : public testing::TestWithParam<SizeCase> {};

TEST_P(LayoutSize, ChoosesTheExpectedSize) {
    const auto& c = GetParam();
    EXPECT_EQ(layout(c.view, c.proposal).frame.size, c.expected);
}

const SizeCase sizeCases[] = {
    {"fixed frame ignores the proposal", View(Color::red).frame(40, 30), Size{200, 200}, {40, 30}},
    {"fixed width keeps the proposed height",
     View(Color::red).frame(40, std::nullopt),
     Size{200, 100},
     {40, 100}},
    {"infinite maxima fill the proposal",
     Circle().frame(20, 20).frame({.maxWidth = INFINITY, .maxHeight = INFINITY}),
     Size{170, 120},
     {170, 120}},
    {"infinite maxima take the child's size when nothing is proposed",
     Circle().frame(20, 20).frame({.maxWidth = INFINITY, .maxHeight = INFINITY}),
     ProposedSize::unspecified(),
     {20, 20}},
    {"a minimum widens a small child",
     Circle().frame(20, 20).frame({.minWidth = 50}),
     Size{170, 120},
     {50, 20}},
    {"a maximum narrows a large proposal",
     View(Color::red).frame({.maxWidth = 60}),
     Size{170, 120},
     {60, 120}},
    {"padding of a length adds it on every edge",
     View(Color::red).frame(10, 10).padding(2.0),
     Size{100, 100},
     {14, 14}},
    {"default padding is 16", View(Color::red).frame(10, 10).padding(), Size{100, 100}, {42, 42}},
    {"padding on some edges",
     View(Color::red).frame(10, 10).padding(Edge::horizontal, 5),
     Size{100, 100},
     {20, 10}},
    {"vertical stack adds 8 between children",
     VStack{View(Color::red).frame(10, 10), View(Color::red).frame(30, 20)},
     Size{100, 100},
     {30, 38}},
    {"empty views take no place in a stack",
     VStack{View(Color::red).frame(10, 10), View(), View(Color::red).frame(30, 20)},
     Size{100, 100},
     {30, 38}},
    {"given spacing",
     VStack(HorizontalAlignment::center, 2.0,
            {View(Color::red).frame(10, 10), View(Color::red).frame(30, 20)}),
     Size{100, 100},
     {30, 32}},
    {"depth stack takes its largest child",
     ZStack{View(Color::red).frame(10, 40), View(Color::red).frame(30, 20)},
     Size{100, 100},
     {30, 40}},
    {"offset does not move layout",
     View(Color::red).frame(10, 10).offset(50, 50),
     Size{100, 100},
     {10, 10}},
    {"a circle takes the proposal", Circle(), Size{64, 32}, {64, 32}},
};

INSTANTIATE_TEST_SUITE_P(Cases, LayoutSize, testing::ValuesIn(sizeCases), [](const auto& info) {
    std::string name = info.param.name;
    for (auto& ch : name) {
        if (!std::isalnum(static_cast<unsigned char>(ch))) {
            ch = '_';
        }
    }
    return name;
});

TEST(Layout, StackCentresChildrenAcrossAndPlacesThemInOrder) {
    const auto root =
        layout(VStack{View(Color::red).frame(10, 10), View(Color::blue).frame(30, 20)},
               ProposedSize::unspecified());
    ASSERT_EQ(root.children.size(), 2u);
    EXPECT_EQ(root.children[0].frame.origin, (Point{10, 0}));
    EXPECT_EQ(root.children[1].frame.origin, (Point{0, 18}));
}

TEST(Layout, LayoutCentredPutsTheRootInTheMiddleOfTheArea) {
    const auto root = layoutCentered(View(Color::red).frame(350, 350), {170, 170});
    EXPECT_EQ(root.frame.origin, (Point{-90, -90}));
}

} // namespace
} // namespace platform::ui
