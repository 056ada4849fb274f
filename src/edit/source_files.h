#pragma once
// The source text in files: Open Source File and Save Source File. The
// recovery files, which hold the same text, are edit/recovery.h's.
#include <cstdint>
#include <string>
#include <vector>

namespace pixolat {

class Editor;

// What a read of source text filled.
struct SourceFileRead {
    std::vector<int> images;  // indices, in the order they were filled
    bool truncated = false;   // images past image 256 were not read
};

// Reads source file bytes into the store as one step over every image it
// filled; the step ends, and the view shows the result.
SourceFileRead ReadSourceBytes(Editor& editor, const std::vector<uint8_t>& bytes);
// The end of a message about a read that did not fit the store.
std::string DroppedImagesText(const SourceFileRead& read);

// Reads a source file into the store as Load (as source) reads pasted text;
// one undo step over every image it filled. Only those images count as saved.
void OpenSourceFile(Editor& editor, const std::string& path);
// Writes the text of Save (as source) to the file, whole or not at all; every
// image then counts as saved.
void SaveSourceFile(Editor& editor, const std::string& path);

}  // namespace pixolat
