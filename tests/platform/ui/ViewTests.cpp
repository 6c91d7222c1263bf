#include "platform/ui/Button.h"
#include "platform/ui/Layout.h"
#include "platform/ui/Render.h"
#include "platform/ui/Resources.h"
#include "platform/ui/Shape.h"
#include "platform/ui/Stack.h"
#include "platform/ui/Text.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

namespace platform::ui {
namespace {

const double nan = NAN, inf = INFINITY;

std::string num(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", std::round(v * 1000) / 1000 + 0.0);
    return text;
}

// Each drawn node in drawing order with its frame's origin in root coordinates, so a failing case
// names what moved: "; fill 10,0 10x10 turned 90".
void drawn(const LayoutNode& node, const Transform& toRoot, std::string& out) {
    const Transform t = node.toParent().then(toRoot);
    const auto* shape = std::get_if<ShapeContent>(&node.content);
    if (shape && !shape->path.isEmpty()) {
        const auto turn =
            std::fmod(std::round(std::atan2(t.b, t.a) * 180 / std::numbers::pi) + 360, 360);
        out += std::string("; ") + (shape->fill ? "fill " : "stroke ") + num(t.tx) + "," +
               num(t.ty) + " " + num(node.frame.size.width) + "x" + num(node.frame.size.height) +
               (turn == 0 ? "" : " turned " + num(turn));
    }
    for (const auto& child : node.children) {
        if (child.visible) {
            drawn(child, t, out);
        }
    }
}

// The root's size, then what it draws where.
std::string dump(const View& view, ProposedSize proposal) {
    const auto root = layout(view, proposal);
    std::string out = num(root.frame.size.width) + "x" + num(root.frame.size.height);
    drawn(root, {}, out);
    return out;
}

const auto box = [](double w, double h) { return View(Color::red).frame(w, h); };
const auto dot = [](double side) { return Circle().frame(side, side); };

struct Badge {
    double side;
    View body() const { return dot(side); }
};

TEST(Layout, ParentsProposeChildrenChooseAndParentsPlaceThem) {
    const ProposedSize none = ProposedSize::unspecified();
    const Size s100{100, 100}, wide{170, 120};
    const FlexibleFrame fill{.maxWidth = inf, .maxHeight = inf};
    struct Case {
        const char* name;
        View view;
        ProposedSize proposal;
        const char* expected;
    } const cases[] = {
        {"fixed frame", box(40, 30), s100, "40x30; fill 0,0 40x30"},
        {"one fixed side", View(Color::red).frame(40, std::nullopt), s100,
         "40x100; fill 0,0 40x100"},
        {"infinite maxima", dot(20).frame(fill), wide, "170x120; fill 75,50 20x20"},
        {"infinite maxima unproposed", dot(20).frame(fill), none, "20x20; fill 0,0 20x20"},
        {"a minimum", dot(20).frame({.minWidth = 50}), wide, "50x20; fill 15,0 20x20"},
        {"a maximum", View(Color::red).frame({.maxWidth = 60}), wide, "60x120; fill 0,0 60x120"},
        {"padding", box(10, 10).padding(2.0), s100, "14x14; fill 2,2 10x10"},
        {"default padding", box(10, 10).padding(), none, "42x42; fill 16,16 10x10"},
        {"padding some edges", box(10, 10).padding(Edge::horizontal, 5), none,
         "20x10; fill 5,0 10x10"},
        {"stack", VStack{box(10, 10), box(30, 20)}, s100,
         "30x38; fill 10,0 10x10; fill 0,18 30x20"},
        {"empty views", VStack{box(10, 10), View(), box(30, 20)}, none,
         "30x38; fill 10,0 10x10; fill 0,18 30x20"},
        {"given spacing", VStack(HorizontalAlignment::leading, 2.0, {box(10, 10), box(30, 20)}),
         none, "30x32; fill 0,0 10x10; fill 0,12 30x20"},
        {"row", HStack(VerticalAlignment::top, 4.0, {box(10, 10), box(20, 30)}), none,
         "34x30; fill 0,0 10x10; fill 14,0 20x30"},
        {"flexible child", VStack{View(Color::red), box(10, 30)}, Size{50, 100},
         "50x100; fill 0,0 50x62; fill 20,70 10x30"},
        {"depth", ZStack{box(10, 40), box(30, 20)}, none,
         "30x40; fill 10,0 10x40; fill 0,10 30x20"},
        {"centred", box(20, 10).frame(100, 50), none, "100x50; fill 40,20 20x10"},
        {"top leading", box(20, 10).frame(100, 50, Alignment::topLeading), none,
         "100x50; fill 0,0 20x10"},
        {"bottom trailing", box(20, 10).frame(100, 50, Alignment::bottomTrailing), none,
         "100x50; fill 80,40 20x10"},
        {"offset", VStack{dot(10).offset(30, 50), dot(10)}, none,
         "10x28; fill 30,50 10x10; fill 0,18 10x10"},
        {"hidden", VStack{dot(10).offset(nan, 0), dot(10)}, none, "10x28; fill 0,18 10x10"},
        {"rotation", Rectangle().frame(100, 20).rotationEffect(Angle::degrees(90)), none,
         "100x20; fill 60,-40 100x20 turned 90"},
        {"rotation about an anchor",
         Rectangle().frame(100, 20).rotationEffect(Angle::degrees(180), UnitPoint::topLeading),
         none, "100x20; fill 0,0 100x20 turned 180"},
        {"background", dot(20).padding(5.0).background(Color::white), none,
         "30x30; fill 0,0 30x30; fill 5,5 20x20"},
        {"circle", Circle(), Size{64, 32}, "64x32; fill 0,0 64x32"},
        {"composite", VStack{Badge{10}, Badge{20}}, none, "20x38; fill 5,0 10x10; fill 0,18 20x20"},
        {"button", Button([] {}, box(40, 20)), none,
         "56x26; fill 0,0 56x26; stroke 0,0 56x26; fill 8,3 40x20"},
        {"trimmed away", Circle().trim(0.5, 0.2).stroke(Color::red, 2), s100, "100x100"},
        {"trimmed below zero", Circle().trim(0, -0.3).stroke(Color::red, 2), s100, "100x100"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(dump(c.view, c.proposal), c.expected) << c.name;
    }
    EXPECT_EQ(layoutCentered(box(350, 350), {170, 170}).frame.origin, (Point{-90, -90}));
}

TEST(Layout, ShapesAreDrawnInTheirOwnOrInheritedColour) {
    EXPECT_EQ(record(Circle().scale(0.5).stroke(Color::red, 15), {350, 200}).items().at(0).path,
              (Path{{Path::Arc{{175, 100}, 50, 0, 2 * std::numbers::pi}, Path::Close{}}}))
        << "inscribed, scaled about its centre, from three o'clock";
    EXPECT_EQ(record(Circle().stroke(Color::red, 3), {50, 50}).items().at(0).strokeStyle,
              (StrokeStyle{3, LineCap::butt, LineJoin::miter, 10, {}, 0}));
    for (auto [view, paint] :
         {std::pair{View(Circle()), Color::primary},
          {VStack{Circle()}.foregroundColor(Color::pink), Color::pink},
          {Circle().fill(Color::gray).foregroundColor(Color::pink), Color::gray},
          {Circle().background(Color::white), Color::white}}) {
        EXPECT_EQ(std::get<Color>(record(view, {10, 10}).items().at(0).paint), paint);
    }
}

TEST(Layout, AppearActionsRunOutermostFirstAndTheTopmostVisibleButtonUnderAPointRuns) {
    std::string log;
    const auto button = [&](const char* name, double side) {
        return Button([&log, name] { log += name; }, box(side, side));
    };
    // a 66x56 at the origin, b drawn at x 100, c hidden, d and e 8 apart drawn from y 100.
    const auto root = layout(
        ZStack(
            Alignment::topLeading,
            {button("a", 50), button("b", 10).offset(100, 0), button("c", 10).offset(nan, 0),
             VStack{button("d", 10), button("e", 10)}.onAppear([&] { log += "2"; }).offset(0, 100)})
            .onAppear([&] { log += "1"; }),
        {});
    for (const auto& action : appearActions(root)) {
        action();
    }
    for (Point p : {Point{33, 33}, {105, 5}, {5, 5}, {5, 110}, {5, 120}, {5, 130}, {200, 200}}) {
        if (auto action = buttonActionAt(root, p)) {
            (*action)();
        }
        log += " ";
    }
    EXPECT_EQ(log, "12a b a d  e  ");
}

TEST(NonFinite, AnElementThatIsNotFiniteDrawsNothingAndTheRestIsDrawn) {
    const Circle c;
    const auto red = [](const Shape& s) { return s.stroke(Color::red, 4); };
    const auto sized = [](double size) { return Text::verbatim("x").font(Font::system(size)); };
    const auto sweep = [](double from, double to) {
        return AngularGradient{Gradient{{Color::blue, Color::red}}, UnitPoint::center,
                               Angle::degrees(from), Angle::degrees(to)};
    };
    const Color green(ColorSpace::sRGB, 0, 1, 0), bad(ColorSpace::sRGB, nan, 0, 0);
    const Angle noAngle = Angle::degrees(nan), endless = Angle::degrees(-inf);
    const StrokeStyle badDash{.lineWidth = 2, .dash = {nan, 2}};
    std::vector<View> elements{
        c.offset(nan, 0),       c.offset(0, inf),    c.rotationEffect(endless), red(c.trim(0, nan)),
        red(c.trim(-inf, 0.5)), red(c.trim(0, inf)), red(c.scale(nan)),         c.scale(inf),
        c.frame(nan, 20),       c.frame(20, inf),    c.frame(-5, 20),           c.padding(nan)};
    elements.insert(elements.end(),
                    {c.frame({.minWidth = nan}), c.frame({.maxHeight = nan}),
                     c.frame({.idealWidth = inf}), c.stroke(Color::red, nan),
                     c.stroke(Color::red, inf), c.stroke(Color::red, badDash), c.fill(bad),
                     c.foregroundColor(bad), sized(13).foregroundColor(bad)});
    elements.insert(elements.end(),
                    {sized(nan), sized(-1), sized(0), sized(inf), sized(1e9),
                     c.stroke(sweep(nan, 360), 10), c.stroke(sweep(0, inf), 10),
                     red(c).rotationEffect(noAngle), VStack{c, sized(13)}.offset(nan, nan),
                     VStack(HorizontalAlignment::center, nan, {c, c})});
    int index = 0;
    for (const auto& element : elements) {
        SCOPED_TRACE(index++);
        // Over a green marker square: only the marker may show.
        const View scene = ZStack{View(green).frame(10, 10), element};
        const auto list = record(scene, {100, 100});
        ASSERT_EQ(list.items().size(), 1u);
        EXPECT_EQ(std::get<Color>(list.items()[0].paint), green);
        for (double scale : {1.0, 2.0}) {
            const auto image = renderToImage(scene, {100, 100}, scale);
            const auto* pixels =
                reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(image->get()));
            for (int i = 0; i < 10000 * scale * scale; i += 3) {
                ASSERT_TRUE(pixels[i] == 0 || pixels[i] == 0xFF00FF00u) << scale << "x at " << i;
            }
        }
    }
    for (Size area : {Size{nan, 10}, Size{10, inf}, Size{0, 10}, Size{-1, 10}, Size{1e6, 1e6}}) {
        EXPECT_FALSE(renderToPNG(Circle(), area, 1).hasValue()) << area.width << "x" << area.height;
    }
    for (double scale : {nan, inf, 0.0, -2.0}) {
        EXPECT_FALSE(renderToPNG(Circle(), {10, 10}, scale).hasValue()) << scale;
    }
}

std::string shown(const View& view) {
    const auto texts = record(view, {400, 100}).items(DisplayItem::Kind::text);
    return texts.empty() ? "<nothing>" : texts.front().text;
}

TEST(Text, KeysAreLookedUpInTheStringTableByTheirFormatAndVerbatimTextIsNot) {
    std::string asked;
    ScopedResources table({[&](std::string_view key) -> std::optional<std::string> {
                               asked += std::string(key) + "|";
                               if (key == "hello") {
                                   return "привет";
                               }
                               return key.starts_with("версия")
                                          ? std::optional("version %@ is current")
                                          : std::nullopt;
                           },
                           {}});
    for (auto [text, expected] :
         {std::pair{Text("hello"), "привет"},
          {Text(std::string("hello")), "hello"},
          {Text::verbatim("hello"), "hello"},
          {Text(LocalizedStringKey("версия %@", {"2.1"})), "version 2.1 is current"},
          {Text("Made by Dovrel for Trelvo"), "Made by Dovrel for Trelvo"},
          {Text(LocalizedStringKey("обновить до версии %@", {"1.0"})), "обновить до версии 1.0"},
          {Text(LocalizedStringKey("%lld", {std::int64_t{-1000}})), "-1000"}}) {
        EXPECT_EQ(shown(text), expected);
    }
    EXPECT_EQ(asked, "hello|версия %@|Made by Dovrel for Trelvo|обновить до версии %@|%lld|");
    using F = std::tuple<const char*, std::vector<LocalizedStringKey::Argument>, const char*>;
    for (const auto& [format, arguments, expected] :
         {F{"%lld", {std::int64_t{10}}, "10"}, F{"%d дней", {std::int64_t{1}}, "1 дней"},
          F{"%2$@ / %1$@", {"a", "b"}, "b / a"}, F{"100%%", {}, "100%"},
          F{"%@ and %@", {"one"}, "one and %@"}, F{"%5$@", {"a"}, "%5$@"},
          F{"%lld", {"text"}, "%lld"}, F{"%@", {std::int64_t{42}}, "42"},
          F{"50% off", {}, "50% off"}, F{"trailing %", {}, "trailing %"},
          F{"%0$@", {"a"}, "%0$@"}}) {
        EXPECT_EQ(formatLocalized(format, arguments), expected) << format;
    }
}

TEST(Text, StyleIsInheritedUnlessTheTextSetsItsOwn) {
    const auto list =
        record(VStack{Text::verbatim("a"), Text::verbatim("b").foregroundColor(Color::red),
                      Text::verbatim("c").font(Font::system(10)).fontWeight(Font::Weight::light),
                      Text::verbatim("d").font(Font::system(40)).bold(),
                      VStack{Text::verbatim("e")}.bold()}
                   .foregroundColor(Color::white)
                   .font(Font::system(20)),
               {300, 300});
    const auto text = [&](const char* t) { return *list.findText(t); };
    EXPECT_EQ(std::get<Color>(text("a").paint), Color::white);
    EXPECT_EQ(text("a").font, Font::system(20));
    EXPECT_EQ(std::get<Color>(text("b").paint), Color::red);
    EXPECT_EQ(text("c").font, Font::system(10, Font::Weight::light));
    EXPECT_EQ(text("d").font, Font::system(40, Font::Weight::bold));
    EXPECT_EQ(text("e").font, Font::system(20, Font::Weight::bold));
    const auto body = record(Text::verbatim("x"), {100, 100}).items().at(0);
    EXPECT_EQ(body.font, Font::system(13));
    EXPECT_EQ(body.fontFamily, "DejaVu Sans");
    EXPECT_EQ(std::get<Color>(body.paint), Color::primary);
    const std::string hint = "Добавьте Widget в mac os чтобы видеть результаты";
    EXPECT_EQ(record(Text(hint), {600, 100}).findText(hint)->glyphCount, 48)
        << "one glyph a character, none of them a missing-glyph box";
    const auto image = renderToImage(Text(hint), {600, 40}, 1);
    const auto* ink = cairo_image_surface_get_data(image->get());
    EXPECT_TRUE(std::any_of(ink, ink + 600 * 40 * 4, [](unsigned char b) { return b != 0; }));
}

TEST(Text, WrapsToTheProposedWidthAndEndsInAnEllipsisAtTheLineLimit) {
    const auto words = Text::verbatim("one two three four five six");
    const auto narrow = layout(words, {60.0, std::nullopt}).frame.size;
    EXPECT_LE(narrow.width, 60);
    EXPECT_GT(narrow.height, 2 * idealSize(words).height - 1);
    const auto line =
        layout(Text::verbatim(std::string(10000, 'W')).lineLimit(1).frame(300, std::nullopt), {});
    const auto& content = std::get<TextContent>(line.children.at(0).content);
    EXPECT_LE(line.children.at(0).frame.size.width, 300);
    EXPECT_EQ(content.layout->lineCount(), 1);
    EXPECT_TRUE(content.layout->isEllipsized());
    // A line of DejaVu Sans is 1.164 em in absolute points; at 96 dpi it would be 20.2.
    EXPECT_NEAR(line.children.at(0).frame.size.height, 13 * 1.164, 0.6);
    const auto inherited =
        layout(VStack{Text::verbatim(std::string(500, 'x'))}.lineLimit(1), {120.0, 400.0});
    EXPECT_LE(inherited.frame.size.width, 120);
    EXPECT_EQ(std::get<TextContent>(inherited.children.at(0).content).layout->lineCount(), 1);
}

} // namespace
} // namespace platform::ui
