// Drawing with the mouse and the whole-image operations, each with the
// redraw the user waits for. "x_redraw" is an operation's time over one full
// redraw of the same view, both the best of their runs so that other work on
// the machine counts in neither: the figure that does not depend on the machine.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <random>

#include "edit/commands/draw_commands.h"
#include "edit/commands/edit_commands.h"
#include "edit/editor.h"
#include "redraw_time.h"
#include "support/scripted_platform.h"

namespace pixolat {
namespace {

using Clock = std::chrono::steady_clock;

// An editor with a 760 x 340 view (the window's default size) on a random
// 640 x 1024 image.
struct Bench {
    testing::ScriptedPlatform platform;
    Editor editor{platform};

    Bench(int pixelWidth, int zoom) {
        Image& image = editor.currentImage();
        image.desc.width = kPlaneWidth;
        image.desc.height = kPlaneHeight;
        image.desc.pixelWidth = pixelWidth;
        std::mt19937 random(7);
        for (std::size_t i = 0; i < kPlaneBytes; ++i) image.plane.data()[i] = random() & 1;
        editor.viewArea().FormResize(780, 580, 20);
        editor.view().zoom = zoom;
        editor.viewArea().UpdateScrollRanges();
        editor.viewArea().FullRedraw();
    }

    double RedrawSeconds() { return FullRedrawSeconds(editor); }
};

// One event of a drag at zoom 64: the pointer moves one pixel (64 view
// pixels) and the line to it is drawn and redrawn, in "Pixel & Color" mode.
void BM_DragEventZoom64(benchmark::State& state) {
    Bench b(1, 64);
    b.editor.state().currentPixelValue = 1;
    b.editor.imgMouseDown(MouseButton::Left, kLeftButton, 32, 32);
    const double redraw = b.RedrawSeconds();
    int step = 0;
    double best = 1e9;
    for (auto _ : state) {
        // Back and forth over the first ten pixels of a row, diagonally.
        const int i = step++ % 20;
        const int x = i < 10 ? i : 19 - i;
        const auto start = Clock::now();
        b.editor.imgMouseMove(kLeftButton, x * 64 + 32, (x / 2) * 64 + 32);
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    state.counters["us_best"] = best * 1e6;
    state.counters["x_redraw"] = best / redraw;
}
BENCHMARK(BM_DragEventZoom64);

// A whole-image operation on 640 x 1024 with its full redraw, at zoom 1 and 10.
template <void (*Command)(Editor&)>
void BM_WholeImage(benchmark::State& state) {
    Bench b(int(state.range(0)), int(state.range(1)));
    b.editor.state().currentPixelValue = 2;
    EditSelectAllClick(b.editor);
    mnuEditCopyClick(b.editor);  // a 640 x 1024 block for Paste
    mnuEditDeselectClick(b.editor);
    const double redraw = b.RedrawSeconds();
    double best = 1e9;
    for (auto _ : state) {
        const auto start = Clock::now();
        Command(b.editor);
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    state.counters["x_redraw"] = best / redraw;
    state.counters["ms_redraw"] = redraw * 1e3;
}
#define WHOLE_IMAGE(command)                   \
    BENCHMARK_TEMPLATE(BM_WholeImage, command) \
        ->ArgNames({"pw", "zoom"})             \
        ->Args({1, 1})                         \
        ->Args({2, 1})                         \
        ->Args({1, 10})                        \
        ->Unit(benchmark::kMillisecond)
WHOLE_IMAGE(mnuDrawFillClick);
WHOLE_IMAGE(Invert);
WHOLE_IMAGE(mnuDrawFlipHorizontallyClick);
WHOLE_IMAGE(mnuDrawFlipVerticallyClick);
WHOLE_IMAGE(mnuEditPasteClick);

}  // namespace
}  // namespace pixolat
