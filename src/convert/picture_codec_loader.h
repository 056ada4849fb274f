#pragma once
// The converter's way to the picture codec: the codec module is opened the
// first time a picture is read or written, so conversions without pictures
// never load the toolkit. It is looked for beside the program (a build
// folder), in the library folder next to the program's (an installed
// program) and in the library folder it was built for. When it is missing or
// of another build, these throw Error naming it and why (and, when missing,
// the package that installs it).
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "app/picture/picture_codec.h"
#include "document/picture.h"

namespace pixolat {

// As ReadPictureFile, CanReadPictureType and EncodePictureFile of the codec.
Picture CodecReadPicture(const std::string& path, int maxWidth, int maxHeight,
                         PictureSize* fullSize = nullptr);
bool CodecCanReadPictureType(const std::string& extension);
// Whether a picture reader takes a file that begins with these bytes.
bool CodecIsPicture(std::span<const uint8_t> head);
std::vector<uint8_t> CodecEncodePicture(const Picture& picture, PictureFileType type);

}  // namespace pixolat
