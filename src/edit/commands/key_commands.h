#pragma once
// Commands that only keys reach: the value keys, the cursor and palette
// moves, the move of the selected pixels, the view picture, and the answer to
// a key without a command. The conditions of the key table's rows are here too.
#include "edit/key_map.h"

namespace pixolat {

class Editor;

// Opens the Mask Processor window; no menu item opens it.
void OpenMaskProcessor(Editor& editor);

// Space or 0 .. 3: with Alt the value gets the palette's color; with Shift it
// becomes the current value; else it is drawn at the cursor, becomes the
// current value and keeps drawing while the key is held and the cursor moves.
void SetValueColorKey(Editor& editor, KeyPress press);
void ChoosePixelValue(Editor& editor, KeyPress press);
void DrawPixelValue(Editor& editor, KeyPress press);
void ReleaseValueKey(Editor& editor, KeyPress press);

// Alt + arrow keys move the palette's selected cell.
void PaletteLeft(Editor& editor);
void PaletteRight(Editor& editor);
void PaletteUp(Editor& editor);
void PaletteDown(Editor& editor);

// While M is held the arrow keys move the pixels of the selection.
void HoldMoveKey(Editor& editor);
void ReleaseMoveKey(Editor& editor);
bool MoveKeyHeld(const Editor& editor);
void MoveAreaLeft(Editor& editor);
void MoveAreaRight(Editor& editor);
void MoveAreaUp(Editor& editor);
void MoveAreaDown(Editor& editor);

// The arrow keys step one pixel, or with Ctrl one cell of 8, stopping at the
// image's edge; each row runs only where the cursor can still move that way.
bool CursorCanMoveLeft(const Editor& editor);
bool CursorCanMoveRight(const Editor& editor);
bool CursorCanMoveUp(const Editor& editor);
bool CursorCanMoveDown(const Editor& editor);
void MoveCursorLeft(Editor& editor, KeyPress press);
void MoveCursorRight(Editor& editor, KeyPress press);
void MoveCursorUp(Editor& editor, KeyPress press);
void MoveCursorDown(Editor& editor, KeyPress press);
// Home goes to the left edge, then to the top; End to the right edge, then
// to the bottom.
void MoveCursorToLeftEdge(Editor& editor, KeyPress press);
void MoveCursorToTop(Editor& editor, KeyPress press);
void MoveCursorToRightEdge(Editor& editor, KeyPress press);
void MoveCursorToBottom(Editor& editor, KeyPress press);

// Ctrl + Alt + C: the view as shown to the clipboard and the export file.
void CopyView(Editor& editor);

// Every key without a row: its code in the window caption.
void ShowUnhandledKey(Editor& editor, KeyPress press);

}  // namespace pixolat
