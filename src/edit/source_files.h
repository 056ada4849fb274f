#pragma once
// The source text in files: Open Source File, Save Source File, and the
// recovery file that keeps the last session's images when the window closes.
#include <functional>
#include <string>

namespace pixolat {

class Editor;
class Platform;
struct SourceLoadResult;

// Reads a source file into the store: images with their "//@" lines go back
// to their own indices, a plain text goes from the current image on, as Load
// (as source) reads pasted text. One undo step over every image it filled;
// a file that fails half way changes nothing.
void OpenSourceFile(Editor& editor, const std::string& path);
// Writes the source text with the lines that make it read back exactly (see
// SourceFileBytes), whole or not at all.
void SaveSourceFile(Editor& editor, const std::string& path);
// Runs a source text read that puts everything back when it fails, and
// then takes back what the undo history saw of it, so that a failed read is
// no change; it runs at the start of a step.
SourceLoadResult ReadAllOrNothing(Editor& editor, const std::function<SourceLoadResult()>& read);
// After a source text was read (firstImage was current before): the view,
// caption and status follow the current image, and the images that did not
// fit past image 256 are named in a message box.
void ShowSourceLoad(Editor& editor, int firstImage, const SourceLoadResult& result);
// Reads the recovery file as OpenSourceFile reads a file.
void RecoverLastSession(Editor& editor);

// The recovery file in the user's data folder; empty when there is no folder.
std::string RecoveryFilePath(Platform& platform);
// Writes the whole store to the recovery file when image data changed since
// start or since a source file was last opened or saved. The new file is
// written beside the old one and renamed over it, so a failure keeps the
// last session's file.
void WriteRecoveryFile(Editor& editor);
// Greys File > Recover Last Session when there is no recovery file.
void UpdateRecoverItem(Editor& editor);

}  // namespace pixolat
