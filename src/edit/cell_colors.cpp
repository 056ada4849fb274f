#include "edit/cell_colors.h"

#include <algorithm>

#include "document/pixels.h"
#include "edit/editor.h"

namespace pixolat {

namespace {

void UpdateNibbles(uint8_t* entries, int count, uint8_t keep, uint8_t set) {
    for (int i = 0; i < count; ++i) entries[i] = uint8_t((entries[i] & keep) | set);
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
    // Color 1 is the high hue and the low luminance nibble, color 2 the
    // others: each entry keeps the nibbles of a color left as it is.
    uint8_t keepHue = 0xFF, setHue = 0, keepLum = 0xFF, setLum = 0;
    if (c1 >= 0) {
        keepHue &= 0x0F, setHue |= uint8_t((c1 & 0x0F) << 4);
        keepLum &= 0xF0, setLum |= uint8_t((c1 & 0xF0) >> 4);
    }
    if (c2 >= 0) {
        keepHue &= 0xF0, setHue |= uint8_t(c2 & 0x0F);
        keepLum &= 0x0F, setLum |= uint8_t(c2 & 0xF0);
    }
    const bool normal = image.desc.colorMapKind == ColorMapKind::Normal;
    // A Normal image has one entry per cell in bank 0; the others one per
    // row pair, in bank (y mod 8) div 2. Each bank's entries of a cell column
    // lie in a row, one step of 8 pixel rows apart.
    const int first = normal ? y1 / 8 * 8 : y1 / 2 * 2;
    for (int bank = 0; bank < (normal ? 1 : kBanks); ++bank) {
        const int y = normal ? first : first + (2 * bank - first % 8 + 8) % 8;
        if (y > y2) continue;
        const int count = (y2 - y) / 8 + 1;
        for (int cx = x1 / 8; cx <= x2 / 8; ++cx) {
            UpdateNibbles(&image.colmap.at(bank, cx, y / 8), count, keepHue, setHue);
            UpdateNibbles(&image.lummap.at(bank, cx, y / 8), count, keepLum, setLum);
        }
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
