#include "edit/commands/key_commands.h"

#include <algorithm>

#include "edit/cursor_moves.h"
#include "edit/drawing.h"
#include "edit/editor.h"
#include "render/view_grid.h"

namespace pixolat {

namespace {

PixelValue ValueOfKey(int key) {
    return key == kKeySpace ? 0 : std::clamp(key - '0', 0, 3);
}

int PixelWidth(const Editor& editor) {
    return PixelWidthOf(editor.currentImage().desc);
}

// The left column of the image's last whole pixel. A multicolor image of odd
// width ends in half a pixel, where the cursor must not stop: it stays on
// even columns.
int LastColumn(const Editor& editor) {
    const int pw = PixelWidth(editor);
    return (editor.currentImage().desc.width - pw) / pw * pw;
}

// Ctrl steps a whole cell.
int Step(KeyPress press, int pixel) {
    return (press.shift & kCtrl) ? 8 : pixel;
}

void MoveTo(Editor& editor, KeyPress press, int x, int y) {
    MoveCursorTo(editor, x, y, (press.shift & kShift) != 0);
}

}  // namespace

void OpenMaskProcessor(Editor& editor) {
    editor.platform().OpenMaskProcessor();
}

void SetValueColorKey(Editor& editor, KeyPress press) {
    SetValueColor(editor, ValueOfKey(press.key), editor.palette().SelectedPaletteColor(), true);
}

void ChoosePixelValue(Editor& editor, KeyPress press) {
    editor.state().currentPixelValue = ValueOfKey(press.key);
}

void DrawPixelValue(Editor& editor, KeyPress press) {
    EditorState& state = editor.state();
    const PixelValue n = ValueOfKey(press.key);
    editor.ui().drawKeyHeld[std::size_t(n)] = true;
    state.currentPixelValue = n;
    DrawPixelAtCursor(editor, n);
}

void ReleaseValueKey(Editor& editor, KeyPress press) {
    editor.ui().drawKeyHeld[std::size_t(ValueOfKey(press.key))] = false;
}

void PaletteLeft(Editor& editor) {
    editor.palette().SelectPaletteCell(editor.state().paletteColumn - 1, editor.state().paletteRow);
}
void PaletteRight(Editor& editor) {
    editor.palette().SelectPaletteCell(editor.state().paletteColumn + 1, editor.state().paletteRow);
}
void PaletteUp(Editor& editor) {
    editor.palette().SelectPaletteCell(editor.state().paletteColumn, editor.state().paletteRow - 1);
}
void PaletteDown(Editor& editor) {
    editor.palette().SelectPaletteCell(editor.state().paletteColumn, editor.state().paletteRow + 1);
}

void HoldMoveKey(Editor& editor) {
    editor.ui().moveKeyHeld = true;
}
void ReleaseMoveKey(Editor& editor) {
    editor.ui().moveKeyHeld = false;
}
bool MoveKeyHeld(const Editor& editor) {
    return editor.ui().moveKeyHeld;
}
void MoveAreaLeft(Editor& editor) {
    MoveArea(editor, -1, 0);
}
void MoveAreaRight(Editor& editor) {
    MoveArea(editor, 1, 0);
}
void MoveAreaUp(Editor& editor) {
    MoveArea(editor, 0, -1);
}
void MoveAreaDown(Editor& editor) {
    MoveArea(editor, 0, 1);
}

bool CursorCanMoveLeft(const Editor& editor) {
    return editor.state().cursorX > 0;
}
bool CursorCanMoveRight(const Editor& editor) {
    return editor.state().cursorX < LastColumn(editor);
}
bool CursorCanMoveUp(const Editor& editor) {
    return editor.state().cursorY > 0;
}
bool CursorCanMoveDown(const Editor& editor) {
    return editor.state().cursorY < editor.currentImage().desc.height - 1;
}

void MoveCursorLeft(Editor& editor, KeyPress press) {
    const EditorState& s = editor.state();
    const int step = Step(press, PixelWidth(editor));
    MoveTo(editor, press, step > s.cursorX ? 0 : s.cursorX - step, s.cursorY);
}

void MoveCursorRight(Editor& editor, KeyPress press) {
    const EditorState& s = editor.state();
    const int last = LastColumn(editor);
    const int step = Step(press, PixelWidth(editor));
    MoveTo(editor, press, last - step < s.cursorX ? last : s.cursorX + step, s.cursorY);
}

void MoveCursorUp(Editor& editor, KeyPress press) {
    const EditorState& s = editor.state();
    const int step = Step(press, 1);
    MoveTo(editor, press, s.cursorX, step > s.cursorY ? 0 : s.cursorY - step);
}

void MoveCursorDown(Editor& editor, KeyPress press) {
    const EditorState& s = editor.state();
    const int last = editor.currentImage().desc.height - 1;
    const int step = Step(press, 1);
    MoveTo(editor, press, s.cursorX, last - step < s.cursorY ? last : s.cursorY + step);
}

void MoveCursorToLeftEdge(Editor& editor, KeyPress press) {
    MoveTo(editor, press, 0, editor.state().cursorY);
}
void MoveCursorToTop(Editor& editor, KeyPress press) {
    MoveTo(editor, press, editor.state().cursorX, 0);
}
void MoveCursorToRightEdge(Editor& editor, KeyPress press) {
    MoveTo(editor, press, LastColumn(editor), editor.state().cursorY);
}
void MoveCursorToBottom(Editor& editor, KeyPress press) {
    MoveTo(editor, press, editor.state().cursorX, editor.currentImage().desc.height - 1);
}

void CopyView(Editor& editor) {
    CopyViewPicture(editor);
}

void ShowUnhandledKey(Editor& editor, KeyPress press) {
    editor.SetCaption("Unhandled keypress: " + std::to_string(press.key));
}

}  // namespace pixolat
