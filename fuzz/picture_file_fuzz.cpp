// Any bytes as a PNG or BMP file (the first byte picks which): the decoders
// either give a picture of the size they report or refuse with an Error.
#include <cstddef>
#include <cstdint>
#include <span>

#include "document/errors.h"
#include "formats/picture_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::span<const uint8_t> bytes(data + 1, size - 1);
    try {
        const pixolat::Picture picture =
            (data[0] & 1) ? pixolat::DecodePng(bytes) : pixolat::DecodeBmp(bytes);
        if (picture.pixels.size() != std::size_t(picture.width) * std::size_t(picture.height))
            __builtin_trap();
    } catch (const pixolat::Error&) {
    }
    return 0;
}
