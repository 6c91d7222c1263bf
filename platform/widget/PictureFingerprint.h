#pragma once

#include <cstdint>
#include <span>

namespace platform::widget {

// A 64-bit digest of a picture's bytes, quick enough to take on every refresh (a 2x widget's
// pixels in a few tens of microseconds) so an unchanged picture need not be encoded or written
// again. Not for anything an attacker chooses: it is no cryptographic hash.
std::uint64_t pictureFingerprint(std::span<const std::uint8_t> bytes);

} // namespace platform::widget
