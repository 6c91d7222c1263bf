#include "platform/ui/Layout.h"

#include "platform/ui/Resources.h"
#include "platform/ui/ViewNode.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>

namespace platform::ui {
namespace {

constexpr double defaultSpacing = 8;
constexpr double defaultShapeSize = 10;
constexpr double maximumFontSize = 4096;
constexpr double buttonHorizontalInset = 8;
constexpr double buttonVerticalInset = 3;
constexpr double buttonCornerRadius = 5;

// What enclosing views hand down to texts and shapes.
struct Environment {
    Font font = Font::body();
    std::optional<Font::Weight> weight;
    std::optional<Color> foreground;
    std::optional<int> lineLimit;
};

LayoutNode layoutView(const View& view, ProposedSize proposal, const Environment& env);

LayoutNode nodeOfSize(Size size) {
    LayoutNode node;
    node.frame.size = size;
    return node;
}

// An element with geometry that is not finite: it keeps a finite place and draws nothing.
LayoutNode invisible(Size size = {}) {
    auto node = nodeOfSize({std::isfinite(size.width) ? std::max(0.0, size.width) : 0,
                            std::isfinite(size.height) ? std::max(0.0, size.height) : 0});
    node.visible = false;
    return node;
}

// A node that holds one child at its origin, with the child's size.
LayoutNode wrap(LayoutNode child) {
    auto node = nodeOfSize(child.frame.size);
    child.frame.origin = {};
    node.children.push_back(std::move(child));
    return node;
}

Point aligned(Size outer, Size inner, Alignment alignment) {
    return {(outer.width - inner.width) * fraction(alignment.horizontal),
            (outer.height - inner.height) * fraction(alignment.vertical)};
}

bool isLength(const std::optional<double>& value) {
    return !value || (std::isfinite(*value) && *value >= 0);
}

std::optional<double> sanitized(std::optional<double> proposal) {
    if (!proposal || std::isnan(*proposal)) {
        return std::nullopt;
    }
    return std::max(0.0, *proposal);
}

std::optional<Paint> resolve(const ShapeStyle& style, Size frame) {
    if (const auto* color = std::get_if<Color>(&style)) {
        if (!color->isDrawable()) {
            return std::nullopt;
        }
        return Paint(*color);
    }
    const auto& gradient = std::get<AngularGradient>(style);
    const Point center{gradient.center.x * frame.width, gradient.center.y * frame.height};
    const bool colorsDrawable =
        std::all_of(gradient.gradient.colors.begin(), gradient.gradient.colors.end(),
                    [](const Color& c) { return c.isDrawable(); });
    if (!isFinite(center) || !std::isfinite(gradient.startAngle.radians) ||
        !std::isfinite(gradient.endAngle.radians) || !colorsDrawable ||
        gradient.gradient.colors.empty()) {
        return std::nullopt;
    }
    return Paint(AngularGradientPaint{center, gradient.startAngle.radians,
                                      gradient.endAngle.radians, gradient.gradient.colors});
}

bool isDrawable(const StrokeStyle& style) {
    return std::isfinite(style.lineWidth) && style.lineWidth >= 0 &&
           std::isfinite(style.miterLimit) && std::isfinite(style.dashPhase) &&
           std::all_of(style.dash.begin(), style.dash.end(),
                       [](double d) { return std::isfinite(d) && d >= 0; });
}

// The outline of the shape in its frame, scaled and trimmed; nullopt when not drawable.
std::optional<Path> outline(const detail::ShapeNode& shape, Size size) {
    const double from = shape.trimFrom;
    const double to = shape.trimTo;
    if (!std::isfinite(shape.scale) || !std::isfinite(from) || !std::isfinite(to) ||
        !isFinite(size)) {
        return std::nullopt;
    }
    const double start = std::clamp(from, 0.0, 1.0);
    const double end = std::clamp(to, 0.0, 1.0);
    if (end <= start) {
        return Path{};
    }
    const Point anchor{shape.scaleAnchor.x * size.width, shape.scaleAnchor.y * size.height};
    const auto scaled = [&](Point p) {
        return Point{anchor.x + (p.x - anchor.x) * shape.scale,
                     anchor.y + (p.y - anchor.y) * shape.scale};
    };
    if (shape.kind == detail::ShapeKind::circle) {
        constexpr double turn = 2 * std::numbers::pi;
        const Point center = scaled({size.width / 2, size.height / 2});
        const double radius = std::min(size.width, size.height) / 2 * std::abs(shape.scale);
        // A negative scale mirrors the circle through its centre: the outline starts opposite.
        const double origin = shape.scale < 0 ? std::numbers::pi : 0.0;
        if (start == 0 && end == 1) {
            return Path{{Path::Arc{center, radius, origin, origin + turn}, Path::Close{}}};
        }
        return Path::arc(center, radius, origin + turn * start, origin + turn * end);
    }
    const Point a = scaled({0, 0});
    const Point b = scaled({size.width, size.height});
    const Rect rect{{std::min(a.x, b.x), std::min(a.y, b.y)},
                    {std::abs(b.x - a.x), std::abs(b.y - a.y)}};
    if (shape.kind == detail::ShapeKind::roundedRectangle) {
        if (!std::isfinite(shape.cornerRadius)) {
            return std::nullopt;
        }
        return Path::roundedRect(rect, shape.cornerRadius * std::abs(shape.scale));
    }
    return Path::rect(rect);
}

LayoutNode layoutShape(const detail::ShapeNode& shape, ProposedSize proposal,
                       const Environment& env) {
    const Size size{proposal.width.value_or(defaultShapeSize),
                    proposal.height.value_or(defaultShapeSize)};
    if (!isFinite(size)) {
        // Only ever asked while measuring how far a stack's child can grow.
        auto node = nodeOfSize(size);
        node.visible = false;
        return node;
    }
    const auto path = outline(shape, size);
    if (!path) {
        return invisible(size);
    }
    auto node = nodeOfSize(size);
    ShapeContent content{*path, std::nullopt, std::nullopt, {}};
    if (shape.stroke) {
        content.stroke = resolve(shape.stroke->paint, size);
        content.strokeStyle = shape.stroke->style;
        if (!content.stroke || !isDrawable(content.strokeStyle)) {
            return invisible(size);
        }
    } else {
        content.fill = resolve(shape.fill.value_or(env.foreground.value_or(Color::primary)), size);
        if (!content.fill) {
            return invisible(size);
        }
    }
    node.content = std::move(content);
    return node;
}

LayoutNode layoutText(const detail::TextNode& text, ProposedSize proposal, const Environment& env) {
    Font font = text.font.value_or(env.font);
    if (const auto weight = text.weight ? text.weight : env.weight) {
        font.weight = *weight;
    }
    const Color color = text.color.value_or(env.foreground.value_or(Color::primary));
    if (!std::isfinite(font.size) || font.size <= 0 || font.size > maximumFontSize ||
        !color.isDrawable()) {
        return invisible();
    }
    std::string content;
    if (const auto* verbatim = std::get_if<std::string>(&text.content)) {
        content = *verbatim;
    } else {
        content = std::get<LocalizedStringKey>(text.content).resolved();
    }
    auto shaped = TextLayout::make(std::move(content), font, proposal.width,
                                   text.lineLimit ? text.lineLimit : env.lineLimit);
    auto node = nodeOfSize(shaped->size());
    node.content = TextContent{std::move(shaped), color};
    return node;
}

LayoutNode layoutImage(const detail::ImageNode& image) {
    const auto directory = image.directory.value_or(mainResources().directory);
    auto asset = ImageAsset::named(image.name, directory);
    if (!asset) {
        return invisible();
    }
    auto node = nodeOfSize(asset->size());
    node.content = ImageContent{std::move(asset), image.name};
    return node;
}

// Stacks along one axis: the main axis is divided among the children, least flexible first,
// as the platform's stacks do.
struct Axis {
    bool vertical;
    double main(Size s) const { return vertical ? s.height : s.width; }
    double cross(Size s) const { return vertical ? s.width : s.height; }
    std::optional<double> main(ProposedSize p) const { return vertical ? p.height : p.width; }
    std::optional<double> cross(ProposedSize p) const { return vertical ? p.width : p.height; }
    ProposedSize proposal(std::optional<double> main, std::optional<double> cross) const {
        return vertical ? ProposedSize{cross, main} : ProposedSize{main, cross};
    }
    Size size(double main, double cross) const {
        return vertical ? Size{cross, main} : Size{main, cross};
    }
};

LayoutNode layoutLinearStack(const detail::StackNode& stack, ProposedSize proposal,
                             const Environment& env) {
    const Axis axis{stack.axis == detail::StackAxis::vertical};
    const double spacing = stack.spacing.value_or(defaultSpacing);
    if (!std::isfinite(spacing)) {
        return invisible();
    }
    std::vector<const View*> children;
    std::vector<std::size_t> slots;
    for (std::size_t i = 0; i < stack.children.size(); ++i) {
        if (!stack.children[i].isEmpty()) {
            children.push_back(&stack.children[i]);
            slots.push_back(i);
        }
    }
    const auto count = children.size();
    std::vector<LayoutNode> laid(count);
    const auto cross = axis.cross(proposal);
    const double totalSpacing = count > 1 ? spacing * static_cast<double>(count - 1) : 0;
    if (const auto available = axis.main(proposal); available && count > 1) {
        std::vector<double> flexibility(count);
        for (std::size_t i = 0; i < count; ++i) {
            const double least =
                axis.main(layoutView(*children[i], axis.proposal(0.0, cross), env).frame.size);
            const double most =
                axis.main(layoutView(*children[i], axis.proposal(INFINITY, cross), env).frame.size);
            flexibility[i] = most - least;
        }
        std::vector<std::size_t> order(count);
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(),
                         [&](auto a, auto b) { return flexibility[a] < flexibility[b]; });
        double remaining = *available - totalSpacing;
        auto left = count;
        for (auto i : order) {
            const double share = std::max(0.0, remaining) / static_cast<double>(left--);
            laid[i] = layoutView(*children[i], axis.proposal(share, cross), env);
            remaining -= axis.main(laid[i].frame.size);
        }
    } else {
        for (std::size_t i = 0; i < count; ++i) {
            laid[i] = layoutView(*children[i], axis.proposal(axis.main(proposal), cross), env);
        }
    }
    double crossExtent = 0;
    double mainExtent = totalSpacing;
    for (const auto& node : laid) {
        crossExtent = std::max(crossExtent, axis.cross(node.frame.size));
        mainExtent += axis.main(node.frame.size);
    }
    auto node = nodeOfSize(axis.size(mainExtent, crossExtent));
    const double crossFraction =
        axis.vertical ? fraction(stack.alignment.horizontal) : fraction(stack.alignment.vertical);
    double position = 0;
    for (std::size_t i = 0; i < count; ++i) {
        auto& child = laid[i];
        const double offset = (crossExtent - axis.cross(child.frame.size)) * crossFraction;
        child.frame.origin = axis.vertical ? Point{offset, position} : Point{position, offset};
        child.slot = slots[i];
        position += axis.main(child.frame.size) + spacing;
        node.children.push_back(std::move(child));
    }
    return node;
}

LayoutNode layoutDepthStack(const detail::StackNode& stack, ProposedSize proposal,
                            const Environment& env) {
    std::vector<LayoutNode> laid;
    Size size;
    for (std::size_t i = 0; i < stack.children.size(); ++i) {
        if (stack.children[i].isEmpty()) {
            continue;
        }
        laid.push_back(layoutView(stack.children[i], proposal, env));
        laid.back().slot = i;
        size.width = std::max(size.width, laid.back().frame.size.width);
        size.height = std::max(size.height, laid.back().frame.size.height);
    }
    auto node = nodeOfSize(size);
    for (auto& child : laid) {
        child.frame.origin = aligned(size, child.frame.size, stack.alignment);
        node.children.push_back(std::move(child));
    }
    return node;
}

ProposedSize inset(ProposedSize proposal, double horizontal, double vertical) {
    const auto shrink = [](std::optional<double> p, double by) -> std::optional<double> {
        if (!p) {
            return std::nullopt;
        }
        return std::max(0.0, *p - by);
    };
    return {shrink(proposal.width, horizontal), shrink(proposal.height, vertical)};
}

LayoutNode layoutButton(const detail::ButtonNode& button, ProposedSize proposal,
                        const Environment& env) {
    auto label = layoutView(
        button.label, inset(proposal, 2 * buttonHorizontalInset, 2 * buttonVerticalInset), env);
    const Size size{label.frame.size.width + 2 * buttonHorizontalInset,
                    label.frame.size.height + 2 * buttonVerticalInset};
    auto node = nodeOfSize(size);
    node.action = button.action;
    node.cornerRadius = buttonCornerRadius;
    // The light push-button bezel: a white rounded rectangle with a faint rim.
    auto bezel = nodeOfSize(size);
    const Rect rim{{0.25, 0.25},
                   {std::max(0.0, size.width - 0.5), std::max(0.0, size.height - 0.5)}};
    bezel.content = ShapeContent{
        Path::roundedRect(rim, buttonCornerRadius), Paint(Color::white), std::nullopt, {}};
    auto edge = nodeOfSize(size);
    edge.content =
        ShapeContent{Path::roundedRect(rim, buttonCornerRadius), std::nullopt,
                     Paint(Color::black.withOpacity(0.2)), StrokeStyle{.lineWidth = 0.5}};
    label.frame.origin = {buttonHorizontalInset, buttonVerticalInset};
    node.children.push_back(std::move(bezel));
    node.children.push_back(std::move(edge));
    node.children.push_back(std::move(label));
    return node;
}

LayoutNode layoutFixedFrame(const detail::FixedFrame& frame, const View& content,
                            ProposedSize proposal, const Environment& env) {
    if (!isLength(frame.width) || !isLength(frame.height)) {
        return invisible({frame.width.value_or(0), frame.height.value_or(0)});
    }
    auto child = layoutView(
        content,
        {frame.width ? frame.width : proposal.width, frame.height ? frame.height : proposal.height},
        env);
    const Size size{frame.width.value_or(child.frame.size.width),
                    frame.height.value_or(child.frame.size.height)};
    auto node = nodeOfSize(size);
    child.frame.origin = aligned(size, child.frame.size, frame.alignment);
    node.children.push_back(std::move(child));
    return node;
}

bool isLimit(const std::optional<double>& value) {
    return !value || (!std::isnan(*value) && *value >= 0);
}

// One axis of a flexible frame: the proposal clamped to the limits goes to the child, and the
// frame takes the proposal clamped by the limits, falling back to the child's size.
struct FlexibleAxis {
    std::optional<double> min, ideal, max;

    std::optional<double> childProposal(std::optional<double> proposed) const {
        auto p = proposed ? proposed : ideal;
        if (p && min) {
            p = std::max(*min, *p);
        }
        if (p && max) {
            p = std::min(*max, *p);
        }
        return p;
    }
    double size(std::optional<double> proposed, double child) const {
        const auto p = childProposal(proposed);
        double result = child;
        if (min) {
            result = std::max(*min, std::min(result, p.value_or(result)));
        }
        if (max) {
            result = std::min(*max, std::max(result, p.value_or(result)));
        }
        return result;
    }
};

LayoutNode layoutFlexibleFrame(const FlexibleFrame& frame, const View& content,
                               ProposedSize proposal, const Environment& env) {
    const bool finiteMinimaAndIdeals = isLength(frame.minWidth) && isLength(frame.idealWidth) &&
                                       isLength(frame.minHeight) && isLength(frame.idealHeight);
    if (!finiteMinimaAndIdeals || !isLimit(frame.maxWidth) || !isLimit(frame.maxHeight)) {
        return invisible();
    }
    const FlexibleAxis horizontal{frame.minWidth, frame.idealWidth, frame.maxWidth};
    const FlexibleAxis vertical{frame.minHeight, frame.idealHeight, frame.maxHeight};
    auto child = layoutView(
        content,
        {horizontal.childProposal(proposal.width), vertical.childProposal(proposal.height)}, env);
    const Size size{horizontal.size(proposal.width, child.frame.size.width),
                    vertical.size(proposal.height, child.frame.size.height)};
    auto node = nodeOfSize(size);
    if (!isFinite(size)) {
        node.visible = false;
    }
    child.frame.origin = aligned(size, child.frame.size, frame.alignment);
    node.children.push_back(std::move(child));
    return node;
}

LayoutNode layoutPadding(const detail::Padding& padding, const View& content, ProposedSize proposal,
                         const Environment& env) {
    const auto& e = padding.insets;
    if (!std::isfinite(e.top) || !std::isfinite(e.leading) || !std::isfinite(e.bottom) ||
        !std::isfinite(e.trailing)) {
        return invisible();
    }
    auto child =
        layoutView(content, inset(proposal, e.leading + e.trailing, e.top + e.bottom), env);
    auto node = nodeOfSize({std::max(0.0, child.frame.size.width + e.leading + e.trailing),
                            std::max(0.0, child.frame.size.height + e.top + e.bottom)});
    child.frame.origin = {e.leading, e.top};
    node.children.push_back(std::move(child));
    return node;
}

LayoutNode layoutModified(const detail::ModifiedNode& modified, ProposedSize proposal,
                          const Environment& env) {
    const View& content = modified.content;
    return std::visit(
        [&](const auto& m) -> LayoutNode {
            using M = std::decay_t<decltype(m)>;
            if constexpr (std::is_same_v<M, detail::FixedFrame>) {
                return layoutFixedFrame(m, content, proposal, env);
            } else if constexpr (std::is_same_v<M, FlexibleFrame>) {
                return layoutFlexibleFrame(m, content, proposal, env);
            } else if constexpr (std::is_same_v<M, detail::Padding>) {
                return layoutPadding(m, content, proposal, env);
            } else if constexpr (std::is_same_v<M, detail::Offset>) {
                auto node = wrap(layoutView(content, proposal, env));
                node.effect = Transform::translation(m.x, m.y);
                node.visible = std::isfinite(m.x) && std::isfinite(m.y);
                return node;
            } else if constexpr (std::is_same_v<M, detail::Rotation>) {
                auto node = wrap(layoutView(content, proposal, env));
                const Point pivot{m.anchor.x * node.frame.size.width,
                                  m.anchor.y * node.frame.size.height};
                node.effect = Transform::rotation(m.angle.radians, pivot);
                node.visible = std::isfinite(m.angle.radians) && isFinite(pivot);
                return node;
            } else if constexpr (std::is_same_v<M, detail::Background>) {
                auto node = wrap(layoutView(content, proposal, env));
                auto behind = layoutView(m.content, node.frame.size, env);
                behind.frame.origin = aligned(node.frame.size, behind.frame.size, m.alignment);
                node.children.insert(node.children.begin(), std::move(behind));
                return node;
            } else if constexpr (std::is_same_v<M, detail::FontEnvironment>) {
                auto inner = env;
                inner.font = m.font;
                inner.weight.reset();
                return layoutView(content, proposal, inner);
            } else if constexpr (std::is_same_v<M, detail::WeightEnvironment>) {
                auto inner = env;
                inner.weight = m.weight;
                return layoutView(content, proposal, inner);
            } else if constexpr (std::is_same_v<M, detail::ColorEnvironment>) {
                auto inner = env;
                inner.foreground = m.color;
                return layoutView(content, proposal, inner);
            } else if constexpr (std::is_same_v<M, detail::LineLimitEnvironment>) {
                auto inner = env;
                inner.lineLimit = m.lines;
                return layoutView(content, proposal, inner);
            } else {
                auto node = wrap(layoutView(content, proposal, env));
                node.appear = m.action;
                return node;
            }
        },
        modified.modifier);
}

LayoutNode layoutView(const View& view, ProposedSize raw, const Environment& env) {
    const ProposedSize proposal{sanitized(raw.width), sanitized(raw.height)};
    return std::visit(
        [&](const auto& n) -> LayoutNode {
            using N = std::decay_t<decltype(n)>;
            if constexpr (std::is_same_v<N, detail::EmptyNode>) {
                return nodeOfSize({});
            } else if constexpr (std::is_same_v<N, detail::TextNode>) {
                return layoutText(n, proposal, env);
            } else if constexpr (std::is_same_v<N, detail::ImageNode>) {
                return layoutImage(n);
            } else if constexpr (std::is_same_v<N, detail::ShapeNode>) {
                return layoutShape(n, proposal, env);
            } else if constexpr (std::is_same_v<N, detail::StackNode>) {
                return n.axis == detail::StackAxis::depth ? layoutDepthStack(n, proposal, env)
                                                          : layoutLinearStack(n, proposal, env);
            } else if constexpr (std::is_same_v<N, detail::ButtonNode>) {
                return layoutButton(n, proposal, env);
            } else if constexpr (std::is_same_v<N, detail::CompositeNode>) {
                return layoutView(n.body(), proposal, env);
            } else {
                return layoutModified(n, proposal, env);
            }
        },
        view.node().value);
}

} // namespace

LayoutNode layout(const View& view, ProposedSize proposal) {
    return layoutView(view, proposal, Environment{});
}

LayoutNode layoutCentered(const View& view, Size area) {
    auto root = layout(view, area);
    root.frame.origin = aligned(area, root.frame.size, Alignment::center);
    return root;
}

Size idealSize(const View& view) {
    return layout(view, ProposedSize::unspecified()).frame.size;
}

} // namespace platform::ui
