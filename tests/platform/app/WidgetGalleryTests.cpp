#include "platform/app/WidgetGallery.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TemporaryDirectory.h"
#include "tests/support/TestFiles.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using platform::app::findWidgetGallery;
using platform::app::widgetGalleryProgram;
using trelvo::test::ScopedEnv;
using trelvo::test::TemporaryDirectory;

namespace {

enum class Entry { none, program, plainFile, folder };

void place(const fs::path& folder, Entry entry) {
    fs::create_directories(folder);
    const auto file = folder / widgetGalleryProgram;
    switch (entry) {
    case Entry::none:
        break;
    case Entry::program:
    case Entry::plainFile:
        trelvo::test::writeFile(file, "#!/bin/sh\n");
        fs::permissions(file, entry == Entry::program
                                  ? fs::perms::owner_all
                                  : fs::perms::owner_read | fs::perms::owner_write);
        break;
    case Entry::folder:
        fs::create_directories(file);
        break;
    }
}

} // namespace

TEST(WidgetGallery, IsFoundBesideTheApplicationFirstThenOnPath) {
    struct Case {
        const char* name;
        Entry beside;
        Entry onPath;
        const char* found; // "beside", "path" or nullptr
    } cases[] = {
        {"both: the one shipped with the application", Entry::program, Entry::program, "beside"},
        {"only on PATH", Entry::none, Entry::program, "path"},
        {"beside but not executable", Entry::plainFile, Entry::program, "path"},
        {"a folder of that name beside", Entry::folder, Entry::program, "path"},
        {"nowhere", Entry::none, Entry::plainFile, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TemporaryDirectory root;
        const auto app = root.path() / "bin";
        const auto path = root.path() / "elsewhere";
        place(app, c.beside);
        place(path, c.onPath);
        ScopedEnv searched("PATH", path.string());

        auto gallery = findWidgetGallery(app);
        if (!c.found) {
            EXPECT_EQ(gallery, std::nullopt);
            continue;
        }
        const auto expected =
            (std::string(c.found) == "beside" ? app : path) / widgetGalleryProgram;
        EXPECT_EQ(gallery, expected);
    }
}
