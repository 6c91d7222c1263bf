#pragma once

#include "platform/ui/LocalizedStringKey.h"
#include "platform/widget/TimelineProvider.h"
#include "platform/widget/WidgetFamily.h"

#include <concepts>
#include <string>
#include <utility>
#include <vector>

namespace platform::widget {

// What the host lists about a widget: its gallery name, description and sizes.
struct WidgetDescriptor {
    std::string kind;
    ui::LocalizedStringKey displayName{""};
    ui::LocalizedStringKey description{""};
    std::vector<WidgetFamily> families = allFamilies();
};

// A widget with no user-configurable options: a provider, and how each of its entries becomes
// a view. The modifiers return a refined copy.
template <TimelineProvider P, class Content>
requires std::invocable < const Content&, const ProviderEntry<P>
& > class StaticConfiguration {
public:
    using Provider = P;
    using Entry = ProviderEntry<P>;

    StaticConfiguration(std::string kind, P provider, Content content)
        : provider_(std::move(provider))
        , content_(std::move(content)) {
        descriptor_.kind = std::move(kind);
        descriptor_.displayName = ui::LocalizedStringKey(descriptor_.kind);
    }

    StaticConfiguration supportedFamilies(std::vector<WidgetFamily> families) const {
        auto copy = *this;
        copy.descriptor_.families = std::move(families);
        return copy;
    }
    StaticConfiguration configurationDisplayName(ui::LocalizedStringKey key) const {
        auto copy = *this;
        copy.descriptor_.displayName = std::move(key);
        return copy;
    }
    StaticConfiguration description(ui::LocalizedStringKey key) const {
        auto copy = *this;
        copy.descriptor_.description = std::move(key);
        return copy;
    }

    const WidgetDescriptor& descriptor() const { return descriptor_; }
    const P& provider() const { return provider_; }
    auto content(const Entry& entry) const { return content_(entry); }

private:
    WidgetDescriptor descriptor_;
    P provider_;
    Content content_;
};

template <class T>
concept WidgetConfiguration = requires(const T& configuration, const typename T::Entry& entry) {
    typename T::Provider;
    { configuration.descriptor() } -> std::convertible_to<WidgetDescriptor>;
    { configuration.provider() } -> std::convertible_to<const typename T::Provider&>;
    configuration.content(entry);
};

} // namespace platform::widget
