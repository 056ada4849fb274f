#pragma once
// The color palette: the 128 color codes of luminance 0..7 (rows) and hue
// 0..15 (columns, in the order below) as a grid of cells in the top-left
// corner of the palette picture, each labelled with the drawing values that
// currently show its code. The cell size is set by every DrawPalette and is
// what the mouse mapping uses; it may be 0 for a tiny palette, in which case
// nothing is drawn and no point selects a cell.
#include <array>
#include <string>

#include "document/editor_state.h"
#include "document/image_store.h"
#include "platform/text_painter.h"
#include "render/rgb_buffer.h"
#include "render/view.h"

namespace pixolat {

inline constexpr std::array<int, 16> kPaletteHueOrder = {0,  1, 11, 2, 8,  9, 7,  10,
                                                         15, 5, 12, 3, 13, 6, 14, 4};
inline constexpr int kPaletteColumns = 16;
inline constexpr int kPaletteRows = 8;
inline constexpr uint32_t kPaletteBackground = PackRgb(60, 70, 80);
inline constexpr uint32_t kPaletteLabelShadow = PackRgb(0, 0, 0);
inline constexpr uint32_t kPaletteLabel = PackRgb(255, 255, 255);
inline constexpr uint32_t kPaletteMarkerOuter = PackRgb(0, 0, 0);
inline constexpr uint32_t kPaletteMarkerInner = PackRgb(255, 255, 255);

// What the palette reads and where it draws.
struct PaletteScene {
    const ImageDescriptor& desc;
    EditorState& state;
    View& view;
    TextPainter& text;
};

inline ColorCode PaletteCellCode(int column, int row) {
    return row * 16 + kPaletteHueOrder[std::size_t(column)];
}
inline ColorCode SelectedPaletteColor(const EditorState& state) {
    return PaletteCellCode(state.paletteColumn, state.paletteRow);
}

// The drawing values that show this code: "0" and "3" for the image colors
// of a multicolor image, "1" and "2" for the drawing colors.
std::string PaletteLabel(const ImageDescriptor& desc, const EditorState& state, ColorCode code);

// Resizes the palette picture to its control, sets the cell size and draws
// every cell; the marker is drawn separately.
void DrawPalette(const PaletteScene& scene);
void DrawPaletteCell(const PaletteScene& scene, int column, int row);
// The selected cell with a black frame just inside it and a white one inside that.
void DrawPaletteMarker(const PaletteScene& scene);
void ErasePaletteMarker(const PaletteScene& scene);

// The cell under palette point (x, y), divisions truncating toward zero;
// false when the point lies on no cell or the cells have no size.
bool PaletteCellAt(const View& view, int x, int y, int& column, int& row);

}  // namespace pixolat
