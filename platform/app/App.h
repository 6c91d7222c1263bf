#pragma once

#include "platform/ui/View.h"

#include <concepts>
#include <functional>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace platform::app {

// A group of windows of one kind; the runtime opens one, with content made afresh by the
// builder, so every window has its own view values (and the objects they make).
class WindowGroup {
public:
    template <class Content>
    requires std::invocable<Content&> &&
        std::convertible_to<std::invoke_result_t<Content&>, ui::View>
    explicit WindowGroup(Content content)
        : content_([content = std::move(content)]() mutable -> ui::View { return content(); }) {}

    ui::View makeContent() const { return content_(); }

private:
    std::function<ui::View()> content_;
};

// What an application declares: its window groups.
struct Scene {
    Scene(WindowGroup group)
        : windowGroups{std::move(group)} {}
    explicit Scene(std::vector<WindowGroup> groups)
        : windowGroups(std::move(groups)) {}

    // The page the About window links to, asked each time it opens; none without it.
    Scene aboutPage(std::function<std::optional<std::string>()> page) && {
        aboutWebsite = std::move(page);
        return std::move(*this);
    }

    std::vector<WindowGroup> windowGroups;
    std::function<std::optional<std::string>()> aboutWebsite;
};

// An application type: made with no arguments when the program starts, asked for its scene.
template <class T>
concept App = std::default_initializable<T> && requires(const T& app) {
    { app.body() } -> std::convertible_to<Scene>;
};

} // namespace platform::app
