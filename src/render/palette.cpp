#include "render/palette.h"

#include <algorithm>

#include "render/canvas.h"

namespace pixolat {

namespace {

// A one-pixel frame along the inside of [x0, x1) x [y0, y1).
void Frame(RgbBuffer& b, int x0, int y0, int x1, int y1, uint32_t color) {
    if (x1 <= x0 || y1 <= y0) return;
    FillRect(b, x0, y0, x1, y0 + 1, color);
    FillRect(b, x0, y1 - 1, x1, y1, color);
    FillRect(b, x0, y0, x0 + 1, y1, color);
    FillRect(b, x1 - 1, y0, x1, y1, color);
}

}  // namespace

std::string PaletteLabel(const ImageDescriptor& desc, const EditorState& state, ColorCode code) {
    const bool multicolor = desc.pixelWidth == 2;
    std::string text;
    if (multicolor && code == desc.color0) text += '0';
    if (code == state.drawColor1) text += '1';
    if (code == state.drawColor2) text += '2';
    if (multicolor && code == desc.color3) text += '3';
    return text;
}

void DrawPalette(const PaletteScene& scene) {
    RgbBuffer& picture = scene.view.palette;
    const ControlRect& control = scene.view.controls.imgColorPalette;
    if (picture.width != control.width || picture.height != control.height)
        picture.Resize(control.width, control.height);
    std::fill(picture.pixels.begin(), picture.pixels.end(), kPaletteBackground);
    // The cells share out the whole palette, so that no wide empty strip is
    // left between the palette and the preview.
    scene.view.paletteCellHeight = picture.height / kPaletteRows;
    scene.view.paletteCellWidth = picture.width / kPaletteColumns;
    for (int c = 0; c < kPaletteColumns; ++c)
        for (int r = 0; r < kPaletteRows; ++r) DrawPaletteCell(scene, c, r);
}

void DrawPaletteCell(const PaletteScene& scene, int column, int row) {
    const int w = scene.view.paletteCellWidth;
    const int h = scene.view.paletteCellHeight;
    if (w <= 0 || h <= 0 || column < 0 || column >= kPaletteColumns || row < 0 ||
        row >= kPaletteRows)
        return;
    const ColorCode code = PaletteCellCode(column, row);
    RgbBuffer& picture = scene.view.palette;
    FillRect(picture, column * w, row * h, (column + 1) * w, (row + 1) * h,
             DisplayColor(scene.state.rgbTable[std::size_t(code)]));
    const std::string text = PaletteLabel(scene.desc, scene.state, code);
    if (text.empty()) return;
    const int x = column * w + (w - scene.text.TextWidth(text)) / 2;
    const int y = row * h;
    scene.text.DrawText(picture, x, y, text, kPaletteLabelShadow);
    scene.text.DrawText(picture, x + 1, y + 1, text, kPaletteLabel);
}

void DrawPaletteMarker(const PaletteScene& scene) {
    const EditorState& s = scene.state;
    DrawPaletteCell(scene, s.paletteColumn, s.paletteRow);
    const int w = scene.view.paletteCellWidth;
    const int h = scene.view.paletteCellHeight;
    if (w <= 0 || h <= 0) return;
    const int x0 = s.paletteColumn * w;
    const int y0 = s.paletteRow * h;
    Frame(scene.view.palette, x0, y0, x0 + w, y0 + h, kPaletteMarkerOuter);
    Frame(scene.view.palette, x0 + 1, y0 + 1, x0 + w - 1, y0 + h - 1, kPaletteMarkerInner);
}

void ErasePaletteMarker(const PaletteScene& scene) {
    DrawPaletteCell(scene, scene.state.paletteColumn, scene.state.paletteRow);
}

bool PaletteCellAt(const View& view, int x, int y, int& column, int& row) {
    if (view.paletteCellWidth <= 0 || view.paletteCellHeight <= 0) return false;
    column = x / view.paletteCellWidth;
    row = y / view.paletteCellHeight;
    return column >= 0 && column < kPaletteColumns && row >= 0 && row < kPaletteRows;
}

}  // namespace pixolat
