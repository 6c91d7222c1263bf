#include "platform/widget/FilePresenter.h"

#include "platform/ui/PNGWriter.h"
#include "platform/widget/AtomicFile.h"
#include "platform/widget/PictureFingerprint.h"
#include "platform/widget/WidgetPicture.h"

#include <span>

namespace platform::widget {
namespace {

std::span<const std::uint8_t> pixelsOf(cairo_surface_t* image) {
    // A new image is zero-filled, so row padding never differs between two pictures.
    const auto size = static_cast<std::size_t>(cairo_image_surface_get_stride(image)) *
                      static_cast<std::size_t>(cairo_image_surface_get_height(image));
    return {cairo_image_surface_get_data(image), size};
}

} // namespace

FilePresenter::FilePresenter(std::filesystem::path path, WidgetFamily family, int scale)
    : path_(std::move(path))
    , format_(outputFormat(path_).value_or(OutputFormat::png))
    , points_{displaySize(family).width, displaySize(family).height}
    , scale_(scale) {}

std::optional<std::string> FilePresenter::present(const ui::View& view,
                                                  const Presentation& presentation) {
    const auto failed = [this](const std::string& why) {
        return "cannot draw " + path_.string() + ": " + why;
    };
    if (format_ != OutputFormat::png) {
        // Cairo numbers the ids inside SVG and PDF afresh each time: no two are ever equal.
        auto bytes = encodeWidget(format_, view, points_, scale_, presentation.stale,
                                  redactionOf(presentation));
        if (!bytes) {
            return failed(bytes.error());
        }
        return write({reinterpret_cast<const char*>(bytes->data()), bytes->size()}, 0);
    }
    auto image =
        drawWidgetImage(view, points_, scale_, presentation.stale, redactionOf(presentation));
    if (!image) {
        return failed(image.error());
    }
    const std::uint64_t fingerprint = pictureFingerprint(pixelsOf(image->get()));
    if (stillInPlace(fingerprint)) {
        return std::nullopt;
    }
    auto bytes = ui::encodePNG(image->get());
    if (!bytes) {
        return failed(bytes.error());
    }
    return write({reinterpret_cast<const char*>(bytes->data()), bytes->size()}, fingerprint);
}

bool FilePresenter::stillInPlace(std::uint64_t fingerprint) const {
    struct stat now {};
    if (!written_ || written_->fingerprint != fingerprint || ::stat(path_.c_str(), &now) != 0) {
        return false;
    }
    // Anyone who removed, replaced or touched the file gets a fresh one.
    return now.st_dev == written_->device && now.st_ino == written_->inode &&
           now.st_size == written_->size && now.st_mtim.tv_sec == written_->modified.tv_sec &&
           now.st_mtim.tv_nsec == written_->modified.tv_nsec;
}

std::optional<std::string> FilePresenter::write(std::string_view bytes, std::uint64_t fingerprint) {
    written_.reset();
    if (auto error = writeFileAtomically(path_, bytes)) {
        return error->message;
    }
    struct stat now {};
    if (format_ == OutputFormat::png && ::stat(path_.c_str(), &now) == 0) {
        written_ = Written{fingerprint, now.st_dev, now.st_ino, now.st_size, now.st_mtim};
    }
    return std::nullopt;
}

} // namespace platform::widget
