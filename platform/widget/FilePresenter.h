#pragma once

#include "platform/ui/View.h"
#include "platform/widget/HostOptions.h"
#include "platform/widget/TimelineSchedule.h"
#include "platform/widget/WidgetFamily.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/stat.h>

namespace platform::widget {

// Shows the widget as a picture file for bars and desktops that display an image: each view it
// is given replaces the whole file at once; a picture that fails leaves the file as it was. A
// PNG picture equal to the one it wrote last is not written again while that file is still in
// place, so a refresh that changes nothing costs no encoding, no disk write and no reload by a
// watcher.
class FilePresenter {
public:
    // `path` must name a .png, .svg or .pdf file (HostOptions checks it).
    FilePresenter(std::filesystem::path path, WidgetFamily family, int scale);

    // nullopt when written (or already there); otherwise what went wrong.
    std::optional<std::string> present(const ui::View& view, const Presentation& presentation);

    const std::filesystem::path& path() const { return path_; }

private:
    // The file this presenter last wrote, as the file system saw it then.
    struct Written {
        std::uint64_t fingerprint = 0;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        timespec modified{};
    };

    bool stillInPlace(std::uint64_t fingerprint) const;
    std::optional<std::string> write(std::string_view bytes, std::uint64_t fingerprint);

    std::filesystem::path path_;
    OutputFormat format_;
    ui::Size points_;
    int scale_;
    std::optional<Written> written_;
};

} // namespace platform::widget
