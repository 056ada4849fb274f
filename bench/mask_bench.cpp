// The Mask Processor over the largest mask it takes, 16000 x 1024 pixels in
// 256 colors, with 64 x 64 patterns. The baselines read every mask pixel once:
// from memory, and after loading it through the in-memory platform. The
// "OwnWork" runs hand the processor a ready picture and take the output
// without copying it, so they time the processor alone against the first
// baseline; the others include the platform's copies, like the second.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

#include "mask/mask_processor.h"
#include "support/scripted_platform.h"

using namespace pixolat;

namespace {

constexpr int kWidth = 16000;
constexpr int kHeight = 1024;
constexpr int kPattern = 64;

// 256 distinct 24-bit colors (an odd multiplier is a bijection modulo 2^24).
uint32_t ColorOf(uint32_t index) {
    return (index * 2654435761u) & 0xFFFFFF;
}

// A drawn mask: flat areas of every color, 63 pixels wide and 16 rows high.
// A noisy mask changes color at almost every pixel: the look-up's worst case.
Picture Mask(bool noisy) {
    Picture mask{kWidth, kHeight, {}};
    mask.pixels.resize(std::size_t(kWidth) * kHeight);
    uint32_t seed = 12345;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const uint32_t index =
                noisy ? seed >> 24 : uint32_t((x / 63) * 7 + (y / 16) * 13) % 256;
            mask.at(x, y) = ColorOf(index);
        }
    return mask;
}

Picture Pattern(int salt) {
    Picture pattern{kPattern, kPattern, {}};
    for (int y = 0; y < kPattern; ++y)
        for (int x = 0; x < kPattern; ++x)
            pattern.pixels.push_back(uint32_t((x * 4 + y * salt) & 0xFF) * 0x010101u);
    return pattern;
}

struct QuietView : MaskProcessorView {
    void SetCaption(const std::string& text) override { benchmark::DoNotOptimize(text.data()); }
};

struct Setup {
    testing::ScriptedPlatform platform;
    QuietView view;
    MaskProcessor processor{platform, view};
    explicit Setup(bool noisy = false) {
        platform.pictures["mask.bmp"] = Mask(noisy);
        platform.pictures["p1.bmp"] = Pattern(3);
        platform.pictures["p2.bmp"] = Pattern(5);
    }
};

// Hands out a picture prepared outside the timed region and only looks at
// what is saved, so neither costs a 64 MB copy.
struct HandOverPlatform : testing::ScriptedPlatform {
    Picture next;
    uint64_t savedPixels = 0;
    Picture LoadPicture(const std::string& path) override {
        if (path != "mask.bmp") return ScriptedPlatform::LoadPicture(path);
        return std::move(next);
    }
    void SavePictureAsBitmap(const std::string&, const Picture& picture) override {
        savedPixels = picture.pixels.size();
        benchmark::DoNotOptimize(picture.pixels.data());
    }
};

void SetRoles(MaskProcessor& processor) {
    for (int row = 1; row <= 256; ++row) {
        const int key = row % 3 == 0 ? '1' : row % 3 == 1 ? '2' : 'C';
        processor.GridKeyDown(row, 1, key);
        processor.GridKeyDown(row, 2, row % 2 ? 'A' : '2');
    }
}

uint64_t SumPixels(const Picture& picture) {
    uint64_t sum = 0;
    for (uint32_t pixel : picture.pixels) sum += pixel;
    return sum;
}

void SetPixels(benchmark::State& state) {
    state.SetItemsProcessed(int64_t(state.iterations()) * kWidth * kHeight);
}

void BM_Baseline_ReadMask(benchmark::State& state) {
    const Picture mask = Mask(false);
    for (auto _ : state) benchmark::DoNotOptimize(SumPixels(mask));
    SetPixels(state);
}
BENCHMARK(BM_Baseline_ReadMask)->Unit(benchmark::kMillisecond);

void BM_Baseline_LoadAndReadMask(benchmark::State& state) {
    Setup setup;
    for (auto _ : state)
        benchmark::DoNotOptimize(SumPixels(setup.platform.LoadPicture("mask.bmp")));
    SetPixels(state);
}
BENCHMARK(BM_Baseline_LoadAndReadMask)->Unit(benchmark::kMillisecond);

void BM_PreProcess(benchmark::State& state) {
    Setup setup(state.range(0) != 0);
    for (auto _ : state) setup.processor.PreProcess("mask.bmp");
    if (setup.processor.table().size() != 256) state.SkipWithError("mask not read whole");
    SetPixels(state);
}
BENCHMARK(BM_PreProcess)->ArgName("noisy")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A third of the colors on each pattern, the rest fixed levels.
void BM_Process(benchmark::State& state) {
    Setup setup;
    setup.processor.PreProcess("mask.bmp");
    SetRoles(setup.processor);
    for (auto _ : state) setup.processor.Process("mask.bmp", "p1.bmp", "p2.bmp");
    if (setup.platform.savedBitmaps.empty()) state.SkipWithError("nothing saved");
    SetPixels(state);
}
BENCHMARK(BM_Process)->Unit(benchmark::kMillisecond);

void BM_PreProcess_OwnWork(benchmark::State& state) {
    HandOverPlatform platform;
    QuietView view;
    MaskProcessor processor(platform, view);
    const Picture mask = Mask(state.range(0) != 0);
    for (auto _ : state) {
        state.PauseTiming();
        platform.next = mask;
        state.ResumeTiming();
        processor.PreProcess("mask.bmp");
    }
    if (processor.table().size() != 256) state.SkipWithError("mask not read whole");
    SetPixels(state);
}
BENCHMARK(BM_PreProcess_OwnWork)->ArgName("noisy")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_Process_OwnWork(benchmark::State& state) {
    HandOverPlatform platform;
    QuietView view;
    MaskProcessor processor(platform, view);
    platform.next = Mask(false);
    platform.pictures["p1.bmp"] = Pattern(3);
    platform.pictures["p2.bmp"] = Pattern(5);
    processor.PreProcess("mask.bmp");
    SetRoles(processor);
    for (auto _ : state) processor.Process("mask.bmp", "p1.bmp", "p2.bmp");
    if (platform.savedPixels != std::size_t(kWidth) * kHeight) state.SkipWithError("nothing saved");
    SetPixels(state);
}
BENCHMARK(BM_Process_OwnWork)->Unit(benchmark::kMillisecond);

// The first Process of a window, which also pays for the output's fresh memory.
void BM_Process_FirstRun(benchmark::State& state) {
    HandOverPlatform platform;
    QuietView view;
    platform.pictures["p1.bmp"] = Pattern(3);
    platform.pictures["p2.bmp"] = Pattern(5);
    const Picture mask = Mask(false);
    std::unique_ptr<MaskProcessor> processor;
    for (auto _ : state) {
        state.PauseTiming();
        processor.reset();
        processor = std::make_unique<MaskProcessor>(platform, view);
        platform.next = mask;
        processor->PreProcess("mask.bmp");
        SetRoles(*processor);
        state.ResumeTiming();
        processor->Process("mask.bmp", "p1.bmp", "p2.bmp");
    }
    if (platform.savedPixels != std::size_t(kWidth) * kHeight) state.SkipWithError("nothing saved");
    SetPixels(state);
}
BENCHMARK(BM_Process_FirstRun)->Unit(benchmark::kMillisecond);

}  // namespace
