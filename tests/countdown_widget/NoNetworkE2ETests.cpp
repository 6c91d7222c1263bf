#include "tests/countdown_widget/ProgramRun.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

// The countdown holds no network permission, so its program must not even carry network code.
namespace {

using countdown_test::runProgram;

const std::string binary = VANTOREL_WIDGET_EXTENSION;

std::vector<std::string> linesContaining(const std::string& text, const std::string& needle) {
    std::vector<std::string> found;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.find(needle) != std::string::npos) {
            found.push_back(line);
        }
    }
    return found;
}

TEST(NoNetworkCode, LibcurlIsNeitherANeededLibraryNorLoaded) {
    auto needed = runProgram({"readelf", "-d", "-W", binary});
    ASSERT_EQ(needed.status, 0) << needed.output;
    ASSERT_FALSE(linesContaining(needed.output, "(NEEDED)").empty()) << needed.output;
    EXPECT_EQ(linesContaining(needed.output, "libcurl"), std::vector<std::string>{});

    // ldd also lists what the needed libraries pull in.
    auto loaded = runProgram({"ldd", binary});
    ASSERT_EQ(loaded.status, 0) << loaded.output;
    ASSERT_FALSE(linesContaining(loaded.output, "libc.so").empty()) << loaded.output;
    EXPECT_EQ(linesContaining(loaded.output, "libcurl"), std::vector<std::string>{});
}

TEST(NoNetworkCode, NoSymbolOfTheNetworkLayerOrTheResultsClient) {
    auto symbols = runProgram({"nm", "-C", binary});
    ASSERT_EQ(symbols.status, 0) << symbols.output;
    ASSERT_FALSE(linesContaining(symbols.output, "Provider::getTimeline").empty())
        << "nm read no symbols of the countdown itself";
    for (const std::string needle : {"platform::net", "curl_", "ResultsRepository"}) {
        EXPECT_EQ(linesContaining(symbols.output, needle), std::vector<std::string>{}) << needle;
    }
}

} // namespace
