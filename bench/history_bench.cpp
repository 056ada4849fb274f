// What undo costs: a drag event with and without recording at zoom 64, the
// end of a step (after a stroke, and after an event that changed nothing),
// and the undo of a full 640 x 1024 Fill beside one full redraw ("x_redraw"
// is the undo's time over the redraw's).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>

#include "document/colors.h"
#include "document/pixels.h"
#include "edit/editor.h"
#include "support/scripted_platform.h"

namespace pixolat {
namespace {

constexpr int kStatusBar = 20;

struct EditorFixture {
    testing::ScriptedPlatform platform;
    Editor editor{platform};

    // A 640 x 1024 multicolor DFLI picture of random pixels in a 1920 x 1080 view.
    EditorFixture(int zoom) {
        Image& image = editor.currentImage();
        image.desc = {"", kPlaneWidth, kPlaneHeight, 2, Layout::Bitmap, ColorMapKind::Dfli,
                      0,  0x71};
        uint32_t seed = 7;
        for (std::size_t i = 0; i < kPlaneBytes; ++i)
            image.plane.data()[i] = (seed *= 69069u) >> 31;
        for (std::size_t i = 0; i < kAttributeBytes; ++i) {
            image.colmap.data()[i] = uint8_t((seed *= 69069u) >> 24);
            image.lummap.data()[i] = uint8_t((seed *= 69069u) >> 24);
        }
        editor.view().zoom = zoom;
        const View& v = editor.view();
        editor.viewArea().FormResize(
            1920 + 20, 1080 + 20 + v.paletteHeight + kSplitterThickness + kStatusBar, kStatusBar);
        editor.undo().EndStep();  // the picture above is where the history starts
    }
};

// One event of a drag at zoom 64, as the window sends it (through the
// dispatch point, where a step would end), beside the same event called
// directly, which records nothing: the pointer moves one pixel and the line
// to it is drawn. "recording" 1 is the first kind.
void BM_DragEventRecording(benchmark::State& state) {
    EditorFixture f(64);
    Editor& editor = f.editor;
    const bool recording = state.range(0) != 0;
    editor.state().currentPixelValue = 1;
    editor.Dispatch([&] { editor.imgMouseDown(MouseButton::Left, kLeftButton, 32, 32); });
    int step = 0;
    for (auto _ : state) {
        const int i = step++ % 20;
        const int x = i < 10 ? i : 19 - i;
        const auto move = [&] { editor.imgMouseMove(kLeftButton, x * 64 + 32, (x / 2) * 64 + 32); };
        if (recording)
            editor.Dispatch(move);
        else
            move();
    }
    editor.Dispatch([&] { editor.imgMouseUp(MouseButton::Left, 0, 0, 0); });
}
BENCHMARK(BM_DragEventRecording)
    ->ArgName("recording")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond);

// The end of a stroke of 100 pixels: the image compared, the changed tiles kept.
void BM_StrokeEnd(benchmark::State& state) {
    EditorFixture f(64);
    int step = 0;
    for (auto _ : state) {
        state.PauseTiming();
        for (int i = 0; i < 100; ++i) {
            Image& image = f.editor.currentImage();
            const int x = (step * 37) % 320 * 2, y = (step * 11) % 1024;
            StorePixelValue(image, x, y, 3 - PixelValueAt(image, x, y));
            ++step;
        }
        state.ResumeTiming();
        f.editor.undo().EndStep();
    }
}
BENCHMARK(BM_StrokeEnd)->Unit(benchmark::kMicrosecond);

// What every event outside a stroke adds: the comparison that finds nothing.
void BM_StepEndUnchanged(benchmark::State& state) {
    EditorFixture f(64);
    for (auto _ : state) f.editor.undo().EndStep();
}
BENCHMARK(BM_StepEndUnchanged)->Unit(benchmark::kMicrosecond);

void BM_FullRedraw(benchmark::State& state) {
    EditorFixture f(int(state.range(0)));
    for (auto _ : state) f.editor.viewArea().FullRedraw();
}
BENCHMARK(BM_FullRedraw)->ArgName("zoom")->Arg(1)->Arg(10)->Arg(64)->Unit(benchmark::kMicrosecond);

// Undo of a Fill of the whole 640 x 1024 plane and its cells, timed beside a
// full redraw of the same view in every round (x_redraw: undo over redraw),
// so that both see the same load of the machine. Each undo is followed,
// untimed, by its redo.
void BM_UndoFullFill(benchmark::State& state) {
    EditorFixture f(int(state.range(0)));
    f.editor.Dispatch([&] {
        f.editor.undo().NameStep("Fill");
        Image& image = f.editor.currentImage();
        std::fill_n(image.plane.data(), kPlaneBytes, uint8_t(1));
        std::fill_n(image.colmap.data(), kAttributeBytes, uint8_t(0x44));
        std::fill_n(image.lummap.data(), kAttributeBytes, uint8_t(0x55));
        f.editor.viewArea().FullRedraw();
    });
    using Clock = std::chrono::steady_clock;
    double undoSeconds = 0, redrawSeconds = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        f.editor.undo().Undo();
        const auto undone = Clock::now();
        f.editor.viewArea().FullRedraw();
        const auto redrawn = Clock::now();
        f.editor.undo().Redo();
        const double undo = std::chrono::duration<double>(undone - start).count();
        undoSeconds += undo;
        redrawSeconds += std::chrono::duration<double>(redrawn - undone).count();
        state.SetIterationTime(undo);
    }
    state.counters["x_redraw"] = undoSeconds / redrawSeconds;
}
BENCHMARK(BM_UndoFullFill)
    ->ArgName("zoom")
    ->Arg(1)
    ->Arg(10)
    ->Arg(64)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace pixolat
