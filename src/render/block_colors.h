#pragma once
// The display colors of a run of pixel blocks, computed a cell at a time in
// the plane's own column order: the hot loop of every full redraw.
#include <cstddef>
#include <cstdint>

#include "render/canvas.h"

namespace pixolat {

// Colors of the blocks at x0, x0 + pw, ... below x1 in rows y0..y1-1, which
// lie in one cell row (at most 8 rows). Block k of row i goes to
// out[i * stride + k * repeat], repeated `repeat` times (1, or 2 to spread a
// multicolor pixel over two hires columns). x0 is a multiple of pw.
void CellRowColors(const Image& image, const DisplayTable& display, int x0, int x1, int y0, int y1,
                   uint32_t* out, std::ptrdiff_t stride, int repeat);

// The same blocks drawn blockWidth pixels wide: block k of row i covers
// rows[i][columnX[k]] and the blockWidth - 1 pixels after it. Blocks of
// one cell lie `pitch` pixels apart. Pixels between the blocks are left as
// they are.
void CellRowBlocks(const Image& image, const DisplayTable& display, int x0, int x1, int y0, int y1,
                   uint32_t* const* rows, const int* columnX, int blockWidth, int pitch);

// Blocks 0..count-1 of one view row: block k in colors[k], blockWidth
// pixels from row[columnX[k]] on. Pixels between the blocks are left as
// they are.
void DrawBlockRow(uint32_t* row, const uint32_t* colors, int count, const int* columnX,
                  int blockWidth);

// Fills n pixels with one color.
void FillPixels(uint32_t* pixels, std::size_t n, uint32_t color);

}  // namespace pixolat
