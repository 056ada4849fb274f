#include "edit/copy_paste.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "document/pixels.h"
#include "support/scripted_platform.h"

namespace pixolat::testing {
namespace {

class CopyPasteTest : public ::testing::Test {
protected:
    ImageStore store;
    Image& source = store.image(1);
    Image& target = store.image(2);
    Image& expected = store.image(3);
    CopyBuffer& buffer = store.copyBuffer();
    std::mt19937 random{7};

    int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); }

    // Every byte and entry a distinct-looking random value.
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
};

uint8_t Entry(const Image& m, int bank, int cx, int cy) {
    return m.colmap.at(bank, cx, cy);
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
    // The target's kind decides how the entries are read; the source's how they were copied.
    const ColorMapKind kind = dst.desc.colorMapKind;
    if (kind == ColorMapKind::Normal && src.desc.colorMapKind == ColorMapKind::Normal) {
        for (int r = 0; r <= (h - 1) / 8; ++r)
            for (int c = 0; c <= (w - 1) / 8; ++c)
                put(dst, 0, x / 8 + c, y / 8 + r, entry(src, 0, a.x1 / 8 + c, a.y1 / 8 + r));
    } else if (kind == ColorMapKind::Dfli && src.desc.colorMapKind == ColorMapKind::Dfli) {
        for (int dy = 0; dy < h && y + dy < kPlaneHeight; dy += 2)
            for (int c = 0; c <= (w - 1) / 8; ++c)
                put(dst, BankOf(dst.desc, y + dy), x / 8 + c, (y + dy) / 8,
                    entry(src, BankOf(src.desc, a.y1 + dy), a.x1 / 8 + c, (a.y1 + dy) / 8));
    }
}

TEST_F(CopyPasteTest, PasteGivesWhatWasCopiedForEveryKindAndModeUpToThePlaneEdge) {
    for (int round = 0; round < 60; ++round) {
        const ColorMapKind kind = ColorMapKind(Uniform(0, 2));
        const int pw = Uniform(1, 2);
        source.desc = {"", 640, 1024, pw, Layout::Bitmap, kind, 0, 0};
        target.desc = source.desc;
        Scramble(source);
        Scramble(target);
        std::memcpy(expected.plane.data(), target.plane.data(), kPlaneBytes);
        std::memcpy(expected.colmap.data(), target.colmap.data(), kAttributeBytes);
        std::memcpy(expected.lummap.data(), target.lummap.data(), kAttributeBytes);
        const int x1 = Uniform(0, 600) / pw * pw, y1 = Uniform(0, 1000);
        const ImageRect area{x1, y1, x1 + Uniform(0, 39) / pw * pw, y1 + Uniform(0, 23)};
        // Half the pastes land near the right or bottom edge of the plane.
        const int x = (round % 2 ? Uniform(600, 639) : Uniform(0, 639)) / pw * pw;
        const int y = round % 2 ? Uniform(1000, 1023) : Uniform(0, 1023);
        const DrawingMode mode = DrawingMode(Uniform(0, 2));
        CopyArea(source, area, buffer);
        ASSERT_TRUE(PasteBuffer(target, buffer, x, y, mode));
        expected.desc = target.desc;
        PlainCopyPaste(source, area, expected, x, y, mode);
        ASSERT_EQ(std::memcmp(target.plane.data(), expected.plane.data(), kPlaneBytes), 0)
            << "round " << round;
        ASSERT_EQ(std::memcmp(target.colmap.data(), expected.colmap.data(), kAttributeBytes), 0)
            << "round " << round;
        ASSERT_EQ(std::memcmp(target.lummap.data(), expected.lummap.data(), kAttributeBytes), 0)
            << "round " << round;
    }
}

TEST_F(CopyPasteTest, NormalAndDfliCellsLandInTheCellsAndBanksOfThePastedRows) {
    // Normal: (3, 3)-(12, 12) copies four cells; pasted at (16, 8) they move by (2, 1).
    source.desc = {"", 320, 200, 1, Layout::Bitmap, ColorMapKind::Normal, 0, 0};
    target.desc = source.desc;
    Scramble(source);
    CopyArea(source, {3, 3, 12, 12}, buffer);
    EXPECT_EQ(buffer.desc.width, 10);
    PasteBuffer(target, buffer, 16, 8, DrawingMode::PixelAndColor);
    for (int cx = 0; cx < 2; ++cx)
        for (int cy = 0; cy < 2; ++cy)
            EXPECT_EQ(Entry(target, 0, cx + 2, cy + 1), Entry(source, 0, cx, cy));

    // DFLI: rows 1 and 3 of (0, 1)-(7, 4) take banks 0 and 1; pasted at row 6
    // they go to bank 3 of cell row 0 and bank 0 of cell row 1.
    source.desc.colorMapKind = target.desc.colorMapKind = ColorMapKind::Dfli;
    CopyArea(source, {0, 1, 7, 4}, buffer);
    EXPECT_EQ(Entry(buffer, 0, 0, 0), Entry(source, 0, 0, 0));
    EXPECT_EQ(Entry(buffer, 1, 0, 0), Entry(source, 1, 0, 0));
    PasteBuffer(target, buffer, 0, 6, DrawingMode::ColorOnly);
    EXPECT_EQ(Entry(target, 3, 0, 0), Entry(source, 0, 0, 0));
    EXPECT_EQ(Entry(target, 0, 0, 1), Entry(source, 1, 0, 0));
}

TEST_F(CopyPasteTest, AMulticolorBlockKeepsItsWidthThroughCopyPasteAndCopy) {
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
    target.desc = source.desc;
    target.desc.pixelWidth = 1;
    const auto hires = PasteBuffer(target, buffer, 40, 0, DrawingMode::PixelOnly);
    ASSERT_TRUE(hires);
    EXPECT_EQ(hires->x2, 47);
    CopyArea(target, *hires, buffer);
    PasteBuffer(source, buffer, 100, 50, DrawingMode::PixelOnly);
    for (int c = 0; c < 8; ++c)
        EXPECT_EQ(source.plane.at(100 + c, 52), source.plane.at(4 + c, 4)) << c;
}

TEST_F(CopyPasteTest, AnEmptyBufferOrAnEmptyImageChangesNothing) {
    target.desc = {"", 320, 200, 1, Layout::Bitmap, ColorMapKind::Normal, 0, 0};
    Scramble(target);
    const uint8_t before = target.plane.at(0, 0);
    EXPECT_FALSE(PasteBuffer(target, buffer, 0, 0, DrawingMode::PixelAndColor));
    source.desc = {"", 0, 0, 1, Layout::Bitmap, ColorMapKind::Normal, 0, 0};
    CopyArea(source, {0, 0, -1, -1}, buffer);
    EXPECT_EQ(buffer.desc.width, 0);
    EXPECT_FALSE(PasteBuffer(target, buffer, 0, 0, DrawingMode::PixelAndColor));
    EXPECT_EQ(target.plane.at(0, 0), before);
    CopyArea(target, {0, 0, 7, 7}, buffer);
    EXPECT_FALSE(PasteBuffer(source, buffer, -1, -1, DrawingMode::PixelAndColor));
}

}  // namespace
}  // namespace pixolat::testing
