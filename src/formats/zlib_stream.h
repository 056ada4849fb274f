#pragma once
// The zlib stream format as PNG files use it: checksums, a decoder for every
// deflate block type, and an encoder that stores the data in uncompressed
// blocks (simple, and valid for every reader). Malformed input throws Error;
// nothing is read or written outside the given buffers.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace pixolat {

uint32_t Crc32(std::span<const uint8_t> bytes, uint32_t crc = 0);
uint32_t Adler32(std::span<const uint8_t> bytes);

// The raw deflate data of one stream; stops with Error once the output would
// pass maxOutput bytes.
std::vector<uint8_t> Inflate(std::span<const uint8_t> deflate, std::size_t maxOutput);

// A zlib stream (header, deflate data, Adler-32) decoded and checked.
std::vector<uint8_t> ZlibDecompress(std::span<const uint8_t> stream, std::size_t maxOutput);
// A zlib stream holding the bytes in stored blocks.
std::vector<uint8_t> ZlibStore(std::span<const uint8_t> bytes);

}  // namespace pixolat
