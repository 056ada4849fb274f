#pragma once
// Source text: source_reader.cpp reads it into the store, source_writer.cpp writes it.
// The source text: every non-empty image as assembler byte directives
// ("DB $XX,...") behind one header line per image. It travels through the
// Gfx Data window and, with comment lines that make it exact, through source
// files. Both directions are pure text operations on the store; neither
// redraws nor opens a window.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "document/editor_state.h"
#include "document/image_store.h"
#include "formats/source_syntax.h"

namespace pixolat {

// The text of every image whose width and height are both above 0, in index
// order, with CR LF line ends. A name that a header line cannot carry is
// written in its readable form (ReadableName), so the text reads back.
std::string SaveSourceText(const ImageStore& store);

struct SourceLoadResult {
    int sections = 0;        // images that received a header or data
    bool truncated = false;  // sections past image 256 were dropped
    std::size_t values = 0;  // data values read, in every section
    // The images that received a section, in the order they were read.
    std::vector<int> images;
    // Sections that did not fit past image 256 (a text read from the current
    // image on): how many, and the names their headers give, in order (the
    // first 64).
    int droppedSections = 0;
    std::vector<std::string> droppedNames;
    // The text named the image that was current when it was saved.
    bool restoredCurrent = false;
};

// Told the index of each image just before the reader first changes it;
// images are announced in the order the reader fills them.
using BeforeImageChange = std::function<void(int index)>;

// Reads source text into the store as it arrives, piece by piece, in one
// pass: memory stays bounded whatever the text's size (no whole-text copy).
//
// Sections go from state.currentImage on, one image for each further
// section, and currentImage ends on the image that received the last one.
// A section whose header is followed by an "//@ image" line (source files)
// goes to its own index with its exact name and colors, and an "//@ current"
// line makes that image current at the end.
//
// All or nothing: a value that is not a number, or any other failure, throws
// Error "line N: ..." (N counted from 1) and puts back every image and the
// state as they were; so does destroying the reader before Finish. Never
// writes outside the current image's planes or past image 256.
struct SourceTextOptions {
    // Skip a UTF-8 byte order mark at the start: text editors put one in
    // files, and it would turn the first header line into data.
    bool skipByteOrderMark = false;
};

class SourceTextReader {
public:
    SourceTextReader(ImageStore& store, EditorState& state, BeforeImageChange beforeChange = {},
                     SourceTextOptions options = {});
    ~SourceTextReader();
    SourceTextReader(const SourceTextReader&) = delete;
    SourceTextReader& operator=(const SourceTextReader&) = delete;

    // The next piece of the text, of any size, split anywhere.
    void Feed(std::string_view piece);
    // Ends the text and keeps what was read.
    SourceLoadResult Finish();

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

// The whole text at once, through SourceTextReader.
SourceLoadResult LoadSourceText(ImageStore& store, EditorState& state, std::string_view text,
                                const BeforeImageChange& beforeChange = {});

// The largest source file read: a full store of 257 screens is about 70 MB.
inline constexpr std::size_t kSourceFileLimit = std::size_t(1) << 31;

// A source file: the source text (CR LF line ends) with the "//@" lines that
// make it read back exactly, currentImage being the image current now.
// In a dialect (source_syntax.h) the text is that assembler's.
std::vector<uint8_t> SourceFileBytes(const ImageStore& store, int currentImage,
                                     SourceSyntax syntax = SourceSyntax::Db);
// The same in parts, for a writer that keeps the text of images that did not
// change: the file is SourceFileStart then SourceFileSection of every image
// in index order (empty for an empty image).
std::string SourceFileStart(int currentImage, SourceSyntax syntax = SourceSyntax::Db);
std::string SourceFileSection(const ImageStore& store, int index,
                              SourceSyntax syntax = SourceSyntax::Db);

// Reads a source file's bytes as SourceTextReader reads them, skipping a
// byte order mark.
SourceLoadResult LoadSourceFile(ImageStore& store, EditorState& state,
                                const std::vector<uint8_t>& bytes,
                                const BeforeImageChange& beforeChange = {});

}  // namespace pixolat
