#include "platform/app/WindowContent.h"

#include "platform/app/ObservationScope.h"
#include "platform/combine/Cancellable.h"
#include "platform/dispatch/DispatchQueue.h"
#include "platform/ui/Render.h"

#include <algorithm>
#include <map>

namespace platform::app {

namespace {

struct Watch {
    std::weak_ptr<combine::ObservableObject> object;
    combine::Cancellable subscription;
};

} // namespace

struct WindowContent::State : std::enable_shared_from_this<State> {
    ui::View root;
    Redraw redraw;
    std::optional<ui::LayoutNode> tree;
    std::optional<ui::NodePath> focus;
    bool appeared = false;
    bool redrawQueued = false;
    std::map<const combine::ObservableObject*, Watch> watches;

    // Told before the value is stored: the redraw waits for the main queue's next turn.
    void changing() {
        if (redrawQueued) {
            return;
        }
        redrawQueued = true;
        dispatch::DispatchQueue::main().async([weak = weak_from_this()] {
            if (auto self = weak.lock()) {
                self->redrawQueued = false;
                if (self->redraw) {
                    self->redraw();
                }
            }
        });
    }

    // Watches exactly what the last layout read.
    void watch(const ObservationScope::Objects& observed) {
        std::map<const combine::ObservableObject*, Watch> next;
        for (const auto& object : observed) {
            auto found = watches.find(object.get());
            if (found != watches.end() && !found->second.object.expired()) {
                next.emplace(object.get(), std::move(found->second));
                continue;
            }
            auto subscription = object->objectWillChange.sink([weak = weak_from_this()] {
                if (auto self = weak.lock()) {
                    self->changing();
                }
            });
            next.emplace(object.get(), Watch{object, std::move(subscription)});
        }
        watches = std::move(next);
    }

    template <class Work> auto observing(Work work) {
        ObservationScope scope;
        auto result = work();
        watch(scope.observed());
        return result;
    }
};

WindowContent::WindowContent(ui::View root, Redraw redraw)
    : state_(std::make_shared<State>()) {
    state_->root = std::move(root);
    state_->redraw = std::move(redraw);
}

WindowContent::~WindowContent() = default;

ui::Size WindowContent::idealSize() {
    return state_->observing([&] { return ui::idealSize(state_->root); });
}

const ui::LayoutNode& WindowContent::layout(ui::Size area) {
    state_->tree = state_->observing([&] { return ui::layoutCentered(state_->root, area); });
    if (state_->focus) {
        const auto order = ui::focusOrder(*state_->tree);
        if (std::ranges::find(order, *state_->focus) == order.end()) {
            state_->focus.reset(); // the focused button is gone
        }
    }
    return *state_->tree;
}

void WindowContent::appear() {
    if (state_->appeared || !state_->tree) {
        return;
    }
    state_->appeared = true;
    for (const auto& action : ui::appearActions(*state_->tree)) {
        action();
    }
}

bool WindowContent::hasAppeared() const {
    return state_->appeared;
}

bool WindowContent::click(ui::Point point) {
    if (!state_->tree) {
        return false;
    }
    auto action = ui::buttonActionAt(*state_->tree, point);
    if (!action || !*action) {
        return false;
    }
    (*action)();
    return true;
}

bool WindowContent::moveFocus(ui::FocusDirection direction) {
    if (!state_->tree) {
        return false;
    }
    state_->focus = ui::nextFocus(*state_->tree, state_->focus, direction);
    return state_->focus.has_value();
}

void WindowContent::clearFocus() {
    state_->focus.reset();
}

const std::optional<ui::NodePath>& WindowContent::focus() const {
    return state_->focus;
}

bool WindowContent::activateFocus() {
    if (!state_->tree || !state_->focus) {
        return false;
    }
    auto found = ui::locate(*state_->tree, *state_->focus);
    if (!found || !found->node->action) {
        return false;
    }
    // A copy: the action may redraw, which replaces the tree that holds it.
    auto action = found->node->action;
    action();
    return true;
}

void WindowContent::draw(ui::Canvas& canvas, bool withFocusRing) const {
    if (!state_->tree) {
        return;
    }
    ui::render(*state_->tree, canvas);
    if (withFocusRing && state_->focus) {
        ui::drawFocusRing(*state_->tree, *state_->focus, canvas);
    }
}

std::vector<ui::AccessibilityElement> WindowContent::accessibilityElements() const {
    return state_->tree ? ui::accessibilityElements(*state_->tree)
                        : std::vector<ui::AccessibilityElement>();
}

const ui::View& WindowContent::root() const {
    return state_->root;
}

} // namespace platform::app
