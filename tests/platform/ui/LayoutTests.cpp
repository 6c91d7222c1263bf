#include "platform/ui/Button.h"
#include "platform/ui/DisplayList.h"
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

struct PlacementCase {
    const char* name;
    Alignment alignment;
    Point origin;
};

void PrintTo(const PlacementCase& c, std::ostream* os) {
    *os << c.name;
}

class FramePlacement : public testing::TestWithParam<PlacementCase> {};

TEST_P(FramePlacement, PutsTheChildAtItsAlignment) {
    const auto root =
        layout(View(Color::red).frame(20, 10).frame(100, 50, GetParam().alignment), {});
    EXPECT_EQ(root.children.at(0).frame.origin, GetParam().origin);
}

INSTANTIATE_TEST_SUITE_P(Alignments, FramePlacement,
                         testing::Values(PlacementCase{"center", Alignment::center, {40, 20}},
                                         PlacementCase{"topLeading", Alignment::topLeading, {0, 0}},
                                         PlacementCase{
                                             "bottomTrailing", Alignment::bottomTrailing, {80, 40}},
                                         PlacementCase{"top", Alignment::top, {40, 0}},
                                         PlacementCase{"trailing", Alignment::trailing, {80, 20}}),
                         [](const auto& info) { return std::string(info.param.name); });

const DisplayItem& only(const DisplayList& list, DisplayItem::Kind kind) {
    static DisplayItem none;
    const auto& items = list.items();
    for (const auto& item : items) {
        if (item.kind == kind) {
            return item;
        }
    }
    ADD_FAILURE() << "nothing of that kind was drawn";
    return none;
}

TEST(Layout, OffsetMovesTheDrawingButNotTheNeighbours) {
    const auto list =
        record(VStack{Circle().frame(10, 10).offset(30, 50).foregroundColor(Color::red),
                      Circle().frame(10, 10).foregroundColor(Color::blue)},
               Size{10, 28});
    ASSERT_EQ(list.items().size(), 2u);
    EXPECT_EQ(list.items()[0].centerInRoot(), (Point{5 + 30, 5 + 50}));
    EXPECT_EQ(list.items()[1].centerInRoot(), (Point{5, 18 + 5}));
}

TEST(Layout, RotationTurnsAboutTheCentreOfTheLayoutFrame) {
    const auto list =
        record(Rectangle().frame(100, 20).rotationEffect(Angle::degrees(90)), Size{100, 20});
    const auto& rect = only(list, DisplayItem::Kind::fill);
    const Point corner = rect.toRoot({0, 0});
    const Point middle = rect.toRoot({50, 10});
    EXPECT_NEAR(middle.x, 50, 1e-9);
    EXPECT_NEAR(middle.y, 10, 1e-9);
    EXPECT_NEAR(corner.x, 60, 1e-9);
    EXPECT_NEAR(corner.y, -40, 1e-9);
}

TEST(Layout, RotationAboutAnAnchor) {
    const auto list = record(
        Rectangle().frame(100, 20).rotationEffect(Angle::degrees(180), UnitPoint::topLeading),
        Size{100, 20});
    const Point far = only(list, DisplayItem::Kind::fill).toRoot({100, 20});
    EXPECT_NEAR(far.x, -100, 1e-9);
    EXPECT_NEAR(far.y, -20, 1e-9);
}

TEST(Layout, BackgroundFillsTheContentsFrameBehindIt) {
    const auto list =
        record(Circle().frame(30, 20).padding(5.0).background(Color::white), Size{40, 30});
    ASSERT_EQ(list.items().size(), 2u);
    EXPECT_EQ(std::get<Color>(list.items()[0].paint), Color::white);
    EXPECT_EQ(list.items()[0].path, Path::rect({{0, 0}, {40, 30}}));
}

TEST(Layout, FlexibleFrameFillsTheAreaAndCentresItsContent) {
    const auto root = layoutCentered(
        VStack{Text::verbatim("10")}.frame({.maxWidth = INFINITY, .maxHeight = INFINITY}),
        {364, 170});
    EXPECT_EQ(root.frame, (Rect{{0, 0}, {364, 170}}));
    const auto& stack = root.children.at(0);
    EXPECT_NEAR(stack.frame.midX(), 182, 1e-9);
    EXPECT_NEAR(stack.frame.midY(), 85, 1e-9);
}

TEST(Layout, StackGivesTheFlexibleChildWhatTheFixedOnesLeave) {
    const auto root =
        layout(VStack{View(Color::red), View(Color::blue).frame(10, 30)}, Size{50, 100});
    EXPECT_EQ(root.children.at(1).frame.size, (Size{10, 30}));
    EXPECT_EQ(root.children.at(0).frame.size, (Size{50, 100 - 30 - 8}));
    EXPECT_EQ(root.frame.size, (Size{50, 100}));
}

TEST(Layout, CircleIsInscribedAndScaledAboutItsCentre) {
    const auto list = record(Circle().scale(0.5).stroke(Color::red, 15), Size{350, 200});
    const auto* arc = only(list, DisplayItem::Kind::stroke).path.firstArc();
    ASSERT_NE(arc, nullptr);
    EXPECT_EQ(arc->center, (Point{175, 100}));
    EXPECT_EQ(arc->radius, 50);
    EXPECT_EQ(arc->startAngle, 0) << "the outline starts at three o'clock";
}

TEST(Layout, TrimWithNothingLeftDrawsNothing) {
    for (auto [from, to] : {std::pair{0.0, 0.0}, {0.5, 0.2}, {0.0, -0.3}}) {
        const auto list = record(Circle().trim(from, to).stroke(Color::red, 2), Size{50, 50});
        EXPECT_TRUE(list.items().empty()) << from << " to " << to;
    }
}

TEST(Layout, StrokeStyleDefaults) {
    const auto list =
        record(Circle().stroke(Color::red, StrokeStyle{.lineWidth = 3}), Size{50, 50});
    const auto& style = only(list, DisplayItem::Kind::stroke).strokeStyle;
    EXPECT_EQ(style.lineCap, LineCap::butt);
    EXPECT_EQ(style.lineJoin, LineJoin::miter);
    EXPECT_EQ(style.miterLimit, 10);
    EXPECT_TRUE(style.dash.empty());
}

TEST(Layout, ForegroundColourFillsAShapePrimaryByDefault) {
    EXPECT_EQ(std::get<Color>(only(record(Circle(), Size{10, 10}), DisplayItem::Kind::fill).paint),
              Color::primary);
    EXPECT_EQ(std::get<Color>(only(record(Circle().foregroundColor(Color::pink), Size{10, 10}),
                                   DisplayItem::Kind::fill)
                                  .paint),
              Color::pink);
}

TEST(Layout, CompositeViewsLayOutTheirBody) {
    struct Badge {
        double side;
        View body() const { return Circle().frame(side, side); }
    };
    EXPECT_EQ(idealSize(Badge{24}), (Size{24, 24}));
    EXPECT_EQ(idealSize(VStack{Badge{10}, Badge{20}}), (Size{20, 38}));
}

// --- Hit testing -----------------------------------------------------------------------------

struct Clicks {
    int first = 0;
    int second = 0;
};

TEST(HitTest, FindsTheButtonUnderThePoint) {
    Clicks clicks;
    const auto root =
        layoutCentered(VStack{Button([&] { ++clicks.first; }, View(Color::red).frame(40, 20)),
                              Button([&] { ++clicks.second; }, View(Color::red).frame(40, 20))},
                       {100, 100});
    const auto& top = root.children.at(0);
    const Point inFirst{root.frame.minX() + top.frame.midX(), root.frame.minY() + top.frame.midY()};
    const auto hit = buttonActionAt(root, inFirst);
    ASSERT_TRUE(hit.has_value());
    (*hit)();
    EXPECT_EQ(clicks.first, 1);
    const auto& bottom = root.children.at(1);
    (*buttonActionAt(root, {root.frame.minX() + bottom.frame.midX(),
                            root.frame.minY() + bottom.frame.midY()}))();
    EXPECT_EQ(clicks.second, 1);
    EXPECT_FALSE(buttonActionAt(root, {1, 1}).has_value());
    EXPECT_FALSE(buttonActionAt(root, {root.frame.minX() + top.frame.midX(),
                                       root.frame.minY() + top.frame.maxY() + 4})
                     .has_value())
        << "the gap between the buttons";
}

TEST(HitTest, TheTopmostButtonWinsAndMovedDrawingMovesTheTarget) {
    Clicks clicks;
    const auto root = layout(
        ZStack{Button([&] { ++clicks.first; }, View(Color::red).frame(50, 50)),
               Button([&] { ++clicks.second; }, View(Color::red).frame(10, 10)).offset(100, 0)},
        {});
    (*buttonActionAt(root, {33, 33}))();
    EXPECT_EQ(clicks.first, 1) << "only the lower button is under this point";
    const auto moved = buttonActionAt(root, {133, 33});
    ASSERT_TRUE(moved.has_value());
    (*moved)();
    EXPECT_EQ(clicks.second, 1);
}

TEST(HitTest, HiddenButtonsAreNotHit) {
    const auto root = layout(Button([] {}, View(Color::red).frame(50, 50)).offset(NAN, 0), {});
    EXPECT_FALSE(buttonActionAt(root, {25, 25}).has_value());
}

TEST(Appear, ActionsAreCollectedOutermostFirst) {
    std::vector<int> order;
    const auto root =
        layout(VStack{Text::verbatim("a").onAppear([&] { order.push_back(2); })}.padding().onAppear(
                   [&] { order.push_back(1); }),
               {});
    for (const auto& action : appearActions(root)) {
        action();
    }
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

} // namespace
} // namespace platform::ui
