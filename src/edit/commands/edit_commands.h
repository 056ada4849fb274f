#pragma once
// The Edit menu's commands.
namespace pixolat {

class Editor;

// Undo takes back the last step, Redo does the last undone step again.
void mnuEditUndoClick(Editor& editor);
void mnuEditRedoClick(Editor& editor);

}  // namespace pixolat
