#include "edit/drawing.h"

#include <cmath>
#include <cstdlib>
#include <utility>

#include "document/pixels.h"
#include "edit/cell_colors.h"
#include "edit/editor.h"

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
        editor.RedrawCursorBlock();
        editor.DrawCursorAndStatus();
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
        editor.FullRedraw();
    } else {
        editor.DrawPalette();
        editor.DrawPaletteMarker();
    }
}

namespace {

// x rounded down to a multiple of pw, also left of the image.
int AlignDown(int x, int pw) {
    return x >= 0 ? x / pw * pw : -((-x + pw - 1) / pw) * pw;
}

// Halves go to the even neighbour.
int RoundHalfEven(double v) {
    return int(std::nearbyint(v));
}

void LinePoint(Editor& editor, int x, int y, PixelValue value) {
    if (!InCurrentImage(editor, x, y)) return;
    editor.state().cursorX = x;
    editor.state().cursorY = y;
    PutPixel(editor, x, y, value, false);
    editor.RedrawCursorBlock();
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
    const int dxp = std::abs((x1 - x2) / pw);
    const int dy = std::abs(y1 - y2);
    if (dxp > dy) {
        if (x1 > x2) {
            std::swap(x1, x2);
            std::swap(y1, y2);
        }
        for (int x = x1; x <= x2; x += pw) {
            const double t = double(x - x1) / double(x2 - x1);
            LinePoint(editor, x, RoundHalfEven(t * double(y2 - y1) + y1), value);
        }
    } else {
        if (y1 > y2) {
            std::swap(x1, x2);
            std::swap(y1, y2);
        }
        for (int y = y1; y <= y2; ++y) {
            const double t = double(y - y1) / double(y2 - y1);
            const int x = RoundHalfEven(t * double(x2 - x1) + x1);
            LinePoint(editor, AlignDown(x, pw), y, value);
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

}  // namespace pixolat
