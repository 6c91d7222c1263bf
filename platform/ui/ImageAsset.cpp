#include "platform/ui/ImageAsset.h"

#include "platform/ui/CairoHandles.h"
#include "platform/ui/SvgDocument.h"

#include <map>

namespace platform::ui {

struct ImageAsset::Handles {
    std::unique_ptr<SvgDocument> svg;
    SurfacePtr raster;
};

namespace {

std::shared_ptr<const ImageAsset> none() {
    return nullptr;
}

} // namespace

ImageAsset::ImageAsset(std::filesystem::path file, std::unique_ptr<Handles> handles, Size size)
    : file_(std::move(file))
    , handles_(std::move(handles))
    , size_(size) {}

ImageAsset::~ImageAsset() = default;

std::shared_ptr<const ImageAsset> ImageAsset::load(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) {
        return none();
    }
    auto handles = std::make_unique<Handles>();
    Size size;
    if (file.extension() == ".svg") {
        auto document = openSvgDocument(file);
        if (!document) {
            return none();
        }
        handles->svg = std::move(*document);
        size = handles->svg->size();
    } else {
        handles->raster.reset(cairo_image_surface_create_from_png(file.c_str()));
        if (cairo_surface_status(handles->raster.get()) != CAIRO_STATUS_SUCCESS) {
            return none();
        }
        size = {static_cast<double>(cairo_image_surface_get_width(handles->raster.get())),
                static_cast<double>(cairo_image_surface_get_height(handles->raster.get()))};
    }
    if (!isFinite(size) || size.width <= 0 || size.height <= 0) {
        return none();
    }
    return std::shared_ptr<const ImageAsset>(new ImageAsset(file, std::move(handles), size));
}

std::shared_ptr<const ImageAsset> ImageAsset::named(std::string_view name,
                                                    const std::filesystem::path& directory) {
    if (name.empty() || name.front() == '.' || name.find('/') != std::string_view::npos ||
        directory.empty()) {
        return none();
    }
    // Decoding an SVG costs more than a frame, and a process shows the same few assets all day.
    // Per thread, as SVG documents are not to be shared between threads.
    thread_local std::map<std::filesystem::path, std::shared_ptr<const ImageAsset>> cache;
    for (const char* extension : {".svg", ".png"}) {
        const auto file = directory / (std::string(name) + extension);
        if (auto found = cache.find(file); found != cache.end()) {
            return found->second;
        }
        if (auto asset = load(file)) {
            cache.emplace(file, asset);
            return asset;
        }
    }
    return none();
}

void ImageAsset::draw(cairo_t* cr, Rect rect) const {
    if (handles_->svg) {
        handles_->svg->draw(cr, rect);
        return;
    }
    cairo_save(cr);
    cairo_translate(cr, rect.origin.x, rect.origin.y);
    cairo_scale(cr, rect.size.width / size_.width, rect.size.height / size_.height);
    cairo_set_source_surface(cr, handles_->raster.get(), 0, 0);
    cairo_rectangle(cr, 0, 0, size_.width, size_.height);
    cairo_fill(cr);
    cairo_restore(cr);
}

} // namespace platform::ui
