#pragma once
// The user's position in the store: current image, cursor, selection,
// drawing values and colors, the palette's selected color, and the colors
// the images are shown in. Plain data owned by the editor for the whole run.
#include <array>
#include <cstdint>

#include "document/image_store.h"
#include "document/rgb_color.h"

namespace pixolat {

// The display color of each color code.
using RgbTable = std::array<RgbColor, 256>;

struct EditorState {
    int32_t currentImage = 0;
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
};

}  // namespace pixolat
