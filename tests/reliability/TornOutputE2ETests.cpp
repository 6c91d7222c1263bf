// The countdown's file presenter killed with SIGKILL at random moments, over and over, while a
// reader keeps opening the picture: every picture the reader sees is whole, and the killed
// writers leave no pile of temporary files behind.

#include "tests/support/ChildProgram.h"
#include "tests/support/TemporaryDirectory.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <iostream>
#include <iterator>
#include <png.h>
#include <random>
#include <thread>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using trelvo::test::ChildProgram;
using trelvo::test::TemporaryDirectory;

const std::string countdown = VANTOREL_WIDGET_EXTENSION;
constexpr int iterations = 200;

std::optional<std::string> readWhole(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Decoded to the last row by libpng, and nothing missing after: the IEND chunk ends it.
bool decodesWhole(const std::string& bytes) {
    static const std::string iend("\0\0\0\0IEND\xae\x42\x60\x82", 12);
    if (bytes.size() < iend.size() || bytes.compare(bytes.size() - 12, 12, iend) != 0) {
        return false;
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
        return false;
    }
    image.format = PNG_FORMAT_RGBA;
    std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
    bool whole = png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) != 0;
    png_image_free(&image);
    return whole && image.width > 0 && image.height > 0;
}

struct Reads {
    std::atomic<int> whole{0};
    std::atomic<int> torn{0};
    std::atomic<int> absent{0};
};

// Opens and decodes the picture as fast as it can until told to stop.
class Reader {
public:
    Reader(fs::path file, Reads& reads)
        : thread_([this, file = std::move(file), &reads] {
            while (!stop_) {
                auto bytes = readWhole(file);
                if (!bytes) {
                    ++reads.absent;
                } else if (decodesWhole(*bytes)) {
                    ++reads.whole;
                } else {
                    ++reads.torn;
                }
            }
        }) {}
    ~Reader() {
        stop_ = true;
        thread_.join();
    }

private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

std::vector<std::string> leftoversBeside(const fs::path& file) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(file.parent_path())) {
        if (entry.path() != file) {
            names.push_back(entry.path().filename().string());
        }
    }
    return names;
}

TEST(TornOutput, EveryPictureAReaderSeesDecodesWholeHoweverOftenTheWriterIsKilled) {
    TemporaryDirectory pictures("reliability-torn");
    TemporaryDirectory logs("reliability-torn-logs");
    const auto file = pictures.path() / "countdown.png";
    const std::vector<std::string> headless{"DISPLAY", "WAYLAND_DISPLAY"};

    // How long one picture takes here, so that the kills fall before, during and after it.
    auto started = std::chrono::steady_clock::now();
    auto first = trelvo::test::runToEnd({countdown, "--once", "--output", file.string()},
                                       logs.path(), headless);
    auto runTime = std::chrono::steady_clock::now() - started;
    ASSERT_EQ(first.status, trelvo::test::ExitStatus::withCode(0)) << first.errors;

    Reads reads;
    int killed = 0;
    std::mt19937 random(20210611);
    std::uniform_real_distribution<double> moment(0.0, 2.0);
    {
        Reader reader(file, reads);
        for (int i = 0; i < iterations; ++i) {
            // Half one-shot pictures, half the running host, which writes its placeholder and
            // then the entry; at 1x to 3x, so that some pictures take longer to write.
            std::vector<std::string> command{countdown, "--output", file.string(), "--scale",
                                             std::to_string(1 + i % 3)};
            if (i % 2 == 0) {
                command.push_back("--once");
            }
            ChildProgram writer(command, logs.path(), headless);
            ASSERT_TRUE(writer.started());
            auto limit =
                std::chrono::duration_cast<std::chrono::milliseconds>(runTime * moment(random));
            if (!writer.waitForExit(limit)) {
                writer.signal(SIGKILL);
                ++killed;
            }
            auto status = writer.waitForExit(5s);
            ASSERT_TRUE(status) << "a writer outlived SIGKILL";
            EXPECT_TRUE(status->exited ? status->code == 0 : status->signal == SIGKILL)
                << *status << ": " << writer.errors();
        }
    }

    EXPECT_EQ(reads.torn, 0) << "a reader saw a picture cut short";
    EXPECT_GT(reads.whole, 0);
    EXPECT_TRUE(decodesWhole(readWhole(file).value_or("")));
    auto leftovers = leftoversBeside(file);
    EXPECT_LE(leftovers.size(), 1u) << testing::PrintToString(leftovers);
    std::cout << iterations << " writers, " << killed << " killed; reads: " << reads.whole
              << " whole, " << reads.torn << " torn, " << reads.absent << " absent; "
              << leftovers.size() << " leftover files\n";
}

} // namespace
