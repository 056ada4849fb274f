// The color palette's selection, mouse bindings and the palette area's splitters.
#include <algorithm>

#include "document/text.h"
#include "edit/cell_colors.h"
#include "edit/editor.h"

namespace pixolat {

namespace {

constexpr uint32_t kDoubleClickMs = 350;

}  // namespace

void Editor::DrawPalette() {
    pixolat::DrawPalette(paletteScene());
}
void Editor::DrawPaletteMarker() {
    pixolat::DrawPaletteMarker(paletteScene());
}
void Editor::ErasePaletteMarker() {
    pixolat::ErasePaletteMarker(paletteScene());
}

void Editor::SelectPaletteCell(int column, int row) {
    if (column < 0 || column >= kPaletteColumns || row < 0 || row >= kPaletteRows) return;
    if (column == state_.paletteColumn && row == state_.paletteRow) return;
    ErasePaletteMarker();
    state_.paletteColumn = column;
    state_.paletteRow = row;
    DrawPaletteMarker();
    ShowStatus("Current color: $" + HexByte(SelectedPaletteColor()));
}

void Editor::imgColorPaletteMouseDown(MouseButton, ShiftState, int x, int y) {
    int column, row;
    if (PaletteCellAt(state_, x, y, column, row)) SelectPaletteCell(column, row);
}

void Editor::imgColorPaletteMouseMove(ShiftState shift, int x, int y) {
    int column, row;
    if ((shift & kLeftButton) && PaletteCellAt(state_, x, y, column, row))
        SelectPaletteCell(column, row);
}

// Two releases on the same color within 350 ms give the cursor's cell (or
// the selection) that color: as cell color 1 with the left button, as cell
// color 2 with the right one.
void Editor::imgColorPaletteMouseUp(MouseButton button, ShiftState, int x, int y) {
    int column, row;
    if (PaletteCellAt(state_, x, y, column, row)) SelectPaletteCell(column, row);
    const ColorCode code = SelectedPaletteColor();
    const uint32_t now = platform_.TickCount();
    if (code == state_.paletteLastClickColor &&
        now - state_.paletteLastClickTime < kDoubleClickMs && button != MouseButton::Middle) {
        NameStep("Set Color");
        if (button == MouseButton::Left)
            SetCellColors(*this, code, -1);
        else
            SetCellColors(*this, -1, code);
        RedrawSelectionArea();
        DrawCursorAndStatus();
        ToggleSelectionOutline();
    }
    state_.paletteLastClickTime = now;
    state_.paletteLastClickColor = code;
}

// The palette area keeps a height of whole multiples of 8 rows.
void Editor::SplitterColorPaletteMoved(int top) {
    const int room = PaletteAreaRoom(view_);
    int height = std::clamp(room - top, 0, room);
    if (height % 8 != 0) {
        platform_.ProcessPendingEvents();
        height = (height + 7) / 8 * 8;
        if (height > room) height -= 8;
    }
    // The remembered top alone would miss moves that change the height: the
    // first move to the very top (the remembered top starts at 0), or a move
    // back to the old top after the window changed size.
    const int newTop = room - height;
    if (newTop == view_.splitterColorPaletteTag && height == view_.paletteHeight) return;
    view_.paletteHeight = height;
    view_.splitterColorPaletteTag = newTop;
    LayoutView();
    DrawPalette();
    DrawPaletteMarker();
}

void Editor::SplitterPreviewMoved(int left) {
    const int room = PreviewRoom(view_);
    const int width = std::clamp(room - left, 0, room);
    const int newLeft = room - width;
    if (newLeft == view_.splitterPreviewTag && width == view_.previewWidth) return;
    view_.previewWidth = width;
    view_.splitterPreviewTag = newLeft;
    LayoutView();
    DrawPalette();
    DrawPaletteMarker();
}

}  // namespace pixolat
