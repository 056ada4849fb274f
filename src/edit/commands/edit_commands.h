#pragma once
// The Edit menu: the copy buffer and the selection.
namespace pixolat {

class Editor;

// Copies the selection, or the whole image, into the copy buffer.
void mnuEditCopyClick(Editor& editor);
// Copies only while a selection is active (the Ctrl+C key).
void CopySelection(Editor& editor);
// Pastes the copy buffer at the cursor; the pasted block becomes the selection.
void mnuEditPasteClick(Editor& editor);
void EditSelectAllClick(Editor& editor);
void mnuEditDeselectClick(Editor& editor);

}  // namespace pixolat
