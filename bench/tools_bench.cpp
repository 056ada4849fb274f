// The drawing tools with the redraw the user waits for: one drag event of a
// shape (the preview moves, only the old and new previews' bounds are
// redrawn), and a flood fill of the whole largest image through the mouse,
// undo step included. "x_redraw" is the time over one full redraw of the
// same view, both the best of their runs.
#include <benchmark/benchmark.h>

#include <chrono>

#include "edit/editor.h"
#include "edit/tools.h"
#include "redraw_time.h"
#include "support/scripted_platform.h"

namespace pixolat {
namespace {

using Clock = std::chrono::steady_clock;

// An editor with a view of w x h on a 640 x 1024 image of zeros.
struct ToolBench {
    testing::ScriptedPlatform platform;
    Editor editor{platform};

    ToolBench(int pixelWidth, int zoom, int w, int h) {
        Image& image = editor.currentImage();
        image.desc.width = kPlaneWidth;
        image.desc.height = kPlaneHeight;
        image.desc.pixelWidth = pixelWidth;
        // Client = view + scroll bar and frame + splitter and palette + status bar.
        editor.viewArea().FormResize(w + 20, h + 20 + 204 + 20, 20);
        editor.view().zoom = zoom;
        editor.viewArea().UpdateScrollRanges();
        editor.viewArea().FullRedraw();
    }

    double RedrawSeconds() { return FullRedrawSeconds(editor); }
};

// A drag event of a shape 600 x 400 view pixels large at zoom 10: the
// pointer moves between two corners one pixel apart.
void BM_ShapeDragEvent(benchmark::State& state) {
    ToolBench b(1, 10, 760, 500);
    SelectTool(b.editor, Tool(state.range(0)));
    b.editor.state().currentPixelValue = 1;
    b.editor.imgMouseDown(MouseButton::Left, kLeftButton, 5, 5);
    const double redraw = b.RedrawSeconds();
    double best = 1e9;
    double total = 0;
    int step = 0;
    for (auto _ : state) {
        const int d = step++ % 2 * 10;
        const auto start = Clock::now();
        b.editor.imgMouseMove(kLeftButton, 595 - d, 395 - d);
        const double t = std::chrono::duration<double>(Clock::now() - start).count();
        best = std::min(best, t);
        total += t;
    }
    state.counters["us_best"] = best * 1e6;
    state.counters["us_mean"] = total / double(step) * 1e6;
    state.counters["x_redraw"] = best / redraw;
    state.counters["ms_redraw"] = redraw * 1e3;
}
BENCHMARK(BM_ShapeDragEvent)
    ->ArgName("tool")
    ->DenseRange(int(Tool::Line), int(Tool::FilledEllipse))
    ->Unit(benchmark::kMicrosecond);

// A click of Flood Fill on a 640 x 1024 image of one value: the whole image
// changes value, each time back and forth, and is redrawn.
void BM_FloodFillWholeImage(benchmark::State& state) {
    ToolBench b(int(state.range(0)), int(state.range(1)), 760, 340);
    SelectTool(b.editor, Tool::FloodFill);
    const double redraw = b.RedrawSeconds();
    double best = 1e9;
    int step = 0;
    for (auto _ : state) {
        b.editor.state().currentPixelValue = ++step % 2;
        const auto start = Clock::now();
        b.editor.imgMouseDown(MouseButton::Left, kLeftButton, 5, 5);
        b.editor.imgMouseUp(MouseButton::Left, 0, 5, 5);
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    state.counters["x_redraw"] = best / redraw;
    state.counters["ms_redraw"] = redraw * 1e3;
}
BENCHMARK(BM_FloodFillWholeImage)
    ->ArgNames({"pw", "zoom"})
    ->Args({1, 1})
    ->Args({2, 1})
    ->Args({1, 10})
    ->Args({2, 10})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pixolat
