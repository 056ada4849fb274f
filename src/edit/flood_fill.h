#pragma once
// The region a flood fill reaches: the 4-connected pixels that show the
// clicked pixel's value, inside a clip rectangle (clipped to the image).
// Neither search recurses; both keep their seeds on a stack of their own.
#include <vector>

#include "document/image_store.h"
#include "render/canvas.h"

namespace pixolat {

// The region of the pixel at `start` as column runs (x1 == x2 in each).
// Empty when `start` is outside the clip or not at a pixel's first column.
std::vector<ImageRect> FloodRegion(const Image& image, ImagePoint start, ImageRect clip);

// Finds the same region as FloodRegion and stores `value` into its pixels
// as it goes (as StorePixelValue does), returning its runs. The pixels
// written mark what is done, so this needs a stored value the region does
// not show: otherwise it writes nothing and returns nothing.
std::vector<ImageRect> FillRegion(Image& image, ImagePoint start, ImageRect clip, PixelValue value);

// The bytes value stores into each of a pixel's columns, as StorePixelValue
// writes them: one for hires, two for multicolor.
inline PixelValue StoredValue(const ImageDescriptor& desc, PixelValue value) {
    return desc.pixelWidth == 2 ? value & 3 : value & 1;
}

}  // namespace pixolat
