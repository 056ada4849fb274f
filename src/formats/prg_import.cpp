#include <cstring>

#include "formats/prg_format.h"

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

PrgRecognition RecognizePrg(std::span<const uint8_t> bytes) {
    const FileBytes file(bytes);
    const std::size_t size = file.size();
    const int load = file[0] + 256 * file[1];
    PrgRecognition result;
    if ((load == 0x1800 || load == 0x7800) && size >= 10048) {
        result = {file[1020] == 0x4D ? 2 : 1, 2};
    } else if (size == 10048 || size == 10049 || size == 8002) {
        result = {1, 2};
    }
    if (load == 0x4FFC) result.format = 8;
    if (size == 16784) result.format = 7;
    if (size == 10132 && load == 0x1001) result = {1, 84};
    if (size == 10342 && load == 0x1001) result = {2, 100};
    if (size == 16403 && load == 0x1001) result = {3, 211};
    if (size == 17146 && load == 0x1001) result = {4, 362};
    if (size == 2050) result = {load == 0x3800 ? 6 : 5, 2};
    return result;
}

int DecodePrg(std::span<const uint8_t> bytes, Image& image) {
    const FileBytes file(bytes);
    const PrgRecognition recognition = RecognizePrg(bytes);
    const std::size_t base = recognition.base;
    switch (recognition.format) {
        case 1:
            SetShape(image, 320, 200, 1, ColorMapKind::Normal);
            if (file.size() > 8194) {
                DecodeBank(file, image, 0, base);
                DecodeBitmap(file, image, base + 2048);
            } else {
                DecodeBitmap(file, image, base);
            }
            break;
        case 2:
            SetShape(image, 320, 200, 2, ColorMapKind::Normal);
            DecodeBank(file, image, 0, base);
            DecodeBitmap(file, image, base + 2048);
            // Fixed offsets whatever the base: where the editor's own export puts them.
            image.desc.color3 = SwapNibbles(file[1024]);
            image.desc.color0 = SwapNibbles(file[1025]);
            break;
        case 3:
        case 4:
        case 7: {
            // Format 7 counts from the file's first byte whatever base an
            // earlier test chose.
            const std::size_t start = recognition.format == 7 ? 0 : base;
            SetShape(image, 320, 200, recognition.format == 3 ? 1 : 2, ColorMapKind::Dfli);
            for (int bank = 0; bank < kBanks; ++bank)
                DecodeBank(file, image, bank, start + 2048 * std::size_t(bank));
            DecodeBitmap(file, image, start + 8192);
            break;
        }
        case 5:
            SetShape(image, 256, 64, 2, ColorMapKind::None);
            DecodeCells(file, image, 32, 8, [base](int cx, int cy) {
                return base + std::size_t(cy) * 256 + std::size_t(cx) * 8;
            });
            break;
        case 6:
            SetShape(image, 256, 64, 2, ColorMapKind::None);
            DecodeCells(file, image, 32, 8, [base](int cx, int cy) {
                return base + std::size_t(cx) * 64 + std::size_t(cy) * 8;
            });
            break;
        case 8:
            // Two character sets at $5000 and $5800, each 40 columns of 6 characters.
            SetShape(image, 320, 96, 2, ColorMapKind::Normal);
            DecodeCells(file, image, 40, 12, [](int cx, int cy) {
                const std::size_t set = std::size_t(cy / 6);
                return 2048 * set + 6 + 48 * std::size_t(cx) + 8 * std::size_t(cy % 6);
            });
            break;
        default:
            break;
    }
    return recognition.format;
}

const char* PrgFormatName(int format) {
    switch (format) {
        case 1:
            return "hires bitmap with attributes";
        case 2:
            return "multicolor bitmap with attributes";
        case 3:
            return "hires DFLI";
        case 4:
            return "multicolor DFLI";
        case 5:
            return "character set, rows";
        case 6:
            return "character set, columns";
        case 7:
            return "multicolor DFLI, 16784 bytes";
        case 8:
            return "two character sets as a 40 x 12 character screen";
        default:
            return "not recognised";
    }
}

}  // namespace pixolat
