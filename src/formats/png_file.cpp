#include <array>
#include <cstring>

#include "document/errors.h"
#include "formats/picture_files.h"
#include "formats/zlib_stream.h"

namespace pixolat {

namespace {

const char* const kDamaged = "The PNG file is damaged or of a kind that cannot be read.";
constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

uint32_t BigEndian32(std::span<const uint8_t> bytes, std::size_t at) {
    return uint32_t(bytes[at]) << 24 | uint32_t(bytes[at + 1]) << 16 |
           uint32_t(bytes[at + 2]) << 8 | uint32_t(bytes[at + 3]);
}

struct Header {
    int width = 0;
    int height = 0;
    int depth = 0;
    int colorType = 0;
    bool interlaced = false;

    int Channels() const {
        switch (colorType) {
            case 0:
                return 1;
            case 2:
                return 3;
            case 3:
                return 1;
            case 4:
                return 2;
            case 6:
                return 4;
            default:
                throw Error(kDamaged);
        }
    }
    int BitsPerPixel() const { return Channels() * depth; }
    std::size_t RowBytes(int pixels) const {
        return (std::size_t(pixels) * std::size_t(BitsPerPixel()) + 7) / 8;
    }
};

void CheckHeader(const Header& h) {
    const bool depthFits = [&] {
        switch (h.colorType) {
            case 0:
                return h.depth == 1 || h.depth == 2 || h.depth == 4 || h.depth == 8 ||
                       h.depth == 16;
            case 3:
                return h.depth == 1 || h.depth == 2 || h.depth == 4 || h.depth == 8;
            case 2:
            case 4:
            case 6:
                return h.depth == 8 || h.depth == 16;
            default:
                return false;
        }
    }();
    if (!depthFits || h.width <= 0 || h.height <= 0 ||
        uint64_t(h.width) * uint64_t(h.height) > kMaxPicturePixels)
        throw Error(kDamaged);
}

uint8_t Paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return uint8_t(a);
    return uint8_t(pb <= pc ? b : c);
}

// Undoes the row filters of one (sub-)image in place; rows follow each other
// in data, each after its filter byte.
void Unfilter(uint8_t* data, std::size_t rowBytes, int rows, int bytesPerPixel) {
    const std::size_t bpp = std::size_t(bytesPerPixel);
    uint8_t* previous = nullptr;
    for (int y = 0; y < rows; ++y) {
        const int filter = data[0];
        uint8_t* row = data + 1;
        for (std::size_t i = 0; i < rowBytes; ++i) {
            const int a = i >= bpp ? row[i - bpp] : 0;
            const int b = previous ? previous[i] : 0;
            const int c = previous && i >= bpp ? previous[i - bpp] : 0;
            switch (filter) {
                case 0:
                    break;
                case 1:
                    row[i] = uint8_t(row[i] + a);
                    break;
                case 2:
                    row[i] = uint8_t(row[i] + b);
                    break;
                case 3:
                    row[i] = uint8_t(row[i] + (a + b) / 2);
                    break;
                case 4:
                    row[i] = uint8_t(row[i] + Paeth(a, b, c));
                    break;
                default:
                    throw Error(kDamaged);
            }
        }
        previous = row;
        data += rowBytes + 1;
    }
}

// Sample n of a row at the header's bit depth, 16-bit samples cut to their high byte.
int Sample(const uint8_t* row, std::size_t n, int depth) {
    switch (depth) {
        case 8:
            return row[n];
        case 16:
            return row[2 * n];
        default: {
            const std::size_t bit = n * std::size_t(depth);
            return (row[bit / 8] >> (8 - depth - int(bit % 8))) & ((1 << depth) - 1);
        }
    }
}

uint32_t PixelColor(const Header& h, const uint8_t* row, int x,
                    const std::vector<uint32_t>& palette) {
    const std::size_t channels = std::size_t(h.Channels());
    const std::size_t first = std::size_t(x) * channels;
    switch (h.colorType) {
        case 3: {
            const std::size_t index = std::size_t(Sample(row, first, h.depth));
            if (index >= palette.size()) throw Error(kDamaged);
            return palette[index];
        }
        case 0:
        case 4: {
            int gray = Sample(row, first, h.depth);
            if (h.depth < 8) gray = gray * 255 / ((1 << h.depth) - 1);
            return uint32_t(gray) * 0x010101u;
        }
        default:
            return uint32_t(Sample(row, first, h.depth)) |
                   uint32_t(Sample(row, first + 1, h.depth)) << 8 |
                   uint32_t(Sample(row, first + 2, h.depth)) << 16;
    }
}

struct Pass {
    int x0, y0, dx, dy;
};
constexpr Pass kAdam7[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                            {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};

}  // namespace

Picture DecodePng(std::span<const uint8_t> bytes) {
    if (bytes.size() < 8 || std::memcmp(bytes.data(), kSignature, 8) != 0) throw Error(kDamaged);
    Header h;
    bool haveHeader = false, ended = false;
    std::vector<uint32_t> palette;
    std::vector<uint8_t> compressed;
    std::size_t at = 8;
    while (!ended) {
        if (bytes.size() - at < 12) throw Error(kDamaged);
        const std::size_t length = BigEndian32(bytes, at);
        if (length > bytes.size() - at - 12) throw Error(kDamaged);
        const std::span<const uint8_t> typeAndData = bytes.subspan(at + 4, 4 + length);
        const std::span<const uint8_t> data = typeAndData.subspan(4);
        if (Crc32(typeAndData) != BigEndian32(bytes, at + 8 + length)) throw Error(kDamaged);
        const std::string type(typeAndData.begin(), typeAndData.begin() + 4);
        if (type == "IHDR" && length == 13) {
            h.width = int(BigEndian32(data, 0) & 0x7FFFFFFF);
            h.height = int(BigEndian32(data, 4) & 0x7FFFFFFF);
            h.depth = data[8];
            h.colorType = data[9];
            if (data[10] != 0 || data[11] != 0 || data[12] > 1) throw Error(kDamaged);
            h.interlaced = data[12] == 1;
            CheckHeader(h);
            haveHeader = true;
        } else if (type == "PLTE") {
            for (std::size_t i = 0; i + 2 < length && palette.size() < 256; i += 3)
                palette.push_back(uint32_t(data[i]) | uint32_t(data[i + 1]) << 8 |
                                  uint32_t(data[i + 2]) << 16);
        } else if (type == "IDAT") {
            compressed.insert(compressed.end(), data.begin(), data.end());
        } else if (type == "IEND") {
            ended = true;
        }
        at += 12 + length;
    }
    if (!haveHeader) throw Error(kDamaged);

    // The decompressed size is known exactly from the header, so the inflater never
    // needs to produce more.
    const int bytesPerPixel = std::max(1, h.BitsPerPixel() / 8);
    std::size_t expected = 0;
    for (int pass = 0; pass < (h.interlaced ? 7 : 1); ++pass) {
        const Pass p = h.interlaced ? kAdam7[pass] : Pass{0, 0, 1, 1};
        const int columns = (h.width - p.x0 + p.dx - 1) / p.dx;
        const int rows = (h.height - p.y0 + p.dy - 1) / p.dy;
        if (columns > 0 && rows > 0) expected += (h.RowBytes(columns) + 1) * std::size_t(rows);
    }
    std::vector<uint8_t> raw = ZlibDecompress(compressed, expected);
    if (raw.size() != expected) throw Error(kDamaged);

    Picture picture;
    picture.width = h.width;
    picture.height = h.height;
    picture.pixels.resize(std::size_t(h.width) * std::size_t(h.height));
    uint8_t* data = raw.data();
    for (int pass = 0; pass < (h.interlaced ? 7 : 1); ++pass) {
        const Pass p = h.interlaced ? kAdam7[pass] : Pass{0, 0, 1, 1};
        const int columns = (h.width - p.x0 + p.dx - 1) / p.dx;
        const int rows = (h.height - p.y0 + p.dy - 1) / p.dy;
        if (columns <= 0 || rows <= 0) continue;
        const std::size_t rowBytes = h.RowBytes(columns);
        Unfilter(data, rowBytes, rows, bytesPerPixel);
        for (int r = 0; r < rows; ++r) {
            const uint8_t* row = data + (rowBytes + 1) * std::size_t(r) + 1;
            for (int c = 0; c < columns; ++c)
                picture.at(p.x0 + c * p.dx, p.y0 + r * p.dy) = PixelColor(h, row, c, palette);
        }
        data += (rowBytes + 1) * std::size_t(rows);
    }
    return picture;
}

std::vector<uint8_t> EncodePng(const Picture& picture) {
    std::vector<uint8_t> raw;
    raw.reserve((std::size_t(picture.width) * 3 + 1) * std::size_t(picture.height));
    for (int y = 0; y < picture.height; ++y) {
        raw.push_back(0);  // no filter
        for (int x = 0; x < picture.width; ++x) {
            const uint32_t rgb = picture.at(x, y);
            raw.push_back(uint8_t(rgb));
            raw.push_back(uint8_t(rgb >> 8));
            raw.push_back(uint8_t(rgb >> 16));
        }
    }
    std::vector<uint8_t> out(kSignature, kSignature + 8);
    const auto chunk = [&out](const char* type, std::span<const uint8_t> data) {
        const uint32_t length = uint32_t(data.size());
        for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(length >> shift));
        const std::size_t start = out.size();
        out.insert(out.end(), type, type + 4);
        out.insert(out.end(), data.begin(), data.end());
        const uint32_t crc = Crc32(std::span(out).subspan(start));
        for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(crc >> shift));
    };
    std::array<uint8_t, 13> header{};
    for (int i = 0; i < 4; ++i) {
        header[std::size_t(i)] = uint8_t(uint32_t(picture.width) >> (24 - 8 * i));
        header[std::size_t(4 + i)] = uint8_t(uint32_t(picture.height) >> (24 - 8 * i));
    }
    header[8] = 8;  // bits per sample
    header[9] = 2;  // RGB
    chunk("IHDR", header);
    chunk("IDAT", ZlibStore(raw));
    chunk("IEND", {});
    return out;
}

}  // namespace pixolat
