#pragma once
// The File menu's commands.
namespace pixolat {

class Editor;

// Save (as source) shows every image as source text; Load (as source) reads
// back what the user leaves in the text window.
void mnuFileSaveClick(Editor& editor);
void mnuFileLoadClick(Editor& editor);
void mnuFileImportPRGClick(Editor& editor);
void mnuFileExportPRGClick(Editor& editor);
// Writes the current image as a .PRG the Plus/4 LOADs and RUNs to show it; a
// DFLI image is refused before the save dialog.
void mnuFileExportRunnablePRGClick(Editor& editor);
// The layouts that keep a DFLI picture's four banks and a character set.
void mnuFileExportDfliPRGClick(Editor& editor);
void mnuFileExportCharsetPRGClick(Editor& editor);
void mnuFileImportBMPClick(Editor& editor);
void mnuFileImportPictureClick(Editor& editor);
void mnuFileExitClick(Editor& editor);
// Source text in files, and the recovery files of earlier sessions.
void mnuFileOpenSourceClick(Editor& editor);
void mnuFileSaveSourceClick(Editor& editor);
// Recovers the n-th session Recover Last Session lists (1 is the newest).
void RecoverSession(Editor& editor, int n);

// The current image 1:1 as a PNG or BMP picture, multicolor pixels two wide.
void mnuFileExportPictureClick(Editor& editor);

}  // namespace pixolat
