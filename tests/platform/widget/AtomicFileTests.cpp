#include "platform/widget/AtomicFile.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>

namespace {

using namespace platform::widget;
namespace fs = std::filesystem;

class AtomicFileTest : public testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("widget-atomic-" + std::to_string(::getpid()) + "-" +
                  testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    static std::string read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream buffer;
        buffer << in.rdbuf();
        return buffer.str();
    }
    std::size_t filesInFolder() const {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
    }

    fs::path folder;
};

TEST_F(AtomicFileTest, CreatesAndReplacesTheWholeFile) {
    auto path = folder / "widget.png";
    EXPECT_EQ(writeFileAtomically(path, "first version, longer"), std::nullopt);
    EXPECT_EQ(read(path), "first version, longer");
    EXPECT_EQ(writeFileAtomically(path, "second"), std::nullopt);
    EXPECT_EQ(read(path), "second");
    EXPECT_EQ(filesInFolder(), 1u); // no temporary left beside it
}

TEST_F(AtomicFileTest, KeepsThePermissionsOfTheFileItReplaces) {
    auto path = folder / "w.svg";
    ASSERT_EQ(writeFileAtomically(path, "a"), std::nullopt);
    struct stat fresh {};
    ::stat(path.c_str(), &fresh);
    EXPECT_EQ(fresh.st_mode & 0777, 0644u);

    ::chmod(path.c_str(), 0640);
    ASSERT_EQ(writeFileAtomically(path, "b"), std::nullopt);
    struct stat replaced {};
    ::stat(path.c_str(), &replaced);
    EXPECT_EQ(replaced.st_mode & 0777, 0640u);
}

TEST_F(AtomicFileTest, FailureLeavesTheOldFileAndNoTemporary) {
    // A folder where the file should be: the rename fails after the temporary was written.
    auto path = folder / "taken.png";
    fs::create_directories(path / "inside");
    auto error = writeFileAtomically(path, "new");
    ASSERT_TRUE(error);
    EXPECT_NE(error->message.find("taken.png"), std::string::npos) << error->message;
    EXPECT_TRUE(fs::is_directory(path / "inside"));
    EXPECT_EQ(filesInFolder(), 1u);
}

TEST_F(AtomicFileTest, ANameNearTheSystemLimitStillWorks) {
    auto path = folder / (std::string(240, 'n') + ".png");
    EXPECT_EQ(writeFileAtomically(path, "long"), std::nullopt);
    EXPECT_EQ(read(path), "long");
}

TEST_F(AtomicFileTest, MissingFolderIsReportedNotCreated) {
    auto error = writeFileAtomically(folder / "nowhere" / "w.png", "x");
    ASSERT_TRUE(error);
    EXPECT_NE(error->message.find("nowhere"), std::string::npos) << error->message;
    EXPECT_FALSE(fs::exists(folder / "nowhere"));
}

} // namespace
