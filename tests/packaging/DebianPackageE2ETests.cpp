// The Debian package of the suite, built with CPack from the build tree: what it holds, what it
// depends on, and what lintian says of it.

#include "tests/packaging/InstalledFiles.h"
#include "tests/packaging/PackagingSupport.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace packaging_test;

const std::string appId = PACKAGING_APP_ID;
const std::vector<std::string> programs{"TrelvoResults", "TrelvoResultsWidgetExtension",
                                        "VantorelWidgetExtension", "trelvo-demo-service"};

std::optional<fs::path> firstProgram(std::initializer_list<const char*> paths) {
    for (const char* path : paths) {
        if (fs::exists(path)) {
            return fs::path(path);
        }
    }
    return std::nullopt;
}

// Package names of a Depends field: versions and alternatives dropped.
std::set<std::string> dependedOn(const std::string& field) {
    std::set<std::string> names;
    std::istringstream relations(field);
    for (std::string relation; std::getline(relations, relation, ',');) {
        std::istringstream alternatives(relation);
        for (std::string alternative; std::getline(alternatives, alternative, '|');) {
            std::istringstream words(alternative);
            std::string name;
            words >> name;
            names.insert(name.substr(0, name.find(':')));
        }
    }
    return names;
}

class DebianPackage : public testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"dpkg-deb", "dpkg-shlibdeps"}) {
            if (!findProgram(tool)) {
                GTEST_SKIP() << tool
                             << " is not installed (scripts/install-deps installs dpkg-dev)";
            }
        }
        const auto out = scratch_.path() / "package";
        auto built =
            run({TRELVO_CPACK, "--config", std::string(TRELVO_BINARY_DIR) + "/CPackConfig.cmake",
                 "-B", out.string()},
                scratch_.path());
        ASSERT_EQ(built.status, 0) << built.output << built.errors;
        for (const auto& entry : fs::directory_iterator(out)) {
            if (entry.path().extension() == ".deb") {
                ASSERT_TRUE(deb_.empty()) << "more than one package: " << entry.path();
                deb_ = entry.path();
            }
        }
        ASSERT_FALSE(deb_.empty()) << built.output;
    }

    Finished dpkgDeb(const std::vector<std::string>& arguments) const {
        std::vector<std::string> command{findProgram("dpkg-deb")->string()};
        command.insert(command.end(), arguments.begin(), arguments.end());
        return run(command, scratch_.path());
    }

    // The package's files, unpacked.
    fs::path unpacked() const {
        const auto root = scratch_.path() / "root";
        auto extracted = dpkgDeb({"-x", deb_.string(), root.string()});
        EXPECT_EQ(extracted.status, 0) << extracted.errors;
        return root;
    }

    trelvo::test::TemporaryDirectory scratch_{"packaging-deb"};
    fs::path deb_;
};

TEST_F(DebianPackage, HoldsTheWholeSuiteUnderUsrOwnedByRootWithStrippedPrograms) {
    auto listed = dpkgDeb({"-c", deb_.string()});
    ASSERT_EQ(listed.status, 0) << listed.errors;
    std::set<std::string> files;
    for (const auto& line : linesOf(listed.output)) {
        std::istringstream fields(line);
        std::string mode, owner, size, date, time, path;
        fields >> mode >> owner >> size >> date >> time >> path;
        EXPECT_EQ(owner, "root/root") << line;
        EXPECT_TRUE(path.starts_with("./usr/")) << line;
        if (mode.starts_with('-')) {
            const auto relative = path.substr(std::string("./usr/").size());
            files.insert(relative);
            const bool program = relative.starts_with("bin/");
            EXPECT_EQ(mode, program ? "-rwxr-xr-x" : "-rw-r--r--") << line;
        } else {
            EXPECT_EQ(mode, "drwxr-xr-x") << line;
        }
    }
    std::set<std::string> expected;
    for (const auto& file : installedFiles(appId)) {
        expected.insert(file.path);
    }
    EXPECT_EQ(files, expected);

    const auto file = findProgram("file");
    if (!file) {
        GTEST_SKIP() << "file is not installed (scripts/install-deps does it)";
    }
    const auto root = unpacked();
    for (const auto& program : programs) {
        auto kind =
            run({file->string(), "-b", (root / "usr/bin" / program).string()}, scratch_.path());
        EXPECT_NE(kind.output.find("ELF 64-bit"), std::string::npos) << program << kind.output;
        EXPECT_NE(kind.output.find(", stripped"), std::string::npos) << program << kind.output;
    }
}

TEST_F(DebianPackage, DependsOnThePackageOfEveryLibraryItsProgramsLink) {
    auto field = dpkgDeb({"-f", deb_.string(), "Depends"});
    ASSERT_EQ(field.status, 0) << field.errors;
    const auto depends = dependedOn(field.output);
    // Not linked, but TLS verifies against the system's store.
    EXPECT_TRUE(depends.contains("ca-certificates")) << field.output;
    // dpkg-shlibdeps' work: versioned relations to the libraries' packages.
    EXPECT_NE(field.output.find("libc6 (>= "), std::string::npos) << field.output;

    const auto readelf = findProgram("readelf");
    const auto ldconfig = firstProgram({"/sbin/ldconfig", "/usr/sbin/ldconfig"});
    const auto dpkg = findProgram("dpkg-query");
    if (!readelf || !ldconfig || !dpkg) {
        GTEST_SKIP() << "readelf, ldconfig or dpkg-query missing: linked libraries not checked";
    }
    std::map<std::string, fs::path> libraries; // soname -> path, this machine's
    const std::regex cacheLine(R"(^\s*(\S+) \(libc6,x86-64[^)]*\) => (\S+)$)");
    for (const auto& line : linesOf(run({ldconfig->string(), "-p"}, scratch_.path()).output)) {
        std::smatch match;
        if (std::regex_match(line, match, cacheLine)) {
            libraries.try_emplace(match[1], match[2].str());
        }
    }
    const std::regex needed(R"(\(NEEDED\)\s+Shared library: \[(\S+)\])");
    const auto root = unpacked();
    for (const auto& program : programs) {
        auto dynamic =
            run({readelf->string(), "-d", (root / "usr/bin" / program).string()}, scratch_.path());
        ASSERT_EQ(dynamic.status, 0) << dynamic.errors;
        for (const auto& line : linesOf(dynamic.output)) {
            std::smatch match;
            if (!std::regex_search(line, match, needed)) {
                continue;
            }
            const std::string soname = match[1];
            ASSERT_TRUE(libraries.contains(soname)) << program << " links " << soname;
            auto path = libraries[soname];
            // On a merged /usr the package may have listed the other spelling of the path.
            auto owner = run({dpkg->string(), "-S", path.string()}, scratch_.path());
            if (owner.status != 0) {
                const auto s = path.string();
                const auto twin = s.starts_with("/usr/") ? s.substr(4) : "/usr" + s;
                owner = run({dpkg->string(), "-S", twin}, scratch_.path());
            }
            ASSERT_EQ(owner.status, 0) << soname << ": " << owner.errors;
            const auto package = owner.output.substr(0, owner.output.find_first_of(":,"));
            EXPECT_TRUE(depends.contains(package))
                << program << " links " << soname << " of " << package
                << ", which the package does not depend on: " << field.output;
        }
    }
}

TEST_F(DebianPackage, LintianReportsNoErrorsAndNoWarnings) {
    const auto lintian = findProgram("lintian");
    if (!lintian) {
        GTEST_SKIP() << "lintian is not installed (scripts/install-deps installs it)";
    }
    auto checked =
        run({lintian->string(), "--fail-on", "error,warning", deb_.string()}, scratch_.path());
    for (const auto& line : linesOf(checked.output)) {
        EXPECT_FALSE(line.starts_with("E: ") || line.starts_with("W: ")) << line;
    }
    EXPECT_EQ(checked.status, 0) << checked.output << checked.errors;
}

} // namespace
