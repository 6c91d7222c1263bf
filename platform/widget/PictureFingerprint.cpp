#include "platform/widget/PictureFingerprint.h"

#include <array>
#include <cstring>

namespace platform::widget {
namespace {

constexpr std::uint64_t multiplier = 0x9E3779B97F4A7C15ull; // odd: each step is a bijection

std::uint64_t load(const std::uint8_t* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

std::uint64_t finalMix(std::uint64_t h) {
    h ^= h >> 30;
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 27;
    h *= 0x94D049BB133111EBull;
    return h ^ (h >> 31);
}

} // namespace

std::uint64_t pictureFingerprint(std::span<const std::uint8_t> bytes) {
    // Four independent lanes keep the multiplier busy; a change to one word always changes its
    // lane, since the rest of that lane's steps are bijections.
    std::array<std::uint64_t, 4> lanes{1, 2, 3, 4};
    const std::uint8_t* p = bytes.data();
    std::size_t left = bytes.size();
    for (; left >= 32; p += 32, left -= 32) {
        for (std::size_t i = 0; i < lanes.size(); ++i) {
            lanes[i] = (lanes[i] ^ load(p + 8 * i)) * multiplier;
            lanes[i] ^= lanes[i] >> 29;
        }
    }
    std::uint64_t h = bytes.size();
    for (const std::uint64_t lane : lanes) {
        h = finalMix(h ^ lane);
    }
    for (; left > 0; ++p, --left) {
        h = (h ^ *p) * multiplier;
    }
    return finalMix(h);
}

} // namespace platform::widget
