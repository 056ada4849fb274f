#include "edit/commands/edit_commands.h"

#include "edit/editor.h"

namespace pixolat {

void mnuEditUndoClick(Editor& editor) {
    editor.Undo();
}

void mnuEditRedoClick(Editor& editor) {
    editor.Redo();
}

}  // namespace pixolat
