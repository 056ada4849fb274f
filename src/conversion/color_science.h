#pragma once
// Colors as the eye compares them: sRGB bytes to linear light, linear light
// to CIELAB (D65), and the CIEDE2000 difference that the conversion's quality
// is measured with.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

#include "document/rgb_color.h"

// The loops over pixels are built twice on x86-64 with GCC, for AVX2 with
// FMA (twice the vector width) and for any processor: NAMELoop holds the
// body, PIXEL_LOOP makes NAME run one build or the other. Both give the same
// bytes, as the library is built without contracting a * b + c into a fused
// operation (the wide build would round once where the plain one rounds twice).
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__linux__)
#define PIXEL_LOOP(ret, name, params, args)                                  \
    __attribute__((target("arch=x86-64-v3"))) static ret name##Wide params { \
        return name##Loop args;                                              \
    }                                                                        \
    static ret name##Plain params {                                          \
        return name##Loop args;                                              \
    }                                                                        \
    ret name params {                                                        \
        return ::pixolat::WideLoops() ? name##Wide args : name##Plain args;  \
    }
#else
#define PIXEL_LOOP(ret, name, params, args) \
    ret name params {                       \
        return name##Loop args;             \
    }
#endif

namespace pixolat {

// Which build of the loops over pixels runs: the wide one where the
// processor has it, unless PIXOLAT_PLAIN_LOOPS is set in the environment.
enum class PixelLoops { Automatic, Plain, Wide };
bool WideLoops();
// Whether this processor and build have the wide loops.
bool WideLoopsAvailable();
// Forces a choice (tests compare the two); Wide where unavailable is Automatic.
void ChoosePixelLoops(PixelLoops choice);

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

// CIELAB's companding: a cube root above the small linear segment near
// black. The root comes from a guess on the float's exponent and two Newton
// steps (within 1e-6 relative; libm's cbrt was a tenth of a conversion's
// time), with no branch, so that loops over pixels run in vectors.
[[gnu::always_inline]] inline float LabCurve(float t) {
    constexpr float kEpsilon = 216.0f / 24389.0f, kKappa = 24389.0f / 27.0f;
    float r = std::bit_cast<float>(std::bit_cast<uint32_t>(t) / 3 + 709921077u);
    r = r - (r - t / (r * r)) / 3.0f;
    r = r - (r - t / (r * r)) / 3.0f;
    return t <= kEpsilon ? (kKappa * t + 16.0f) / 116.0f : r;
}

// A color in linear light as CIE XYZ relative to the D65 white: the input
// of CIELAB's companding.
struct RelativeXyz {
    float x, y, z;
};
[[gnu::always_inline]] inline RelativeXyz RelativeXyzOf(float r, float g, float b) {
    return {(0.4124564f * r + 0.3575761f * g + 0.1804375f * b) / 0.95047f,
            0.2126729f * r + 0.7151522f * g + 0.0721750f * b,
            (0.0193339f * r + 0.1191920f * g + 0.9503041f * b) / 1.08883f};
}
inline Lab LabOf(RgbColor color) {
    return LabFromLinear(LinearOf(color));
}

// The CIEDE2000 color difference (kL = kC = kH = 1).
double Ciede2000(const Lab& first, const Lab& second);

// sin(2 delta theta) of CIEDE2000's blue rotation at the hue whose cosine
// and sine are ch and sh.
[[gnu::always_inline]] inline float RotationSine(float ch, float sh) {
    // The mean hue's distance from 275 degrees (the blue rotation's centre),
    // in units of 25 degrees: arctangent of the hue turned back by 275, a
    // polynomial on the octant.
    const float y = sh * 0.0871557f + ch * 0.9961947f, x = ch * 0.0871557f - sh * 0.9961947f;
    const float ax = std::abs(x), ay = std::abs(y);
    const float big = std::max(ax, ay), small = std::min(ax, ay);
    const float r = big > 0.0f ? small / big : 0.0f, r2 = r * r;
    float angle = ((((-0.0117212f * r2 + 0.05265332f) * r2 - 0.11643287f) * r2 + 0.19354346f) * r2 -
                   0.33262347f) *
                      r2 +
                  0.99997726f;
    angle *= r * 57.2957795f;
    angle = ay > ax ? 90.0f - angle : angle;
    angle = x < 0.0f ? 180.0f - angle : angle;
    const float off = angle / 25.0f;
    // exp(-off^2) as (1 - off^2 / 64)^64, within 1 %; nothing beyond 8 units.
    float e = std::max(0.0f, 1.0f - off * off / 64.0f);
    e *= e, e *= e, e *= e, e *= e, e *= e, e *= e;
    const float theta = 60.0f * e * 0.017453293f;  // 2 delta theta in radians, <= 60 degrees
    const float theta2 = theta * theta;
    const float sinTheta = theta * (1.0f - theta2 / 6.0f * (1.0f - theta2 / 20.0f));
    return sinTheta;
}

// The same at the hue of (a, b); 0 for a grey.
inline float BlueRotation(float a, float b) {
    const float c2 = a * a + b * b;
    if (c2 < 1e-12f) return 0.0f;
    const float inverse = 1.0f / std::sqrt(c2);
    return RotationSine(a * inverse, b * inverse);
}

// The same in single precision without trigonometric calls (the mean hue's
// terms from its cosine and sine, the blue rotation's angle from a
// polynomial arctangent): within 0.35 % of Ciede2000 (measured on two
// million random pairs, opposite hues among them; within 0.002 on Sharma, Wu
// and Dalal's 34 pairs), several times faster, for the conversion's inner
// loops. The chromas are hypot(a, b).
float Ciede2000Fast(const Lab& first, float firstChroma, const Lab& second, float secondChroma);

// Its body, inline and without branches so that loops over pixels run in vectors.
[[gnu::always_inline]] inline float Ciede2000Quick(float l1, float a1, float b1, float c1, float l2,
                                                   float a2, float b2, float c2) {
    constexpr float k25To7 = 6103515625.0f;
    const float cm = 0.5f * (c1 + c2);
    const float cm2 = cm * cm, cm7 = cm2 * cm2 * cm2 * cm;
    const float g = 1.5f - 0.5f * std::sqrt(cm7 / (cm7 + k25To7));
    const float ap1 = g * a1, ap2 = g * a2;
    const float c1p = std::sqrt(ap1 * ap1 + b1 * b1), c2p = std::sqrt(ap2 * ap2 + b2 * b2);
    const float dL = l2 - l1, dC = c2p - c1p;
    const float da = ap2 - ap1, db = b2 - b1;
    const float dh2 = std::max(0.0f, da * da + db * db - dC * dC);
    // The mean hue bisects the two hue directions; a grey takes the other's hue.
    const float i1 = c1p > 1e-6f ? 1.0f / c1p : 0.0f, i2 = c2p > 1e-6f ? 1.0f / c2p : 0.0f;
    const float ux = ap1 * i1 + ap2 * i2, uy = b1 * i1 + b2 * i2;
    const float un2 = ux * ux + uy * uy;
    const float iu = un2 > 1e-12f ? 1.0f / std::sqrt(un2) : 0.0f;
    // Opposite hues have no bisector: the formula takes the lower hue plus
    // 90 degrees, the first hue turned a quarter either way.
    const bool lowerFirst = b1 > 0.0f || (b1 == 0.0f && ap1 > 0.0f);
    const float px = lowerFirst ? -b1 * i1 : b1 * i1, py = lowerFirst ? ap1 * i1 : -ap1 * i1;
    const bool bisected = un2 > 1e-12f;
    const float ch = bisected ? ux * iu : (c1p > 1e-6f ? px : 1.0f);
    const float sh = bisected ? uy * iu : (c1p > 1e-6f ? py : 0.0f);
    // The hue difference's sign is the turn from the first hue to the second;
    // from opposite hues, up from the lower one.
    const bool back = bisected ? ap1 * b2 - b1 * ap2 < 0.0f : !lowerFirst;
    const float dH = back ? -std::sqrt(dh2) : std::sqrt(dh2);
    const float c2h = ch * ch - sh * sh, s2h = 2.0f * ch * sh;
    const float c3h = c2h * ch - s2h * sh, s3h = s2h * ch + c2h * sh;
    const float c4h = c2h * c2h - s2h * s2h, s4h = 2.0f * s2h * c2h;
    // cos(h - 30), cos(3h + 6) and cos(4h - 63) by the sum formulas.
    const float t = 1.0f - 0.17f * (ch * 0.8660254f + sh * 0.5f) + 0.24f * c2h +
                    0.32f * (c3h * 0.9945219f - s3h * 0.1045285f) -
                    0.20f * (c4h * 0.4539905f + s4h * 0.8910065f);
    const float sinTheta = RotationSine(ch, sh);
    const float cmp = 0.5f * (c1p + c2p);
    const float cmp2 = cmp * cmp, cmp7 = cmp2 * cmp2 * cmp2 * cmp;
    const float rT = -2.0f * std::sqrt(cmp7 / (cmp7 + k25To7)) * sinTheta;
    const float lm = 0.5f * (l1 + l2) - 50.0f;
    const float sL = 1.0f + 0.015f * lm * lm / std::sqrt(20.0f + lm * lm);
    const float sC = 1.0f + 0.045f * cmp, sH = 1.0f + 0.015f * cmp * t;
    const float l = dL / sL, c = dC / sC, h = dH / sH;
    return std::sqrt(std::max(0.0f, l * l + c * c + h * h + rT * c * h));
}

}  // namespace pixolat
