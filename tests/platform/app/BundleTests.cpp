#include "platform/foundation/Bundle.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

using platform::foundation::Bundle;
namespace fs = std::filesystem;

namespace {

std::string contents(const fs::path& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

fs::path executableFolder() {
    return fs::read_symlink("/proc/self/exe").parent_path();
}

// A throw-away prefix: <root>/build/X for a build tree, <root>/bin/X + share/<id> installed.
class BundleLayout : public testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("bundle-layout-" + std::to_string(getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_ / "bin");
    }
    void TearDown() override { fs::remove_all(root_); }

    fs::path executable() const { return root_ / "bin" / "TrelvoResults"; }
    fs::path buildResources() const { return root_ / "bin" / "Resources"; }
    fs::path installedResources() const { return root_ / "share" / EXPECTED_IDENTIFIER; }

    fs::path root_;
};

} // namespace

TEST(MainBundle, ShortVersionStringIsTheBuildsVersion) {
    const auto& info = Bundle::main().infoDictionary();
    ASSERT_TRUE(info.contains("CFBundleShortVersionString"));
    EXPECT_EQ(info.at("CFBundleShortVersionString"), EXPECTED_VERSION);
    EXPECT_EQ(Bundle::main().bundleIdentifier(), EXPECTED_IDENTIFIER);
    EXPECT_EQ(Bundle::main().object("CFBundleExecutable"), "bundle_tests");
    EXPECT_EQ(Bundle::main().object("NoSuchKey"), std::nullopt);
}

TEST(MainBundle, FindsItsResourcesInTheBuildTree) {
    auto resources = Bundle::main().resourceURL();
    ASSERT_TRUE(resources);
    EXPECT_EQ(*resources, executableFolder() / "Resources");
    auto probe = Bundle::main().path("probe", "txt");
    ASSERT_TRUE(probe);
    EXPECT_EQ(contents(*probe), "bundled probe\n");
}

TEST(MainBundle, LooksUpOnlyPlainNamesOfExistingFiles) {
    struct Case {
        const char* name;
        const char* type;
    };
    for (auto [name, type] : {Case{"missing", "svg"}, Case{"probe", ""}, Case{"probe", "png"},
                              Case{"../Resources/probe", "txt"}, Case{"..", ""}, Case{".", "txt"},
                              Case{"", "txt"}, Case{"probe", "txt/.."}}) {
        EXPECT_EQ(Bundle::main().path(name, type), std::nullopt) << name << " . " << type;
    }
}

TEST_F(BundleLayout, ResourcesFoundBuildTreeFirstThenInstalled) {
    struct Case {
        const char* name;
        bool build;
        bool installed;
        int expected; // 0 none, 1 build tree, 2 installed
    };
    for (auto c : {Case{"neither", false, false, 0}, Case{"installed", false, true, 2},
                   Case{"build tree", true, false, 1}, Case{"both", true, true, 1}}) {
        fs::remove_all(buildResources());
        fs::remove_all(installedResources());
        if (c.build) {
            fs::create_directories(buildResources());
        }
        if (c.installed) {
            fs::create_directories(installedResources());
        }
        auto bundle = Bundle::forExecutable(executable());
        std::optional<fs::path> expected;
        if (c.expected == 1) {
            expected = buildResources();
        } else if (c.expected == 2) {
            expected = installedResources();
        }
        EXPECT_EQ(bundle.resourceURL(), expected) << c.name;
    }
}

TEST_F(BundleLayout, InstalledAssetIsFoundByNameAndType) {
    fs::create_directories(installedResources());
    std::ofstream(installedResources() / "trelvo.svg") << "<svg/>";

    auto bundle = Bundle::forExecutable(executable());

    EXPECT_EQ(bundle.path("trelvo", "svg"), installedResources() / "trelvo.svg");
    EXPECT_EQ(bundle.object("CFBundleExecutable"), "TrelvoResults");
}

TEST(Bundle, RelativeExecutableHasNoResources) {
    // Never resolved against the working directory, whatever it holds.
    EXPECT_EQ(Bundle::forExecutable("bin/TrelvoResults").resourceURL(), std::nullopt);
}
