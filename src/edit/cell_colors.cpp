#include "edit/cell_colors.h"

#include <algorithm>

#include "document/pixels.h"
#include "edit/editor.h"

namespace pixolat {

namespace {

void UpdateEntry(uint8_t& colmap, uint8_t& lummap, ColorCode c1, ColorCode c2) {
    if (c2 >= 0) {
        colmap = uint8_t((colmap & 0xF0) | (c2 & 0x0F));
        lummap = uint8_t((lummap & 0x0F) | (c2 & 0xF0));
    }
    if (c1 >= 0) {
        colmap = uint8_t((colmap & 0x0F) | ((c1 & 0x0F) << 4));
        lummap = uint8_t((lummap & 0xF0) | ((c1 & 0xF0) >> 4));
    }
}

// Redraws the area widened to the whole attribute entries it touches (8 x 8
// cells in a Normal image, 8 x 2 strips in None and DFLI ones): a changed
// entry recolors its pixels outside the area too.
void RedrawWholeCells(Editor& editor, const ImageRect& area) {
    editor.viewArea().ToggleSelectionOutline();
    const ImageDescriptor& desc = editor.currentImage().desc;
    const int rowStep = desc.colorMapKind == ColorMapKind::Normal ? 8 : 2;
    const int pw = PixelWidthOf(desc);
    const int x2 = std::min((area.x2 / 8 + 1) * 8, std::min(desc.width, kPlaneWidth)) - 1;
    const int y2 =
        std::min((area.y2 / rowStep + 1) * rowStep, std::min(desc.height, kPlaneHeight)) - 1;
    for (int y = std::max(area.y1, 0) / rowStep * rowStep; y <= y2; ++y)
        for (int x = std::max(area.x1, 0) / 8 * 8; x <= x2; x += pw)
            editor.viewArea().DrawBlock(x, y);
}

}  // namespace

void SetAreaCellColors(Image& image, const ImageRect& area, ColorCode c1, ColorCode c2) {
    const int x1 = std::max(area.x1, 0);
    const int y1 = std::max(area.y1, 0);
    const int x2 = std::min(area.x2, ImageExtent(image.desc).width - 1);
    const int y2 = std::min(area.y2, ImageExtent(image.desc).height - 1);
    if (x1 > x2 || y1 > y2) return;
    const bool normal = image.desc.colorMapKind == ColorMapKind::Normal;
    // A Normal image has one entry per cell; the others one per row pair.
    const int rowStep = normal ? 8 : 2;
    for (int y = y1 / rowStep * rowStep; y <= y2; y += rowStep) {
        const int bank = BankOf(image.desc, y);
        for (int cx = x1 / 8; cx <= x2 / 8; ++cx)
            UpdateEntry(image.colmap.at(bank, cx, y / 8), image.lummap.at(bank, cx, y / 8), c1, c2);
    }
}

void SetCellColors(Editor& editor, ColorCode c1, ColorCode c2) {
    const EditorState& state = editor.state();
    const ImageRect area = state.selectionActive ? editor.viewArea().SelectionRect()
                                                 : ImageRect{state.cursorX, state.cursorY,
                                                             state.cursorX, state.cursorY};
    SetAreaCellColors(editor.currentImage(), area, c1, c2);
    if (state.selectionActive)
        RedrawWholeCells(editor, area);
    else
        editor.viewArea().RedrawCursorCell();
    editor.viewArea().DrawCursorAndStatus();
    editor.viewArea().ToggleSelectionOutline();
}

}  // namespace pixolat
