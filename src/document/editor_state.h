#pragma once
// The user's position in the store: current image, cursor, selection, view
// settings, drawing values and colors, palette selection. Plain data owned
// by the editor for the whole run.
#include <array>
#include <cstdint>

#include "document/image_store.h"
#include "document/rgb_color.h"

namespace pixolat {

// How the view grid is drawn; stored and persisted as the number.
enum class GridSetting : uint8_t {
    PixelAndCellLines = 0,
    PixelLines = 1,
    CellLines = 2,
    CornerDots = 3,
    NoGrid = 4,
};

// The Toggle Grid order: each setting to the next, NoGrid (and any number
// past it) back to the first.
inline GridSetting NextGridSetting(GridSetting g) {
    return g >= GridSetting::NoGrid ? GridSetting::PixelAndCellLines : GridSetting(uint8_t(g) + 1);
}

// The display color of each color code.
using RgbTable = std::array<RgbColor, 256>;

struct EditorState {
    int32_t currentImage = 0;
    int32_t zoom = -1;  // not yet set until the settings are read
    int32_t savedZoom = 0;
    GridSetting gridSetting = GridSetting::CornerDots;
    RgbTable rgbTable{};
    int32_t selectionAnchorX = 0;
    int32_t selectionAnchorY = 0;
    int32_t selectionEndX = 0;
    int32_t selectionEndY = 0;
    int32_t cursorX = 0;
    int32_t cursorY = 0;
    PixelValue currentPixelValue = 0;
    DrawingMode drawingMode = DrawingMode::PixelAndColor;
    bool selectionActive = false;
    bool selectionStartPending = true;
    ColorCode drawColor1 = 0x31;
    ColorCode drawColor2 = 0x51;
    int32_t paletteColumn = 0;
    int32_t paletteRow = 0;
    int32_t paletteCellWidth = 0;
    int32_t paletteCellHeight = 0;
};

}  // namespace pixolat
