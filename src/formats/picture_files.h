#pragma once
// Picture files read and written without a window system, for the batch
// converter: Windows bitmaps and PNG. Pixels are 24-bit RGB with red in the
// low byte, as everywhere in the editor. Malformed files throw Error with a
// text for the user; nothing outside the given bytes is read.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "document/picture.h"

namespace pixolat {

// Pictures larger than this many pixels are refused rather than held in memory.
inline constexpr std::size_t kMaxPicturePixels = std::size_t(1) << 26;

// Uncompressed bitmaps of 1, 4, 8, 16, 24 and 32 bits per pixel, bottom-up or
// top-down, with core or extended headers and bit-field masks.
Picture DecodeBmp(std::span<const uint8_t> bytes);
// Every PNG color type and bit depth, interlaced or not; transparency is ignored.
Picture DecodePng(std::span<const uint8_t> bytes);

// A 24-bit bottom-up Windows bitmap.
std::vector<uint8_t> EncodeBmp(const Picture& picture);
// An 8-bit RGB PNG.
std::vector<uint8_t> EncodePng(const Picture& picture);

}  // namespace pixolat
