// Random images written as source text and read back.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>

#include "document/pixels.h"
#include "formats/source_text.h"

using namespace pixolat;

namespace {

struct Shape {
    int width, height;
};

void Randomize(Image& image, std::mt19937& rng) {
    std::bernoulli_distribution bit(0.5);
    // Whole cells (and 2x2 blocks), including what sticks out past the edges.
    const int w = std::min(640, (image.desc.width + 15) / 16 * 16);
    const int h = std::min(1024, (image.desc.height + 15) / 16 * 16);
    for (int x = 0; x < w; ++x)
        for (int y = 0; y < h; ++y) image.plane.at(x, y) = bit(rng) ? 1 : 0;
    std::uniform_int_distribution<int> byte(0, 255);
    for (std::size_t i = 0; i < kAttributeBytes; i += 1 + std::size_t(byte(rng) % 3)) {
        image.colmap.data()[i] = uint8_t(byte(rng));
        image.lummap.data()[i] = uint8_t(byte(rng));
    }
}

void ExpectSameImage(const Image& a, const Image& b, int index) {
    SCOPED_TRACE("image " + std::to_string(index) + " " + std::to_string(a.desc.width) + "x" +
                 std::to_string(a.desc.height) + " layout " + std::to_string(int(a.desc.layout)) +
                 " kind " + std::to_string(int(a.desc.colorMapKind)));
    EXPECT_EQ(b.desc.name, a.desc.name);
    EXPECT_EQ(b.desc.width, a.desc.width);
    EXPECT_EQ(b.desc.height, a.desc.height);
    EXPECT_EQ(b.desc.pixelWidth, a.desc.pixelWidth);
    EXPECT_EQ(b.desc.layout, a.desc.layout);
    EXPECT_EQ(b.desc.colorMapKind, a.desc.colorMapKind);
    int wrongPixels = 0;
    for (int x = 0; x < a.desc.width; ++x)
        for (int y = 0; y < a.desc.height; ++y) wrongPixels += a.plane.at(x, y) != b.plane.at(x, y);
    EXPECT_EQ(wrongPixels, 0);
    if (a.desc.colorMapKind == ColorMapKind::None) return;
    const int banks = a.desc.colorMapKind == ColorMapKind::Dfli ? 4 : 1;
    int wrongCells = 0;
    for (int bank = 0; bank < banks; ++bank)
        for (int cx = 0; cx * 8 < a.desc.width; ++cx)
            for (int cy = 0; cy * 8 < a.desc.height; ++cy) {
                wrongCells += a.colmap.at(bank, cx, cy) != b.colmap.at(bank, cx, cy);
                wrongCells += a.lummap.at(bank, cx, cy) != b.lummap.at(bank, cx, cy);
            }
    EXPECT_EQ(wrongCells, 0);
}

}  // namespace

// Every layout, color map kind and pixel width at sampled sizes: whole cells,
// odd cell counts, single pixels, the Plus/4 screen and the whole plane.
TEST(SourceTextRoundTrip, RandomImagesComeBackUnchanged) {
    std::mt19937 rng(20261207);
    std::uniform_int_distribution<int> anyWidth(1, 640), anyHeight(1, 1024);
    std::vector<Shape> shapes = {{1, 1}, {320, 200}, {640, 1024}, {8, 8}, {24, 40}, {13, 27}};
    for (int i = 0; i < 3; ++i) shapes.push_back({anyWidth(rng), anyHeight(rng)});
    for (int i = 0; i < 3; ++i)
        shapes.push_back({1 + 2 * (anyWidth(rng) % 40), 1 + 2 * (anyHeight(rng) % 64)});

    auto source = std::make_unique<ImageStore>();
    auto target = std::make_unique<ImageStore>();
    std::uniform_int_distribution<std::size_t> pick(0, shapes.size() - 1);
    int count = 0;
    for (Layout layout : {Layout::Bitmap, Layout::Charset, Layout::Charset2x2})
        for (ColorMapKind kind : {ColorMapKind::None, ColorMapKind::Normal, ColorMapKind::Dfli})
            for (int pixelWidth : {1, 2})
                for (int sample = 0; sample < 3; ++sample) {
                    // Each combination gets the screen size once, plus two sampled shapes.
                    const Shape shape = sample == 0 ? shapes[1] : shapes[pick(rng)];
                    Image& image = source->image(count);
                    image.desc = {count % 5 == 0 ? "" : "Img" + std::to_string(count),
                                  shape.width,
                                  shape.height,
                                  pixelWidth,
                                  layout,
                                  kind,
                                  0,
                                  0x71};
                    Randomize(image, rng);
                    // What a previous load left behind must be overwritten.
                    Randomize(target->image(count), rng);
                    ++count;
                }
    // The sizes nobody samples by chance.
    for (const Shape& shape : shapes) {
        Image& image = source->image(count);
        image.desc = {
            "Extra" + std::to_string(count), shape.width, shape.height, 2, Layout(count % 3),
            ColorMapKind(count % 3),         0,           0x71};
        Randomize(image, rng);
        ++count;
    }

    EditorState state;
    const SourceLoadResult result = LoadSourceText(*target, state, SaveSourceText(*source));
    EXPECT_EQ(result.sections, count);
    EXPECT_EQ(state.currentImage, count - 1);
    for (int i = 0; i < count; ++i) ExpectSameImage(source->image(i), target->image(i), i);
}

// A text read and written again is the same text.
TEST(SourceTextRoundTrip, ALoadedTextSavesAsTheSameText) {
    auto store = std::make_unique<ImageStore>();
    std::mt19937 rng(7);
    const Shape shapes[] = {{320, 200}, {33, 17}, {160, 96}, {8, 1024}};
    int i = 0;
    for (const Shape& shape : shapes) {
        Image& image = store->image(i);
        image.desc = {
            "S" + std::to_string(i),   shape.width, shape.height, 1 + i % 2, Layout(i % 3),
            ColorMapKind((i + 1) % 3), 0,           0x71};
        Randomize(image, rng);
        ++i;
    }
    const std::string text = SaveSourceText(*store);
    auto copy = std::make_unique<ImageStore>();
    EditorState state;
    LoadSourceText(*copy, state, text);
    EXPECT_EQ(SaveSourceText(*copy), text);
}
