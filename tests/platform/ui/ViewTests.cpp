#include "platform/ui/AngularGradientPainter.h"
#include "platform/ui/Button.h"
#include "platform/ui/Image.h"
#include "platform/ui/Layout.h"
#include "platform/ui/PNGWriter.h"
#include "platform/ui/Render.h"
#include "platform/ui/Resources.h"
#include "platform/ui/Shape.h"
#include "platform/ui/Stack.h"
#include "platform/ui/Text.h"
#include "tests/support/TemporaryDirectory.h"
#include "tests/support/TestFiles.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <sstream>

namespace platform::ui {
namespace {

const double nan = NAN, inf = INFINITY, pi = std::numbers::pi;
using trelvo::test::readFile;
using trelvo::test::writeFile;

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
    for (const auto& child : node.children)
        if (child.visible)
            drawn(child, t, out);
}

// The root's size, then what it draws where.
std::string dump(const View& view, ProposedSize proposal) {
    const auto root = layout(view, proposal);
    std::string out = num(root.frame.size.width) + "x" + num(root.frame.size.height);
    drawn(root, {}, out);
    return out;
}

const View red(Color::red);
const auto box = [](double w, double h) { return red.frame(w, h); };
const auto dot = [](double side) { return Circle().frame(side, side); };
const View sq = box(10, 10);

template <class... V> std::vector<View> views(const V&... v) {
    return {View(v)...};
}

struct Badge {
    double side;
    View body() const { return dot(side); }
};

TEST(Layout, ParentsProposeChildrenChooseAndParentsPlaceThem) {
    const ProposedSize none = ProposedSize::unspecified();
    const Size s100{100, 100}, wide{170, 120};
    const FlexibleFrame fill{.maxWidth = inf, .maxHeight = inf};
    const auto bar = Rectangle().frame(100, 20);
    struct Case {
        View view;
        ProposedSize proposal;
        const char* expected;
    } const cases[] = {
        {box(40, 30), s100, "40x30; fill 0,0 40x30"},
        {red.frame(40, std::nullopt), s100, "40x100; fill 0,0 40x100"},
        {dot(20).frame(fill), wide, "170x120; fill 75,50 20x20"},
        {dot(20).frame(fill), none, "20x20; fill 0,0 20x20"},
        {dot(20).frame({.minWidth = 50}), wide, "50x20; fill 15,0 20x20"},
        {red.frame({.maxWidth = 60}), wide, "60x120; fill 0,0 60x120"},
        {sq.padding(2.0), s100, "14x14; fill 2,2 10x10"},
        {sq.padding(), none, "42x42; fill 16,16 10x10"},
        {sq.padding(Edge::horizontal, 5), none, "20x10; fill 5,0 10x10"},
        {VStack{sq, box(30, 20)}, s100, "30x38; fill 10,0 10x10; fill 0,18 30x20"},
        {VStack{sq, View(), box(30, 20)}, none, "30x38; fill 10,0 10x10; fill 0,18 30x20"},
        {VStack(HorizontalAlignment::leading, 2.0, {sq, box(30, 20)}), none,
         "30x32; fill 0,0 10x10; fill 0,12 30x20"},
        {HStack(VerticalAlignment::top, 4.0, {sq, box(20, 30)}), none,
         "34x30; fill 0,0 10x10; fill 14,0 20x30"},
        {VStack{red, box(10, 30)}, Size{50, 100}, "50x100; fill 0,0 50x62; fill 20,70 10x30"},
        {ZStack{box(10, 40), box(30, 20)}, none, "30x40; fill 10,0 10x40; fill 0,10 30x20"},
        {box(20, 10).frame(100, 50), none, "100x50; fill 40,20 20x10"},
        {box(20, 10).frame(100, 50, Alignment::topLeading), none, "100x50; fill 0,0 20x10"},
        {box(20, 10).frame(100, 50, Alignment::bottomTrailing), none, "100x50; fill 80,40 20x10"},
        {VStack{dot(10).offset(30, 50), dot(10)}, none, "10x28; fill 30,50 10x10; fill 0,18 10x10"},
        {VStack{dot(10).offset(nan, 0), dot(10)}, none, "10x28; fill 0,18 10x10"},
        {bar.rotationEffect(Angle::degrees(90)), none, "100x20; fill 60,-40 100x20 turned 90"},
        {bar.rotationEffect(Angle::degrees(180), UnitPoint::topLeading), none,
         "100x20; fill 0,0 100x20 turned 180"},
        {dot(20).padding(5.0).background(Color::white), none,
         "30x30; fill 0,0 30x30; fill 5,5 20x20"},
        {Circle(), Size{64, 32}, "64x32; fill 0,0 64x32"},
        {VStack{Badge{10}, Badge{20}}, none, "20x38; fill 5,0 10x10; fill 0,18 20x20"},
        {Button([] {}, box(40, 20)), none,
         "56x26; fill 0,0 56x26; stroke 0,0 56x26; fill 8,3 40x20"},
        {Circle().trim(0.5, 0.2).stroke(Color::red, 2), s100, "100x100"},
        {Circle().trim(0, -0.3).stroke(Color::red, 2), s100, "100x100"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(dump(c.view, c.proposal), c.expected);
    EXPECT_EQ(layoutCentered(box(350, 350), {170, 170}).frame.origin, (Point{-90, -90}));
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
    for (const auto& action : appearActions(root))
        action();
    for (Point p : {Point{33, 33}, {105, 5}, {5, 5}, {5, 110}, {5, 120}, {5, 130}, {200, 200}}) {
        if (auto action = buttonActionAt(root, p))
            (*action)();
        log += " ";
    }
    EXPECT_EQ(log, "12a b a d  e  ");
}

TEST(NonFinite, AnElementThatIsNotFiniteDrawsNothingAndTheRestIsDrawn) {
    const Circle c;
    const auto pen = [](const Shape& s) { return s.stroke(Color::red, 4); };
    const auto sized = [](double size) { return Text::verbatim("x").font(Font::system(size)); };
    const auto sweep = [](double from, double to) {
        return AngularGradient{Gradient{{Color::blue, Color::red}}, UnitPoint::center,
                               Angle::degrees(from), Angle::degrees(to)};
    };
    const Color green(ColorSpace::sRGB, 0, 1, 0), bad(ColorSpace::sRGB, nan, 0, 0);
    const StrokeStyle badDash{.lineWidth = 2, .dash = {nan, 2}};
    const auto elements = views(
        c.offset(nan, 0), c.offset(0, inf), c.rotationEffect(Angle::degrees(-inf)),
        pen(c).rotationEffect(Angle::degrees(nan)), pen(c.trim(0, nan)), pen(c.trim(-inf, 0.5)),
        pen(c.trim(0, inf)), pen(c.scale(nan)), c.scale(inf), c.frame(nan, 20), c.frame(20, inf),
        c.frame(-5, 20), c.padding(nan), c.frame({.minWidth = nan}), c.frame({.maxHeight = nan}),
        c.frame({.idealWidth = inf}), c.stroke(Color::red, nan), c.stroke(Color::red, inf),
        c.stroke(Color::red, badDash), c.fill(bad), c.foregroundColor(bad),
        sized(13).foregroundColor(bad), sized(nan), sized(-1), sized(0), sized(inf), sized(1e9),
        c.stroke(sweep(nan, 360), 10), c.stroke(sweep(0, inf), 10),
        VStack{c, sized(13)}.offset(nan, nan), VStack(HorizontalAlignment::center, nan, {c, c}));
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
            for (int i = 0; i < 10000 * scale * scale; i += 3)
                ASSERT_TRUE(pixels[i] == 0 || pixels[i] == 0xFF00FF00u) << scale << "x at " << i;
        }
    }
    for (Size area : {Size{nan, 10}, Size{10, inf}, Size{0, 10}, Size{-1, 10}, Size{1e6, 1e6}})
        EXPECT_FALSE(renderToPNG(Circle(), area, 1).hasValue()) << area.width << "x" << area.height;
    for (double scale : {nan, inf, 0.0, -2.0})
        EXPECT_FALSE(renderToPNG(Circle(), {10, 10}, scale).hasValue()) << scale;
}

TEST(Text, KeysAreLookedUpInTheStringTableByTheirFormatAndVerbatimTextIsNot) {
    std::string asked;
    ScopedResources table({[&](std::string_view key) -> std::optional<std::string> {
                               asked += std::string(key) + "|";
                               return key == "hello"              ? "привет"
                                      : key.starts_with("версия") ? "version %@ is current"
                                                                  : std::optional<std::string>();
                           },
                           {}});
    for (auto [text, expected] :
         {std::pair{Text("hello"), "привет"},
          {Text(std::string("hello")), "hello"},
          {Text::verbatim("hello"), "hello"},
          {Text(LocalizedStringKey("версия %@", {"2.1"})), "version 2.1 is current"},
          {Text("Made by Dovrel for Trelvo"), "Made by Dovrel for Trelvo"},
          {Text(LocalizedStringKey("обновить до версии %@", {"1.0"})), "обновить до версии 1.0"},
          {Text(LocalizedStringKey("%lld", {std::int64_t{-1000}})), "-1000"}})
        EXPECT_EQ(record(text, {400, 100}).items(DisplayItem::Kind::text).at(0).text, expected);
    EXPECT_EQ(asked, "hello|версия %@|Made by Dovrel for Trelvo|обновить до версии %@|%lld|");
    using F = std::tuple<const char*, std::vector<LocalizedStringKey::Argument>, const char*>;
    for (const auto& [format, arguments, expected] :
         {F{"%lld", {std::int64_t{10}}, "10"}, F{"%d дней", {std::int64_t{1}}, "1 дней"},
          F{"%2$@ / %1$@", {"a", "b"}, "b / a"}, F{"100%%", {}, "100%"},
          F{"%@ and %@", {"one"}, "one and %@"}, F{"%5$@", {"a"}, "%5$@"},
          F{"%lld", {"text"}, "%lld"}, F{"%@", {std::int64_t{42}}, "42"},
          F{"50% off", {}, "50% off"}, F{"trailing %", {}, "trailing %"}, F{"%0$@", {"a"}, "%0$@"}})
        EXPECT_EQ(formatLocalized(format, arguments), expected) << format;
}

// Texts take the font, weight and colour of what holds them unless they set their own (a text's
// own font and weight alone: the countdown's drawing); shapes take the colour, drawn inscribed in
// their frame from three o'clock.
TEST(Style, TextsAndShapesTakeTheirOwnStyleElseTheInheritedOne) {
    const auto text = Text::verbatim;
    const auto list =
        record(VStack{text("a"), text("b").foregroundColor(Color::red), VStack{text("c")}.bold()}
                   .foregroundColor(Color::white)
                   .font(Font::system(20)),
               {300, 300});
    for (auto [name, color, font] : {std::tuple{"a", Color::white, Font::system(20)},
                                     {"b", Color::red, Font::system(20)},
                                     {"c", Color::white, Font::system(20, Font::Weight::bold)}}) {
        const auto* item = list.findText(name);
        EXPECT_TRUE(item && std::get<Color>(item->paint) == color && item->font == font) << name;
    }
    const auto body = record(text("x"), {100, 100}).items().at(0);
    EXPECT_TRUE(body.font == Font::system(13) && body.fontFamily == "DejaVu Sans" &&
                std::get<Color>(body.paint) == Color::primary);
    for (auto [view, paint] :
         {std::pair{View(Circle()), Color::primary},
          {VStack{Circle()}.foregroundColor(Color::pink), Color::pink},
          {Circle().fill(Color::gray).foregroundColor(Color::pink), Color::gray},
          {Circle().background(Color::white), Color::white}})
        EXPECT_EQ(std::get<Color>(record(view, {10, 10}).items().at(0).paint), paint);
    EXPECT_EQ(record(Circle().scale(0.5).stroke(Color::red, 15), {350, 200}).items().at(0).path,
              (Path{{Path::Arc{{175, 100}, 50, 0, 2 * std::numbers::pi}, Path::Close{}}}));
    EXPECT_EQ(record(Circle().stroke(Color::red, 3), {50, 50}).items().at(0).strokeStyle,
              (StrokeStyle{3, LineCap::butt, LineJoin::miter, 10, {}, 0}));
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

// A pixel as cairo stores it: ARGB, premultiplied by its alpha.
std::uint32_t pixelAt(cairo_surface_t* image, int x, int y) {
    cairo_surface_flush(image);
    const auto* row =
        cairo_image_surface_get_data(image) + y * cairo_image_surface_get_stride(image);
    return reinterpret_cast<const std::uint32_t*>(row)[x];
}

std::uint32_t premultiplied(const Color& c) {
    const auto byte = [](double v) { return static_cast<std::uint32_t>(std::lround(v * 255)); };
    return byte(c.a) << 24 | byte(c.r * c.a) << 16 | byte(c.g * c.a) << 8 | byte(c.b * c.a);
}

// Every pixel against the colour its centre (in points) should have, within a tolerance a
// channel; where `expected` gives nothing (an anti-aliased edge) the pixel is not checked.
template <class Expected>
void expectEveryPixel(cairo_surface_t* image, double scale, int tolerance, Expected expected) {
    int failures = 0;
    for (int y = 0; y < cairo_image_surface_get_height(image); ++y) {
        for (int x = 0; x < cairo_image_surface_get_width(image); ++x) {
            const std::optional<Color> color =
                expected(Point{(x + 0.5) / scale, (y + 0.5) / scale});
            const std::uint32_t got = pixelAt(image, x, y),
                                want = color ? premultiplied(*color) : got;
            for (int shift : {0, 8, 16, 24}) {
                if (std::abs(int(got >> shift & 0xFF) - int(want >> shift & 0xFF)) > tolerance &&
                    failures++ < 3) {
                    ADD_FAILURE() << std::hex << got << " instead of " << want << std::dec << " at "
                                  << x << "," << y << " (" << scale << "x)";
                }
            }
        }
    }
}

// Blue at the start turning clockwise into red: the colour a fraction t of the way round.
Color sweptColor(double t) {
    const Color &b = Color::blue, &r = Color::red;
    return {ColorSpace::sRGB, b.r + (r.r - b.r) * t, b.g + (r.g - b.g) * t, b.b + (r.b - b.b) * t};
}

// How far round from three o'clock, clockwise, a point lies from a centre, in turns.
double turnsAt(Point p, Point centre) {
    const double angle = std::atan2(p.y - centre.y, p.x - centre.x);
    return (angle < 0 ? angle + 2 * pi : angle) / (2 * pi);
}

const AngularGradient sweep{Gradient{{Color::blue, Color::red}}, UnitPoint::center,
                            Angle::degrees(0), Angle::degrees(360)};

// The widget's rings sweep two colours once round from three o'clock.
TEST(AngularGradient, ColourByAngle) {
    const Color c0(ColorSpace::sRGB, 0, 0, 0, 1), c1(ColorSpace::sRGB, 1, 0.5, 0, 0.5);
    const AngularGradientPaint paint{{}, 0, 2 * pi, {c0, c1}};
    for (auto [angle, expected] : {std::pair{0.0, c0},
                                   {pi / 2, Color(ColorSpace::sRGB, 0.25, 0.125, 0, 0.875)},
                                   {-pi / 2, Color(ColorSpace::sRGB, 0.75, 0.375, 0, 0.625)},
                                   {-1e-9, c1}}) {
        const Color got = paint.colorAt(angle);
        EXPECT_LT(std::abs(got.r - expected.r) + std::abs(got.g - expected.g) +
                      std::abs(got.b - expected.b) + std::abs(got.a - expected.a),
                  1e-9)
            << angle;
    }
    for (double angle = -3.14; angle < 3.14; angle += 0.01)
        EXPECT_NEAR(fastAtan2(7 * std::sin(angle), 7 * std::cos(angle)), angle, 5e-8);
    EXPECT_EQ(fastAtan2(0, 0) + fastAtan2(NAN, 1), 0);
}

TEST(Render, EveryPixelOfAGradientFillAStrokeAndAClip) {
    for (bool clipped : {false, true}) {
        SurfacePtr image(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 8));
        CairoPtr cr(cairo_create(image.get()));
        cairo_rectangle(cr.get(), 0, 0, clipped ? 4 : 8, 8);
        cairo_clip(cr.get());
        render(Rectangle().fill(sweep).frame(8, 8), cr.get(), {8, 8});
        expectEveryPixel(image.get(), 1, 1, [&](Point p) {
            return clipped && p.x > 4 ? Color::clear : sweptColor(turnsAt(p, {4, 4}));
        });
    }
    // A 4-point square in the middle of 8 stroked 2 wide: a band from 1 to 7 around a hole 3 to 5.
    const auto stroked = renderToImage(Rectangle().stroke(Color::red, 2).frame(4, 4), {8, 8}, 1);
    expectEveryPixel(stroked->get(), 1, 0, [](Point p) {
        const auto within = [&](double from, double to) {
            return p.x > from && p.x < to && p.y > from && p.y < to;
        };
        return within(1, 7) && !within(3, 5) ? Color::red : Color::clear;
    });
}

TEST(Render, RingPixelsFollowTheirAngleAtEveryScaleTurnAndKindOfHiDPISurface) {
    // 20 wide between radii 30 and 50 about (50, 50), swept from blue at three o'clock.
    const View ring = Circle().scale(0.8).stroke(sweep, 20).frame(100, 100);
    for (double degrees : {0.0, -90.0}) {
        for (double scale : {1.0, 2.0, 3.0}) {
            const View turned = ring.rotationEffect(Angle::degrees(degrees));
            auto scaled = renderToImage(turned, {100, 100}, scale);
            SurfacePtr device(
                cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 100 * scale, 100 * scale));
            cairo_surface_set_device_scale(device.get(), scale, scale);
            render(turned, CairoPtr(cairo_create(device.get())).get(), {100, 100});
            for (cairo_surface_t* image : {scaled->get(), device.get()}) {
                ASSERT_EQ(cairo_image_surface_get_width(image), 100 * scale);
                expectEveryPixel(image, scale, 1, [&](Point p) -> std::optional<Color> {
                    const double r = std::hypot(p.x - 50, p.y - 50), edge = 0.75 / scale;
                    if (r > 30 + edge && r < 50 - edge)
                        return sweptColor(std::fmod(turnsAt(p, {50, 50}) - degrees / 360, 1));
                    return r < 30 - edge || r > 50 + edge ? std::optional(Color::clear)
                                                          : std::nullopt;
                });
            }
        }
    }
    EXPECT_EQ(cairo_image_surface_get_width(renderToImage(Circle(), {85.5, 85.5}, 1.5)->get()), 129)
        << "rounded up";
}

TEST(Render, FilesByTheirExtensionEachReplacedWholeAndImagesAtTheirOwnSize) {
    trelvo::test::TemporaryDirectory folder("ui-render");
    const auto& dir = folder.path();
    const Color translucent(ColorSpace::sRGB, 0.2, 0.6, 1.0, 0.5);
    const auto png = dir / "widget.png";
    writeFile(png, std::string(100000, 'x'));
    ASSERT_TRUE(
        renderToFile(HStack(VerticalAlignment::center, 0.0, {View(Color::red), View(translucent)}),
                     {20, 10}, 2, png)
            .hasValue());
    SurfacePtr decoded(cairo_image_surface_create_from_png(png.c_str()));
    ASSERT_EQ(cairo_surface_status(decoded.get()), CAIRO_STATUS_SUCCESS);
    expectEveryPixel(decoded.get(), 2, 1,
                     [&](Point p) { return p.x < 10 ? Color::red : translucent; });
    EXPECT_NE(std::filesystem::status(png).permissions() & std::filesystem::perms::others_read,
              std::filesystem::perms::none);
    // The PDF keeps a sweep as vector shading; the SVG has the text's glyphs and is whole.
    ASSERT_TRUE(renderToFile(Circle().stroke(sweep, 4), {20, 20}, 2, dir / "ring.PDF").hasValue());
    ASSERT_TRUE(renderToFile(Text("Чемпионат Европы"), {200, 30}, 2, dir / "text.svg").hasValue());
    const auto pdf = readFile(dir / "ring.PDF"), svg = readFile(dir / "text.svg");
    EXPECT_TRUE(pdf.starts_with("%PDF") && pdf.find("/ShadingType") != std::string::npos);
    EXPECT_TRUE(svg.starts_with("<?xml") && svg.find("glyph") != std::string::npos &&
                svg.ends_with("</svg>\n"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 3)
        << "no temporary file is left behind";
    EXPECT_EQ(renderToFile(Circle(), {10, 10}, 1, dir / "ring.bmp").error(),
              "cannot tell the picture format of " + (dir / "ring.bmp").string() +
                  " (use .png, .svg or .pdf)");
    EXPECT_FALSE(renderToFile(Circle(), {10, 10}, 1, dir / "no" / "a.png").hasValue());
    EXPECT_FALSE(
        encodePNG(SurfacePtr(cairo_image_surface_create(CAIRO_FORMAT_A8, 4, 4)).get()).hasValue());
    EXPECT_FALSE(encodePNG(nullptr).hasValue());
    // Images show at their own size, and missing or unreadable ones take no space.
    writeFile(dir / "logo.svg", R"(<svg xmlns="http://www.w3.org/2000/svg" width="40" height="20">)"
                                R"(<rect width="40" height="20" fill="#ff0000"/></svg>)");
    writeFile(dir / "broken.svg", "<svg");
    ASSERT_TRUE(renderToFile(View(Color(ColorSpace::sRGB, 0, 0, 1)), {8, 6}, 1, dir / "dot.png")
                    .hasValue());
    // The logo from 2 to 42 drawn sharp at 2x, the dot 8 on from 50 to 58 across, 9 to 15 down.
    const auto image =
        renderToImage(HStack{Image("logo", dir), Image("dot", dir)}.padding(2.0), {60, 24}, 2);
    EXPECT_EQ(pixelAt(image->get(), 4, 24), 0xFFFF0000u);
    EXPECT_EQ(pixelAt(image->get(), 2, 2), 0u) << "the padding stays clear";
    EXPECT_EQ(pixelAt(image->get(), 108, 24), 0xFF0000FFu);
    ScopedResources resources({{}, dir});
    EXPECT_EQ(idealSize(Image("dot")), (Size{8, 6})) << "from the main resources";
    EXPECT_EQ(record(Image("dot"), {8, 6}).items().at(0).imageFile, dir / "dot.png");
    for (const char* name : {"absent", "broken", "../logo", ".hidden", "", "sub/logo"}) {
        EXPECT_EQ(idealSize(Image(name, dir)), (Size{})) << name;
        EXPECT_TRUE(record(Image(name, dir), {50, 50}).items().empty()) << name;
    }
}

// A rounded bar's bounds in the root's coordinates: its corner arcs, clockwise from the top
// trailing one, are centred a radius in from its edges.
Rect boundsOf(const DisplayItem& bar) {
    std::vector<Point> corners;
    double radius = 0;
    for (const auto& element : bar.path.elements) {
        if (const auto* arc = std::get_if<Path::Arc>(&element)) {
            corners.push_back(bar.toRoot(arc->center));
            radius = arc->radius;
        }
    }
    return {{corners.at(3).x - radius, corners.at(3).y - radius},
            {corners.at(1).x - corners.at(3).x + 2 * radius,
             corners.at(1).y - corners.at(3).y + 2 * radius}};
}

TEST(Redacted, EachLineOfTextIsAFadedRoundedBarAsWideAsTheLineAndShapesStayAsTheyAre) {
    const Size area{300, 120};
    const Font font = Font::system(20);
    for (auto [text, color, opacity] : {std::tuple{"1 500", Color::red, 0.3},
                                        {"Hello\nмир, wide", Color::white, 0.3},
                                        {"Last", Color::primary, 0.85 * 0.3}}) {
        SCOPED_TRACE(text);
        std::vector<std::string> lines;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        const View view = ZStack{Circle().fill(Color::blue).frame(60, 60),
                                 Text::verbatim(text).font(font).foregroundColor(color)};
        const auto shown = record(view, area);
        const auto glyphs = shown.items(DisplayItem::Kind::text).at(0);
        const Rect textBox{glyphs.toRoot(glyphs.rect.origin), glyphs.rect.size};
        const auto redacted = record(view, area, Redaction::placeholder);
        EXPECT_TRUE(redacted.items(DisplayItem::Kind::text).empty()) << "glyphs were drawn";
        auto bars = redacted.items(DisplayItem::Kind::fill);
        ASSERT_EQ(bars.size(), lines.size() + 1);
        EXPECT_TRUE(bars[0].path == shown.items()[0].path &&
                    bars[0].paint == shown.items()[0].paint)
            << "the circle changed";
        bars.erase(bars.begin());
        for (std::size_t i = 0; i < bars.size(); ++i) {
            const auto bar = boundsOf(bars[i]);
            const double width =
                TextLayout::make(lines[i], font, std::nullopt, std::nullopt)->size().width;
            EXPECT_NEAR(bar.size.width, width, 0.01);
            EXPECT_NEAR(bar.minX(), textBox.minX(), 0.01);
            // Between the font's x-height and cap height (0.55 and 0.73 of its size here).
            EXPECT_TRUE(bar.size.height >= 0.55 * font.size && bar.size.height <= 0.73 * font.size);
            EXPECT_NEAR(bars[i].path.firstArc()->radius, bar.size.height / 2, 1e-9);
            EXPECT_TRUE(bar.minY() >= textBox.minY() && bar.maxY() <= textBox.maxY());
            EXPECT_TRUE(i == 0 || boundsOf(bars[i - 1]).maxY() < bar.minY());
            EXPECT_EQ(bars[i].paint, Paint(color.withOpacity(opacity)));
        }
    }
}

} // namespace
} // namespace platform::ui
