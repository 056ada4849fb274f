#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <tuple>
#include <utility>

#include "document/colors.h"
#include "document/pixels.h"
#include "edit/area_operations.h"
#include "edit/copy_paste.h"

namespace pixolat::testing {
namespace {

// Images of one store: the operation under test runs on `image`, the plain
// pixel-by-pixel reading of the operation on `expected`.
class AreaOperationsTest : public ::testing::Test {
protected:
    ImageStore store;
    Image& image = store.image(1);
    Image& expected = store.image(2);
    Image& source = store.image(3);
    CopyBuffer& buffer = store.copyBuffer();
    std::mt19937 random{20261207};

    int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); }

    // A random image of up to 64 x 40 pixels (sometimes empty) with random
    // pixels, cells and banks, copied to `expected`.
    void RandomImage() {
        ImageDescriptor& d = image.desc;
        d.width = Uniform(0, 9) == 0 ? 0 : Uniform(1, 64);
        d.height = Uniform(0, 9) == 0 ? 0 : Uniform(1, 40);
        d.pixelWidth = Uniform(1, 2);
        d.colorMapKind = ColorMapKind(Uniform(0, 2));
        for (int x = 0; x < 72; ++x)
            for (int y = 0; y < 48; ++y) image.plane.at(x, y) = uint8_t(Uniform(0, 1));
        for (int bank = 0; bank < kBanks; ++bank)
            for (int cx = 0; cx < 10; ++cx)
                for (int cy = 0; cy < 7; ++cy) {
                    image.colmap.at(bank, cx, cy) = uint8_t(Uniform(0, 3) * 0x11);
                    image.lummap.at(bank, cx, cy) = uint8_t(Uniform(0, 3) * 0x11);
                }
        Duplicate(image, expected);
    }

    // Random bytes in the whole of every plane.
    void Scramble(Image& m) {
        uint32_t bits = uint32_t(random());
        for (std::size_t i = 0; i < kPlaneBytes; ++i) {
            bits ^= bits << 13, bits ^= bits >> 17, bits ^= bits << 5;
            m.plane.data()[i] = uint8_t(bits & 1);
        }
        for (std::size_t i = 0; i < kAttributeBytes; ++i) {
            m.colmap.data()[i] = uint8_t(Uniform(0, 255));
            m.lummap.data()[i] = uint8_t(Uniform(0, 255));
        }
    }

    static void Duplicate(const Image& from, Image& to) {
        to.desc = from.desc;
        std::memcpy(to.plane.data(), from.plane.data(), kPlaneBytes);
        std::memcpy(to.colmap.data(), from.colmap.data(), kAttributeBytes);
        std::memcpy(to.lummap.data(), from.lummap.data(), kAttributeBytes);
    }

    // A selection inside the image (corners on pixel columns), or the whole image.
    ImageRect RandomArea() {
        const ImageDescriptor& d = image.desc;
        const int pw = d.pixelWidth;
        if (Uniform(0, 3) == 0 || d.width < pw || d.height == 0)
            return {0, 0, d.width - pw, d.height - 1};
        const int columns = d.width / pw;
        int a = Uniform(0, columns - 1) * pw, b = Uniform(0, columns - 1) * pw;
        int c = Uniform(0, d.height - 1), e = Uniform(0, d.height - 1);
        return {std::min(a, b), std::min(c, e), std::max(a, b), std::max(c, e)};
    }

    void ExpectSame(const char* what) {
        ASSERT_EQ(std::memcmp(image.plane.data(), expected.plane.data(), kPlaneBytes), 0) << what;
        ASSERT_EQ(std::memcmp(image.colmap.data(), expected.colmap.data(), kAttributeBytes), 0)
            << what;
        ASSERT_EQ(std::memcmp(image.lummap.data(), expected.lummap.data(), kAttributeBytes), 0)
            << what;
    }
};

// The operations as the program's manual describes them, one pixel at a time.
void PlainFill(Image& m, const ImageRect& a, int v) {
    const int pw = m.desc.pixelWidth;
    if (pw == 1 && v > 1) v = 1;
    for (int y = a.y1; y <= a.y2; ++y)
        for (int x = a.x1; x <= a.x2; x += pw) StorePixelValue(m, x, y, v);
}
void PlainInvert(Image& m, const ImageRect& a) {
    const int pw = m.desc.pixelWidth;
    for (int y = a.y1; y <= a.y2; ++y)
        for (int x = a.x1; x <= a.x2; x += pw)
            StorePixelValue(m, x, y, (pw == 2 ? 3 : 1) - PixelValueAt(m, x, y));
}
void PlainFlipH(Image& m, const ImageRect& a) {
    const int pw = m.desc.pixelWidth;
    for (int y = a.y1; y <= a.y2; ++y)
        for (int i = 0; i <= ((a.x2 - a.x1) / 2) / pw; ++i) {
            const int l = a.x1 + i * pw, r = a.x2 - i * pw;
            const int v = PixelValueAt(m, l, y);
            StorePixelValue(m, l, y, PixelValueAt(m, r, y));
            StorePixelValue(m, r, y, v);
        }
}
void PlainFlipV(Image& m, const ImageRect& a) {
    const int pw = m.desc.pixelWidth;
    for (int x = a.x1; x <= a.x2; x += pw)
        for (int i = 0; i <= (a.y2 - a.y1) / 2; ++i) {
            const int v = PixelValueAt(m, x, a.y1 + i);
            StorePixelValue(m, x, a.y1 + i, PixelValueAt(m, x, a.y2 - i));
            StorePixelValue(m, x, a.y2 - i, v);
        }
}
void PlainRemap(Image& m, const ImageRect& a, int f, int s) {
    for (int y = a.y1; y <= a.y2; ++y)
        for (int x = a.x1; x <= a.x2; x += 2) {
            const int v = PixelValueAt(m, x, y);
            StorePixelValue(m, x, y, v == f ? s : v == s ? f : v);
        }
}
// Each cell of the area that showed `from` as one of its two colors shows
// `to` there instead; the bytes are found by reading every pair back.
void PlainReplace(Image& m, const ImageRect& a, int from, int to) {
    using Bytes = std::pair<uint8_t, uint8_t>;
    static const auto bytesShowing = [] {
        auto table = std::make_unique<std::array<std::array<Bytes, 256>, 256>>();
        for (int cb = 0; cb < 256; ++cb)
            for (int lb = 0; lb < 256; ++lb)
                (*table)[CellColor1(uint8_t(cb), uint8_t(lb))]
                        [CellColor2(uint8_t(cb), uint8_t(lb))] = {uint8_t(cb), uint8_t(lb)};
        return table;
    }();
    for (int cy = a.y1 / 8; cy <= a.y2 / 8; ++cy)
        for (int cx = a.x1 / 8; cx <= a.x2 / 8; ++cx) {
            uint8_t& c = m.colmap.at(0, cx, cy);
            uint8_t& l = m.lummap.at(0, cx, cy);
            int c1 = CellColor1(c, l), c2 = CellColor2(c, l);
            if (c1 == from) c1 = to;
            if (c2 == from) c2 = to;
            std::tie(c, l) = (*bytesShowing)[std::size_t(c1)][std::size_t(c2)];
        }
}

TEST_F(AreaOperationsTest, EveryOperationMatchesItsPixelByPixelReading) {
    for (int round = 0; round < 400; ++round) {
        RandomImage();
        const ImageRect area = RandomArea();
        // The reference works on whole pixels: an odd-width multicolor
        // image ends on its last whole pixel, not on the odd column.
        ImageRect whole = area;
        whole.x2 -= (whole.x2 - whole.x1) % image.desc.pixelWidth;
        const bool empty = image.desc.width < image.desc.pixelWidth || image.desc.height == 0;
        const int op = round % 6;
        const int v = Uniform(0, 3), f = Uniform(0, 3), s = (f + Uniform(1, 3)) % 4;
        const int from = Uniform(0, 3) * 0x11, to = Uniform(0, 255);
        const bool multi = image.desc.pixelWidth == 2;
        const std::function<void()> runs[][2] = {
            {[&] { FillArea(image, area, v); }, [&] { PlainFill(expected, whole, v); }},
            {[&] { InvertArea(image, area); }, [&] { PlainInvert(expected, whole); }},
            {[&] { FlipAreaHorizontally(image, area); }, [&] { PlainFlipH(expected, whole); }},
            {[&] { FlipAreaVertically(image, area); }, [&] { PlainFlipV(expected, whole); }},
            {[&] { RemapAreaValues(image, area, f, s); },
             [&] {
                 if (multi) PlainRemap(expected, whole, f, s);
             }},
            {[&] { ReplaceAreaCellColor(image, area, from, to); },
             [&] { PlainReplace(expected, whole, from, to); }},
        };
        runs[op][0]();
        if (!empty) runs[op][1]();
        ExpectSame(("operation " + std::to_string(op) + " round " + std::to_string(round)).c_str());
    }
}

TEST_F(AreaOperationsTest, AreasReachingPastTheImageWorkOnItsInsideOnly) {
    RandomImage();
    image.desc = {"", 20, 10, 1, Layout::Bitmap, ColorMapKind::Normal, 0, 0};
    Duplicate(image, expected);
    // A selection left over from a larger size, and one past the plane.
    FillArea(image, {-8, -8, 5000, 5000}, 1);
    PlainFill(expected, {0, 0, 19, 9}, 1);
    ExpectSame("fill");
    FlipAreaHorizontally(image, {10, 0, 700, 2000});
    PlainFlipH(expected, {10, 0, 19, 9});
    ExpectSame("flip");
}

// Copy and paste as the manual describes them, with every write past the
// plane or the cells dropped.
void PlainCopyPaste(const Image& src, const ImageRect& a, Image& dst, int x, int y,
                    DrawingMode mode) {
    const int pw = src.desc.pixelWidth;
    const int w = a.x2 - a.x1 + 1, h = a.y2 - a.y1 + 1;
    auto entry = [](const Image& m, int bank, int cx, int cy) {
        return std::pair(m.colmap.at(bank, cx, cy), m.lummap.at(bank, cx, cy));
    };
    auto put = [](Image& m, int bank, int cx, int cy, std::pair<uint8_t, uint8_t> e) {
        if (cx >= kCellColumns || cy >= kCellRows) return;
        m.colmap.at(bank, cx, cy) = e.first;
        m.lummap.at(bank, cx, cy) = e.second;
    };
    if (mode != DrawingMode::ColorOnly)
        for (int dy = 0; dy < h; ++dy)
            for (int dc = 0; dc <= w + pw - 2; ++dc)
                if (x + dc < kPlaneWidth && y + dy < kPlaneHeight)
                    dst.plane.at(x + dc, y + dy) = src.plane.at(a.x1 + dc, a.y1 + dy);
    if (mode == DrawingMode::PixelOnly) return;
    // The target's kind decides where the entries go; cells the source had no
    // colors for keep the target's, and a Normal cell colors each of its row pairs.
    const ColorMapKind from = src.desc.colorMapKind;
    if (from == ColorMapKind::None) return;
    if (dst.desc.colorMapKind == ColorMapKind::Normal) {
        for (int r = 0; r <= (h - 1) / 8; ++r)
            for (int c = 0; c <= (w - 1) / 8; ++c) {
                const int sourceY =
                    from == ColorMapKind::Normal ? a.y1 / 8 * 8 + 8 * r : a.y1 + 8 * r;
                put(dst, 0, x / 8 + c, y / 8 + r,
                    entry(src, BankOf(src.desc, sourceY), a.x1 / 8 + c, sourceY / 8));
            }
    } else if (dst.desc.colorMapKind == ColorMapKind::Dfli) {
        for (int dy = 0; dy < h && y + dy < kPlaneHeight; dy += 2)
            for (int c = 0; c <= (w - 1) / 8; ++c) {
                const int sourceY =
                    from == ColorMapKind::Normal ? a.y1 / 8 * 8 + dy / 8 * 8 : a.y1 + dy;
                put(dst, BankOf(dst.desc, y + dy), x / 8 + c, (y + dy) / 8,
                    entry(src, BankOf(src.desc, sourceY), a.x1 / 8 + c, sourceY / 8));
            }
    }
}

TEST_F(AreaOperationsTest, PasteGivesWhatWasCopiedForEveryKindAndModeUpToThePlaneEdge) {
    for (int round = 0; round < 60; ++round) {
        const ColorMapKind kind = ColorMapKind(Uniform(0, 2));
        const int pw = Uniform(1, 2);
        source.desc = {"", 640, 1024, pw, Layout::Bitmap, kind, 0, 0};
        image.desc = source.desc;
        // Every third round pastes into an image of another kind.
        if (round % 3 == 0) image.desc.colorMapKind = ColorMapKind(Uniform(0, 2));
        Scramble(source);
        Scramble(image);
        Duplicate(image, expected);
        const int x1 = Uniform(0, 600) / pw * pw, y1 = Uniform(0, 1000);
        const ImageRect area{x1, y1, x1 + Uniform(0, 39) / pw * pw, y1 + Uniform(0, 23)};
        // Half the pastes land near the right or bottom edge of the plane.
        const int x = (round % 2 ? Uniform(600, 639) : Uniform(0, 639)) / pw * pw;
        const int y = round % 2 ? Uniform(1000, 1023) : Uniform(0, 1023);
        const DrawingMode mode = DrawingMode(Uniform(0, 2));
        CopyArea(source, area, buffer);
        ASSERT_TRUE(PasteBuffer(image, buffer, x, y, mode));
        PlainCopyPaste(source, area, expected, x, y, mode);
        ExpectSame(("paste round " + std::to_string(round)).c_str());
    }
}

TEST_F(AreaOperationsTest, APasteOutsideTheImageChangesNothing) {
    source.desc = {"", 320, 200, 1, Layout::Bitmap, ColorMapKind::Normal, 0, 0};
    image.desc = source.desc;
    Scramble(source);
    Scramble(image);
    Duplicate(image, expected);
    CopyArea(source, {0, 0, 15, 7}, buffer);
    for (const auto& [x, y] : {std::pair{-8, 0}, {0, -1}, {320, 0}, {0, 200}, {-8, -8}}) {
        EXPECT_FALSE(PasteBuffer(image, buffer, x, y, DrawingMode::PixelAndColor)) << x << "," << y;
        ExpectSame(("paste at " + std::to_string(x) + "," + std::to_string(y)).c_str());
    }
}

TEST_F(AreaOperationsTest, AMulticolorBlockKeepsItsWidthThroughCopyPasteAndCopy) {
    source.desc = {"", 320, 200, 2, Layout::Bitmap, ColorMapKind::Normal, 0, 0};
    Scramble(source);
    CopyArea(source, {4, 2, 10, 5}, buffer);
    EXPECT_EQ(buffer.desc.width, 7);
    EXPECT_EQ(buffer.desc.pixelWidth, 2);
    const auto block = PasteBuffer(source, buffer, 20, 10, DrawingMode::PixelAndColor);
    ASSERT_TRUE(block);
    // The end corner is the last pixel's left column, as everywhere else.
    EXPECT_EQ(block->x2, 26);
    EXPECT_EQ(block->y2, 13);
    for (int c = 0; c < 8; ++c) EXPECT_EQ(source.plane.at(20 + c, 11), source.plane.at(4 + c, 3));
    CopyArea(source, *block, buffer);
    EXPECT_EQ(buffer.desc.width, 7);

    // Into a hires image and back: the bit pairs come back as they were.
    image.desc = source.desc;
    image.desc.pixelWidth = 1;
    const auto hires = PasteBuffer(image, buffer, 40, 0, DrawingMode::PixelOnly);
    ASSERT_TRUE(hires);
    EXPECT_EQ(hires->x2, 47);
    CopyArea(image, *hires, buffer);
    PasteBuffer(source, buffer, 100, 50, DrawingMode::PixelOnly);
    for (int c = 0; c < 8; ++c)
        EXPECT_EQ(source.plane.at(100 + c, 52), source.plane.at(4 + c, 4)) << c;
}

TEST_F(AreaOperationsTest, APasteWritesOnlyTheColorsTheBlockWasCopiedWith) {
    // A charset block holds no colors: the picture it lands in keeps its own.
    source.desc = {"", 256, 64, 2, Layout::Charset, ColorMapKind::None, 0, 0};
    image.desc = {"", 320, 200, 1, Layout::Bitmap, ColorMapKind::Normal, 0, 0};
    Scramble(source);
    image.colmap.at(0, 2, 1) = 0x15;
    image.lummap.at(0, 2, 1) = 0x03;
    CopyArea(source, {0, 0, 15, 15}, buffer);
    ASSERT_TRUE(PasteBuffer(image, buffer, 16, 8, DrawingMode::PixelAndColor));
    EXPECT_EQ(image.colmap.at(0, 2, 1), 0x15);
    EXPECT_EQ(image.lummap.at(0, 2, 1), 0x03);

    // A Normal cell's colors are those of all its rows: in a DFLI picture
    // every row pair of the cell takes them.
    source.desc = {"", 320, 200, 1, Layout::Bitmap, ColorMapKind::Normal, 0, 0};
    source.colmap.at(0, 0, 0) = 0x21;
    source.lummap.at(0, 0, 0) = 0x57;
    image.desc.colorMapKind = ColorMapKind::Dfli;
    CopyArea(source, {0, 0, 7, 7}, buffer);
    ASSERT_TRUE(PasteBuffer(image, buffer, 0, 8, DrawingMode::ColorOnly));
    for (int bank = 0; bank < kBanks; ++bank) {
        EXPECT_EQ(image.colmap.at(bank, 0, 1), 0x21) << bank;
        EXPECT_EQ(image.lummap.at(bank, 0, 1), 0x57) << bank;
    }
}

TEST_F(AreaOperationsTest, AnEmptyBufferOrAnEmptyImageChangesNothing) {
    image.desc = {"", 320, 200, 1, Layout::Bitmap, ColorMapKind::Normal, 0, 0};
    Scramble(image);
    const uint8_t before = image.plane.at(0, 0);
    EXPECT_FALSE(PasteBuffer(image, buffer, 0, 0, DrawingMode::PixelAndColor));
    source.desc = {"", 0, 0, 1, Layout::Bitmap, ColorMapKind::Normal, 0, 0};
    CopyArea(source, {0, 0, -1, -1}, buffer);
    EXPECT_EQ(buffer.desc.width, 0);
    EXPECT_FALSE(PasteBuffer(image, buffer, 0, 0, DrawingMode::PixelAndColor));
    EXPECT_EQ(image.plane.at(0, 0), before);
    CopyArea(image, {0, 0, 7, 7}, buffer);
    EXPECT_FALSE(PasteBuffer(source, buffer, -1, -1, DrawingMode::PixelAndColor));
}

}  // namespace
}  // namespace pixolat::testing
