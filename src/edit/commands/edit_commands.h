#pragma once
// The Edit menu: undo and redo, the copy buffer and the selection.
namespace pixolat {

class Editor;

// Undo takes back the last step, Redo does the last undone step again.
void mnuEditUndoClick(Editor& editor);
void mnuEditRedoClick(Editor& editor);
// Copies the selection, or the whole image, into the copy buffer.
void mnuEditCopyClick(Editor& editor);
// Ctrl+C copies only while a selection is active.
bool SelectionActive(const Editor& editor);
// Pastes the copy buffer at the cursor; the pasted block becomes the selection.
void mnuEditPasteClick(Editor& editor);
void EditSelectAllClick(Editor& editor);
void mnuEditDeselectClick(Editor& editor);

}  // namespace pixolat
