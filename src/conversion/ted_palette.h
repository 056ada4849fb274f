#pragma once
// The distinct colors of the editor's color table, in the forms the
// conversion compares them: the TED shows 121 different colors (the eight
// luminances of hue 0 are one black).
#include <vector>

#include "conversion/color_science.h"
#include "document/image_store.h"

namespace pixolat {

struct PaletteColor {
    ColorCode code = 0;  // the lowest code that shows this color
    RgbColor rgb = 0;
    LinearRgb linear;
    Lab lab;
    float chroma = 0;
};

const std::vector<PaletteColor>& TedPalette();

}  // namespace pixolat
