#pragma once

// The declarative view toolkit. Views are immutable values; modifiers return new values.
//
//   struct Badge {
//       int count;
//       View body() const {       // any type with `View body() const` is a View
//           return VStack{Text(std::to_string(count)).font(Font::system(40)).bold(),
//                         Text("дней до события")}          // a literal is a localisable key
//               .foregroundColor(Color::white)
//               .frame({.maxWidth = INFINITY, .maxHeight = INFINITY})
//               .background(Color(ColorSpace::sRGB, 0.14, 0.13, 0.16));
//       }
//   };
//   render(Badge{10}, cr, {170, 170});                      // into any cairo_t, in points
//   auto png = renderToPNG(Badge{10}, {170, 170}, 2.0);     // Expected<bytes, message>
//   auto tree = layoutCentered(Badge{10}, {170, 170});      // for hit testing and recording
//
// Layout follows the proposal model: a parent proposes a size, the child chooses its own, the
// parent places it. Lay out and render a tree on one thread (text layouts are per thread).
// Defaults: body text 13 pt, stack spacing 8, padding 16. Geometry that is not finite (NaN or
// infinite offsets, angles, trims, frame sizes) makes that element draw nothing.

#include "platform/ui/Alignment.h"
#include "platform/ui/Angle.h"
#include "platform/ui/Color.h"
#include "platform/ui/Edge.h"
#include "platform/ui/Font.h"
#include "platform/ui/Geometry.h"

#include <concepts>
#include <functional>
#include <memory>
#include <optional>

namespace platform::ui {

namespace detail {
struct Node;
}

class View;

// A type whose value describes its content as another view.
template <class T>
concept CompositeView = !std::derived_from<T, View> && requires(const T& value) {
    { value.body() } -> std::same_as<View>;
};

// frame(minWidth:idealWidth:maxWidth:minHeight:idealHeight:maxHeight:alignment:)
struct FlexibleFrame {
    std::optional<double> minWidth;
    std::optional<double> idealWidth;
    std::optional<double> maxWidth;
    std::optional<double> minHeight;
    std::optional<double> idealHeight;
    std::optional<double> maxHeight;
    Alignment alignment = Alignment::center;
};

// Any view, type-erased. A default View is empty: it takes no space, and stacks skip it, which
// is how conditional content without an else branch is written.
class View {
public:
    View();
    View(Color color); // a colour fills the space it is proposed
    template <CompositeView T>
    View(T value)
        : View(composite([value = std::move(value)]() -> View { return value.body(); })) {}

    View frame(std::optional<double> width, std::optional<double> height,
               Alignment alignment = Alignment::center) const;
    View frame(const FlexibleFrame& limits) const;
    View padding(double length) const;
    View padding(Edge::Set edges = Edge::all, std::optional<double> length = std::nullopt) const;
    View padding(EdgeInsets insets) const;
    // Moves the drawing only; layout keeps the original place.
    View offset(double x, double y) const;
    // Turns the drawing about the anchor of the view's layout frame.
    View rotationEffect(Angle angle, UnitPoint anchor = UnitPoint::center) const;
    View background(const View& content, Alignment alignment = Alignment::center) const;
    // Inherited by the texts (font, weight, colour, line limit) and shapes (colour) inside,
    // unless they set their own.
    View font(Font font) const;
    View fontWeight(Font::Weight weight) const;
    View bold() const;
    View foregroundColor(Color color) const;
    View lineLimit(std::optional<int> lines) const;
    View onAppear(std::function<void()> action) const;

    bool isEmpty() const;
    const detail::Node& node() const { return *node_; }

protected:
    explicit View(std::shared_ptr<const detail::Node> node)
        : node_(std::move(node)) {}
    static View make(detail::Node node);
    static View composite(std::function<View()> body);
    template <class Modifier> View modified(Modifier modifier) const;

private:
    std::shared_ptr<const detail::Node> node_;
};

} // namespace platform::ui
