#pragma once
// Source text: source_reader.cpp reads it into the store, source_writer.cpp writes it.
// The source text: every non-empty image as assembler byte directives
// ("DB $XX,...") behind one header line per image. It travels through the
// Gfx Data window, never through a file. Both directions are pure text
// operations on the store; neither redraws nor opens a window.
#include <string>
#include <string_view>

#include "document/editor_state.h"
#include "document/image_store.h"

namespace pixolat {

// The text of every image whose width and height are both above 0, in index
// order, with CR LF line ends.
std::string SaveSourceText(const ImageStore& store);

struct SourceLoadResult {
    int sections = 0;        // images that received a header or data
    bool truncated = false;  // sections past image 256 were dropped
    std::size_t values = 0;  // data values read, in every section
};

// Reads the text into the store, starting at state.currentImage and moving
// on by one image for each further section; currentImage ends on the image
// that received the last section. A value that is not a number stops the load
// with Error "'%s' is not a valid integer value"; what was read before stays.
// Never writes outside the current image's planes or past image 256.
SourceLoadResult LoadSourceText(ImageStore& store, EditorState& state, std::string_view text);

}  // namespace pixolat
