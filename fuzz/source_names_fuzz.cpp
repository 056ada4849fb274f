// Any bytes as an image's name: a source file gives the name back exactly,
// at the image's index with its colors, and the plain source text gives back
// its readable form, which the header line carries as it is.
#include <cstdint>
#include <string>

#include "formats/source_meta.h"
#include "formats/source_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static auto* saved = new pixolat::ImageStore();
    static auto* loaded = new pixolat::ImageStore();
    if (size < 3) return 0;
    const int index = data[0] % pixolat::kImageCount;
    const pixolat::ColorCode color0 = data[1], color3 = data[2];
    const std::string name(reinterpret_cast<const char*>(data + 3), size - 3);

    pixolat::Image& image = saved->image(index);
    image.desc = {name,   8,     8, 1, pixolat::Layout::Bitmap, pixolat::ColorMapKind::None,
                  color0, color3};
    image.plane.at(0, 0) = 1;
    loaded->image(index).desc = {};
    pixolat::EditorState state;
    state.currentImage = (index + 1) % pixolat::kImageCount;
    const std::vector<uint8_t> file = pixolat::SourceFileBytes(*saved, index);
    pixolat::LoadSourceFile(*loaded, state, file);
    const pixolat::ImageDescriptor& back = loaded->image(index).desc;
    if (back.name != name || back.color0 != color0 || back.color3 != color3 || back.width != 8 ||
        state.currentImage != index || loaded->image(index).plane.at(0, 0) != 1)
        __builtin_trap();

    const std::string text = pixolat::SaveSourceText(*saved);
    loaded->image(0).desc = {};
    state.currentImage = 0;
    pixolat::LoadSourceText(*loaded, state, text);
    const std::string readable = pixolat::ReadableName(name);
    if (loaded->image(0).desc.name != readable || loaded->image(0).desc.width != 8 ||
        pixolat::ReadableName(readable) != readable)
        __builtin_trap();

    image.desc = {};
    return 0;
}
