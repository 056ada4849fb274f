// Any bytes as a .PRG file: recognition and decoding into an image of the
// store must stay inside the file and the planes.
#include <cstddef>
#include <cstdint>
#include <span>

#include "document/image_store.h"
#include "formats/prg_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static pixolat::ImageStore* store = new pixolat::ImageStore;
    // The import never sees more than its read limit of a file.
    const std::span<const uint8_t> bytes(data, std::min(size, pixolat::kPrgReadLimit));
    // The last image: a read or write past its planes leaves the store.
    pixolat::Image& image = store->image(pixolat::kLastImage);
    const pixolat::PrgFormat format = pixolat::DecodePrg(bytes, image);
    if (format != pixolat::RecognizePrg(bytes).format) __builtin_trap();
    if (format != pixolat::PrgFormat::Unknown &&
        (image.desc.width > pixolat::kPlaneWidth || image.desc.height > pixolat::kPlaneHeight))
        __builtin_trap();
    return 0;
}
