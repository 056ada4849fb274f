// Any bytes as a picture file: the header reading and the codec must stay
// inside the file, refuse what would not fit the decode budget before
// decoding it, and hand out a picture no larger than asked for.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "app/picture/picture_codec.h"
#include "app/picture/picture_header.h"
#include "document/errors.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const auto declared = pixolat::ReadPictureHeader(std::span(data, size));
    if (declared && (declared->width <= 0 || declared->height <= 0)) __builtin_trap();

    static const std::string path = [] {
        char name[] = "/tmp/pixolat-picture-fuzz-XXXXXX";
        const int fd = mkstemp(name);
        if (fd < 0) std::abort();
        close(fd);
        return std::string(name);
    }();
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) std::abort();
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    try {
        pixolat::PictureSize whole;
        const pixolat::Picture picture = pixolat::ReadPictureFile(path, 640, 1024, &whole);
        if (picture.width > 640 || picture.height > 1024 ||
            picture.pixels.size() != std::size_t(picture.width) * std::size_t(picture.height))
            __builtin_trap();
    } catch (const pixolat::Error&) {
    }
    return 0;
}
