#include <cstring>

#include "formats/prg_format.h"
#include "formats/prg_layouts.h"
#include "formats/runnable_prg.h"

namespace pixolat {

namespace {

// Reads the file's bytes by offset; offsets past the end read as 0.
class FileBytes {
public:
    explicit FileBytes(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    uint8_t operator[](std::size_t offset) const {
        return offset < bytes_.size() ? bytes_[offset] : uint8_t(0);
    }
    std::size_t size() const { return bytes_.size(); }

private:
    std::span<const uint8_t> bytes_;
};

// Writes the bits of cells columns x cells rows of 8-byte cells into the
// plane; cellOffset(cx, cy) is the file offset of the cell's top byte.
template <class CellOffset>
void DecodeCells(const FileBytes& file, Image& image, int columns, int rows,
                 CellOffset cellOffset) {
    for (int cx = 0; cx < columns; ++cx) {
        for (int k = 0; k < 8; ++k) {
            uint8_t* column = image.plane.column(8 * cx + k);
            const int shift = 7 - k;
            for (int cy = 0; cy < rows; ++cy) {
                const std::size_t offset = cellOffset(cx, cy);
                for (int r = 0; r < 8; ++r)
                    column[8 * cy + r] = uint8_t((file[offset + std::size_t(r)] >> shift) & 1);
            }
        }
    }
}

void DecodeBitmap(const FileBytes& file, Image& image, std::size_t offset) {
    DecodeCells(file, image, 40, 25, [offset](int cx, int cy) {
        return offset + std::size_t(cy) * 320 + std::size_t(cx) * 8;
    });
}

// Luminance block of 1000 bytes padded to 1024, then the color block.
void DecodeBank(const FileBytes& file, Image& image, int bank, std::size_t offset) {
    for (int cy = 0; cy < 25; ++cy) {
        for (int cx = 0; cx < 40; ++cx) {
            const std::size_t cell = offset + std::size_t(40 * cy + cx);
            image.lummap.at(bank, cx, cy) = file[cell];
            image.colmap.at(bank, cx, cy) = file[cell + 1024];
        }
    }
}

void SetShape(Image& image, int width, int height, int pixelWidth, ColorMapKind kind) {
    image.desc.width = width;
    image.desc.height = height;
    image.desc.pixelWidth = pixelWidth;
    image.desc.colorMapKind = kind;
}

}  // namespace

using enum PrgFormat;

PrgRecognition RecognizePrg(std::span<const uint8_t> bytes) {
    const FileBytes file(bytes);
    const std::size_t size = file.size();
    const int load = file[0] + 256 * file[1];
    PrgRecognition result;
    if ((load == 0x1800 || load == 0x7800) && size >= 10048) {
        result = {file[1020] == 0x4D ? MulticolorBitmap : HiresBitmap, 2};
    } else if (size == 10048 || size == 10049 || size == 8002) {
        result = {HiresBitmap, 2};
    }
    if (load == 0x4FFC) result.format = TwoCharsets;
    if (size == 16784) result.format = MulticolorDfli16784;
    if (size == 10132 && load == 0x1001) result = {HiresBitmap, 84};
    if (size == 10342 && load == 0x1001) result = {MulticolorBitmap, 100};
    if (size == 16403 && load == 0x1001) result = {HiresDfli, 211};
    if (size == 17146 && load == 0x1001) result = {MulticolorDfli, 362};
    if (size == 2050) result = {load == 0x3800 ? CharsetColumns : CharsetRows, 2};
    // Our own runnable export: the viewer at $1001, then from $1800 on the
    // plain export, its marker and colors where they are there.
    if (size == kRunnablePrgSize && load == kRunnableLoadAddress) {
        constexpr std::size_t base = kRunnablePictureOffset;
        const std::size_t colors = base + 1024 - 2;
        result = {file[colors - 4] == 0x4D ? MulticolorBitmap : HiresBitmap, base, colors};
    }
    return result;
}

PrgFormat DecodePrg(std::span<const uint8_t> bytes, Image& image) {
    const FileBytes file(bytes);
    const PrgRecognition recognition = RecognizePrg(bytes);
    const std::size_t base = recognition.base;
    switch (recognition.format) {
        case HiresBitmap:
            SetShape(image, 320, 200, 1, ColorMapKind::Normal);
            if (file.size() > 8194) {
                DecodeBank(file, image, 0, base);
                DecodeBitmap(file, image, base + 2048);
            } else {
                DecodeBitmap(file, image, base);
            }
            break;
        case MulticolorBitmap:
            SetShape(image, 320, 200, 2, ColorMapKind::Normal);
            DecodeBank(file, image, 0, base);
            DecodeBitmap(file, image, base + 2048);
            // Fixed offsets whatever the base (where the plain export puts
            // them), but for the runnable export that carries it further on.
            image.desc.color3 = SwapNibbles(file[recognition.colors]);
            image.desc.color0 = SwapNibbles(file[recognition.colors + 1]);
            break;
        case HiresDfli:
        case MulticolorDfli:
        case MulticolorDfli16784: {
            // The 16784-byte layout counts from the file's first byte whatever
            // base an earlier test chose.
            const std::size_t start = recognition.format == MulticolorDfli16784 ? 0 : base;
            SetShape(image, 320, 200, recognition.format == HiresDfli ? 1 : 2, ColorMapKind::Dfli);
            for (int bank = 0; bank < kBanks; ++bank)
                DecodeBank(file, image, bank, start + 2048 * std::size_t(bank));
            DecodeBitmap(file, image, start + 8192);
            // Our own export keeps the two image-wide colors, marked, where
            // bank 0's luminance block is padding.
            const std::size_t marker = start + kDfliMarkerOffset;
            if (recognition.format == MulticolorDfli && file[marker] == 'M' &&
                file[marker + 1] == 'U' && file[marker + 2] == 'L' && file[marker + 3] == 'T') {
                image.desc.color3 = SwapNibbles(file[marker + 4]);
                image.desc.color0 = SwapNibbles(file[marker + 5]);
            }
            break;
        }
        case CharsetRows:
            SetShape(image, 256, 64, 2, ColorMapKind::None);
            DecodeCells(file, image, 32, 8, [base](int cx, int cy) {
                return base + std::size_t(cy) * 256 + std::size_t(cx) * 8;
            });
            break;
        case CharsetColumns:
            SetShape(image, 256, 64, 2, ColorMapKind::None);
            DecodeCells(file, image, 32, 8, [base](int cx, int cy) {
                return base + std::size_t(cx) * 64 + std::size_t(cy) * 8;
            });
            break;
        case TwoCharsets:
            // Two character sets at $5000 and $5800, each 40 columns of 6 characters.
            SetShape(image, 320, 96, 2, ColorMapKind::Normal);
            DecodeCells(file, image, 40, 12, [](int cx, int cy) {
                const std::size_t set = std::size_t(cy / 6);
                return 2048 * set + 6 + 48 * std::size_t(cx) + 8 * std::size_t(cy % 6);
            });
            break;
        case Unknown:
            break;
    }
    return recognition.format;
}

const char* PrgFormatName(PrgFormat format) {
    switch (format) {
        case HiresBitmap:
            return "hires bitmap with attributes";
        case MulticolorBitmap:
            return "multicolor bitmap with attributes";
        case HiresDfli:
            return "hires DFLI";
        case MulticolorDfli:
            return "multicolor DFLI";
        case CharsetRows:
            return "character set, rows";
        case CharsetColumns:
            return "character set, columns";
        case MulticolorDfli16784:
            return "multicolor DFLI, 16784 bytes";
        case TwoCharsets:
            return "two character sets as a 40 x 12 character screen";
        case Unknown:
            break;
    }
    return "not recognised";
}

}  // namespace pixolat
