// Any bytes as a source file, read in pieces as the editor and the converter
// read files (the byte order mark may come split): the reader may refuse a
// value, but must read the pieces as it reads the whole text, and a refused
// file must leave every image exactly as it was.
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "document/errors.h"
#include "formats/source_text.h"

namespace {

struct Copy {
    pixolat::ImageDescriptor desc;
    std::vector<uint8_t> bytes;
};

Copy Take(const pixolat::Image& image) {
    Copy copy{image.desc,
              std::vector<uint8_t>(pixolat::kPlaneBytes + 2 * pixolat::kAttributeBytes)};
    std::memcpy(copy.bytes.data(), image.plane.data(), pixolat::kPlaneBytes);
    std::memcpy(copy.bytes.data() + pixolat::kPlaneBytes, image.colmap.data(),
                pixolat::kAttributeBytes);
    std::memcpy(copy.bytes.data() + pixolat::kPlaneBytes + pixolat::kAttributeBytes,
                image.lummap.data(), pixolat::kAttributeBytes);
    return copy;
}

bool Same(const Copy& copy, const pixolat::Image& image) {
    const Copy now = Take(image);
    const pixolat::ImageDescriptor &a = copy.desc, &b = now.desc;
    return a.name == b.name && a.width == b.width && a.height == b.height &&
           a.pixelWidth == b.pixelWidth && a.layout == b.layout &&
           a.colorMapKind == b.colorMapKind && a.color0 == b.color0 && a.color3 == b.color3 &&
           copy.bytes == now.bytes;
}

// The outcome of one read: the counts, or the error's text.
std::string Read(pixolat::ImageStore& store, int start, std::string_view text, std::size_t piece,
                 std::map<int, Copy>* before) {
    pixolat::EditorState state;
    state.currentImage = start;
    pixolat::BeforeImageChange announce;
    if (before)
        announce = [&store, before](int index) {
            if (!before->count(index)) before->emplace(index, Take(store.image(index)));
        };
    try {
        pixolat::SourceTextReader reader(store, state, announce, {.skipByteOrderMark = true});
        for (std::size_t at = 0; at < text.size(); at += piece) reader.Feed(text.substr(at, piece));
        const pixolat::SourceLoadResult r = reader.Finish();
        if (state.currentImage < 0 || state.currentImage > pixolat::kLastImage) __builtin_trap();
        return std::to_string(r.sections) + " " + std::to_string(r.values) + " " +
               std::to_string(r.droppedSections) + " " + std::to_string(state.currentImage);
    } catch (const pixolat::Error& e) {
        if (state.currentImage != start) __builtin_trap();  // the state is put back too
        return e.text();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    // Two stores for the whole run (190 MB each): a load never relies on
    // what a store held before, and each image is compared to its own copy.
    static auto* whole = new pixolat::ImageStore();
    static auto* pieces = new pixolat::ImageStore();
    if (size < 2) return 0;
    // The first byte: where the load starts (past 248 near the last image);
    // the second: the piece size.
    const int start = data[0] < 248 ? data[0] % 4 : pixolat::kImageCount - (data[0] - 247);
    const std::size_t piece = 1 + data[1] % 16;
    const std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);

    const std::string a = Read(*whole, start, text, text.size() + 1, nullptr);
    std::map<int, Copy> before;
    const std::string b = Read(*pieces, start, text, piece, &before);
    if (a != b) __builtin_trap();
    if (a.starts_with("line ")) {
        for (const auto& [index, copy] : before)
            if (!Same(copy, pieces->image(index))) __builtin_trap();
    }
    return 0;
}
