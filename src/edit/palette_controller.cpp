// The color palette's selection and mouse bindings.
#include "edit/palette_controller.h"

#include <algorithm>

#include "document/text.h"
#include "edit/cell_colors.h"
#include "edit/editor.h"

namespace pixolat {

namespace {

constexpr uint32_t kDoubleClickMs = 350;

}  // namespace

PaletteScene PaletteController::scene() {
    return PaletteScene{editor_.currentImage().desc, editor_.state(), editor_.view(),
                        editor_.platform()};
}

void PaletteController::DrawPalette() {
    pixolat::DrawPalette(scene());
}
void PaletteController::DrawPaletteMarker() {
    pixolat::DrawPaletteMarker(scene());
}
void PaletteController::ErasePaletteMarker() {
    pixolat::ErasePaletteMarker(scene());
}

ColorCode PaletteController::SelectedPaletteColor() const {
    return pixolat::SelectedPaletteColor(editor_.state());
}

void PaletteController::SelectPaletteCell(int column, int row) {
    if (column < 0 || column >= kPaletteColumns || row < 0 || row >= kPaletteRows) return;
    EditorState& state = editor_.state();
    if (column == state.paletteColumn && row == state.paletteRow) return;
    ErasePaletteMarker();
    state.paletteColumn = column;
    state.paletteRow = row;
    DrawPaletteMarker();
    editor_.ShowStatus("Current color: $" + HexByte(SelectedPaletteColor()));
}

void PaletteController::imgColorPaletteMouseDown(MouseButton, ShiftState, int x, int y) {
    int column, row;
    if (PaletteCellAt(editor_.view(), x, y, column, row)) SelectPaletteCell(column, row);
}

void PaletteController::imgColorPaletteMouseMove(ShiftState shift, int x, int y) {
    int column, row;
    if ((shift & kLeftButton) && PaletteCellAt(editor_.view(), x, y, column, row))
        SelectPaletteCell(column, row);
}

// Two releases on the same color within 350 ms give the cursor's cell (or
// the selection) that color: as cell color 1 with the left button, as cell
// color 2 with the right one.
void PaletteController::imgColorPaletteMouseUp(MouseButton button, ShiftState, int x, int y) {
    int column, row;
    if (PaletteCellAt(editor_.view(), x, y, column, row)) SelectPaletteCell(column, row);
    const ColorCode code = SelectedPaletteColor();
    const uint32_t now = editor_.platform().TickCount();
    if (code == lastClickColor_ && now - lastClickTime_ < kDoubleClickMs &&
        button != MouseButton::Middle) {
        editor_.undo().NameStep("Set Color");
        if (button == MouseButton::Left)
            SetCellColors(editor_, code, -1);
        else
            SetCellColors(editor_, -1, code);
        editor_.viewArea().RedrawSelectionArea();
        editor_.viewArea().DrawCursorAndStatus();
        editor_.viewArea().ToggleSelectionOutline();
    }
    lastClickTime_ = now;
    lastClickColor_ = code;
}

}  // namespace pixolat
