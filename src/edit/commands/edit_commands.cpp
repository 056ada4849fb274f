#include "edit/commands/edit_commands.h"

#include <algorithm>

#include "edit/copy_paste.h"
#include "edit/editor.h"

namespace pixolat {

void mnuEditUndoClick(Editor& editor) {
    editor.undo().Undo();
}

void mnuEditRedoClick(Editor& editor) {
    editor.undo().Redo();
}

void mnuEditCopyClick(Editor& editor) {
    CopyArea(editor.currentImage(), editor.viewArea().SelectionRect(), editor.store().copyBuffer());
}

bool SelectionActive(const Editor& editor) {
    return editor.state().selectionActive;
}

void mnuEditPasteClick(Editor& editor) {
    EditorState& s = editor.state();
    const auto block = PasteBuffer(editor.currentImage(), editor.store().copyBuffer(), s.cursorX,
                                   s.cursorY, s.drawingMode);
    if (!block) return;
    s.selectionAnchorX = block->x1;
    s.selectionAnchorY = block->y1;
    s.selectionEndX = block->x2;
    s.selectionEndY = block->y2;
    s.selectionActive = true;
    editor.viewArea().FullRedraw();
}

void EditSelectAllClick(Editor& editor) {
    EditorState& s = editor.state();
    const ImageDescriptor& desc = editor.currentImage().desc;
    editor.viewArea().ToggleSelectionOutline();
    s.selectionAnchorX = 0;
    s.selectionAnchorY = 0;
    s.selectionEndX = std::max(desc.width - (desc.pixelWidth == 2 ? 2 : 1), 0);
    s.selectionEndY = std::max(desc.height - 1, 0);
    // An empty image has no pixel to select; corners at -1 would come along
    // to the next image as a selection of its pixel (0, 0).
    s.selectionActive = desc.width > 0 && desc.height > 0;
    s.selectionStartPending = true;
    editor.viewArea().ToggleSelectionOutline();
    editor.ShowStatus("All pixels selected.");
}

void mnuEditDeselectClick(Editor& editor) {
    EditorState& s = editor.state();
    editor.viewArea().ToggleSelectionOutline();
    s.selectionActive = false;
    s.selectionStartPending = true;
    editor.ShowStatus("Selection cleared.");
}

}  // namespace pixolat
