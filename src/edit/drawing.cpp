#include "edit/drawing.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "document/pixels.h"
#include "edit/cell_colors.h"
#include "edit/editor.h"
#include "edit/shapes.h"

namespace pixolat {

bool InCurrentImage(const Editor& editor, int x, int y) {
    const ImageDescriptor& desc = editor.currentImage().desc;
    return x >= 0 && y >= 0 && x < ImageExtent(desc).width && y < ImageExtent(desc).height &&
           x + PixelWidthOf(desc) <= kPlaneWidth;
}

void PutPixel(Editor& editor, int x, int y, PixelValue value, bool redraw) {
    if (!InCurrentImage(editor, x, y)) return;
    const EditorState& s = editor.state();
    const DrawingMode mode = s.drawingMode;
    if (mode != DrawingMode::ColorOnly) StorePixelValue(editor.currentImage(), x, y, value);
    if (mode != DrawingMode::PixelOnly) {
        if (editor.currentImage().desc.pixelWidth != 2) {
            if (value % 2 != 0)
                SetValueColor(editor, 1, s.drawColor1, redraw);
            else
                SetValueColor(editor, 0, s.drawColor2, redraw);
        } else if (value == 1) {
            SetValueColor(editor, 1, s.drawColor1, redraw);
        } else if (value == 2) {
            SetValueColor(editor, 2, s.drawColor2, redraw);
        }
    }
    if (redraw) {
        editor.viewArea().RedrawCursorBlock();
        editor.viewArea().DrawCursorAndStatus();
    }
}

void SetValueColor(Editor& editor, PixelValue value, ColorCode color, bool redraw) {
    EditorState& s = editor.state();
    ImageDescriptor& desc = editor.currentImage().desc;
    const bool multi = desc.pixelWidth == 2;
    // Hires bit 1 and multicolor 1 show cell color 1; hires 0 and multicolor 2 cell color 2.
    const bool color1 = multi ? value == 1 : value % 2 != 0;
    const bool color2 = multi ? value == 2 : value % 2 == 0;
    if (color1) {
        SetCellColors(editor, color, -1);
        s.drawColor1 = color;
    } else if (color2) {
        SetCellColors(editor, -1, color);
        s.drawColor2 = color;
    } else if (value == 0) {
        desc.color0 = color;
    } else if (value == 3) {
        desc.color3 = color;
    } else {
        return;
    }
    if (!redraw) return;
    if (multi && (value == 0 || value == 3)) {
        editor.viewArea().FullRedraw();
    } else {
        editor.palette().DrawPalette();
        editor.palette().DrawPaletteMarker();
    }
}

namespace {

// The cell colors PutPixel writes for a value: hires bit 1 and multicolor 1
// take drawing color 1, hires bit 0 and multicolor 2 drawing color 2.
std::pair<ColorCode, ColorCode> CellColorsFor(const Editor& editor, PixelValue value) {
    const EditorState& s = editor.state();
    if (editor.currentImage().desc.pixelWidth != 2)
        return value % 2 != 0 ? std::pair{s.drawColor1, -1} : std::pair{-1, s.drawColor2};
    if (value == 1) return {s.drawColor1, -1};
    if (value == 2) return {-1, s.drawColor2};
    return {-1, -1};
}

void LinePoint(Editor& editor, int x, int y, PixelValue value) {
    if (!InCurrentImage(editor, x, y)) return;
    editor.state().cursorX = x;
    editor.state().cursorY = y;
    PutPixel(editor, x, y, value, false);
    editor.viewArea().RedrawCursorBlock();
}

}  // namespace

void DrawLine(Editor& editor, int x1, int y1, int x2, int y2, PixelValue value) {
    if (x1 == x2 && y1 == y2) {
        if (!InCurrentImage(editor, x1, y1)) return;
        editor.state().cursorX = x1;
        editor.state().cursorY = y1;
        PutPixel(editor, x1, y1, value, true);
        return;
    }
    const int pw = PixelWidthOf(editor.currentImage().desc);
    ForEachLinePoint(x1, y1, x2, y2, pw, [&](int x, int y) { LinePoint(editor, x, y, value); });
}

bool PutPixels(Editor& editor, const std::vector<ImageRect>& rects, PixelValue value) {
    Image& image = editor.currentImage();
    EditorState& s = editor.state();
    const int pw = PixelWidthOf(image.desc);
    const Extent e = ImageExtent(image.desc);
    const int lastX = std::min(e.width, kPlaneWidth - pw + 1) - 1;
    const bool pixels = s.drawingMode != DrawingMode::ColorOnly;
    const auto [c1, c2] =
        s.drawingMode != DrawingMode::PixelOnly ? CellColorsFor(editor, value) : std::pair{-1, -1};
    const bool colors = c1 >= 0 || c2 >= 0;
    bool any = false;
    for (const ImageRect& r : rects) {
        const ImageRect c{std::max(r.x1, 0), std::max(r.y1, 0), std::min(r.x2, lastX),
                          std::min(r.y2, e.height - 1)};
        if (c.x1 > c.x2 || c.y1 > c.y2) continue;
        any = true;
        // A run of a column at a time: a multicolor pixel's two columns each
        // take one bit of the value, as StorePixelValue writes them.
        const std::size_t rows = std::size_t(c.y2 - c.y1 + 1);
        if (pixels)
            for (int x = c.x1; x <= c.x2; x += pw) {
                if (pw == 2) std::memset(image.plane.column(x) + c.y1, (value / 2) & 1, rows);
                std::memset(image.plane.column(x + pw - 1) + c.y1, value & 1, rows);
            }
        if (colors && !s.selectionActive) SetAreaCellColors(image, c, c1, c2);
        s.cursorX = (c.x2 - c.x1) / pw * pw + c.x1;
        s.cursorY = c.y2;
    }
    if (any && colors && s.selectionActive)
        SetAreaCellColors(image, editor.viewArea().SelectionRect(), c1, c2);
    return any;
}

void ColorCellsOfRuns(Editor& editor, const std::vector<ImageRect>& runs, PixelValue value) {
    EditorState& s = editor.state();
    if (runs.empty() || s.drawingMode == DrawingMode::PixelOnly) return;
    const auto [c1, c2] = CellColorsFor(editor, value);
    if (c1 < 0 && c2 < 0) return;
    Image& image = editor.currentImage();
    if (s.selectionActive)
        return SetAreaCellColors(image, editor.viewArea().SelectionRect(), c1, c2);
    // Which entry rows of each cell column a run touches: neighbouring runs
    // share their cells' entries, which are then written once.
    const int rowStep = image.desc.colorMapKind == ColorMapKind::Normal ? 8 : 2;
    const std::size_t entryRows = std::size_t(kPlaneHeight / rowStep);
    std::vector<uint8_t> touched(std::size_t(kCellColumns) * entryRows);
    for (const ImageRect& r : runs)
        std::memset(&touched[std::size_t(r.x1 / 8) * entryRows + std::size_t(r.y1 / rowStep)], 1,
                    std::size_t(r.y2 / rowStep - r.y1 / rowStep + 1));
    for (int cx = 0; cx < kCellColumns; ++cx) {
        const uint8_t* column = &touched[std::size_t(cx) * entryRows];
        const uint8_t* end = column + entryRows;
        const auto find = [&](const uint8_t* from, uint8_t byte) {
            const void* at = std::memchr(from, byte, std::size_t(end - from));
            return at ? static_cast<const uint8_t*>(at) : end;
        };
        for (const uint8_t* first = find(column, 1); first != end;) {
            const uint8_t* after = find(first, 0);
            SetAreaCellColors(
                image,
                {cx * 8, int(first - column) * rowStep, cx * 8, int(after - column - 1) * rowStep},
                c1, c2);
            first = find(after, 1);
        }
    }
}

const char* DrawingModeText(DrawingMode mode) {
    switch (mode) {
        case DrawingMode::PixelOnly:
            return "Pixel only";
        case DrawingMode::PixelAndColor:
            return "Pixel & Color";
        case DrawingMode::ColorOnly:
            return "Color only";
    }
    return "";
}

void DrawPixelAtCursor(Editor& editor, PixelValue value) {
    const EditorState& state = editor.state();
    editor.viewArea().WithOutlineOff(
        [&] { PutPixel(editor, state.cursorX, state.cursorY, value, true); });
}

}  // namespace pixolat
