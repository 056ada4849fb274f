#pragma once
// Copy and paste through the copy buffer: pixel bytes as they are (nothing
// converts between hires and multicolor) and the color-map entries in the
// layout of the image's color map kind: one entry per cell for Normal, one
// per row pair for DFLI, none for None. The copied bytes and entries start at
// column, row and cell 0 of the buffer, which remembers the kind it copied
// from: a paste writes only entries the buffer holds, in the layout of the
// target's kind.
#include <optional>

#include "document/image_store.h"
#include "render/canvas.h"

namespace pixolat {

// Copies the area (clipped to the image) into the buffer and sets the
// buffer's width, height and pixel width. An area with nothing inside the
// image leaves the buffer as it was.
void CopyArea(const Image& image, const ImageRect& area, CopyBuffer& buffer);

// Pastes the buffer with its top-left corner at (x, y): the pixel bytes
// unless the mode is "Color only", the color-map entries unless it is
// "Pixel only". Whatever would land beyond the 640 x 1024 plane or the
// 80 x 128 cells is dropped; bytes beyond the image's own size but inside
// the plane are written. Returns the pasted block as the new selection,
// its right corner on the left column of the last pasted pixel of this
// image, both corners kept inside the image; nothing when the buffer is empty
// or (x, y) lies outside the image, in which case nothing is written.
std::optional<ImageRect> PasteBuffer(Image& image, const CopyBuffer& buffer, int x, int y,
                                     DrawingMode mode);

}  // namespace pixolat
