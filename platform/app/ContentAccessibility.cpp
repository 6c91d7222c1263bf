#include "platform/app/ContentAccessibility.h"

#include "platform/app/ElementAccessible.h"

#include <algorithm>
#include <gtk/gtk.h>
#include <string_view>
#include <utility>

namespace platform::app {

namespace {

bool sameForReaders(const std::vector<ui::AccessibilityElement>& a,
                    const std::vector<ui::AccessibilityElement>& b) {
    return std::ranges::equal(a, b,
                              [](const auto& x, const auto& y) { return x.describesSameAs(y); });
}

} // namespace

void ContentAccessibility::attach(GtkWidget* canvas) {
    canvas_ = canvas;
    if (!canvas_) {
        objects_.clear();
    }
}

void ContentAccessibility::update(std::vector<ui::AccessibilityElement> elements,
                                  const std::optional<ui::NodePath>& focused) {
    focused_ = focused;
    if (sameForReaders(elements, elements_)) {
        // Same words in the same places; the actions are the new layout's.
        for (std::size_t i = 0; i < objects_.size(); ++i) {
            refreshElementAccessible(objects_[i].get(), elements[i]);
        }
        elements_ = std::move(elements);
        showFocus();
        return;
    }
    announce("children-changed::remove");
    objects_.clear();
    elements_ = std::move(elements);
    if (asked_) {
        makeObjects();
        announce("children-changed::add");
    }
    showFocus();
}

int ContentAccessibility::count() {
    if (!std::exchange(asked_, true)) {
        makeObjects();
    }
    return static_cast<int>(objects_.size());
}

AtkObject* ContentAccessibility::child(int index) {
    if (index < 0 || index >= count()) {
        return nullptr;
    }
    return objects_[static_cast<std::size_t>(index)].get();
}

void ContentAccessibility::makeObjects() {
    objects_.clear();
    if (!canvas_) {
        return;
    }
    auto* parent = gtk_widget_get_accessible(canvas_);
    for (const auto& element : elements_) {
        objects_.push_back(makeElementAccessible(element, parent));
    }
    showFocus();
}

// Removals are told last first, so each index is still right when it is told.
void ContentAccessibility::announce(const char* change) {
    if (!canvas_ || objects_.empty()) {
        return;
    }
    auto* parent = gtk_widget_get_accessible(canvas_);
    const bool removing = std::string_view(change).ends_with("remove");
    const auto count = static_cast<int>(objects_.size());
    for (int k = 0; k < count; ++k) {
        const int i = removing ? count - 1 - k : k;
        g_signal_emit_by_name(parent, change, i, objects_[static_cast<std::size_t>(i)].get());
    }
}

void ContentAccessibility::showFocus() {
    for (std::size_t i = 0; i < objects_.size(); ++i) {
        setElementFocused(objects_[i].get(), focused_ && elements_[i].path == *focused_);
    }
}

} // namespace platform::app
