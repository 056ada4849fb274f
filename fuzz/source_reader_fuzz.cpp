// Arbitrary text through the source reader: it may refuse a value with the
// conversion error, but must never touch memory outside the store.
#include <cstdint>

#include "document/errors.h"
#include "formats/source_text.h"
#include "source_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    // One store for the whole run: it is 190 MB, and a load never relies on
    // what the store held before.
    static auto* store = new pixolat::ImageStore();
    const SourceInput input(data, size);
    pixolat::EditorState state;
    state.currentImage = input.startImage;
    try {
        const pixolat::SourceLoadResult result = pixolat::LoadSourceText(*store, state, input.text);
        if (state.currentImage < 0 || state.currentImage > pixolat::kLastImage) __builtin_trap();
        if (result.sections < 0) __builtin_trap();
    } catch (const pixolat::Error&) {
    }
    for (int i = 0; i < pixolat::kImageCount; ++i) {
        const pixolat::ImageDescriptor& d = store->image(i).desc;
        if (d.width < 0 || d.width > pixolat::kPlaneWidth || d.height < 0 ||
            d.height > pixolat::kPlaneHeight)
            __builtin_trap();
    }
    return 0;
}
