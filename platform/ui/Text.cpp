#include "platform/ui/Text.h"

#include "platform/ui/ViewNode.h"

namespace platform::ui {
namespace {

std::shared_ptr<const detail::Node> textNode(detail::TextNode text) {
    return std::make_shared<const detail::Node>(detail::Node{std::move(text)});
}

} // namespace

Text::Text(const char* key)
    : Text(LocalizedStringKey(key)) {}

Text::Text(LocalizedStringKey key)
    : View(textNode({.content = std::move(key)})) {}

Text::Text(std::string verbatim)
    : View(textNode({.content = std::move(verbatim)})) {}

Text Text::verbatim(std::string content) {
    return Text(std::move(content));
}

template <class Change> Text Text::with(Change change) const {
    auto text = std::get<detail::TextNode>(node().value);
    change(text);
    return Text(textNode(std::move(text)));
}

Text Text::font(Font font) const {
    return with([&](detail::TextNode& t) { t.font = font; });
}

Text Text::fontWeight(Font::Weight weight) const {
    return with([&](detail::TextNode& t) { t.weight = weight; });
}

Text Text::bold() const {
    return fontWeight(Font::Weight::bold);
}

Text Text::foregroundColor(Color color) const {
    return with([&](detail::TextNode& t) { t.color = color; });
}

Text Text::lineLimit(std::optional<int> lines) const {
    return with([&](detail::TextNode& t) { t.lineLimit = lines; });
}

} // namespace platform::ui
