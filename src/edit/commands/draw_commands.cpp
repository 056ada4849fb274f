#include "edit/commands/draw_commands.h"

#include "document/colors.h"
#include "document/pixels.h"
#include "document/text.h"
#include "edit/area_operations.h"
#include "edit/cell_colors.h"
#include "edit/drawing.h"
#include "edit/editor.h"
#include "edit/image_properties.h"

namespace pixolat {

namespace {

constexpr const char* kInvalidColors = "Invalid colors selected.";

// Runs an operation on the selection, or the whole image, and redraws it all.
template <class Operation>
void OnArea(Editor& editor, Operation operation) {
    operation(editor.currentImage(), editor.viewArea().SelectionRect());
    editor.viewArea().FullRedraw();
}

int AskNumber(Editor& editor, const char* caption, const char* prompt, const char* initial) {
    return ParseNumber(editor.platform().InputBox(caption, prompt, initial));
}

}  // namespace

void mnuDrawPixelClick(Editor& editor, int value) {
    DrawPixelAtCursor(editor, PixelValue(value & 3));
}

void mnuDrawFillClick(Editor& editor) {
    const PixelValue v = editor.state().currentPixelValue;
    OnArea(editor, [v](Image& image, const ImageRect& area) { FillArea(image, area, v); });
}

void Invert(Editor& editor) {
    OnArea(editor, InvertArea);
}

void mnuDrawFlipHorizontallyClick(Editor& editor) {
    OnArea(editor, FlipAreaHorizontally);
}

void mnuDrawFlipVerticallyClick(Editor& editor) {
    OnArea(editor, FlipAreaVertically);
}

void mnuDrawReplaceColorsClick(Editor& editor) {
    const int a = AskNumber(editor, "Enter color code to replace", "Color code", "$00");
    const int b = AskNumber(editor, "Enter new color code", "Color code", "$00");
    if (a < 0 || a > 255 || b < 0 || b > 255 || a == b)
        return editor.platform().ShowMessage(kInvalidColors);
    OnArea(editor, [a, b](Image& image, const ImageRect& area) {
        ReplaceAreaCellColor(image, area, a, b);
    });
}

void mnuDrawRemapColorsClick(Editor& editor) {
    if (editor.currentImage().desc.pixelWidth != 2) return mnuDrawReplaceColorsClick(editor);
    const int f = AskNumber(editor, "Enter first color code", "First color code (0-3)", "-1");
    const int s = AskNumber(editor, "Enter second color code", "Second color code (0-3)", "-1");
    if (f < 0 || f > 3 || s < 0 || s > 3 || f == s)
        return editor.platform().ShowMessage(kInvalidColors);
    OnArea(editor,
           [f, s](Image& image, const ImageRect& area) { RemapAreaValues(image, area, f, s); });
}

void mnuDrawToggleDrawingModeClick(Editor& editor) {
    DrawingMode& mode = editor.state().drawingMode;
    mode = mode == DrawingMode::ColorOnly ? DrawingMode::PixelOnly : DrawingMode(int(mode) + 1);
    editor.SetStatusText(2, DrawingModeText(mode));
}

void mnuDrawHiresClick(Editor& editor) {
    SetPixelWidth(editor, 3 - PixelWidthOf(editor.currentImage().desc));
    editor.viewArea().UpdateScrollRanges();
    editor.viewArea().FullRedraw();
    editor.viewArea().ScrollCursorIntoView();
}

void mnuDrawSetColorClick(Editor& editor) {
    EditorState& s = editor.state();
    // The cursor of an empty image has no cell to read.
    if (!InCurrentImage(editor, s.cursorX, s.cursorY)) return;
    const Image& image = editor.currentImage();
    const int bank = BankOf(image.desc, s.cursorY);
    const Cell cell = CellIndex(s.cursorX, s.cursorY);
    const uint8_t a = image.colmap.at(bank, cell.column, cell.row);
    const uint8_t b = image.lummap.at(bank, cell.column, cell.row);
    Platform& platform = editor.platform();
    const auto text1 = platform.InputQuery("Color 1", "Enter Color 1 (-1 to leave unchanged)",
                                           "$" + HexByte(CellColor1(a, b)));
    if (!text1) return;
    const ColorCode c1 = ParseNumber(*text1);
    const auto text2 = platform.InputQuery("Color 2", "Enter Color 2 (-1 to leave unchanged)",
                                           "$" + HexByte(CellColor2(a, b)));
    if (!text2) return;
    const ColorCode c2 = ParseNumber(*text2);
    SetCellColors(editor, c1, c2);
    if (c1 != -1) s.drawColor1 = c1;
    if (c2 != -1) s.drawColor2 = c2;
}

}  // namespace pixolat
