#pragma once
// Source text: source_reader.cpp reads it into the store, source_writer.cpp writes it.
// The source text: every non-empty image as assembler byte directives
// ("DB $XX,...") behind one header line per image. It travels through the
// Gfx Data window, never through a file. Both directions are pure text
// operations on the store; neither redraws nor opens a window.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

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

// Told the index of each image just before the reader first changes it;
// images are announced in the order the reader fills them.
using BeforeImageChange = std::function<void(int index)>;

// Reads the text into the store, starting at state.currentImage and moving
// on by one image for each further section; currentImage ends on the image
// that received the last section. A value that is not a number stops the load
// with Error "'%s' is not a valid integer value"; what was read before stays.
// Never writes outside the current image's planes or past image 256.
SourceLoadResult LoadSourceText(ImageStore& store, EditorState& state, std::string_view text,
                                const BeforeImageChange& beforeChange = {});

// The largest source file read: a full store of 257 screens is about 70 MB.
inline constexpr std::size_t kSourceFileLimit = std::size_t(1) << 31;

// The text of a source file: the source text as bytes (CR LF line ends).
std::vector<uint8_t> SourceFileBytes(const ImageStore& store);
// Reads a source file's bytes as LoadSourceText reads text. A UTF-8 byte order
// mark, which text editors often put first, is skipped: it would turn the
// first header line into a line of data.
SourceLoadResult LoadSourceFile(ImageStore& store, EditorState& state,
                                const std::vector<uint8_t>& bytes,
                                const BeforeImageChange& beforeChange = {});

}  // namespace pixolat
