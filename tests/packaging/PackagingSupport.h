#pragma once

// The suite as users get it, for the packaging tests: an install of the build tree under a
// throw-away prefix that is then moved, programs run in a chosen language, pictures read back.

#include "tests/results_widget/ChildProcess.h"
#include "tests/support/TemporaryDirectory.h"

#include <cairo.h>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace packaging_test {

namespace fs = std::filesystem;
using results_test::Finished;

// Runs a program to its end; its output files go in folder.
Finished run(const std::vector<std::string>& arguments, const fs::path& folder);

// The program's path when PATH has it.
std::optional<fs::path> findProgram(const std::string& name);

std::vector<std::string> linesOf(const std::string& text);

// The program's command line in the user language given, as a fresh session would have it:
// LANG set, the other locale variables unset (or LANGUAGE too, when given); no session bus, no
// proxy, so nothing leaves the machine or reaches the user's desktop.
std::vector<std::string> inLanguage(const std::string& lang, std::vector<std::string> command,
                                    const std::optional<std::string>& language = std::nullopt);

// `cmake --install` of the build tree into <scratch>/staging/usr, then moved to
// <scratch>/moved/usr: nothing installed may remember where it was put first.
class InstalledSuite {
public:
    InstalledSuite();

    bool installed() const { return install_.status == 0; }
    const Finished& install() const { return install_; }
    const fs::path& prefix() const { return prefix_; }
    const fs::path& firstPrefix() const { return firstPrefix_; }
    fs::path program(const std::string& name) const { return prefix_ / "bin" / name; }
    fs::path resources() const;
    const fs::path& scratch() const { return scratch_.path(); }

private:
    trelvo::test::TemporaryDirectory scratch_{"packaging-test"};
    fs::path firstPrefix_;
    fs::path prefix_;
    Finished install_;
};

// The bundled demo service, run from an installed prefix on a free loopback port.
class InstalledDemoService {
public:
    InstalledDemoService(const InstalledSuite& suite);

    bool running() const { return !url_.empty() && !ca_.empty(); }
    std::string failure() const;
    const std::string& url() const { return url_; }
    const std::string& caFile() const { return ca_; }
    // The environment a client of this service needs, as env(1) arguments.
    std::vector<std::string> clientEnvironment() const;

private:
    std::unique_ptr<results_test::ChildProcess> process_;
    std::string url_;
    std::string ca_;
};

struct SurfaceDeleter {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;

// nullptr when the file is not a PNG.
Surface loadPNG(const fs::path& file);
int width(cairo_surface_t* image);
int height(cairo_surface_t* image);
// Opaque pixels of exactly this 0xRRGGBB colour.
int countPixels(cairo_surface_t* image, unsigned rgb);
// Whether the two pictures have the same size and the same pixels.
bool samePicture(cairo_surface_t* a, cairo_surface_t* b);

} // namespace packaging_test
