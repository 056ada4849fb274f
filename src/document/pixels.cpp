#include "document/pixels.h"

#include <algorithm>
#include <cstring>

namespace pixolat {

void ResetImageColors(Image& image) {
    image.desc.color0 = 0;
    image.desc.color3 = 0x71;
    std::memset(image.colmap.data(), 0x11, kAttributeBytes);
    std::memset(image.lummap.data(), 0x53, kAttributeBytes);
}

void NormalizeCurrentImage(ImageStore& store, EditorState& state) {
    ImageDescriptor& desc = store.image(state.currentImage).desc;
    // A size beyond the plane (from a damaged source text, say) would let the
    // cursor and every area operation reach past the plane, so it is cut to it.
    const Extent extent = ImageExtent(desc);
    desc.width = extent.width;
    desc.height = extent.height;
    if (desc.pixelWidth <= 0) desc.pixelWidth = 1;
    if (desc.pixelWidth > 2) desc.pixelWidth = 2;
    state.cursorX = desc.pixelWidth * (state.cursorX / desc.pixelWidth);
    if (desc.pixelWidth == 1 && state.currentPixelValue > 1) state.currentPixelValue = 1;
    state.cursorX = std::max(state.cursorX, 0);
    state.cursorY = std::max(state.cursorY, 0);
    for (int32_t* x : {&state.cursorX, &state.selectionAnchorX, &state.selectionEndX})
        *x = std::min(*x, desc.width - 1);
    for (int32_t* y : {&state.cursorY, &state.selectionAnchorY, &state.selectionEndY})
        *y = std::min(*y, desc.height - 1);
    // Pulling the cursor or a selection corner back to an odd width - 1 (or
    // a switch to multicolor) would leave it between two pixels, and a
    // selection would then be redrawn a column off; they stay on the pixel's
    // left column.
    for (int32_t* x : {&state.cursorX, &state.selectionAnchorX, &state.selectionEndX})
        if (*x > 0) *x = desc.pixelWidth * (*x / desc.pixelWidth);
}

void SetUpDefaultImage(ImageStore& store) {
    Image& image = store.image(0);
    image.desc.width = 320;
    image.desc.height = 200;
    image.desc.pixelWidth = 1;
    image.desc.layout = Layout::Bitmap;
    image.desc.colorMapKind = ColorMapKind::Normal;
    ResetImageColors(image);
}

}  // namespace pixolat
