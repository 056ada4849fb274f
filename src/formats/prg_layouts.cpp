#include "formats/prg_layouts.h"

#include <algorithm>

#include "document/errors.h"
#include "formats/prg_format.h"

namespace pixolat {

namespace {

constexpr std::size_t kBitmapOffsetInPlainExport = 2050;
constexpr std::size_t kBitmapBytes = 8000;
constexpr uint16_t kCharsetRowsAddress = 0x3000;
constexpr uint16_t kCharsetColumnsAddress = 0x3800;

bool IsCharsetLayout(const Image& image) {
    return image.desc.layout == Layout::Charset || image.desc.layout == Layout::Charset2x2;
}

// Luminance block of 1000 bytes padded to 1024, then the color block.
void PutBank(const Image& image, int bank, uint8_t* out) {
    for (int cy = 0; cy < 25; ++cy) {
        for (int cx = 0; cx < 40; ++cx) {
            out[40 * cy + cx] = image.lummap.at(bank, cx, cy);
            out[1024 + 40 * cy + cx] = image.colmap.at(bank, cx, cy);
        }
    }
}

std::string Size(int width, int height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

}  // namespace

PrgLayout KeepingPrgLayout(const Image& image) {
    const ImageDescriptor& d = image.desc;
    if (d.colorMapKind == ColorMapKind::Dfli) return PrgLayout::Dfli;
    // A character set read from a .prg has no color map and keeps its layout.
    const bool colorlessCharset =
        d.colorMapKind == ColorMapKind::None && d.width <= 256 && d.height <= 64;
    return IsCharsetLayout(image) || colorlessCharset ? PrgLayout::Charset : PrgLayout::Bitmap;
}

std::size_t DfliBase(const Image& image) {
    return image.desc.pixelWidth == 2 ? kMulticolorDfliBase : kHiresDfliBase;
}

std::size_t DfliSize(const Image& image) {
    return image.desc.pixelWidth == 2 ? kMulticolorDfliSize : kHiresDfliSize;
}

std::vector<uint8_t> EncodeDfliPrg(const Image& image, std::span<const uint8_t> program) {
    const std::size_t base = DfliBase(image);
    if (2 + program.size() > base) throw Error("the program part runs into the picture");
    std::vector<uint8_t> out(DfliSize(image), 0);
    out[0] = kDfliLoadAddress & 0xFF;
    out[1] = kDfliLoadAddress >> 8;
    if (program.empty()) {
        // 10 END: the line at $1001 links to the end-of-program word at $1007.
        const uint8_t endLine[] = {0x07, 0x10, 10, 0, 0x80, 0, 0, 0};
        std::copy(std::begin(endLine), std::end(endLine), out.begin() + 2);
    } else {
        std::copy(program.begin(), program.end(), out.begin() + 2);
    }
    const bool oneBank = image.desc.colorMapKind == ColorMapKind::Normal;
    for (int bank = 0; bank < kBanks; ++bank)
        PutBank(image, oneBank ? 0 : bank, out.data() + base + 2048 * std::size_t(bank));
    if (image.desc.pixelWidth == 2) {
        uint8_t* marker = out.data() + base + kDfliMarkerOffset;
        std::copy_n("MULT", 4, marker);
        marker[4] = SwapNibbles(image.desc.color3);
        marker[5] = SwapNibbles(image.desc.color0);
    }
    const std::vector<uint8_t> plain = EncodePrg(image);
    std::copy_n(plain.begin() + kBitmapOffsetInPlainExport, kBitmapBytes,
                out.begin() + std::ptrdiff_t(base + 8192));
    return out;
}

std::vector<uint8_t> EncodeCharsetPrg(const Image& image) {
    // The Charset layout lists cells column by column, which is the order of
    // the $3800 layout's characters; every other image goes row by row.
    return EncodeCharsetPrg(image, image.desc.layout == Layout::Charset);
}

std::vector<uint8_t> EncodeCharsetPrg(const Image& image, bool columns) {
    const uint16_t load = columns ? kCharsetColumnsAddress : kCharsetRowsAddress;
    std::vector<uint8_t> out(kCharsetPrgSize, 0);
    out[0] = load & 0xFF;
    out[1] = load >> 8;
    for (int x = 0; x < 256; ++x) {
        const uint8_t* column = image.plane.column(x);
        const uint8_t bit = uint8_t(0x80 >> (x % 8));
        for (int y = 0; y < 64; ++y) {
            const std::size_t cx = std::size_t(x / 8), cy = std::size_t(y / 8);
            const std::size_t character = columns ? cx * 8 + cy : cy * 32 + cx;
            if (column[y] != 0) out[2 + 8 * character + std::size_t(y % 8)] |= bit;
        }
    }
    return out;
}

std::vector<uint8_t> EncodePrgLayout(const Image& image, PrgLayout layout) {
    switch (layout) {
        case PrgLayout::Dfli:
            return EncodeDfliPrg(image);
        case PrgLayout::Charset:
            return EncodeCharsetPrg(image);
        case PrgLayout::Bitmap:
            break;
    }
    return EncodePrg(image);
}

std::vector<std::string> PrgLeftOut(const Image& image, PrgLayout layout) {
    const ImageDescriptor& d = image.desc;
    std::vector<std::string> lost;
    const int keptWidth = layout == PrgLayout::Charset ? 256 : 320;
    const int keptHeight = layout == PrgLayout::Charset ? 64 : 200;
    if (d.width > keptWidth || d.height > keptHeight)
        lost.push_back("everything past " + Size(keptWidth, keptHeight) + " of the " +
                       Size(d.width, d.height) + " image");
    if (layout == PrgLayout::Bitmap && d.colorMapKind == ColorMapKind::Dfli)
        lost.push_back("color banks 1 to 3 of the DFLI picture");
    if (layout != PrgLayout::Charset && IsCharsetLayout(image))
        lost.push_back(d.layout == Layout::Charset ? "the Charset layout"
                                                   : "the 2x2 Charset layout");
    if (layout == PrgLayout::Charset) {
        if (d.colorMapKind != ColorMapKind::None) lost.push_back("the colors");
        if (d.pixelWidth != 2) lost.push_back("the hires pixel width (read back as multicolor)");
    }
    return lost;
}

std::string LeftOutText(const std::vector<std::string>& phrases) {
    std::string text;
    for (std::size_t i = 0; i < phrases.size(); ++i)
        text += (i == 0 ? "left out " : i + 1 == phrases.size() ? " and " : ", ") + phrases[i];
    return text;
}

}  // namespace pixolat
