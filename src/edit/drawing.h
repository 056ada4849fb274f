#pragma once
// Pixel writes on the current image with the three drawing modes: the pixel
// bytes ("Pixel only", "Pixel & Color") and the cell color the value shows
// ("Pixel & Color", "Color only"). The cell color goes through
// SetCellColors, so with a selection active a drawn pixel recolors that cell
// color in the whole selection.
#include <vector>

#include "document/image_store.h"
#include "render/canvas.h"

namespace pixolat {

class Editor;

// Whether (x, y) is a pixel of the current image.
bool InCurrentImage(const Editor& editor, int x, int y);

// Stores value at (x, y) as the drawing mode says. Callers move the cursor
// to (x, y) first. A point outside the image changes nothing.
void PutPixel(Editor& editor, int x, int y, PixelValue value, bool redraw);
// A pixel drawn at the cursor by a value key or a Draw Pixel command: as
// with the mouse, the selection outline is drawn whole over the blocks the
// pixel redraws.
void DrawPixelAtCursor(Editor& editor, PixelValue value);

// The same as PutPixel(x, y, value, redraw off) on every pixel of the
// rectangles in turn, each with the cursor moved there first, but with each
// cell color entry written once per rectangle (with a selection active, the
// selection's once) rather than once per pixel. Nothing is redrawn; the
// cursor ends on the last pixel inside the image. Returns whether any was.
bool PutPixels(Editor& editor, const std::vector<ImageRect>& rects, PixelValue value);

// The cell colors PutPixel writes for `value` in the drawing mode, for
// column runs (x1 == x2) inside the image whose pixels were stored already:
// the same entries as PutPixels(runs, value) writes, each once.
void ColorCellsOfRuns(Editor& editor, const std::vector<ImageRect>& runs, PixelValue value);

// Gives pixel value `value` the color code `color`: a cell color for hires
// values and multicolor 1 and 2 (also the drawing color), the image's color0
// or color3 for multicolor 0 and 3.
void SetValueColor(Editor& editor, PixelValue value, ColorCode color, bool redraw);

// PutPixel along the line from (x1, y1) to (x2, y2), one pixel per column
// or per row, whichever is longer, the other coordinate rounded with halves
// to even. The cursor follows the line; points outside the image are passed
// over, so the cursor ends on the last pixel drawn.
void DrawLine(Editor& editor, int x1, int y1, int x2, int y2, PixelValue value);

// The status text of a drawing mode.
const char* DrawingModeText(DrawingMode mode);

}  // namespace pixolat
