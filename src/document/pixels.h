#pragma once
// The shared primitives that read and write pixel values and address the
// attribute cells. Callers pass coordinates inside the 640 x 1024 plane (in
// multicolor, x at most 638); nothing here checks them.
#include "document/editor_state.h"
#include "document/image_store.h"

namespace pixolat {

struct Cell {
    int column;  // 0..79
    int row;     // 0..127
};

// Value of pixel (x, y); for multicolor x is the pixel's left column.
inline PixelValue PixelValueAt(const Image& image, int x, int y) {
    if (image.desc.pixelWidth == 2) return 2 * image.plane.at(x, y) + image.plane.at(x + 1, y);
    return image.plane.at(x, y);
}

inline void StorePixelValue(Image& image, int x, int y, PixelValue v) {
    if (image.desc.pixelWidth == 2) {
        image.plane.at(x, y) = uint8_t((v / 2) & 1);
        image.plane.at(x + 1, y) = uint8_t(v & 1);
    } else {
        image.plane.at(x, y) = uint8_t(v & 1);
    }
}

// Attribute bank of pixel row y: bank 0 for a Normal color map, else the row pair in the cell.
inline int BankOf(const ImageDescriptor& desc, int y) {
    return desc.colorMapKind == ColorMapKind::Normal ? 0 : (y % 8) / 2;
}

inline Cell CellIndex(int x, int y) {
    return Cell{x / 8, y / 8};
}

// Gives the image its start colors: color0 0, color3 $71, every colmap byte
// $11 and every lummap byte $53 (cell colors $31 and $51).
void ResetImageColors(Image& image);

// Makes the current image and the cursor consistent after the image changed;
// a size beyond the plane is cut to it.
void NormalizeCurrentImage(ImageStore& store, EditorState& state);

// Sets image 0 to the 320 x 200 hires picture with a Normal color map shown at start.
void SetUpDefaultImage(ImageStore& store);

}  // namespace pixolat
