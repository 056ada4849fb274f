// .PRG import and export of a 10050-byte file, beside a plain fill of the
// same 320 x 200 plane area as a baseline.
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "edit/editor.h"
#include "edit/image_files.h"
#include "formats/prg_format.h"
#include "support/scripted_platform.h"

using namespace pixolat;

namespace {

std::vector<uint8_t> SampleFile() {
    std::mt19937 random(1);
    std::vector<uint8_t> file(kPrgExportSize);
    for (uint8_t& b : file) b = uint8_t(random());
    file[0] = 0x00;
    file[1] = 0x18;
    file[1020] = 'M';
    return file;
}

ImageStore& Store() {
    static ImageStore store;
    return store;
}

std::string TempPath(const char* name) {
    return (std::filesystem::temp_directory_path() / name).string();
}

void BM_BaselinePlaneFill(benchmark::State& state) {
    Image& image = Store().image(1);
    uint8_t value = 0;
    for (auto _ : state) {
        for (int x = 0; x < 320; ++x) std::memset(image.plane.column(x), value, 200);
        ++value;
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BaselinePlaneFill);

void BM_DecodePrg(benchmark::State& state) {
    const std::vector<uint8_t> file = SampleFile();
    Image& image = Store().image(1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(DecodePrg(file, image));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.size()));
}
BENCHMARK(BM_DecodePrg);

void BM_EncodePrg(benchmark::State& state) {
    Image& image = Store().image(1);
    DecodePrg(SampleFile(), image);
    for (auto _ : state) benchmark::DoNotOptimize(EncodePrg(image));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kPrgExportSize));
}
BENCHMARK(BM_EncodePrg);

// The editor's commands whole: file read or atomic write included.
void BM_ImportPrgFile(benchmark::State& state) {
    testing::ScriptedPlatform platform;
    Editor editor(platform);
    const std::string path = TempPath("pixolat-bench-import.prg");
    const std::vector<uint8_t> file = SampleFile();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
    for (auto _ : state) ImportPrgFile(editor, path);
    std::filesystem::remove(path);
}
BENCHMARK(BM_ImportPrgFile);

void BM_ExportPrgFile(benchmark::State& state) {
    testing::ScriptedPlatform platform;
    Editor editor(platform);
    const std::string path = TempPath("pixolat-bench-export.prg");
    for (auto _ : state) ExportPrgFile(editor, path);
    std::filesystem::remove(path);
}
BENCHMARK(BM_ExportPrgFile);

}  // namespace
