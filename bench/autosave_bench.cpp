// The autosave of the recovery file: how long the window is held up at most
// (the longest autosave tick: the snapshot copy runs on the window's thread,
// the text and the write on a thread of their own) and how long until the
// work is on disk, for a full store of 257 images of 640 x 1024 and for a
// typical session of 8 images. The baseline is the blocking write the
// window would otherwise do: the whole store as text, written at once.
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <random>
#include <thread>

#include "edit/editor.h"
#include "edit/recovery.h"
#include "formats/source_text.h"
#include "support/scripted_platform.h"
#include "support/temp_folder.h"

using namespace pixolat;
using pixolat::testing::ScriptedPlatform;
using pixolat::testing::TempFolder;
using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The CPU time of this thread: on a busy machine the wall time of a tick
// also counts the time other programs had the processor.
double ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

struct Session {
    TempFolder folder;
    ScriptedPlatform platform;
    std::unique_ptr<Editor> editor;

    explicit Session(int images) {
        platform.dataFolder = folder.path();
        editor = std::make_unique<Editor>(platform);
        std::mt19937 rng(1);
        editor->Dispatch([&] {
            for (int i = 0; i < images; ++i) {
                editor->undo().BeforeImageChange(i);
                Image& image = editor->store().image(i);
                image.desc = {
                    "Image" + std::to_string(i), kPlaneWidth, kPlaneHeight, 1, Layout::Bitmap,
                    ColorMapKind::Dfli,          0,           0x71};
                for (std::size_t b = 0; b < kPlaneBytes; ++b) image.plane.data()[b] = rng() & 1;
                for (std::size_t b = 0; b < kAttributeBytes; ++b) {
                    image.colmap.data()[b] = uint8_t(rng());
                    image.lummap.data()[b] = uint8_t(rng());
                }
            }
        });
    }

    // One pixel changed in each image: every image is copied again.
    void ChangeAll(int images) {
        editor->Dispatch([&] {
            for (int i = 0; i < images; ++i) {
                editor->undo().BeforeImageChange(i);
                uint8_t& pixel = editor->store().image(i).plane.at(0, 0);
                pixel = uint8_t(1 - pixel);
            }
        });
    }
};

void BM_Autosave(benchmark::State& state) {
    const int images = int(state.range(0));
    Session session(images);
    double longestTick = 0;
    double longestTickCpu = 0;
    double toDisk = 0;
    int ticks = 0;
    for (auto _ : state) {
        state.PauseTiming();
        session.ChangeAll(images);
        state.ResumeTiming();
        const Clock::time_point start = Clock::now();
        bool wrote = false;
        // The window's timer: ticks until the write started and ended.
        for (;;) {
            session.platform.tickCount += 200;
            const Clock::time_point before = Clock::now();
            const double cpuBefore = ThreadCpuMs();
            session.editor->recovery().Tick();
            longestTick = std::max(longestTick, Ms(Clock::now() - before));
            longestTickCpu = std::max(longestTickCpu, ThreadCpuMs() - cpuBefore);
            ++ticks;
            if (session.editor->recovery().Writing()) wrote = true;
            if (wrote && !session.editor->recovery().Writing()) break;
            if (wrote) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        toDisk = std::max(toDisk, Ms(Clock::now() - start));
    }
    state.counters["longest_tick_ms"] = longestTick;
    state.counters["longest_tick_cpu_ms"] = longestTickCpu;
    state.counters["to_disk_ms"] = toDisk;
    state.counters["ticks"] = double(ticks) / double(state.iterations());
}
BENCHMARK(BM_Autosave)->Arg(8)->Arg(257)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_BlockingWriteBaseline(benchmark::State& state) {
    const int images = int(state.range(0));
    Session session(images);
    for (auto _ : state) {
        session.platform.WriteFile(session.folder / "whole.asm",
                                   SourceFileBytes(session.editor->store(), 0));
    }
}
BENCHMARK(BM_BlockingWriteBaseline)->Arg(8)->Arg(257)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
