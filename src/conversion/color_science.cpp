#include "conversion/color_science.h"

#include <array>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <numbers>

namespace pixolat {

namespace {

const std::array<float, 256>& LinearTable() {
    static const std::array<float, 256> table = [] {
        std::array<float, 256> t{};
        for (int i = 0; i < 256; ++i) t[std::size_t(i)] = LinearFromSrgb(float(i) / 255.0f);
        return t;
    }();
    return table;
}

double Degrees(double radians) {
    return radians * 180.0 / std::numbers::pi;
}
double Radians(double degrees) {
    return degrees * std::numbers::pi / 180.0;
}

std::atomic<PixelLoops>& LoopChoice() {
    static std::atomic<PixelLoops> choice{PixelLoops::Automatic};
    return choice;
}

}  // namespace

bool WideLoopsAvailable() {
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__linux__)
    static const bool available = __builtin_cpu_supports("x86-64-v3");
    return available;
#else
    return false;
#endif
}

bool WideLoops() {
    static const bool plainAsked = std::getenv("PIXOLAT_PLAIN_LOOPS") != nullptr;
    switch (LoopChoice().load(std::memory_order_relaxed)) {
        case PixelLoops::Plain:
            return false;
        case PixelLoops::Wide:
            return WideLoopsAvailable();
        case PixelLoops::Automatic:
            break;
    }
    return WideLoopsAvailable() && !plainAsked;
}

void ChoosePixelLoops(PixelLoops choice) {
    LoopChoice().store(choice, std::memory_order_relaxed);
}

float LinearFromSrgbByte(int value) {
    return LinearTable()[std::size_t(value & 0xFF)];
}

float LinearFromSrgb(float v) {
    // In double: libm's single-precision power has a build for FMA processors
    // that may round otherwise; the double one rounded to float does not.
    return v <= 0.04045f ? v / 12.92f : float(std::pow((double(v) + 0.055) / 1.055, 2.4));
}

float SrgbFromLinear(float v) {
    if (v <= 0.0f) return 0.0f;
    if (v >= 1.0f) return 1.0f;
    return v <= 0.0031308f ? v * 12.92f : float(1.055 * std::pow(double(v), 1.0 / 2.4) - 0.055);
}

LinearRgb LinearOf(RgbColor color) {
    return {LinearFromSrgbByte(RedOf(color)), LinearFromSrgbByte(GreenOf(color)),
            LinearFromSrgbByte(BlueOf(color))};
}

Lab LabFromLinear(const LinearRgb& c) {
    const RelativeXyz xyz = RelativeXyzOf(c.r, c.g, c.b);
    const float fx = LabCurve(xyz.x), fy = LabCurve(xyz.y), fz = LabCurve(xyz.z);
    return {116.0f * fy - 16.0f, 500.0f * (fx - fy), 200.0f * (fy - fz)};
}

float Ciede2000Fast(const Lab& p, float c1, const Lab& q, float c2) {
    return Ciede2000Quick(p.l, p.a, p.b, c1, q.l, q.a, q.b, c2);
}

double Ciede2000(const Lab& p, const Lab& q) {
    const double c1 = std::hypot(double(p.a), double(p.b));
    const double c2 = std::hypot(double(q.a), double(q.b));
    const double cMean7 = std::pow((c1 + c2) / 2.0, 7.0);
    const double g = 0.5 * (1.0 - std::sqrt(cMean7 / (cMean7 + std::pow(25.0, 7.0))));
    const double a1 = (1.0 + g) * p.a, a2 = (1.0 + g) * q.a;
    const double c1p = std::hypot(a1, double(p.b)), c2p = std::hypot(a2, double(q.b));
    auto hue = [](double b, double a) {
        if (a == 0.0 && b == 0.0) return 0.0;
        const double h = Degrees(std::atan2(b, a));
        return h < 0.0 ? h + 360.0 : h;
    };
    const double h1 = hue(p.b, a1), h2 = hue(q.b, a2);

    const double dL = double(q.l) - double(p.l);
    const double dC = c2p - c1p;
    // Hues exactly opposite come out of atan2 a rounding off 180 degrees
    // apart; the formula's branches take them as 180 (the published pairs'
    // opposite blues and yellows differ by 0.04 between the branches).
    constexpr double kOpposite = 180.0 + 1e-9;
    double dh = 0.0;
    if (c1p * c2p != 0.0) {
        dh = h2 - h1;
        if (dh > kOpposite) dh -= 360.0;
        if (dh < -kOpposite) dh += 360.0;
    }
    const double dH = 2.0 * std::sqrt(c1p * c2p) * std::sin(Radians(dh / 2.0));

    const double lMean = (double(p.l) + double(q.l)) / 2.0;
    const double cMean = (c1p + c2p) / 2.0;
    double hMean = h1 + h2;
    if (c1p * c2p != 0.0) {
        if (std::abs(h1 - h2) <= kOpposite)
            hMean /= 2.0;
        else
            hMean = (h1 + h2 < 360.0 ? h1 + h2 + 360.0 : h1 + h2 - 360.0) / 2.0;
    }
    const double t =
        1.0 - 0.17 * std::cos(Radians(hMean - 30.0)) + 0.24 * std::cos(Radians(2.0 * hMean)) +
        0.32 * std::cos(Radians(3.0 * hMean + 6.0)) - 0.20 * std::cos(Radians(4.0 * hMean - 63.0));
    const double dTheta = 30.0 * std::exp(-std::pow((hMean - 275.0) / 25.0, 2.0));
    const double cMeanP7 = std::pow(cMean, 7.0);
    const double rC = 2.0 * std::sqrt(cMeanP7 / (cMeanP7 + std::pow(25.0, 7.0)));
    const double l50 = (lMean - 50.0) * (lMean - 50.0);
    const double sL = 1.0 + 0.015 * l50 / std::sqrt(20.0 + l50);
    const double sC = 1.0 + 0.045 * cMean;
    const double sH = 1.0 + 0.015 * cMean * t;
    const double rT = -std::sin(Radians(2.0 * dTheta)) * rC;
    const double l = dL / sL, c = dC / sC, h = dH / sH;
    return std::sqrt(l * l + c * c + h * h + rT * c * h);
}

}  // namespace pixolat
