// ColorCodeAt over every pixel of a full 640 x 1024 image, row by row as the
// renderers walk it, beside a loop that only reads the plane in the same
// order: the ratio of the two is the cost of the color lookup itself.
#include <benchmark/benchmark.h>

#include <random>

#include "document/colors.h"

using namespace pixolat;

namespace {

// A full-size image of random pixels and random attribute cells.
Image& BenchImage(int pixelWidth, ColorMapKind kind) {
    static ImageStore store;
    static bool filled = false;
    Image& image = store.image(1);
    if (!filled) {
        std::mt19937 random(7);
        for (std::size_t i = 0; i < kPlaneBytes; ++i) image.plane.data()[i] = uint8_t(random() & 1);
        for (std::size_t i = 0; i < kAttributeBytes; ++i) {
            image.colmap.data()[i] = uint8_t(random());
            image.lummap.data()[i] = uint8_t(random());
        }
        filled = true;
    }
    image.desc = {"", kPlaneWidth, kPlaneHeight, pixelWidth, Layout::Bitmap, kind, 0x12, 0x71};
    return image;
}

void PlaneOnly(benchmark::State& state) {
    const int pw = int(state.range(0));
    const Image& image = BenchImage(pw, ColorMapKind::Normal);
    for (auto _ : state) {
        unsigned sum = 0;
        for (int y = 0; y < kPlaneHeight; ++y)
            for (int x = 0; x < kPlaneWidth; x += pw) sum += image.plane.at(x, y);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * (kPlaneWidth / pw) * kPlaneHeight);
}

void ColorCodes(benchmark::State& state) {
    const int pw = int(state.range(0));
    const Image& image = BenchImage(pw, ColorMapKind(state.range(1)));
    for (auto _ : state) {
        unsigned sum = 0;
        for (int y = 0; y < kPlaneHeight; ++y)
            for (int x = 0; x < kPlaneWidth; x += pw) sum += unsigned(ColorCodeAt(image, x, y));
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * (kPlaneWidth / pw) * kPlaneHeight);
}

}  // namespace

// Argument: pixel width (1 hires, 2 multicolor).
BENCHMARK(PlaneOnly)->ArgName("pw")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
// Arguments: pixel width, color map kind (0 None, 1 Normal, 2 DFLI).
BENCHMARK(ColorCodes)
    ->ArgNames({"pw", "kind"})
    ->ArgsProduct({{1, 2}, {0, 1, 2}})
    ->Unit(benchmark::kMillisecond);
