#include "app/picture/picture_header.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace pixolat {

namespace {

using Bytes = std::span<const uint8_t>;
using Header = std::optional<DeclaredPicture>;

// Declared numbers past this are refused as not valid: no reader takes them,
// and products of two stay far from overflowing.
constexpr std::int64_t kLargestNumber = std::int64_t(1) << 31;

std::uint32_t Big16(Bytes b, std::size_t at) {
    return std::uint32_t(b[at]) << 8 | b[at + 1];
}
std::uint32_t Big32(Bytes b, std::size_t at) {
    return Big16(b, at) << 16 | Big16(b, at + 2);
}
std::uint32_t Little16(Bytes b, std::size_t at) {
    return std::uint32_t(b[at + 1]) << 8 | b[at];
}
std::uint32_t Little32(Bytes b, std::size_t at) {
    return Little16(b, at + 2) << 16 | Little16(b, at);
}

bool StartsWith(Bytes b, std::string_view magic) {
    return b.size() >= magic.size() &&
           std::equal(magic.begin(), magic.end(), b.begin(),
                      [](char m, uint8_t c) { return static_cast<unsigned char>(m) == c; });
}

Header Declared(std::int64_t width, std::int64_t height, int bits) {
    if (width <= 0 || height <= 0 || width > kLargestNumber || height > kLargestNumber)
        return std::nullopt;
    DeclaredPicture picture;
    picture.width = width;
    picture.height = height;
    picture.bitsPerPixel = bits;
    return picture;
}

Header Png(Bytes b) {
    if (b.size() < 26 || !StartsWith(b.subspan(12), "IHDR")) return std::nullopt;
    const unsigned depth = b[24];
    const unsigned colorType = b[25];
    // Gray and palette pictures decode at one bit (two colors) or one byte a
    // pixel, 16-bit gray at two bytes; color at 32 or, from 16-bit samples, 64.
    int bits = depth == 16 ? 64 : 32;
    if (colorType == 0 || colorType == 3) bits = depth == 1 ? 1 : depth == 16 ? 16 : 8;
    return Declared(Big32(b, 16), Big32(b, 20), bits);
}

// Coefficient memory of a JPEG decoded from the whole file at once: two bytes
// for each coefficient of every component, in blocks of 8 x 8 padded to the
// component's sampling.
std::int64_t JpegCoefficientBytes(std::int64_t width, std::int64_t height, Bytes components,
                                  int count) {
    int hMax = 1;
    int vMax = 1;
    for (int c = 0; c < count; ++c) {
        hMax = std::max(hMax, components[std::size_t(3 * c + 1)] >> 4);
        vMax = std::max(vMax, components[std::size_t(3 * c + 1)] & 15);
    }
    const auto blocks = [](std::int64_t samples, int factor, int most) {
        const std::int64_t used = (samples * std::max(factor, 1) + most - 1) / most;
        const std::int64_t n = (used + 7) / 8;
        return (n + std::max(factor, 1) - 1) / std::max(factor, 1) * std::max(factor, 1);
    };
    std::int64_t bytes = 0;
    for (int c = 0; c < count; ++c) {
        const int sampling = components[std::size_t(3 * c + 1)];
        bytes += blocks(width, sampling >> 4, hMax) * blocks(height, sampling & 15, vMax) * 128;
    }
    return bytes;
}

Header Jpeg(Bytes b) {
    Header frame;
    bool progressive = false;
    int components = 0;
    std::size_t at = 2;
    while (at + 4 <= b.size()) {
        if (b[at] != 0xFF) return std::nullopt;
        const unsigned marker = b[at + 1];
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {
            at += 2;
            continue;
        }
        const std::size_t length = Big16(b, at + 2);
        if (length < 2 || marker == 0xD9) return std::nullopt;
        const Bytes segment = b.subspan(at + 4, std::min(length - 2, b.size() - at - 4));
        const bool startOfFrame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (startOfFrame && !frame) {
            if (segment.size() < 6) return std::nullopt;
            components = segment[5];
            if (components == 0 || segment.size() < std::size_t(6 + 3 * components))
                return std::nullopt;
            frame = Declared(Big16(segment, 3), Big16(segment, 1), components == 1 ? 8 : 32);
            if (!frame) return std::nullopt;
            progressive = (marker & 3) == 2;
            // Until a scan shows otherwise, every coefficient is kept.
            frame->decoderBytes =
                JpegCoefficientBytes(frame->width, frame->height, segment.subspan(6), components);
        }
        if (marker == 0xDA) {
            // One scan with every component streams; anything else keeps the
            // whole picture's coefficients.
            if (frame && !progressive && !segment.empty() && segment[0] == components)
                frame->decoderBytes = 0;
            return frame;
        }
        at += 2 + length;
    }
    return frame;
}

Header Bmp(Bytes b) {
    if (b.size() < 26) return std::nullopt;
    const std::uint32_t headerSize = Little32(b, 14);
    std::int64_t width = 0;
    std::int64_t height = 0;
    unsigned bpp = 0;
    unsigned compression = 0;
    if (headerSize == 12) {
        width = Little16(b, 18);
        height = Little16(b, 20);
        bpp = Little16(b, 24);
    } else {
        if (b.size() < 34) return std::nullopt;
        width = std::int32_t(Little32(b, 18));
        height = std::int32_t(Little32(b, 22));
        bpp = Little16(b, 28);
        compression = Little32(b, 30);
    }
    height = height < 0 ? -height : height;
    Header picture = Declared(width, height, bpp == 1 ? 1 : bpp <= 8 ? 8 : 32);
    // Uncompressed rows (plain or with bit fields) are padded to 4 bytes.
    if (picture && bpp > 0 && bpp <= 32 && (compression == 0 || compression == 3)) {
        picture->pixelDataOffset = Little32(b, 10);
        picture->pixelDataBytes = SizeProduct((width * bpp + 31) / 32 * 4, height);
    }
    return picture;
}

// Netpbm: "P4 640 480" and so on, with comments from '#' to the line's end.
Header Netpbm(Bytes b) {
    if (b.size() < 3 || b[0] != 'P' || b[1] < '1' || b[1] > '6') return std::nullopt;
    const char kind = char(b[1]);
    const bool bitmap = kind == '1' || kind == '4';
    std::int64_t numbers[3] = {};
    std::size_t at = 2;
    for (int n = 0; n < (bitmap ? 2 : 3); ++n) {
        while (at < b.size() && (std::isspace(b[at]) || b[at] == '#')) {
            if (b[at] == '#')
                while (at < b.size() && b[at] != '\n' && b[at] != '\r') ++at;
            else
                ++at;
        }
        if (at >= b.size() || !std::isdigit(b[at])) return std::nullopt;
        for (; at < b.size() && std::isdigit(b[at]); ++at) {
            numbers[n] = numbers[n] * 10 + (b[at] - '0');
            if (numbers[n] > kLargestNumber) return std::nullopt;
        }
    }
    const std::int64_t maxValue = numbers[2];
    const int sampleBytes = maxValue > 255 ? 2 : 1;
    Header picture = Declared(numbers[0], numbers[1],
                              bitmap                       ? 1
                              : kind == '2' || kind == '5' ? 8 * sampleBytes
                                                           : 32);
    // Binary kinds: one whitespace byte, then the samples.
    if (picture && kind >= '4' && at < b.size()) {
        const std::int64_t width = picture->width;
        const std::int64_t rowBytes = kind == '4'   ? (width + 7) / 8
                                      : kind == '5' ? width * sampleBytes
                                                    : 3 * width * sampleBytes;
        picture->pixelDataOffset = std::int64_t(at) + 1;
        picture->pixelDataBytes = SizeProduct(rowBytes, picture->height);
    }
    return picture;
}

// Skips blanks; reads a decimal number.
std::optional<std::int64_t> NumberAt(Bytes b, std::size_t& at) {
    while (at < b.size() && (b[at] == ' ' || b[at] == '\t')) ++at;
    if (at >= b.size() || !std::isdigit(b[at])) return std::nullopt;
    std::int64_t n = 0;
    for (; at < b.size() && std::isdigit(b[at]); ++at) {
        n = n * 10 + (b[at] - '0');
        if (n > kLargestNumber) return std::nullopt;
    }
    return n;
}

// "/* XPM */ ... { "width height colors chars" ...
Header Xpm(Bytes b) {
    const std::string_view text(reinterpret_cast<const char*>(b.data()), b.size());
    const std::size_t quote = text.find('"', text.find('{'));
    if (text.find('{') == std::string_view::npos || quote == std::string_view::npos)
        return std::nullopt;
    std::size_t at = quote + 1;
    const auto width = NumberAt(b, at);
    const auto height = NumberAt(b, at);
    const auto colors = NumberAt(b, at);
    if (!width || !height || !colors) return std::nullopt;
    return Declared(*width, *height, *colors <= 256 ? 8 : 32);
}

// "#define name_width 16" and "#define name_height 16".
Header Xbm(Bytes b) {
    const std::string_view text(reinterpret_cast<const char*>(b.data()), b.size());
    const auto value = [&](std::string_view name) -> std::optional<std::int64_t> {
        const std::size_t found = text.find(name);
        if (found == std::string_view::npos) return std::nullopt;
        std::size_t at = found + name.size();
        return NumberAt(b, at);
    };
    const auto width = value("_width");
    const auto height = value("_height");
    if (!width || !height) return std::nullopt;
    return Declared(*width, *height, 1);
}

Header Gif(Bytes b) {
    if (b.size() < 10) return std::nullopt;
    Header picture = Declared(Little16(b, 6), Little16(b, 8), 32);
    // Frames that restore what was under them keep a second picture.
    if (picture) picture->decoderBytes = SizeProduct(picture->width * picture->height, 4);
    return picture;
}

}  // namespace

std::optional<DeclaredPicture> ReadPictureHeader(std::span<const uint8_t> head) {
    if (StartsWith(head, "\x89PNG\r\n\x1a\n")) return Png(head);
    if (StartsWith(head, "\xFF\xD8")) return Jpeg(head);
    if (StartsWith(head, "BM")) return Bmp(head);
    if (StartsWith(head, "GIF87a") || StartsWith(head, "GIF89a")) return Gif(head);
    if (StartsWith(head, "/* XPM")) return Xpm(head);
    if (StartsWith(head, "#define")) return Xbm(head);
    return Netpbm(head);
}

}  // namespace pixolat
