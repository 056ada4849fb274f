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
void mnuFileImportBMPClick(Editor& editor);
// The four recent-file items.
void mnuFileMRU1Click(Editor& editor);
void mnuFileMRU2Click(Editor& editor);
void mnuFileMRU3Click(Editor& editor);
void mnuFileMRU4Click(Editor& editor);
void mnuFileExitClick(Editor& editor);
// Source text in files, and the recovery file the last session left.
void mnuFileOpenSourceClick(Editor& editor);
void mnuFileSaveSourceClick(Editor& editor);
void mnuFileRecoverClick(Editor& editor);

// The current image 1:1 as a PNG or BMP picture, multicolor pixels two wide.
void mnuFileExportPictureClick(Editor& editor);

}  // namespace pixolat
