#pragma once
// What a picture file's header declares, read by this program itself and
// without the toolkit: the toolkit's readers refuse some headers without
// telling the size they declare, and do not tell the memory their decoder
// holds besides the picture. Lets the codec refuse a picture by its size
// before anything is decoded, and tell a cut file from a whole one.
#include <climits>
#include <cstdint>
#include <optional>
#include <span>

namespace pixolat {

struct DeclaredPicture {
    std::int64_t width = 0;
    std::int64_t height = 0;
    // Bits per pixel of the picture as the toolkit decodes it.
    int bitsPerPixel = 32;
    // Bytes the decoder holds besides the picture, for the whole picture
    // whatever part of it is kept (a JPEG in several scans keeps every
    // coefficient until the last scan).
    std::int64_t decoderBytes = 0;
    // Where the pixel data of an uncompressed picture starts in the file and
    // how long it is; 0 when the format does not tell.
    std::int64_t pixelDataOffset = 0;
    std::int64_t pixelDataBytes = 0;
};

// a * b for sizes (both at least 0), held at the largest value instead of
// overflowing: declared sizes multiply past 64 bits.
inline std::int64_t SizeProduct(std::int64_t a, std::int64_t b) {
    return a != 0 && b > INT64_MAX / a ? INT64_MAX : a * b;
}

// The header at the start of a picture file (head: its first bytes, at least
// the header); nothing when the format is none this reads or the header is
// cut or not valid.
std::optional<DeclaredPicture> ReadPictureHeader(std::span<const uint8_t> head);

}  // namespace pixolat
