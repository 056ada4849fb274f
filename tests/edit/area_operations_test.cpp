#include "edit/area_operations.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "document/colors.h"
#include "document/pixels.h"
#include "edit/copy_paste.h"
#include "support/scripted_platform.h"

namespace pixolat::testing {
namespace {

// Two images of one store: the operation under test runs on `image`, the
// plain pixel-by-pixel reading of the operation on `expected`.
class AreaOperationsTest : public ::testing::Test {
protected:
    ImageStore store;
    Image& image = store.image(1);
    Image& expected = store.image(2);
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
void PlainReplace(Image& m, const ImageRect& a, int from, int to) {
    for (int cy = a.y1 / 8; cy <= a.y2 / 8; ++cy)
        for (int cx = a.x1 / 8; cx <= a.x2 / 8; ++cx) {
            uint8_t& c = m.colmap.at(0, cx, cy);
            uint8_t& l = m.lummap.at(0, cx, cy);
            const int c1 = CellColor1(c, l), c2 = CellColor2(c, l);
            if (c1 == from) c = uint8_t((c & 0x0F) | (to & 0x0F) << 4);
            if (c1 == from) l = uint8_t((l & 0xF0) | (to & 0xF0) >> 4);
            if (c2 == from) c = uint8_t((c & 0xF0) | (to & 0x0F));
            if (c2 == from) l = uint8_t((l & 0x0F) | (to & 0xF0));
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
        switch (op) {
            case 0:
                FillArea(image, area, v);
                if (!empty) PlainFill(expected, whole, v);
                break;
            case 1:
                InvertArea(image, area);
                if (!empty) PlainInvert(expected, whole);
                break;
            case 2:
                FlipAreaHorizontally(image, area);
                if (!empty) PlainFlipH(expected, whole);
                break;
            case 3:
                FlipAreaVertically(image, area);
                if (!empty) PlainFlipV(expected, whole);
                break;
            case 4:
                RemapAreaValues(image, area, f, s);
                if (!empty && image.desc.pixelWidth == 2) PlainRemap(expected, whole, f, s);
                break;
            default:
                ReplaceAreaCellColor(image, area, from, to);
                if (!empty) PlainReplace(expected, whole, from, to);
                break;
        }
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

}  // namespace
}  // namespace pixolat::testing
