#include "platform/widget/PictureFingerprint.h"

#include <gtest/gtest.h>
#include <set>
#include <vector>

namespace {

using platform::widget::pictureFingerprint;

// Every single-bit change, in the 32-byte blocks and in the tail, gives its own digest.
TEST(PictureFingerprint, EveryFlippedBitChangesIt) {
    std::vector<std::uint8_t> bytes(77, 0x5A);
    std::set<std::uint64_t> seen{pictureFingerprint(bytes)};
    for (std::size_t i = 0; i < bytes.size() * 8; ++i) {
        bytes[i / 8] ^= static_cast<std::uint8_t>(1u << (i % 8));
        seen.insert(pictureFingerprint(bytes));
        bytes[i / 8] ^= static_cast<std::uint8_t>(1u << (i % 8));
    }
    EXPECT_EQ(seen.size(), bytes.size() * 8 + 1);
}

TEST(PictureFingerprint, TrailingZerosAndSwappedWordsCount) {
    const std::vector<std::uint8_t> clear(64, 0);
    const std::vector<std::uint8_t> longer(65, 0);
    EXPECT_NE(pictureFingerprint(clear), pictureFingerprint(longer));
    EXPECT_NE(pictureFingerprint({}), pictureFingerprint(std::vector<std::uint8_t>(1, 0)));

    std::vector<std::uint8_t> a(64, 0), b(64, 0);
    a[0] = 1;  // first word of the first block
    b[32] = 1; // first word of the second block: same lane, other step
    EXPECT_NE(pictureFingerprint(a), pictureFingerprint(b));
    EXPECT_EQ(pictureFingerprint(a), pictureFingerprint(std::vector<std::uint8_t>(a)));
}

} // namespace
