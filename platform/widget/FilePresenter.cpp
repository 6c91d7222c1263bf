#include "platform/widget/FilePresenter.h"

#include "platform/widget/AtomicFile.h"
#include "platform/widget/WidgetPicture.h"

namespace platform::widget {

FilePresenter::FilePresenter(std::filesystem::path path, WidgetFamily family, int scale)
    : path_(std::move(path))
    , format_(outputFormat(path_).value_or(OutputFormat::png))
    , points_{displaySize(family).width, displaySize(family).height}
    , scale_(scale) {}

std::optional<std::string> FilePresenter::present(const ui::View& view,
                                                  const Presentation& presentation) const {
    auto bytes = encodeWidget(format_, view, points_, scale_, presentation.stale);
    if (!bytes) {
        return "cannot draw " + path_.string() + ": " + bytes.error();
    }
    std::string_view data(reinterpret_cast<const char*>(bytes->data()), bytes->size());
    if (auto error = writeFileAtomically(path_, data)) {
        return error->message;
    }
    return std::nullopt;
}

} // namespace platform::widget
