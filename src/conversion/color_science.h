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

// The same in single precision without trigonometric calls (the mean hue's
// terms from its cosine and sine, the blue rotation's angle from a
// polynomial arctangent): within 0.05 of Ciede2000, several times faster,
// for the conversion's inner loops. The chromas are hypot(a, b).
float Ciede2000Fast(const Lab& first, float firstChroma, const Lab& second, float secondChroma);

}  // namespace pixolat
