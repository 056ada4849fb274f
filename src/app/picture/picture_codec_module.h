#pragma once
// The picture codec as a module of its own (pixolat-picture-codec.so), which
// the converter opens only when it reads or writes a picture: QtGui and the
// libraries it pulls in cost more start-up time and memory than a whole
// conversion without pictures. The module is built from the same tree as the
// program that opens it, so the calls pass the program's own types; no
// exception crosses the boundary, failures come back as the text the user
// sees. The table's version and size tell a module of another build.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/picture/picture_codec.h"
#include "document/picture.h"

namespace pixolat {

inline constexpr char kPictureCodecModuleFile[] = "pixolat-picture-codec.so";
inline constexpr char kPictureCodecModuleEntry[] = "PixolatPictureCodecCalls";
inline constexpr int kPictureCodecModuleVersion = 2;

// Each call that can fail leaves the user's text in error (empty when done).
struct PictureCodecCalls {
    int version = kPictureCodecModuleVersion;
    std::size_t size = sizeof(PictureCodecCalls);
    // The release the module was built for: the types passed must match.
    const char* release = nullptr;
    void (*readPictureFile)(const std::string& path, int maxWidth, int maxHeight, Picture& picture,
                            PictureSize& fullSize, std::string& error);
    bool (*canReadPictureType)(const std::string& extension);
    void (*encodePictureFile)(const Picture& picture, PictureFileType type,
                              std::vector<uint8_t>& bytes, std::string& error);
    // Whether a picture reader takes a file that begins with these bytes.
    bool (*isPicture)(const uint8_t* bytes, std::size_t size);
};

// The module's one exported function (kPictureCodecModuleEntry).
using PictureCodecEntry = const PictureCodecCalls* (*)();

}  // namespace pixolat
