#include "platform/widget/DesktopWindow.h"

#include "platform/foundation/LoadableModule.h"
#include "platform/widget/StaleMark.h"
#include "platform/widget/WidgetFamily.h"
#include "platform/widget/WidgetPicture.h"

#include <algorithm>
#include <cmath>

namespace platform::widget {

using foundation::Expected;
using foundation::Unexpected;

namespace {

std::string monitorNames(const std::vector<Monitor>& monitors) {
    std::string names;
    for (const auto& monitor : monitors) {
        names += (names.empty() ? "" : ", ") + monitor.name;
    }
    return names.empty() ? "none" : names;
}

// The host's own words, in the user's language where its catalogue has them.
std::string text(const ui::StringTable& strings, const char* key) {
    auto translated = strings ? strings(key) : std::nullopt;
    return translated.value_or(key);
}

} // namespace

struct DesktopWindow::Token {};

Expected<std::unique_ptr<DesktopWindow>, std::string> DesktopWindow::open(Options options) {
    auto entry = foundation::moduleSymbol(nativeWindowModule, nativeWindowEntry);
    if (!entry) {
        return Unexpected{entry.error()};
    }
    const OpenNativeWindow openNative = *static_cast<const OpenNativeWindow*>(*entry);
    auto window = std::make_unique<DesktopWindow>(Token{}, std::move(options));
    auto* w = window.get();
    const ui::Size points = w->options_.points;
    NativeWindow::Options native{
        static_cast<int>(points.width),
        static_cast<int>(points.height),
        w->options_.title,
        widgetCornerRadius,
        [w] {
            if (w->options_.closed) {
                w->options_.closed();
            }
        },
        [w](cairo_t* cr) { w->paint(cr); },
        {},
        [w](const Monitor& monitor, const Rect& frame) { w->moved(monitor, frame); }};
    if (w->options_.refresh) {
        native.menu.push_back({text(w->options_.strings, "Refresh now"), w->options_.refresh});
    }
    if (w->options_.closed) {
        native.menu.push_back({text(w->options_.strings, "Close"), w->options_.closed});
    }
    auto opened = openNative(std::move(native));
    if (!opened) {
        return Unexpected{opened.error()};
    }
    window->native_ = std::move(*opened);
    if (auto error = window->placeAtStart()) {
        return Unexpected{*error};
    }
    window->native_->show();
    return window;
}

DesktopWindow::DesktopWindow(const Token&, Options options)
    : options_(std::move(options))
    , memory_(PlaceMemory::forKind(options_.kind))
    , registry_(PlaceRegistry::open(options_.kind)) {}

DesktopWindow::~DesktopWindow() = default;

std::optional<std::string> DesktopWindow::placeAtStart() {
    const auto monitors = native_->monitors();
    const auto& request = options_.placement;
    if (request.monitor && std::none_of(monitors.begin(), monitors.end(), [&](const Monitor& m) {
            return m.name == *request.monitor;
        })) {
        return "--monitor " + *request.monitor + ": no such monitor; the desktop has " +
               monitorNames(monitors);
    }
    auto start = startingPlace(request, memory_ ? memory_->recall() : std::nullopt);
    auto monitor = monitorFor(start.place, monitors);
    if (!monitor) {
        return "the display has no monitor to show the widget on";
    }
    const auto points = options_.points;
    Place place = start.place;
    place.monitor = monitor->name;
    place = pulledInside(place, monitor->area, points);
    auto choose = [&](const std::vector<Rect>& taken) {
        if (start.stack) {
            place = stacked(place, monitor->area, points, taken, start.margin);
        }
        return frameOf(place, monitor->area, points);
    };
    const Rect frame = registry_ ? registry_->claim(monitor->name, choose) : choose({});
    native_->place(*monitor, place, frame);
    return std::nullopt;
}

void DesktopWindow::moved(const Monitor& monitor, const Rect& frame) {
    const Place place = placeOfFrame(frame, monitor);
    const Rect kept = frameOf(place, monitor.area, options_.points);
    native_->place(monitor, place, kept);
    if (memory_) {
        memory_->remember(place);
    }
    if (registry_) {
        registry_->update(monitor.name, kept);
    }
}

void DesktopWindow::paint(cairo_t* cr) {
    double scale = 1;
    double ignored = 1;
    cairo_surface_get_device_scale(cairo_get_target(cr), &scale, &ignored);
    if (!picture_ || pictureScale_ != scale) {
        const int pixelScale = std::max(1, static_cast<int>(std::ceil(scale)));
        auto drawn = drawWidgetImage(content_, options_.points, pixelScale, stale_, redaction_);
        if (!drawn) {
            cairo_save(cr);
            cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
            cairo_paint(cr);
            cairo_restore(cr);
            drawWidget(cr, content_, options_.points, stale_, redaction_);
            return;
        }
        picture_ = std::move(*drawn);
        cairo_surface_set_device_scale(picture_.get(), pixelScale, pixelScale);
        pictureScale_ = scale;
    }
    // Its transparent corners replace what was there: no clearing first.
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, picture_.get(), 0, 0);
    cairo_paint(cr);
}

void DesktopWindow::show(ui::View content, const Presentation& presentation) {
    content_ = std::move(content);
    stale_ = presentation.stale;
    redaction_ = redactionOf(presentation);
    picture_.reset();
    native_->setTooltip(staleText(presentation, options_.strings));
    native_->redraw();
}

} // namespace platform::widget
