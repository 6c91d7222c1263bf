#include "tests/support/servers/GzipBomb.h"

#include <stdexcept>
#include <vector>
#include <zlib.h>

namespace trelvo::test {

GzipBomb makeGzipBomb(std::size_t compressedBytes) {
    constexpr std::size_t chunkBytes = 1 << 20;
    const std::vector<unsigned char> zeros(chunkBytes, 0);
    z_stream stream{};
    // 16 + 15: a gzip wrapper around a full 32 KiB window.
    if (deflateInit2(&stream, 9, Z_DEFLATED, 16 + 15, 9, Z_DEFAULT_STRATEGY) != Z_OK) {
        throw std::runtime_error("cannot start zlib");
    }
    auto compress = [&](std::size_t size, int flush) {
        std::string output(deflateBound(&stream, size) + 64, '\0');
        stream.next_in = const_cast<unsigned char*>(zeros.data());
        stream.avail_in = static_cast<uInt>(size);
        stream.next_out = reinterpret_cast<unsigned char*>(output.data());
        stream.avail_out = static_cast<uInt>(output.size());
        if (deflate(&stream, flush) == Z_STREAM_ERROR || stream.avail_in != 0) {
            throw std::runtime_error("zlib could not compress");
        }
        output.resize(output.size() - stream.avail_out);
        return output;
    };
    // After a full flush the compressor forgets its window, so every later chunk of zeros
    // compresses to the same bytes.
    const std::string first = compress(chunkBytes, Z_FULL_FLUSH);
    const std::string repeated = compress(chunkBytes, Z_FULL_FLUSH);
    const std::string finish = compress(0, Z_FINISH);
    deflateEnd(&stream);
    const std::size_t chunks =
        1 +
        (compressedBytes > first.size() ? (compressedBytes - first.size()) / repeated.size() : 0);
    GzipBomb bomb{first, std::uint64_t{chunks} * chunkBytes};
    uLong crc = crc32(0, zeros.data(), static_cast<uInt>(chunkBytes));
    const uLong chunkCRC = crc;
    const uLong step = crc32_combine_gen(static_cast<z_off_t>(chunkBytes));
    for (std::size_t index = 1; index < chunks; ++index) {
        bomb.bytes += repeated;
        crc = crc32_combine_op(crc, chunkCRC, step);
    }
    bomb.bytes += finish.substr(0, finish.size() - 8); // the final block, without its trailer
    // The trailer: CRC-32 and size mod 2^32, little-endian.
    for (std::uint64_t value : {std::uint64_t{crc}, bomb.inflatedSize}) {
        for (int shift = 0; shift < 32; shift += 8) {
            bomb.bytes.push_back(static_cast<char>((value >> shift) & 0xff));
        }
    }
    return bomb;
}

} // namespace trelvo::test
