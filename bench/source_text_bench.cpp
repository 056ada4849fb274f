// The source text writer and reader over a full store (257 images of
// 640 x 1024, DFLI, the three layouts in turn), beside a plain loop that
// formats the same number of bytes as "$XX,". Throughput is text bytes per
// second; compare the writer's time with the baseline's.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "formats/source_text.h"

using namespace pixolat;

namespace {

const ImageStore& FullStore() {
    static const std::unique_ptr<ImageStore> store = [] {
        auto s = std::make_unique<ImageStore>();
        std::mt19937 rng(1);
        for (int i = 0; i < kImageCount; ++i) {
            Image& image = s->image(i);
            image.desc = {
                "Image" + std::to_string(i), kPlaneWidth, kPlaneHeight, 1 + i % 2, Layout(i % 3),
                ColorMapKind::Dfli,          0,           0x71};
            for (std::size_t b = 0; b < kPlaneBytes; ++b) image.plane.data()[b] = rng() & 1;
            for (std::size_t b = 0; b < kAttributeBytes; ++b) {
                image.colmap.data()[b] = uint8_t(rng());
                image.lummap.data()[b] = uint8_t(rng());
            }
        }
        return s;
    }();
    return *store;
}

const std::string& FullText() {
    static const std::string text = SaveSourceText(FullStore());
    return text;
}

// Values in the full text: per image the pixel bytes and four banks of two
// attribute blocks.
constexpr std::size_t kValuesPerImage = kPlaneBytes / 8 + 2 * kAttributeBytes;
constexpr std::size_t kValues = kValuesPerImage * kImageCount;

void BM_FormatHexBaseline(benchmark::State& state) {
    std::vector<uint8_t> bytes(kValues);
    std::mt19937 rng(2);
    for (uint8_t& b : bytes) b = uint8_t(rng());
    static constexpr char kDigits[] = "0123456789ABCDEF";
    for (auto _ : state) {
        std::string out;
        out.reserve(bytes.size() * 4);
        for (uint8_t v : bytes) {
            out.push_back('$');
            out.push_back(kDigits[v >> 4]);
            out.push_back(kDigits[v & 15]);
            out.push_back(',');
        }
        benchmark::DoNotOptimize(out.data());
        state.SetBytesProcessed(state.bytes_processed() + int64_t(out.size()));
    }
    state.counters["values"] =
        benchmark::Counter(double(kValues), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_FormatHexBaseline)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_SaveSourceText(benchmark::State& state) {
    const ImageStore& store = FullStore();
    std::size_t size = 0;
    for (auto _ : state) {
        const std::string text = SaveSourceText(store);
        size = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(size));
    state.counters["values"] =
        benchmark::Counter(double(kValues), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["text_MB"] = double(size) / 1e6;
}
BENCHMARK(BM_SaveSourceText)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_LoadSourceText(benchmark::State& state) {
    const std::string& text = FullText();
    auto target = std::make_unique<ImageStore>();
    for (auto _ : state) {
        EditorState editorState;
        const SourceLoadResult result = LoadSourceText(*target, editorState, text);
        if (result.sections != kImageCount) state.SkipWithError("not every image was read");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
    state.counters["text_MB"] = double(text.size()) / 1e6;
}
BENCHMARK(BM_LoadSourceText)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// A source file (with its exact-copy lines) as the editor and the converter
// read it: 1 MiB pieces, one image after the other back at its index.
void BM_ReadSourceFile(benchmark::State& state) {
    const std::vector<uint8_t> bytes = SourceFileBytes(FullStore(), 0);
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    auto target = std::make_unique<ImageStore>();
    constexpr std::size_t kPiece = std::size_t(1) << 20;
    for (auto _ : state) {
        EditorState editorState;
        SourceTextReader reader(*target, editorState, {}, {.skipByteOrderMark = true});
        for (std::size_t at = 0; at < text.size(); at += kPiece)
            reader.Feed(text.substr(at, kPiece));
        if (reader.Finish().sections != kImageCount)
            state.SkipWithError("not every image was read");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
    state.counters["text_MB"] = double(text.size()) / 1e6;
}
BENCHMARK(BM_ReadSourceFile)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
