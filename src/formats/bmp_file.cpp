#include <bit>

#include "document/errors.h"
#include "formats/picture_files.h"

namespace pixolat {

namespace {

const char* const kDamaged = "The bitmap file is damaged or of a kind that cannot be read.";

class LittleEndian {
public:
    explicit LittleEndian(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    uint32_t U8(std::size_t at) const {
        if (at >= bytes_.size()) throw Error(kDamaged);
        return bytes_[at];
    }
    uint32_t U16(std::size_t at) const { return U8(at) | U8(at + 1) << 8; }
    uint32_t U32(std::size_t at) const { return U16(at) | U16(at + 2) << 16; }
    std::size_t size() const { return bytes_.size(); }

private:
    std::span<const uint8_t> bytes_;
};

// A channel given by a bit mask, scaled to 8 bits.
uint32_t Channel(uint32_t value, uint32_t mask) {
    if (mask == 0) return 0;
    const int shift = std::countr_zero(mask);
    const int width = std::popcount(mask);
    uint32_t v = (value & mask) >> shift;
    if (width >= 8) return v >> (width - 8);
    const uint32_t max = (1u << width) - 1;
    return (v * 255 + max / 2) / max;
}

}  // namespace

Picture DecodeBmp(std::span<const uint8_t> bytes) {
    const LittleEndian file(bytes);
    if (file.U8(0) != 'B' || file.U8(1) != 'M') throw Error(kDamaged);
    const std::size_t dataOffset = file.U32(10);
    const uint32_t headerSize = file.U32(14);
    int64_t width = 0, height = 0;
    uint32_t bitCount = 0, compression = 0, paletteSize = 0;
    std::size_t paletteEntry = 4;
    if (headerSize == 12) {
        width = file.U16(18);
        height = file.U16(20);
        bitCount = file.U16(24);
        paletteEntry = 3;
    } else if (headerSize >= 40) {
        width = int32_t(file.U32(18));
        height = int32_t(file.U32(22));
        bitCount = file.U16(28);
        compression = file.U32(30);
        paletteSize = file.U32(46);
    } else {
        throw Error(kDamaged);
    }
    const bool topDown = height < 0;
    if (topDown) height = -height;
    if (width <= 0 || height <= 0 || uint64_t(width) * uint64_t(height) > kMaxPicturePixels)
        throw Error(kDamaged);

    uint32_t masks[3] = {0x00FF0000, 0x0000FF00, 0x000000FF};
    if (bitCount == 16) masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    if (compression == 3 && (bitCount == 16 || bitCount == 32)) {
        // Masks follow a 40-byte header, or sit inside a longer one.
        for (int i = 0; i < 3; ++i) masks[i] = file.U32(14 + 40 + 4 * std::size_t(i));
    } else if (compression != 0) {
        throw Error(kDamaged);
    }

    std::vector<uint32_t> palette;
    if (bitCount <= 8) {
        if (bitCount != 1 && bitCount != 4 && bitCount != 8) throw Error(kDamaged);
        const std::size_t entries =
            paletteSize == 0 || paletteSize > (1u << bitCount) ? 1u << bitCount : paletteSize;
        const std::size_t start = 14 + headerSize;
        palette.assign(std::size_t(1) << bitCount, 0);
        for (std::size_t i = 0; i < entries && start + paletteEntry * i + 2 < file.size(); ++i) {
            const std::size_t at = start + paletteEntry * i;
            palette[i] = file.U8(at + 2) | file.U8(at + 1) << 8 | file.U8(at) << 16;
        }
    } else if (bitCount != 16 && bitCount != 24 && bitCount != 32) {
        throw Error(kDamaged);
    }

    // The rows must all be in the file before the picture's memory is taken.
    const std::size_t stride = (std::size_t(width) * bitCount + 31) / 32 * 4;
    if (dataOffset > file.size() || stride * std::size_t(height) > file.size() - dataOffset)
        throw Error(kDamaged);
    Picture picture;
    picture.width = int(width);
    picture.height = int(height);
    picture.pixels.resize(std::size_t(width) * std::size_t(height));
    for (int y = 0; y < picture.height; ++y) {
        const std::size_t row =
            dataOffset + stride * std::size_t(topDown ? y : picture.height - 1 - y);
        for (int x = 0; x < picture.width; ++x) {
            uint32_t rgb = 0;
            switch (bitCount) {
                case 1:
                    rgb = palette[(file.U8(row + std::size_t(x) / 8) >> (7 - x % 8)) & 1];
                    break;
                case 4:
                    rgb = palette[(file.U8(row + std::size_t(x) / 2) >> (x % 2 ? 0 : 4)) & 15];
                    break;
                case 8:
                    rgb = palette[file.U8(row + std::size_t(x))];
                    break;
                case 24: {
                    const std::size_t at = row + 3 * std::size_t(x);
                    rgb = file.U8(at + 2) | file.U8(at + 1) << 8 | file.U8(at) << 16;
                    break;
                }
                default: {
                    const uint32_t v = bitCount == 16 ? file.U16(row + 2 * std::size_t(x))
                                                      : file.U32(row + 4 * std::size_t(x));
                    rgb = Channel(v, masks[0]) | Channel(v, masks[1]) << 8 |
                          Channel(v, masks[2]) << 16;
                    break;
                }
            }
            picture.at(x, y) = rgb;
        }
    }
    return picture;
}

std::vector<uint8_t> EncodeBmp(const Picture& picture) {
    const std::size_t stride = (std::size_t(picture.width) * 3 + 3) / 4 * 4;
    const std::size_t imageSize = stride * std::size_t(picture.height);
    std::vector<uint8_t> out;
    out.reserve(54 + imageSize);
    const auto u16 = [&out](uint32_t v) {
        out.push_back(uint8_t(v));
        out.push_back(uint8_t(v >> 8));
    };
    const auto u32 = [&u16](uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    out.push_back('B');
    out.push_back('M');
    u32(uint32_t(54 + imageSize));
    u32(0);
    u32(54);
    u32(40);
    u32(uint32_t(picture.width));
    u32(uint32_t(picture.height));
    u16(1);
    u16(24);
    u32(0);
    u32(uint32_t(imageSize));
    u32(2835);  // 72 dots per inch
    u32(2835);
    u32(0);
    u32(0);
    for (int y = picture.height - 1; y >= 0; --y) {
        for (int x = 0; x < picture.width; ++x) {
            const uint32_t rgb = picture.at(x, y);
            out.push_back(uint8_t(rgb >> 16));
            out.push_back(uint8_t(rgb >> 8));
            out.push_back(uint8_t(rgb));
        }
        out.resize(out.size() + stride - 3 * std::size_t(picture.width), 0);
    }
    return out;
}

}  // namespace pixolat
