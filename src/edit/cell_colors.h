#pragma once
// Writing the two cell colors of attribute entries.
#include "document/image_store.h"
#include "render/canvas.h"

namespace pixolat {

class Editor;

// Sets cell color 1 to c1 and cell color 2 to c2 in every attribute entry
// that a pixel of the area uses: one entry per cell in a Normal image, the
// entry of each row pair in a None or DFLI image. A negative color is left
// as it is; only the hue and luminance nibbles of a color are used. The area
// is clipped to the image, so nothing outside it changes.
void SetAreaCellColors(Image& image, const ImageRect& area, ColorCode c1, ColorCode c2);

// Writes c1 into cell color 1 and c2 into cell color 2 of the selection, or
// of the cursor's cell, and redraws what changed.
void SetCellColors(Editor& editor, ColorCode c1, ColorCode c2);

}  // namespace pixolat
