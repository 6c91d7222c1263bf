#pragma once

#include "platform/ui/View.h"
#include "platform/widget/HostOptions.h"
#include "platform/widget/TimelineSchedule.h"
#include "platform/widget/WidgetFamily.h"

#include <filesystem>
#include <optional>
#include <string>

namespace platform::widget {

// Shows the widget as a picture file for bars and desktops that display an image: each view it
// is given replaces the whole file at once; a picture that fails leaves the file as it was.
class FilePresenter {
public:
    // `path` must name a .png, .svg or .pdf file (HostOptions checks it).
    FilePresenter(std::filesystem::path path, WidgetFamily family, int scale);

    // nullopt when written; otherwise what went wrong.
    std::optional<std::string> present(const ui::View& view,
                                       const Presentation& presentation) const;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
    OutputFormat format_;
    ui::Size points_;
    int scale_;
};

} // namespace platform::widget
