#pragma once
// Colors as the eye compares them: sRGB bytes to linear light, linear light
// to CIELAB (D65), and the CIEDE2000 difference that the conversion's quality
// is measured with.
#include <cstdint>

#include "document/rgb_color.h"

namespace pixolat {

struct LinearRgb {
    float r = 0, g = 0, b = 0;
};

struct Lab {
    float l = 0, a = 0, b = 0;
};

// Linear light 0..1 of an sRGB byte (a table lookup).
float LinearFromSrgbByte(int value);
// Linear light 0..1 of an sRGB value 0..1, and the way back.
float LinearFromSrgb(float value);
float SrgbFromLinear(float value);

LinearRgb LinearOf(RgbColor color);
Lab LabFromLinear(const LinearRgb& color);
inline Lab LabOf(RgbColor color) {
    return LabFromLinear(LinearOf(color));
}

// The CIEDE2000 color difference (kL = kC = kH = 1).
double Ciede2000(const Lab& first, const Lab& second);

}  // namespace pixolat
