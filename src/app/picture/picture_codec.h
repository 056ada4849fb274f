#pragma once
// The one picture codec of the editor and the converter: every picture file is
// read and written through the toolkit's image readers and writers, so both
// programs read the same pixels from the same file. Needs no window system and
// no application object. Failures throw Error with the text the user sees.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "document/picture.h"

namespace pixolat {

// A decoded picture and the part of it that is kept, at 4 bytes a pixel,
// never take more than this many bytes together, whatever its file claims.
inline constexpr std::int64_t kPictureDecodeBudget = std::int64_t(96) << 20;

struct PictureSize {
    int width = 0;
    int height = 0;
};

// Reads the picture file at path; only its top-left maxWidth x maxHeight part
// is kept, and where the format allows it only that part is decoded. A picture
// whose decoding would take more than the budget is refused with a message
// that names its size, an SVG drawing with one that says so. fullSize, when given, receives the
// size of the whole picture.
Picture ReadPictureFile(const std::string& path, int maxWidth, int maxHeight,
                        PictureSize* fullSize = nullptr);

// Whether the codec reads pictures of this type (a file extension without
// its dot, lower case: "png", "jpg", ...).
bool CanReadPictureType(const std::string& extension);

// The type of picture the bytes begin with, judged by their content as the
// readers judge it ("bmp", "png", ...); empty when no reader takes them.
std::string PictureTypeOf(std::span<const uint8_t> bytes);

enum class PictureFileType { Bmp, Png };

// The picture as the bytes of a 24-bit picture file of that type.
std::vector<uint8_t> EncodePictureFile(const Picture& picture, PictureFileType type);

}  // namespace pixolat
