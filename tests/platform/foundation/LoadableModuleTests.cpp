#include "platform/foundation/LoadableModule.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace platform::foundation;

struct ModuleCase {
    const char* module;
    const char* symbol;
    const char* saysWhy; // nullptr: found
};

class Modules : public testing::TestWithParam<ModuleCase> {};

// The build tree's modules, found as the programs find them; what is missing says so.
TEST_P(Modules, AreFoundOrSayWhyNot) {
    const auto& c = GetParam();
    const fs::path scratch = fs::temp_directory_path() / ("modules-" + std::to_string(::getpid()));
    fs::create_directories(scratch);
    std::ofstream(scratch / "not-elf.so") << "not a shared object";
    fs::copy_file(fs::path(TRELVO_MODULE_DIR) / "svg-image.so", scratch / "svg-image.so",
                  fs::copy_options::overwrite_existing);
    ScopedModuleFolder folder(scratch);

    auto found = moduleSymbol(c.module, c.symbol);
    if (!c.saysWhy) {
        EXPECT_TRUE(found) << found.error();
    } else {
        ASSERT_FALSE(found);
        EXPECT_NE(found.error().find((scratch / c.module).string()), std::string::npos)
            << found.error();
        EXPECT_NE(found.error().find(c.saysWhy), std::string::npos) << found.error();
    }
    fs::remove_all(scratch);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Modules,
    testing::Values(ModuleCase{"svg-image", "trelvo_open_svg_document", nullptr},
                    ModuleCase{"svg-image", "no_such_entry", "has no no_such_entry"},
                    ModuleCase{"absent", "trelvo_open_svg_document", "cannot load"},
                    ModuleCase{"not-elf", "anything", "cannot load"}));

TEST(ModuleFolder, IsBesideTheProgramsUnlessATestMovesIt) {
    const fs::path before = moduleFolder();
    {
        ScopedModuleFolder folder("/elsewhere");
        EXPECT_EQ(moduleFolder(), "/elsewhere");
    }
    EXPECT_EQ(moduleFolder(), before);
}

} // namespace
