#include "results_widget/ActivityRing.h"

#include "core/Extension/Color+Hex.h"
#include "platform/ui/Shape.h"
#include "platform/ui/Stack.h"
#include "platform/ui/Text.h"

using namespace platform::ui;

namespace results_widget {

namespace {

constexpr double squareSide = 350;
// The arc closes into a full ring a little before the plan is met.
constexpr double closedFrom = 0.98;
constexpr double captionSize = 11;
constexpr double smallCaptionOffset = -70;

} // namespace

double rawValue(RingDiameter diameter) {
    switch (diameter) {
    case RingDiameter::small:
        return 0.04;
    case RingDiameter::medium:
        return 0.27;
    case RingDiameter::big:
        return 0.37;
    case RingDiameter::calculated:
        return 1.0;
    }
    return 1.0;
}

std::optional<RingDiameter> ringDiameter(double value) {
    for (auto diameter :
         {RingDiameter::small, RingDiameter::medium, RingDiameter::big, RingDiameter::calculated}) {
        if (value == rawValue(diameter)) {
            return diameter;
        }
    }
    return std::nullopt;
}

ActivityRing::ActivityRing(double progress, std::string title, RingDiameter ringDia)
    : progress(progress)
    , title_(std::move(title))
    , ringDia_(ringDia) {}

std::array<Color, 4> ActivityRing::ringColor() const {
    switch (ringDia_) {
    case RingDiameter::small:
        return {Color::blue, Color::blue, Color::blue, Color::blue};
    case RingDiameter::medium:
        return {colorFromHex(0xBF5722), colorFromHex(0xED742E), colorFromHex(0xED742E),
                colorFromHex(0xEB6C29, 0.15)};
    case RingDiameter::big:
        return {colorFromHex(0x7F3CC1), colorFromHex(0x9458D3), colorFromHex(0x9458D3),
                colorFromHex(0x7232B7, 0.2)};
    case RingDiameter::calculated:
        break;
    }
    return {Color::primary, Color::pink, Color::purple, Color::secondary};
}

double ActivityRing::fullCircleDotOffset() const {
    return rawValue(ringDia_) * squareSide / -2;
}

namespace {

AngularGradient sweep(const Color& start, const Color& end) {
    return AngularGradient{Gradient{{start, end}}, UnitPoint::center, Angle::degrees(0),
                           Angle::degrees(360)};
}

StrokeStyle pen(double thickness) {
    return StrokeStyle{.lineWidth = thickness, .lineCap = LineCap::round};
}

} // namespace

View ActivityRing::openForm() const {
    const auto colors = ringColor();
    const double raw = rawValue(ringDia_);
    return ZStack{
        Circle().scale(raw).stroke(colors[3], ringThickness),
        Circle()
            .scale(raw)
            .trim(0, progress)
            .stroke(sweep(colors[0], colors[1]), pen(ringThickness))
            .rotationEffect(Angle::degrees(-90)),
        // Covers the round cap at the arc's start, which the sweep paints near its end colour.
        Circle()
            .frame(ringThickness, ringThickness)
            .foregroundColor(colors[0])
            .offset(0, fullCircleDotOffset()),
    };
}

View ActivityRing::closedForm() const {
    const auto colors = ringColor();
    const double raw = rawValue(ringDia_);
    // The sweep's seam and the head dot sit at the progress angle from twelve o'clock.
    return ZStack{
        Circle()
            .scale(raw)
            .stroke(sweep(colors[0], colors[1]), pen(ringThickness))
            .rotationEffect(Angle::degrees(360 * progress - 90)),
        Circle()
            .frame(ringThickness, ringThickness)
            .offset(0, fullCircleDotOffset())
            .foregroundColor(colors[2])
            .rotationEffect(Angle::degrees(360 * progress)),
    };
}

View ActivityRing::caption() const {
    const double offset =
        ringDia_ == RingDiameter::small ? smallCaptionOffset : fullCircleDotOffset() - 1;
    return Text::verbatim(title_)
        .foregroundColor(Color::black)
        .offset(0, offset)
        .font(Font::system(captionSize, Font::Weight::regular, Font::Design::standard));
}

View ActivityRing::body() const {
    // Not a number compares false, so it takes the closed form.
    const bool open = progress < closedFrom;
    return ZStack{open ? openForm() : closedForm(), caption()}.frame(squareSide, squareSide,
                                                                     Alignment::center);
}

} // namespace results_widget
