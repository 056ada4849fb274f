#pragma once
// .PRG import and export: prg_import.cpp recognises and decodes, prg_export.cpp encodes.
// Plus/4 program files (.PRG): a two-byte little-endian load address followed
// by a memory image. Files carry no header, so the layout is recognised from
// the load address and the exact size alone.
//
// Decoding never reads outside the given bytes: a byte a layout needs past the
// end of a short file reads as 0.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "document/image_store.h"

namespace pixolat {

// The image-wide colors of a multicolor file hold the hue in the high nibble
// and the luminance in the low one, the reverse of a ColorCode; the same swap
// converts either way.
inline uint8_t SwapNibbles(int v) {
    return uint8_t((v & 0x0F) << 4 | (v >> 4 & 0x0F));
}

// The import reads at most this many bytes of a file; no layout reaches past
// offset 16553, so longer files are only cut, never refused.
inline constexpr std::size_t kPrgReadLimit = 600001;
// An exported file: load address, two 1024-byte attribute blocks, 8000-byte bitmap.
inline constexpr std::size_t kPrgExportSize = 10050;

// The memory layouts the import knows. The numbers are the ones messages and
// the converter's --info show ("PRG format 4").
enum class PrgFormat : uint8_t {
    Unknown = 0,
    HiresBitmap = 1,       // attributes and bitmap, or a bare bitmap
    MulticolorBitmap = 2,  // as 1, marked "M" at offset 1020, with the two image colors
    HiresDfli = 3,
    MulticolorDfli = 4,
    CharsetRows = 5,     // 32 x 8 characters, row by row
    CharsetColumns = 6,  // 32 x 8 characters, column by column
    MulticolorDfli16784 = 7,
    TwoCharsets = 8,  // two character sets as a 40 x 12 character screen
};

struct PrgRecognition {
    PrgFormat format = PrgFormat::Unknown;
    std::size_t base = 0;
    // Where a multicolor bitmap keeps color3, then color0.
    std::size_t colors = 1024;
};

// Which layout the file holds; the tests run in a fixed order and a later
// match overrides an earlier one.
PrgRecognition RecognizePrg(std::span<const uint8_t> bytes);

// Decodes a recognised file into the image: size, pixel width, color map kind,
// the pixels and the attribute banks its layout holds (MulticolorBitmap also the two
// multicolor colors). The layout, the name and whatever the file does not hold
// stay. Returns the format; Unknown leaves the image untouched.
PrgFormat DecodePrg(std::span<const uint8_t> bytes, Image& image);

// A short description of a format, for messages and --info.
const char* PrgFormatName(PrgFormat format);

// The image as a 320 x 200 bitmap loading at $1800: luminance at $1800, colors
// at $1C00, bitmap at $2000. Multicolor images carry "MULT" and their two
// image-wide colors at the end of the luminance block. Always 10050 bytes.
std::vector<uint8_t> EncodePrg(const Image& image);

}  // namespace pixolat
