#include "tests/support/servers/GzipBomb.h"

#include <stdexcept>
#include <vector>
#include <zlib.h>

namespace trelvo::test {
namespace {

constexpr std::size_t chunkBytes = 1 << 20;

class Deflater {
public:
    Deflater() {
        // 16 + 15: a gzip wrapper around a full 32 KiB window.
        if (deflateInit2(&stream_, 9, Z_DEFLATED, 16 + 15, 9, Z_DEFAULT_STRATEGY) != Z_OK) {
            throw std::runtime_error("cannot start zlib");
        }
    }
    ~Deflater() { deflateEnd(&stream_); }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    std::string compress(const std::vector<unsigned char>& input, int flush) {
        std::string output(deflateBound(&stream_, input.size()) + 64, '\0');
        stream_.next_in = const_cast<unsigned char*>(input.data());
        stream_.avail_in = static_cast<uInt>(input.size());
        stream_.next_out = reinterpret_cast<unsigned char*>(output.data());
        stream_.avail_out = static_cast<uInt>(output.size());
        const int result = deflate(&stream_, flush);
        if (result == Z_STREAM_ERROR || stream_.avail_in != 0) {
            throw std::runtime_error("zlib could not compress");
        }
        output.resize(output.size() - stream_.avail_out);
        return output;
    }

private:
    z_stream stream_{};
};

void appendLittleEndian32(std::string& bytes, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        bytes.push_back(static_cast<char>((value >> shift) & 0xff));
    }
}

} // namespace

GzipBomb makeGzipBomb(std::size_t compressedBytes) {
    const std::vector<unsigned char> zeros(chunkBytes, 0);
    Deflater deflater;
    // After a full flush the compressor forgets its window, so every later chunk of zeros
    // compresses to the same bytes.
    const std::string first = deflater.compress(zeros, Z_FULL_FLUSH);
    const std::string repeated = deflater.compress(zeros, Z_FULL_FLUSH);
    if (deflater.compress(zeros, Z_FULL_FLUSH) != repeated) {
        throw std::runtime_error("zlib chunks differ; cannot build the bomb by repetition");
    }
    const std::string finish = deflater.compress({}, Z_FINISH);
    const std::string finalBlock = finish.substr(0, finish.size() - 8); // without the trailer

    const std::size_t chunks =
        1 +
        (compressedBytes > first.size() ? (compressedBytes - first.size()) / repeated.size() : 0);
    GzipBomb bomb;
    bomb.inflatedSize = static_cast<std::uint64_t>(chunks) * chunkBytes;
    bomb.bytes.reserve(first.size() + (chunks - 1) * repeated.size() + finalBlock.size() + 8);
    bomb.bytes += first;
    for (std::size_t index = 1; index < chunks; ++index) {
        bomb.bytes += repeated;
    }
    bomb.bytes += finalBlock;

    const uLong chunkCRC = crc32(0, zeros.data(), static_cast<uInt>(zeros.size()));
    const uLong step = crc32_combine_gen(static_cast<z_off_t>(chunkBytes));
    uLong crc = chunkCRC;
    for (std::size_t index = 1; index < chunks; ++index) {
        crc = crc32_combine_op(crc, chunkCRC, step);
    }
    appendLittleEndian32(bomb.bytes, static_cast<std::uint32_t>(crc));
    appendLittleEndian32(bomb.bytes, static_cast<std::uint32_t>(bomb.inflatedSize)); // mod 2^32
    return bomb;
}

} // namespace trelvo::test
