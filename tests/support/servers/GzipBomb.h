#pragma once

// A gzip member of zeros that inflates about a thousand times its size, made in milliseconds:
// one compressed mebibyte of zeros is repeated instead of compressing gigabytes.

#include <cstddef>
#include <cstdint>
#include <string>

namespace trelvo::test {

struct GzipBomb {
    std::string bytes;
    std::uint64_t inflatedSize = 0;
};

GzipBomb makeGzipBomb(std::size_t compressedBytes);

} // namespace trelvo::test
