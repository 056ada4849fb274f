#pragma once
// The image's memory parts, each for a load address of the user's choice:
// the 8000-byte bitmap, 1000 bytes of luminance and of color memory (each
// bank for DFLI), and for multicolor the two image-wide colors, as Export
// .PRG lays them out. Written as raw files or .PRG files, plus one .PRG of
// all parts, each at its own address and zeros between them.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/image_store.h"

namespace pixolat {

// Load addresses, remembered between uses. The defaults are Export .PRG's:
// luminance $1800, color $1C00, bitmap $2000, the two colors at $1BFE; the
// DFLI banks 1 to 3 follow the bitmap.
struct PartAddresses {
    int bitmap = 0x2000;
    std::array<int, kBanks> luminance = {0x1800, 0x4000, 0x4800, 0x5000};
    std::array<int, kBanks> color = {0x1C00, 0x4400, 0x4C00, 0x5400};
    int colors = 0x1BFE;
    bool raw = false;  // raw files rather than .PRG files
};

// "prg bitmap=$2000 luminance=$1800 ... colors=$1BFE" ("raw" first for raw
// files; "luminance1" and "color1" name bank 1, and so on).
std::string PartAddressesText(const PartAddresses& addresses);
// Reads that text (words in any order, any left out keep their value);
// nothing when a word is unknown or an address is not $0000..$FFFF.
std::optional<PartAddresses> ParsePartAddresses(std::string_view text,
                                                PartAddresses start = PartAddresses());

struct MemoryPart {
    std::string name;  // "bitmap", "luminance", "color", "luminance2", "colors"
    int address = 0;
    std::vector<uint8_t> bytes;
};

// The parts of the image (its top-left 320 x 200 pixels, as Export .PRG).
std::vector<MemoryPart> ImageParts(const Image& image, const PartAddresses& addresses);
// One .PRG holding every part at its address, zeros between; throws Error
// when parts overlap or one runs past $FFFF.
std::vector<uint8_t> AllPartsPrg(const std::vector<MemoryPart>& parts);
// A part as a file: raw bytes, or the load address first.
std::vector<uint8_t> PartFileBytes(const MemoryPart& part, bool raw);
// The file name of a part: base + "_" + name + ".bin" or ".prg"; the
// all-parts file is base + "_all.prg".
std::string PartFileName(const std::string& base, std::string_view name, bool raw);

}  // namespace pixolat
