// Canvas, preview and palette redraws, each measured beside plain fills of
// the same buffer. The "x_fill" and "x_libfill" counters are the redraw's time
// divided by a fill's: the figures that do not depend on the machine.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <random>

#include "document/colors.h"
#include "document/pixels.h"
#include "render/block_colors.h"
#include "render/canvas.h"
#include "render/palette.h"
#include "support/scripted_platform.h"

namespace pixolat {
namespace {

struct Fixture {
    ImageStore store;
    EditorState state;
    View view;

    Fixture() {
        BuildRgbTable(state.rgbTable);
        Image& image = store.image(0);
        image.desc.width = kPlaneWidth;
        image.desc.height = kPlaneHeight;
        image.desc.pixelWidth = 2;
        image.desc.colorMapKind = ColorMapKind::Dfli;
        image.desc.color3 = 0x71;
        std::mt19937 random(7);
        for (std::size_t i = 0; i < kPlaneBytes; ++i) image.plane.data()[i] = random() & 1;
        for (std::size_t i = 0; i < kAttributeBytes; ++i) {
            image.colmap.data()[i] = uint8_t(random());
            image.lummap.data()[i] = uint8_t(random());
        }
        view.zoom = 1;
    }
    Scene scene() { return Scene{store.image(0), state, view}; }
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

// Seconds one plain fill of the buffer takes (best of a few runs): with the
// loop the compiler makes of std::fill, or with the C library's vector fill.
struct FillTimes {
    double loop = 1e9;
    double library = 1e9;
};

FillTimes FillSeconds(RgbBuffer& buffer, int x0, int y0, int w, int h) {
    FillTimes best;
    for (int run = 0; run < 200; ++run) {
        for (bool library : {false, true}) {
            const auto start = std::chrono::steady_clock::now();
            for (int y = y0; y < y0 + h; ++y) {
                uint32_t* row = buffer.row(y) + x0;
                if (library)
                    FillPixels(row, std::size_t(w), uint32_t(run));
                else
                    std::fill(row, row + w, uint32_t(run));
            }
            benchmark::DoNotOptimize(buffer.pixels.data());
            benchmark::ClobberMemory();
            const double t =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            double& slot = library ? best.library : best.loop;
            slot = std::min(slot, t);
        }
    }
    return best;
}

// x_fill: the redraw's time over the std::fill loop's; x_libfill: over the library fill's.
void ReportRatio(benchmark::State& state, const FillTimes& fill) {
    const auto flags = benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert;
    state.counters["x_fill"] = benchmark::Counter(fill.loop, flags);
    state.counters["x_libfill"] = benchmark::Counter(fill.library, flags);
}

void BM_FillView1920x1080(benchmark::State& state) {
    RgbBuffer buffer;
    buffer.Resize(1920, 1080);
    uint32_t color = 0;
    for (auto _ : state) {
        std::fill(buffer.pixels.begin(), buffer.pixels.end(), ++color);
        benchmark::DoNotOptimize(buffer.pixels.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FillView1920x1080);

// A 640 x 1024 multicolor DFLI picture in a 1920 x 1080 view.
void BM_RedrawView(benchmark::State& state) {
    Fixture& f = Shared();
    f.view.zoom = int(state.range(0));
    f.view.gridSetting = GridSetting(state.range(1));
    f.view.canvas.Resize(1920, 1080);
    const FillTimes fill = FillSeconds(f.view.canvas, 0, 0, 1920, 1080);
    for (auto _ : state) {
        RedrawViewPicture(f.scene());
        benchmark::DoNotOptimize(f.view.canvas.pixels.data());
    }
    ReportRatio(state, fill);
}
BENCHMARK(BM_RedrawView)
    ->ArgNames({"zoom", "grid"})
    ->ArgsProduct({{1, 2, 4, 10, 64}, {0, 1, 2, 3, 4}})
    ->Unit(benchmark::kMicrosecond);

void BM_RedrawPreview640x1024(benchmark::State& state) {
    Fixture& f = Shared();
    f.view.controls.imgPreview = {0, 0, 640, 1024};
    f.view.preview.Resize(640, 1024);
    const FillTimes fill = FillSeconds(f.view.preview, 0, 0, 640, 1024);
    for (auto _ : state) {
        RedrawPreview(f.scene());
        benchmark::DoNotOptimize(f.view.preview.pixels.data());
    }
    ReportRatio(state, fill);
}
BENCHMARK(BM_RedrawPreview640x1024)->Unit(benchmark::kMicrosecond);

// The partial redraw behind every pixel drawn: one 128 x 64 block at zoom 64
// with its corner dot and preview pixel, beside a fill of that block.
void BM_DrawBlockZoom64(benchmark::State& state) {
    Fixture& f = Shared();
    f.view.zoom = 64;
    f.view.gridSetting = GridSetting::CornerDots;
    f.view.canvas.Resize(1920, 1080);
    f.view.controls.imgPreview = {0, 0, 640, 1024};
    f.view.preview.Resize(640, 1024);
    const FillTimes fill = FillSeconds(f.view.canvas, 4 * 128, 4 * 64, 128, 64);
    for (auto _ : state) {
        DrawBlock(f.scene(), 8, 4);
        benchmark::DoNotOptimize(f.view.canvas.pixels.data());
    }
    ReportRatio(state, fill);
}
BENCHMARK(BM_DrawBlockZoom64)->Unit(benchmark::kMicrosecond);

void BM_DrawPalette1000x200(benchmark::State& state) {
    Fixture& f = Shared();
    testing::ScriptedPlatform platform;
    f.view.controls.imgColorPalette = {0, 0, 1000, 200};
    f.view.palette.Resize(1000, 200);
    const FillTimes fill = FillSeconds(f.view.palette, 0, 0, 1000, 200);
    const PaletteScene scene{f.store.image(0).desc, f.state, f.view, platform};
    for (auto _ : state) {
        DrawPalette(scene);
        DrawPaletteMarker(scene);
        benchmark::DoNotOptimize(f.view.palette.pixels.data());
    }
    ReportRatio(state, fill);
}
BENCHMARK(BM_DrawPalette1000x200)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace pixolat
