#pragma once
// The area operations of the Draw menu on one image: fill, invert, the two
// flips, swapping two multicolor values and replacing a cell color. An area
// is inclusive: x1 and x2 are the left columns of its first and last pixel,
// so it covers the columns x1 ... x2 + pw - 1 and the rows y1 ... y2.
//
// Every operation first clips the area to the image: nothing outside the
// image is read or written, and an image of width or height 0 is left alone.
#include <optional>

#include "document/image_store.h"
#include "render/canvas.h"

namespace pixolat {

// The part of the area that lies inside the image (and so inside its
// planes), its last pixel a whole number of pixels from its first, or
// nothing when none of it does.
std::optional<ImageRect> ClipToImage(const ImageDescriptor& desc, const ImageRect& area);

// Writes v into every pixel of the area; on a hires image v above 1 counts as 1.
void FillArea(Image& image, const ImageRect& area, PixelValue v);
// Turns every value v into its complement (1 - v hires, 3 - v multicolor).
void InvertArea(Image& image, const ImageRect& area);
// Mirrors the pixels left to right, or top to bottom; the cell colors stay put.
void FlipAreaHorizontally(Image& image, const ImageRect& area);
void FlipAreaVertically(Image& image, const ImageRect& area);
// Swaps the multicolor values a and b (both 0..3) in every pixel of the area.
void RemapAreaValues(Image& image, const ImageRect& area, PixelValue a, PixelValue b);
// In the bank-0 entry of every cell the area touches, a cell color equal to
// the color code `from` becomes `to`.
void ReplaceAreaCellColor(Image& image, const ImageRect& area, ColorCode from, ColorCode to);

}  // namespace pixolat
