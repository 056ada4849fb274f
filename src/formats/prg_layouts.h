#pragma once
// .PRG files that keep what the plain 10050-byte export cannot: DFLI pictures
// with all four attribute banks, and character sets. Each is written in a
// layout the import already recognises, so it reads back exactly:
//   DFLI hires:       16403 bytes at $1001, the data from offset 211;
//   DFLI multicolor:  17146 bytes at $1001, the data from offset 362, with
//                     "MULT" and the two image-wide colors (nibbles swapped)
//                     in the unused end of bank 0's luminance block;
//   character set:    2050 bytes, 256 characters; at $3800 column by column
//                     for the Charset layout, else at $3000 row by row.
// Before the DFLI data comes a program part: a BASIC line that ends, or a
// viewer that shows the picture.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "document/image_store.h"

namespace pixolat {

enum class PrgLayout : uint8_t { Bitmap, Dfli, Charset };

inline constexpr uint16_t kDfliLoadAddress = 0x1001;
inline constexpr std::size_t kHiresDfliSize = 16403;
inline constexpr std::size_t kHiresDfliBase = 211;
inline constexpr std::size_t kMulticolorDfliSize = 17146;
inline constexpr std::size_t kMulticolorDfliBase = 362;
// Where a DFLI file keeps "MULT", then color3 and color0, counted from its base.
inline constexpr std::size_t kDfliMarkerOffset = 1018;
inline constexpr std::size_t kCharsetPrgSize = 2050;

// The layout that keeps the image: DFLI for DFLI images, Charset for the two
// charset layouts and for images without a color map of at most 256 x 64,
// Bitmap for the rest.
PrgLayout KeepingPrgLayout(const Image& image);

// Base and size of the DFLI layout for the image's pixel width.
std::size_t DfliBase(const Image& image);
std::size_t DfliSize(const Image& image);

// The top-left 320 x 200 as a DFLI file; program is put at offset 2 (its own
// load address left off) and must end before the base. A Normal image's bank
// 0 goes into all four banks, so the picture looks the same.
std::vector<uint8_t> EncodeDfliPrg(const Image& image, std::span<const uint8_t> program = {});

// The top-left 256 x 64 pixels as 256 characters, column by column at $3800
// or row by row at $3000; by default as the image's layout orders its cells.
std::vector<uint8_t> EncodeCharsetPrg(const Image& image, bool columns);
std::vector<uint8_t> EncodeCharsetPrg(const Image& image);

std::vector<uint8_t> EncodePrgLayout(const Image& image, PrgLayout layout);

// What the layout does not keep of the image, as phrases ("color banks 1 to
// 3 of the DFLI picture"); empty when it keeps everything that shows.
std::vector<std::string> PrgLeftOut(const Image& image, PrgLayout layout);

// "left out A, B and C"; empty for an empty list.
std::string LeftOutText(const std::vector<std::string>& phrases);

}  // namespace pixolat
