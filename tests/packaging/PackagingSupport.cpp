#include "tests/packaging/PackagingSupport.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <system_error>

namespace packaging_test {

namespace {

using namespace std::chrono_literals;

std::uint32_t pixel(cairo_surface_t* image, int x, int y) {
    const auto* row = cairo_image_surface_get_data(image) +
                      static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(image);
    std::uint32_t value = 0;
    std::memcpy(&value, row + static_cast<std::ptrdiff_t>(x) * 4, sizeof value);
    if (cairo_image_surface_get_format(image) == CAIRO_FORMAT_RGB24) {
        value |= 0xFF000000u; // the unused byte is undefined
    }
    return value;
}

} // namespace

Finished run(const std::vector<std::string>& arguments, const fs::path& folder) {
    results_test::ChildProcess child(arguments, folder);
    if (!child.started()) {
        return Finished{-1, "", "cannot start " + (arguments.empty() ? "" : arguments[0])};
    }
    return child.finish();
}

std::optional<fs::path> findProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "/usr/bin:/bin");
    for (std::string folder; std::getline(folders, folder, ':');) {
        if (folder.empty()) {
            continue;
        }
        const auto candidate = fs::path(folder) / name;
        std::error_code error;
        if (fs::is_regular_file(candidate, error) && (fs::status(candidate, error).permissions() &
                                                      fs::perms::owner_exec) != fs::perms::none) {
            return candidate;
        }
    }
    return std::nullopt;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> inLanguage(const std::string& lang, std::vector<std::string> command,
                                    const std::optional<std::string>& language) {
    std::vector<std::string> arguments{"/usr/bin/env"};
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANGUAGE", "DISPLAY", "WAYLAND_DISPLAY",
                             "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"}) {
        arguments.insert(arguments.end(), {"-u", name});
    }
    arguments.push_back("DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/trelvo-test-bus");
    arguments.push_back("LANG=" + lang);
    if (language) {
        arguments.push_back("LANGUAGE=" + *language);
    }
    arguments.insert(arguments.end(), command.begin(), command.end());
    return arguments;
}

InstalledSuite::InstalledSuite()
    : firstPrefix_(scratch_.path() / "staging" / "usr")
    , prefix_(scratch_.path() / "moved" / "usr") {
    install_ =
        run({TRELVO_CMAKE, "--install", TRELVO_BINARY_DIR, "--prefix", firstPrefix_.string()},
            scratch_.path());
    if (install_.status != 0) {
        return;
    }
    std::error_code error;
    fs::rename(scratch_.path() / "staging", prefix_.parent_path(), error);
    if (error) {
        install_.status = -1;
        install_.errors += "cannot move the prefix: " + error.message();
    }
}

fs::path InstalledSuite::resources() const {
    return prefix_ / "share" / PACKAGING_APP_ID;
}

InstalledDemoService::InstalledDemoService(const InstalledSuite& suite)
    : process_(std::make_unique<results_test::ChildProcess>(
          std::vector<std::string>{suite.program("trelvo-demo-service").string(), "--port", "0",
                                   "--state-dir", (suite.scratch() / "service").string()},
          suite.scratch())) {
    url_ = process_->waitForLine("Serving on ", 20s).value_or("");
    ca_ = process_->waitForLine("CA certificate: ", 20s).value_or("");
}

std::string InstalledDemoService::failure() const {
    return process_->output() + process_->errors();
}

std::vector<std::string> InstalledDemoService::clientEnvironment() const {
    return {"TRELVO_SERVICE_URL=" + url_, "SSL_CERT_FILE=" + ca_};
}

Surface loadPNG(const fs::path& file) {
    Surface image(cairo_image_surface_create_from_png(file.c_str()));
    if (cairo_surface_status(image.get()) != CAIRO_STATUS_SUCCESS) {
        return nullptr;
    }
    cairo_surface_flush(image.get());
    return image;
}

int width(cairo_surface_t* image) {
    return cairo_image_surface_get_width(image);
}

int height(cairo_surface_t* image) {
    return cairo_image_surface_get_height(image);
}

int countPixels(cairo_surface_t* image, unsigned rgb) {
    int count = 0;
    for (int y = 0; y < height(image); ++y) {
        for (int x = 0; x < width(image); ++x) {
            const auto value = pixel(image, x, y);
            count += (value >> 24) == 0xFF && (value & 0xFFFFFF) == rgb;
        }
    }
    return count;
}

bool samePicture(cairo_surface_t* a, cairo_surface_t* b) {
    if (width(a) != width(b) || height(a) != height(b)) {
        return false;
    }
    for (int y = 0; y < height(a); ++y) {
        for (int x = 0; x < width(a); ++x) {
            if (pixel(a, x, y) != pixel(b, x, y)) {
                return false;
            }
        }
    }
    return true;
}

} // namespace packaging_test
