#include "platform/foundation/TimeZone.h"
#include "platform/ui/CairoHandles.h"
#include "platform/widget/AtomicFile.h"
#include "platform/widget/FilePresenter.h"
#include "platform/widget/PictureFingerprint.h"
#include "platform/widget/StaleMark.h"
#include "tests/support/TemporaryDirectory.h"
#include "tests/support/TestFiles.h"

#include <csignal>
#include <cstring>
#include <gtest/gtest.h>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
namespace ui = platform::ui;
using namespace platform::widget;
using platform::foundation::Date;
using trelvo::test::TemporaryDirectory;

constexpr std::uint32_t blue = 0xff007aff, red = 0xffff3b30, clear = 0;

std::uint32_t pixel(const fs::path& png, int x, int y) {
    ui::SurfacePtr image(cairo_image_surface_create_from_png(png.c_str()));
    std::uint32_t argb = 0xdeadbeef; // not a whole PNG
    if (cairo_surface_status(image.get()) == CAIRO_STATUS_SUCCESS) {
        std::memcpy(&argb,
                    cairo_image_surface_get_data(image.get()) +
                        y * cairo_image_surface_get_stride(image.get()) + x * 4,
                    4);
    }
    return argb;
}

long filesIn(const fs::path& folder) {
    return std::distance(fs::directory_iterator(folder), {});
}

TEST(StaleMark, LastUpdatedIsTheLocalTimeOfDay) {
    for (auto [zone, since1970, text] :
         {std::tuple{"Europe/Moscow", 1623369600.0, "Last updated 03:00"}, // 2021-06-11 00:00Z
          {"America/New_York", 1623369600.0, "Last updated 20:00"},
          {"Asia/Kolkata", 1623369659.0, "Last updated 05:30"},
          {"UTC", -61.0, "Last updated 23:58"}}) {
        platform::foundation::ScopedTimeZone scoped(zone);
        EXPECT_EQ(lastUpdatedText(Date::fromTimeIntervalSince1970(since1970)), text) << zone;
    }
}

// Equal fingerprints mean the file is not written again: any change must show in it.
TEST(PictureFingerprint, EveryFlippedBitAndEveryLengthChangesIt) {
    std::vector<std::uint8_t> bytes(77, 0x5A), zeros(77, 0);
    std::set<std::uint64_t> seen{pictureFingerprint(bytes)};
    for (std::size_t bit = 0; bit < bytes.size() * 8; ++bit) {
        bytes[bit / 8] ^= std::uint8_t(1u << bit % 8);
        seen.insert(pictureFingerprint(bytes));
        bytes[bit / 8] ^= std::uint8_t(1u << bit % 8);
    }
    for (std::size_t length = 0; length < zeros.size(); ++length) {
        seen.insert(pictureFingerprint(std::span(zeros).first(length)));
    }
    EXPECT_EQ(seen.size(), 1 + bytes.size() * 8 + zeros.size());
}

std::string identity(const fs::path& file) {
    struct stat s {};
    return ::stat(file.c_str(), &s)
               ? ""
               : std::to_string(s.st_ino) + "@" + std::to_string(s.st_mtim.tv_sec) + "." +
                     std::to_string(s.st_mtim.tv_nsec);
}

TEST(FilePresenter, WritesAPictureOnlyWhenItOrTheFileChanged) {
    struct Case {
        const char* name;
        const char* file;
        bool red, stale;
        std::function<void(const fs::path&)> meanwhile; // done to the file between the two
        bool rewritten;
    } cases[] = {
        {"the same picture", "w.png", false, false, {}, false},
        {"another colour", "w.png", true, false, {}, true},
        {"now stale", "w.png", false, true, {}, true},
        {"the file removed", "w.png", false, false, [](auto& p) { fs::remove(p); }, true},
        {"the file replaced", "w.png", false, false,
         [](auto& p) { fs::copy_file(p, p.string() + "~"), fs::rename(p.string() + "~", p); },
         true},
        {"the file cut short", "w.png", false, false, [](auto& p) { fs::resize_file(p, 10); },
         true},
        // Vector files never come out the same twice: written each time.
        {"the same svg", "w.svg", false, false, {}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TemporaryDirectory folder;
        const auto path = folder.path() / c.file;
        FilePresenter presenter(path, WidgetFamily::systemSmall, 2);
        ASSERT_EQ(presenter.present(ui::View(ui::Color::blue), {}), std::nullopt);
        if (c.meanwhile) {
            c.meanwhile(path);
        }
        const auto before = identity(path);
        Presentation second{.stale = c.stale};
        ASSERT_EQ(presenter.present(ui::View(c.red ? ui::Color::red : ui::Color::blue), second),
                  std::nullopt);
        EXPECT_EQ(identity(path) != before, c.rewritten);
        if (path.extension() == ".png") { // rounded corners, the badge when stale, the content
            EXPECT_EQ(pixel(path, 1, 1), clear);
            EXPECT_EQ(pixel(path, 2 * (170 - 14), 2 * 14) == blue, !c.stale && !c.red);
            EXPECT_EQ(pixel(path, 170, 170), c.red ? red : blue);
        }
    }
}

TEST(FilePresenter, AFailedPictureLeavesTheLastGoodOneAndTheNextIsWritten) {
    TemporaryDirectory folder;
    const auto path = folder.path() / "w.png";
    FilePresenter presenter(path, WidgetFamily::systemSmall, 2);
    ASSERT_EQ(presenter.present(ui::View(ui::Color::blue), {}), std::nullopt);

    // The disk fills up part way through the next picture.
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit tight = saved;
    tight.rlim_cur = 256;
    ::setrlimit(RLIMIT_FSIZE, &tight);
    auto error = presenter.present(ui::View(ui::Color::red), {});
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_EQ(error, "cannot write " + path.string() + ": File too large");
    EXPECT_EQ(pixel(path, 170, 170), blue);
    EXPECT_EQ(filesIn(folder.path()), 1);
    EXPECT_EQ(presenter.present(ui::View(ui::Color::red), {}), std::nullopt);
    EXPECT_EQ(pixel(path, 170, 170), red);
}

TEST(AtomicFile, ReplacesTheWholeFileAndKeepsItsPermissions) {
    TemporaryDirectory folder;
    const auto path = folder.path() / (std::string(240, 'n') + ".png"); // near the name limit
    auto mode = [&] {
        struct stat s {};
        ::stat(path.c_str(), &s);
        return s.st_mode & 0777;
    };
    EXPECT_EQ(writeFileAtomically(path, "first version, longer"), std::nullopt);
    EXPECT_EQ(mode(), 0644u); // pictures are for everyone to read
    ::chmod(path.c_str(), 0640);
    EXPECT_EQ(writeFileAtomically(path, "second"), std::nullopt);
    EXPECT_EQ(trelvo::test::readFile(path), "second");
    EXPECT_EQ(mode(), 0640u);
    EXPECT_EQ(filesIn(folder.path()), 1);

    // A folder in the file's place: the rename fails once the new file is written.
    const auto taken = folder.path() / "taken.png";
    fs::create_directories(taken / "inside");
    auto error = writeFileAtomically(taken, "new");
    ASSERT_TRUE(error);
    EXPECT_EQ(error->message, "cannot replace " + taken.string() + ": Is a directory");
    EXPECT_TRUE(fs::is_directory(taken / "inside"));
    EXPECT_EQ(filesIn(folder.path()), 2);
}

} // namespace
