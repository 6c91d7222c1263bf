#include "platform/ui/PNGWriter.h"

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

namespace platform::ui {
namespace {

using foundation::Expected;
using foundation::Unexpected;

void appendBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void flushNothing(png_structp) {}

void unpremultiplyRow(const std::uint32_t* in, std::uint8_t* out, int width) {
    for (int x = 0; x < width; ++x) {
        const std::uint32_t p = in[x];
        const unsigned a = p >> 24;
        unsigned r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
        if (a != 0xFF && a != 0) {
            r = (r * 255 + a / 2) / a;
            g = (g * 255 + a / 2) / a;
            b = (b * 255 + a / 2) / a;
        }
        out[4 * x] = static_cast<std::uint8_t>(r);
        out[4 * x + 1] = static_cast<std::uint8_t>(g);
        out[4 * x + 2] = static_cast<std::uint8_t>(b);
        out[4 * x + 3] = static_cast<std::uint8_t>(a);
    }
}

// libpng reports errors by longjmp: nothing in this frame needs a destructor.
bool encodeRows(png_structp png, png_infop info, const unsigned char* data, int stride, int width,
                int height, std::uint8_t* row, std::vector<std::uint8_t>* out) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_set_write_fn(png, out, appendBytes, flushNothing);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_level(png, Z_BEST_SPEED);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
        unpremultiplyRow(
            reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride),
            row, width);
        png_write_row(png, row);
    }
    png_write_end(png, info);
    return true;
}

} // namespace

Expected<std::vector<std::uint8_t>, std::string> encodePNG(cairo_surface_t* image) {
    if (!image || cairo_surface_get_type(image) != CAIRO_SURFACE_TYPE_IMAGE ||
        cairo_image_surface_get_format(image) != CAIRO_FORMAT_ARGB32) {
        return Unexpected{std::string("PNG encoding needs an ARGB32 image surface")};
    }
    cairo_surface_flush(image);
    const int width = cairo_image_surface_get_width(image);
    const int height = cairo_image_surface_get_height(image);
    if (width <= 0 || height <= 0) {
        return Unexpected{std::string("cannot encode an empty image")};
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return Unexpected{std::string("libpng could not start")};
    }
    std::vector<std::uint8_t> out;
    out.reserve(static_cast<std::size_t>(width) * height + 1024);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 4);
    const bool ok =
        encodeRows(png, info, cairo_image_surface_get_data(image),
                   cairo_image_surface_get_stride(image), width, height, row.data(), &out);
    png_destroy_write_struct(&png, &info);
    if (!ok) {
        return Unexpected{std::string("libpng failed to encode the image")};
    }
    return out;
}

Expected<std::filesystem::path, std::string>
replaceFileAtomically(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes) {
    const auto folder = file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
    std::string pattern = (folder / ("." + file.filename().string() + ".XXXXXX")).string();
    const int fd = mkstemp(pattern.data());
    if (fd < 0) {
        return Unexpected{"cannot create a file in " + folder.string() + ": " +
                          std::strerror(errno)};
    }
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            const std::string reason = std::strerror(errno);
            ::close(fd);
            ::unlink(pattern.c_str());
            return Unexpected{"cannot write " + file.string() + ": " + reason};
        }
        written += static_cast<std::size_t>(n);
    }
    // Others may read the picture: the usual file mode, not mkstemp's private one.
    ::fchmod(fd, 0644);
    if (::close(fd) != 0 || std::rename(pattern.c_str(), file.c_str()) != 0) {
        const std::string reason = std::strerror(errno);
        ::unlink(pattern.c_str());
        return Unexpected{"cannot replace " + file.string() + ": " + reason};
    }
    return file;
}

Expected<std::filesystem::path, std::string> writePNG(cairo_surface_t* image,
                                                      const std::filesystem::path& file) {
    auto bytes = encodePNG(image);
    if (!bytes) {
        return Unexpected{bytes.error()};
    }
    return replaceFileAtomically(file, *bytes);
}

} // namespace platform::ui
