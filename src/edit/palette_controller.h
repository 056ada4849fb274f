#pragma once
// The color palette beside the preview (palette_controller.cpp): its
// drawing, the selected cell, and its mouse bindings.
#include <cstdint>

#include "document/image_store.h"
#include "platform/platform.h"
#include "render/palette.h"

namespace pixolat {

class Editor;

class PaletteController {
public:
    explicit PaletteController(Editor& editor) : editor_(editor) {}

    void DrawPalette();
    void DrawPaletteMarker();
    void ErasePaletteMarker();
    // Moves the marker to a cell inside the palette; others are ignored.
    void SelectPaletteCell(int column, int row);
    ColorCode SelectedPaletteColor() const;

    void imgColorPaletteMouseDown(MouseButton button, ShiftState shift, int x, int y);
    void imgColorPaletteMouseMove(ShiftState shift, int x, int y);
    // Two releases on the same color within 350 ms give the cursor's cell
    // (or the selection) that color.
    void imgColorPaletteMouseUp(MouseButton button, ShiftState shift, int x, int y);

private:
    Editor& editor_;
    // The last release: a second one on the same color soon after is a double click.
    uint32_t lastClickTime_ = 0;
    ColorCode lastClickColor_ = 0;

    PaletteScene scene();
};

}  // namespace pixolat
