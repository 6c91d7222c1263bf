#include "platform/widget/DesktopWindow.h"

#include "platform/foundation/LoadableModule.h"
#include "platform/widget/StaleMark.h"
#include "platform/widget/WidgetPicture.h"

namespace platform::widget {

using foundation::Expected;
using foundation::Unexpected;

struct DesktopWindow::Token {};

Expected<std::unique_ptr<DesktopWindow>, std::string> DesktopWindow::open(Options options) {
    auto entry = foundation::moduleSymbol(nativeWindowModule, nativeWindowEntry);
    if (!entry) {
        return Unexpected{entry.error()};
    }
    const OpenNativeWindow openNative = *static_cast<const OpenNativeWindow*>(*entry);
    auto window = std::make_unique<DesktopWindow>(Token{}, std::move(options));
    const ui::Size points = window->options_.points;
    auto native = openNative({static_cast<int>(points.width), static_cast<int>(points.height),
                              window->options_.title,
                              [w = window.get()] {
                                  if (w->options_.closed) {
                                      w->options_.closed();
                                  }
                              },
                              [w = window.get()](cairo_t* cr) { w->paint(cr); }});
    if (!native) {
        return Unexpected{native.error()};
    }
    window->native_ = std::move(*native);
    return window;
}

DesktopWindow::DesktopWindow(const Token&, Options options)
    : options_(std::move(options)) {}

DesktopWindow::~DesktopWindow() = default;

void DesktopWindow::paint(cairo_t* cr) const {
    drawWidget(cr, content_, options_.points, stale_, redaction_);
}

void DesktopWindow::show(ui::View content, const Presentation& presentation) {
    content_ = std::move(content);
    stale_ = presentation.stale;
    redaction_ = redactionOf(presentation);
    native_->setTooltip(staleText(presentation, options_.strings));
    native_->redraw();
}

} // namespace platform::widget
