#include "platform/foundation/Clock.h"
#include "platform/foundation/TimeZone.h"
#include "platform/ui/CairoHandles.h"
#include "platform/widget/FilePresenter.h"
#include "platform/widget/StaleMark.h"
#include "platform/widget/TimelineHost.h"

#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
namespace ui = platform::ui;
using namespace platform::widget;
using platform::dispatch::DispatchQueue;
using platform::foundation::Date;
using platform::foundation::ScopedClock;
using platform::foundation::ScopedTimeZone;

struct ColorEntry {
    Date date;
    ui::Color color;
};

// Lays out two entries ten seconds apart and never asks to be reloaded.
struct TwoEntryProvider {
    ColorEntry placeholder(const TimelineProviderContext&) const {
        return {Date::now(), ui::Color::red};
    }
    void getSnapshot(const TimelineProviderContext&, std::function<void(ColorEntry)> done) const {
        done(placeholder({}));
    }
    void getTimeline(const TimelineProviderContext&,
                     std::function<void(Timeline<ColorEntry>)> done) const {
        auto now = Date::now();
        done(Timeline{std::vector{ColorEntry{now, ui::Color::blue},
                                  ColorEntry{now.addingTimeInterval(10), ui::Color::purple}},
                      TimelineReloadPolicy::never()});
    }
};

std::uint32_t pixelAt(const fs::path& png, int x, int y) {
    ui::SurfacePtr image(cairo_image_surface_create_from_png(png.c_str()));
    if (cairo_surface_status(image.get()) != CAIRO_STATUS_SUCCESS) {
        return 0xdeadbeef; // not a whole PNG
    }
    std::uint32_t value;
    std::memcpy(&value,
                cairo_image_surface_get_data(image.get()) +
                    y * cairo_image_surface_get_stride(image.get()) + x * 4,
                4);
    return value;
}

std::uint32_t argb(ui::Color c) {
    auto channel = [](double v) { return std::uint32_t(v * 255 + 0.5); };
    return 0xff000000u | channel(c.r) << 16 | channel(c.g) << 8 | channel(c.b);
}

class FilePresenterTest : public testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("widget-file-" + std::to_string(::getpid()) + "-" +
                  testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
        DispatchQueue::main().drain();
    }
    void TearDown() override {
        DispatchQueue::main().drain();
        fs::remove_all(folder);
    }

    fs::path folder;
    ScopedClock clock{Date::fromTimeIntervalSince1970(1'623'000'000)};
};

TEST_F(FilePresenterTest, RewritesTheWholePictureForEachEntryFromItsDate) {
    auto path = folder / "w.png";
    FilePresenter presenter(path, WidgetFamily::systemSmall, 1);
    std::vector<std::uint32_t> centres;
    TimelineHost<TwoEntryProvider>::Hooks hooks;
    hooks.present = [&](const ColorEntry& entry, const Presentation& presentation) {
        ASSERT_EQ(presenter.present(ui::View(entry.color), presentation), std::nullopt);
        centres.push_back(pixelAt(path, 85, 85));
    };
    TimelineHost host(TwoEntryProvider{}, TimelineProviderContext{}, std::move(hooks));

    host.start();
    DispatchQueue::main().drain();
    clock.advance(9);
    host.wake(); // nothing new: the file is not rewritten
    clock.advance(1);
    host.wake();

    EXPECT_EQ(centres,
              (std::vector{argb(ui::Color::red), argb(ui::Color::blue), argb(ui::Color::purple)}));
    EXPECT_EQ(pixelAt(path, 0, 0), 0u); // the rounded corner stays transparent
}

TEST_F(FilePresenterTest, AFailedPictureLeavesTheLastGoodOne) {
    auto path = folder / "w.png";
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

    ASSERT_TRUE(error);
    EXPECT_NE(error->find(path.string()), std::string::npos) << *error;
    EXPECT_EQ(pixelAt(path, 170, 170), argb(ui::Color::blue));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

struct FileIdentity {
    ino_t inode = 0;
    timespec modified{};
    bool operator==(const FileIdentity& o) const {
        return inode == o.inode && modified.tv_sec == o.modified.tv_sec &&
               modified.tv_nsec == o.modified.tv_nsec;
    }
};

std::optional<FileIdentity> identityOf(const fs::path& path) {
    struct stat s {};
    if (::stat(path.c_str(), &s) != 0) {
        return std::nullopt;
    }
    return FileIdentity{s.st_ino, s.st_mtim};
}

struct RepeatCase {
    const char* name;
    const char* file;
    ui::Color second;
    bool secondStale;
    // What happens to the file between the two pictures.
    std::function<void(const fs::path&)> meanwhile;
    bool rewritten;
};

void PrintTo(const RepeatCase& c, std::ostream* os) {
    *os << c.name;
}

class RepeatedPicture : public testing::TestWithParam<RepeatCase> {};

TEST_P(RepeatedPicture, IsWrittenOnlyWhenItOrTheFileChanged) {
    const auto& c = GetParam();
    const auto folder = fs::temp_directory_path() / ("widget-repeat-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    const auto path = folder / c.file;
    FilePresenter presenter(path, WidgetFamily::systemSmall, 2);
    ASSERT_EQ(presenter.present(ui::View(ui::Color::blue), {}), std::nullopt);
    const auto first = identityOf(path);
    ASSERT_TRUE(first);
    if (c.meanwhile) {
        c.meanwhile(path);
    }
    const auto before = identityOf(path);

    Presentation presentation;
    presentation.stale = c.secondStale;
    ASSERT_EQ(presenter.present(ui::View(c.second), presentation), std::nullopt);

    const auto after = identityOf(path);
    ASSERT_TRUE(after);
    EXPECT_EQ(!(after == before), c.rewritten);
    if (std::string_view(c.file).ends_with(".png")) {
        EXPECT_EQ(pixelAt(path, 170, 170), argb(c.second));
    }
    fs::remove_all(folder);
}

const auto removed = [](const fs::path& p) { fs::remove(p); };
const auto replaced = [](const fs::path& p) {
    const auto other = p.parent_path() / "other";
    fs::copy_file(p, other);
    fs::rename(other, p);
};
const auto truncatedInPlace = [](const fs::path& p) { fs::resize_file(p, 10); };

INSTANTIATE_TEST_SUITE_P(
    Table, RepeatedPicture,
    testing::Values(RepeatCase{"same_picture", "w.png", ui::Color::blue, false, {}, false},
                    RepeatCase{"other_colour", "w.png", ui::Color::red, false, {}, true},
                    RepeatCase{"now_stale", "w.png", ui::Color::blue, true, {}, true},
                    RepeatCase{"file_removed", "w.png", ui::Color::blue, false, removed, true},
                    RepeatCase{"file_replaced", "w.png", ui::Color::blue, false, replaced, true},
                    RepeatCase{"file_cut_short", "w.png", ui::Color::blue, false, truncatedInPlace,
                               true},
                    // Vector files never come out the same twice: written each time.
                    RepeatCase{"same_svg", "w.svg", ui::Color::blue, false, {}, true}));

TEST(RepeatedPicture, AfterAFailedWriteTheNextPictureIsWritten) {
    const auto folder = fs::temp_directory_path() / ("widget-retry-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    const auto path = folder / "w.png";
    FilePresenter presenter(path, WidgetFamily::systemSmall, 1);
    ASSERT_EQ(presenter.present(ui::View(ui::Color::blue), {}), std::nullopt);
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    const bool writable = ::access(folder.c_str(), W_OK) == 0; // root writes anyway
    const auto refused = presenter.present(ui::View(ui::Color::red), {});
    fs::permissions(folder, fs::perms::owner_all);
    if (!writable) {
        ASSERT_TRUE(refused);
    }
    ASSERT_EQ(presenter.present(ui::View(ui::Color::red), {}), std::nullopt);
    EXPECT_EQ(pixelAt(path, 85, 85), argb(ui::Color::red));
    fs::remove_all(folder);
}

struct TimeCase {
    const char* zone;
    double since1970;
    const char* text;
};

void PrintTo(const TimeCase& c, std::ostream* out) {
    *out << c.zone << " " << c.text;
}

class LastUpdated : public testing::TestWithParam<TimeCase> {};

TEST_P(LastUpdated, IsTheLocalTimeOfDay) {
    ScopedTimeZone zone(GetParam().zone);
    EXPECT_EQ(lastUpdatedText(Date::fromTimeIntervalSince1970(GetParam().since1970)),
              GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Zones, LastUpdated,
    testing::Values(TimeCase{"UTC", 1623369600, "Last updated 00:00"}, // 2021-06-11 00:00Z
                    TimeCase{"Europe/Moscow", 1623369600, "Last updated 03:00"},
                    TimeCase{"America/New_York", 1623369600, "Last updated 20:00"},
                    TimeCase{"Asia/Kolkata", 1623369600 + 59, "Last updated 05:30"},
                    TimeCase{"UTC", 1623369600 - 60, "Last updated 23:59"},
                    TimeCase{"UTC", -61, "Last updated 23:58"}));

} // namespace
