// What the Import Picture dialog's worker does when an option changes, for a
// 320 x 200 picture: the conversion from the scaled picture in each mode and
// dithering, and the adjusted picture turned back into sRGB bytes for the
// "before" preview. The dialog's goal is a preview within 100 ms.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>

#include "conversion/picture_conversion.h"

using namespace pixolat;

namespace {

// A picture with what photographs have: smooth shading, edges, fine texture.
const LinearPicture& PhotoLike() {
    static const LinearPicture picture = [] {
        LinearPicture p{320, 200, std::vector<LinearRgb>(320 * 200)};
        uint32_t seed = 12345;
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x) {
                seed = seed * 1664525u + 1013904223u;
                const float noise = float(seed >> 24) / 255.0f * 0.08f;
                const float fx = float(x) / 320.0f, fy = float(y) / 200.0f;
                const bool disc = (x - 200) * (x - 200) + (y - 90) * (y - 90) < 60 * 60;
                const float r = disc ? 0.7f : 0.5f + 0.4f * std::sin(6.0f * fx + 2.0f * fy);
                const float g = disc ? 0.25f : 0.4f + 0.3f * std::cos(4.0f * fy);
                const float b = disc ? 0.1f : 0.3f + 0.3f * fx * fy;
                p.pixels[std::size_t(y * p.width + x)] = {
                    LinearFromSrgb(std::fmin(1.0f, r + noise)),
                    LinearFromSrgb(std::fmin(1.0f, g + noise)),
                    LinearFromSrgb(std::fmin(1.0f, b + noise))};
            }
        return p;
    }();
    return picture;
}

// range(0): 0 hires, 1 multicolor, 2 hires DFLI, 3 multicolor DFLI;
// range(1): the Dithering.
void PreviewConversion(benchmark::State& state) {
    ConversionOptions options;
    options.multicolor = state.range(0) % 2 == 1;
    options.dfli = state.range(0) >= 2;
    options.dithering = Dithering(state.range(1));
    ConvertedImage result;
    for (auto _ : state) {
        ConvertScaled(PhotoLike(), options, result);
        benchmark::DoNotOptimize(result.image().plane.data());
    }
}
// A dithered conversion runs on two threads: Time is the wait for the
// preview, CPU the work of every thread.
BENCHMARK(PreviewConversion)
    ->ArgsProduct({{0, 1, 2, 3}, {0, 1, 2}})
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// The "before" picture: adjusted, then each channel back to an sRGB byte.
void PreviewBefore(benchmark::State& state) {
    Adjustments adjustments;
    adjustments.brightness = 10;
    for (auto _ : state) {
        LinearPicture adjusted = PhotoLike();
        Adjust(adjusted, adjustments);
        uint32_t sum = 0;
        for (const LinearRgb& p : adjusted.pixels)
            sum += uint32_t(SrgbFromLinear(p.r) * 255.0f + SrgbFromLinear(p.g) * 255.0f +
                            SrgbFromLinear(p.b) * 255.0f);
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(PreviewBefore)->Unit(benchmark::kMillisecond);

}  // namespace
