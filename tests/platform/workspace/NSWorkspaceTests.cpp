#include "platform/workspace/NSWorkspace.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using platform::workspace::NSWorkspace;
namespace fs = std::filesystem;

namespace {

// A private desktop: XDG folders whose only https handler is a script that writes the URL it
// was given, one line per launch, into a FIFO the test reads.
class DefaultHandler : public testing::Test {
protected:
    static void SetUpTestSuite() {
        root_ = fs::temp_directory_path() / ("workspace-" + std::to_string(getpid()));
        fs::remove_all(root_);
        for (auto folder : {"data/applications", "config", "none"}) {
            fs::create_directories(root_ / folder);
        }
        fifo_ = root_ / "opened";
        ASSERT_EQ(mkfifo(fifo_.c_str(), 0600), 0);
        auto recorder = root_ / "record-url";
        // Bounded, so a launch left over from a failed run never waits for a reader for ever.
        std::ofstream(recorder) << "#!/bin/sh\nexec timeout 20 sh -c 'printf \"%s\\n\" \"$1\" > \""
                                << fifo_.string() << "\"' sh \"$1\"\n";
        fs::permissions(recorder, fs::perms::owner_all);
        std::ofstream(root_ / "data/applications/test-browser.desktop")
            << "[Desktop Entry]\nType=Application\nName=Test Browser\nExec=" << recorder.string()
            << " %u\nMimeType=x-scheme-handler/https;\n";
        std::ofstream(root_ / "config/mimeapps.list")
            << "[Default Applications]\nx-scheme-handler/https=test-browser.desktop\n";

        setenv("XDG_DATA_HOME", (root_ / "data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
        setenv("XDG_DATA_DIRS", (root_ / "none").c_str(), 1);
        setenv("XDG_CONFIG_DIRS", (root_ / "none").c_str(), 1);
        unsetenv("XDG_CURRENT_DESKTOP");

        // The test holds a writer too, so the FIFO never reads as hung up between launches.
        reader_ = ::open(fifo_.c_str(), O_RDONLY | O_NONBLOCK);
        writer_ = ::open(fifo_.c_str(), O_WRONLY | O_NONBLOCK);
        ASSERT_GE(reader_, 0);
        ASSERT_GE(writer_, 0);
    }

    static void TearDownTestSuite() {
        ::close(reader_);
        ::close(writer_);
        fs::remove_all(root_);
    }

    // The next URL a launched handler received, or nothing within a generous deadline.
    static std::optional<std::string> nextOpened() {
        std::string line;
        for (;;) {
            char c;
            auto got = ::read(reader_, &c, 1);
            if (got == 1) {
                if (c == '\n') {
                    return line;
                }
                line += c;
                continue;
            }
            if (got < 0 && errno != EAGAIN) {
                return std::nullopt;
            }
            pollfd wait{reader_, POLLIN, 0};
            if (poll(&wait, 1, 20'000) <= 0) {
                return std::nullopt;
            }
        }
    }

    static inline fs::path root_;
    static inline fs::path fifo_;
    static inline int reader_ = -1;
    static inline int writer_ = -1;
};

} // namespace

TEST_F(DefaultHandler, ReceivesTheUrlExactlyAsGiven) {
    // Characters a shell would act on arrive untouched: no shell stands in between.
    for (const char* url : {"https://localhost:8443", "https://localhost:8443/?q=$(id);x='y'&z=1",
                            "https://xn--e1afmkfd.xn--p1ai/%D0%BF%D1%83%D1%82%D1%8C#part"}) {
        ASSERT_TRUE(NSWorkspace::shared().open(url)) << url;
        EXPECT_EQ(nextOpened(), url);
    }
}

TEST_F(DefaultHandler, RefusesWhatIsNotAnAbsoluteUrl) {
    for (const char* text : {"", "localhost:8443 x", "--new-window", "/etc/passwd",
                             "https://local host", "https://localhost/\nline", "//localhost/",
                             "https://localhost/\"quoted\"", "https://localhost/путь"}) {
        EXPECT_FALSE(NSWorkspace::shared().open(text)) << text;
    }
    EXPECT_FALSE(NSWorkspace::shared().open(std::string_view("https://a\0b", 11)));
    // Nothing was launched for any of them: the next line is the next real open.
    ASSERT_TRUE(NSWorkspace::shared().open("https://localhost/after"));
    EXPECT_EQ(nextOpened(), "https://localhost/after");
}

TEST_F(DefaultHandler, SchemeWithoutAHandlerIsNotOpened) {
    EXPECT_FALSE(NSWorkspace::shared().open("trelvo-nothing-handles-this://page"));
}
