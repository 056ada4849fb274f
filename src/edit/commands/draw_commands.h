#pragma once
// The Draw menu, and Invert, which only its key reaches.
namespace pixolat {

class Editor;

// Draw Pixel #0 ... #3: the value at the cursor; the current value stays.
// Draw Pixel #0 .. #3: draws that value at the cursor.
void mnuDrawPixelClick(Editor& editor, int value);
// Fills the selection, or the whole image, with the current pixel value.
void mnuDrawFillClick(Editor& editor);
// Asks for a color code and its replacement in the cell colors of the area.
void mnuDrawReplaceColorsClick(Editor& editor);
// Swaps two multicolor values in the area; Replace Colors on a hires image.
void mnuDrawRemapColorsClick(Editor& editor);
void mnuDrawFlipHorizontallyClick(Editor& editor);
void mnuDrawFlipVerticallyClick(Editor& editor);
// Pixel only -> Pixel & Color -> Color only -> Pixel only, shown in status panel 2.
void mnuDrawToggleDrawingModeClick(Editor& editor);
// Reads the same bytes as hires or as multicolor pixels.
void mnuDrawHiresClick(Editor& editor);
// Asks for the two cell colors of the cursor's cell, or of the selection.
void mnuDrawSetColorClick(Editor& editor);
// Turns every pixel value of the area into its complement.
void Invert(Editor& editor);

}  // namespace pixolat
