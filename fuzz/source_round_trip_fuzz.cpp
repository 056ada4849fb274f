// Whatever image a text describes, writing it and reading it back must give
// the same text again: the writer and the reader agree on every layout, size
// and color map kind. (The first save may differ from the input, as keywords
// take their written order.) Names are set to a plain label: one that starts
// with a digit, say, makes its header a data line by design.
#include <cstdint>
#include <string>

#include "document/errors.h"
#include "formats/source_text.h"
#include "source_input.h"

namespace {

// Loads the text into the last image alone, so one image is compared.
std::string LoadAndSave(pixolat::ImageStore& store, std::string_view text) {
    store.image(pixolat::kLastImage).desc = {};
    pixolat::EditorState state;
    state.currentImage = pixolat::kLastImage;
    pixolat::LoadSourceText(store, state, text);
    store.image(pixolat::kLastImage).desc.name = "Image";
    return pixolat::SaveSourceText(store);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static auto* first = new pixolat::ImageStore();
    static auto* second = new pixolat::ImageStore();
    const SourceInput input(data, size);
    std::string written;
    try {
        written = LoadAndSave(*first, input.text);
    } catch (const pixolat::Error&) {
        return 0;  // not a text the reader accepts
    }
    const std::string again = LoadAndSave(*second, written);
    if (LoadAndSave(*first, again) != again) __builtin_trap();
    return 0;
}
