#pragma once
// The source text in files: Open Source File and Save Source File. The
// recovery files, which hold the same text, are edit/recovery.h's.
#include <functional>
#include <string>
#include <vector>

#include "formats/source_text.h"

namespace pixolat {

class Editor;

// Reads a source file into the store: images with their "//@" lines go back
// to their own indices, a plain text goes from the current image on, as Load
// (as source) reads pasted text. One undo step over every image it filled;
// a file that fails half way changes nothing. The view, caption and status
// follow, and the images that did not fit past image 256 are named in a
// message box.
SourceLoadResult ReadSourceFile(Editor& editor, const std::string& path);
// The files one after the other as one text, in one step, all or nothing.
SourceLoadResult ReadSourceFiles(Editor& editor, const std::vector<std::string>& paths);
// Reads a source file into the store (ReadSourceFile); only the images it
// filled count as saved.
void OpenSourceFile(Editor& editor, const std::string& path);
// Writes the source text with the lines that make it read back exactly (see
// SourceFileBytes), whole or not at all; every image then counts as saved.
void SaveSourceFile(Editor& editor, const std::string& path);
// The images a source text holds: those with a width and height above 0.
int NonEmptyImages(const ImageStore& store);
// "Saved 3 images as 64tass source to WHERE".
std::string SavedSourceStatus(int images, SourceSyntax syntax, const std::string& where);
// Runs a source text read that puts everything back when it fails, and
// then takes back what the undo history saw of it, so that a failed read is
// no change; it runs at the start of a step.
SourceLoadResult ReadAllOrNothing(Editor& editor, const std::function<SourceLoadResult()>& read);
// After a source text was read (firstImage was current before): the view,
// caption and status follow the current image, and the images that did not
// fit past image 256 are named in a message box.
void ShowSourceLoad(Editor& editor, int firstImage, const SourceLoadResult& result);

}  // namespace pixolat
