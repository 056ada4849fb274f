#pragma once
// The source text in files: Open Source File, Save Source File, and the
// recovery file that keeps the last session's images when the window closes.
#include <string>

namespace pixolat {

class Editor;
class Platform;

// Reads a source file into the store from the current image on, as Load (as
// source) reads pasted text; one undo step over every image it filled.
void OpenSourceFile(Editor& editor, const std::string& path);
// Writes the text of Save (as source) to the file, whole or not at all.
void SaveSourceFile(Editor& editor, const std::string& path);
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
