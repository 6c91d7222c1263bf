#pragma once

#include "platform/ui/LocalizedStringKey.h"
#include "platform/ui/View.h"

#include <string>

namespace platform::ui {

// A run of text. A string literal is a localisable key, looked up in the main string table and
// shown as written when absent; a std::string is shown verbatim, never looked up.
class Text : public View {
public:
    Text(const char* key);
    Text(LocalizedStringKey key);
    Text(std::string verbatim);
    static Text verbatim(std::string content);

    // The text's own attributes win over those inherited from enclosing views.
    Text font(Font font) const;
    Text fontWeight(Font::Weight weight) const;
    Text bold() const;
    Text foregroundColor(Color color) const;
    // At most this many lines; what does not fit the proposed width ends in an ellipsis.
    Text lineLimit(std::optional<int> lines) const;

private:
    explicit Text(std::shared_ptr<const detail::Node> node)
        : View(std::move(node)) {}
    template <class Change> Text with(Change change) const;
};

} // namespace platform::ui
