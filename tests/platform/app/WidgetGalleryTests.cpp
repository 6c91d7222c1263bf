#include "platform/app/WidgetGallery.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TemporaryDirectory.h"
#include "tests/support/TestFiles.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using platform::app::widgetGalleryProgram;

TEST(WidgetGallery, IsTheProgramBesideTheApplicationFirstThenTheOneOnPath) {
    struct Case {
        const char* name;
        fs::perms beside; // none: no file there
        fs::perms onPath;
        const char* found; // "beside", "path" or nothing
    } cases[] = {
        {"both", fs::perms::owner_all, fs::perms::owner_all, "beside"},
        {"beside but not executable", fs::perms::owner_read, fs::perms::owner_all, "path"},
        {"nowhere executable", fs::perms::none, fs::perms::owner_read, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        trelvo::test::TemporaryDirectory root;
        for (auto [folder, permissions] : {std::pair{"beside", c.beside}, {"path", c.onPath}}) {
            fs::create_directories(root.path() / folder);
            if (permissions != fs::perms::none) {
                trelvo::test::writeFile(root.path() / folder / widgetGalleryProgram, "#!/bin/sh\n");
                fs::permissions(root.path() / folder / widgetGalleryProgram, permissions);
            }
        }
        trelvo::test::ScopedEnv path("PATH", (root.path() / "path").string());
        const auto expected =
            c.found ? std::optional(root.path() / c.found / widgetGalleryProgram) : std::nullopt;
        EXPECT_EQ(platform::app::findWidgetGallery(root.path() / "beside"), expected);
    }
}
