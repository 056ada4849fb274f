#include "document/colors.h"

#include <gtest/gtest.h>

#include <set>

using namespace pixolat;

namespace {

int32_t Rgb(int r, int g, int b) {
    return r + 256 * g + 65536 * b;
}

RgbTable BuiltTable() {
    RgbTable table;
    table.fill(-1);
    BuildRgbTable(table);
    return table;
}

}  // namespace

TEST(RgbTable, HoldsTheTedColorsWithRedInTheLowByte) {
    const RgbTable table = BuiltTable();
    for (int lum = 0; lum < 16; ++lum) EXPECT_EQ(table[std::size_t(lum * 16)], Rgb(3, 3, 3)) << lum;
    EXPECT_EQ(table[0x71], Rgb(0xF9, 0xF9, 0xF9));
    EXPECT_EQ(table[0x31], Rgb(0x56, 0x55, 0x5A));
    EXPECT_EQ(table[0x51], Rgb(0xB2, 0xAC, 0xB3));
    EXPECT_EQ(table[0x02], Rgb(0x68, 0x10, 0x10));
    EXPECT_EQ(table[0x0E], Rgb(0x2A, 0x14, 0x9B));
    EXPECT_EQ(table[0x4F], Rgb(0x5D, 0xA3, 0x29));
    EXPECT_EQ(table[0x7F], Rgb(0xED, 0xFF, 0xBC));
    EXPECT_EQ(table[0x7C], Rgb(0xD1, 0xFF, 0xFF));
    for (int n = 0; n < 128; ++n) {
        EXPECT_EQ(table[std::size_t(n + 128)], table[std::size_t(n)]) << n;
        EXPECT_EQ(table[std::size_t(n)] >> 24, 0) << n;
    }
    // Hue 0 is the same black at every luminance, and two bright cyans
    // coincide; every other code has a color of its own.
    std::set<int32_t> distinct(table.begin(), table.begin() + 128);
    EXPECT_EQ(distinct.size(), 128u - 7u - 1u);
    // The triplets are what the preview writes; they agree with the table.
    for (int n = 0; n < 256; ++n) {
        const auto& t = ColorTriplet(n);
        EXPECT_EQ(table[std::size_t(n)], Rgb(t[0], t[1], t[2])) << n;
    }
}

class ColorCodes : public ::testing::Test {
protected:
    ImageStore store;
    Image& image = store.image(1);

    void SetUp() override {
        image.desc = {"", 320, 200, 1, Layout::Bitmap, ColorMapKind::Normal, 0x12, 0x34};
    }
    // Sets the attribute cell of pixel (x, y) in the bank its row uses.
    void SetCell(int x, int y, uint8_t colmap, uint8_t lummap) {
        const int bank = BankOf(image.desc, y);
        image.colmap.at(bank, x / 8, y / 8) = colmap;
        image.lummap.at(bank, x / 8, y / 8) = lummap;
    }
};

TEST_F(ColorCodes, HiresBitsShowTheTwoCellColors) {
    ResetImageColors(image);
    EXPECT_EQ(ColorCodeAt(image, 0, 0), 0x51);
    image.plane.at(0, 0) = 1;
    EXPECT_EQ(ColorCodeAt(image, 0, 0), 0x31);

    // colmap $A7, lummap $6C: color 1 = hue A, lum C; color 2 = hue 7, lum 6.
    SetCell(17, 9, 0xA7, 0x6C);
    EXPECT_EQ(ColorCodeAt(image, 17, 9), 0x67);
    image.plane.at(17, 9) = 1;
    EXPECT_EQ(ColorCodeAt(image, 17, 9), 0xCA);
    // The whole 8 x 8 cell shares the colors; the neighbouring cell does not.
    EXPECT_EQ(ColorCodeAt(image, 23, 15), 0x67);
    EXPECT_EQ(ColorCodeAt(image, 24, 15), 0x51);
    EXPECT_EQ(ColorCodeAt(image, 16, 16), 0x51);
}

TEST_F(ColorCodes, MulticolorValuesShowImageAndCellColors) {
    ResetImageColors(image);
    image.desc.pixelWidth = 2;
    image.desc.color0 = 0x12;
    image.desc.color3 = 0x34;
    SetCell(8, 8, 0xA7, 0x6C);
    const ColorCode expected[4] = {0x12, 0xCA, 0x67, 0x34};
    for (int v = 0; v < 4; ++v) {
        StorePixelValue(image, 8, 8, v);
        EXPECT_EQ(ColorCodeAt(image, 8, 8), expected[v]) << v;
    }
    // Changing the cell changes values 1 and 2 only.
    SetCell(8, 8, 0x00, 0x00);
    StorePixelValue(image, 8, 8, 0);
    EXPECT_EQ(ColorCodeAt(image, 8, 8), 0x12);
    StorePixelValue(image, 8, 8, 3);
    EXPECT_EQ(ColorCodeAt(image, 8, 8), 0x34);
    StorePixelValue(image, 8, 8, 1);
    EXPECT_EQ(ColorCodeAt(image, 8, 8), 0x00);

    // Hires bit 1 and multicolor value 1 show the same color; so do bit 0 and value 2.
    SetCell(40, 40, 0x5B, 0x27);
    StorePixelValue(image, 40, 40, 1);
    const ColorCode multi1 = ColorCodeAt(image, 40, 40);
    StorePixelValue(image, 40, 40, 2);
    const ColorCode multi2 = ColorCodeAt(image, 40, 40);
    image.desc.pixelWidth = 1;  // the same bytes read as hires bits 1 and 0
    EXPECT_EQ(ColorCodeAt(image, 40, 40), multi1);
    EXPECT_EQ(ColorCodeAt(image, 41, 40), multi2);
    EXPECT_EQ(multi1, 0x75);
    EXPECT_EQ(multi2, 0x2B);
}

TEST_F(ColorCodes, EachColorMapKindPicksItsBank) {
    for (int bank = 0; bank < kBanks; ++bank) {
        image.colmap.at(bank, 0, 0) = uint8_t(bank + 1);  // cell color 2 hue = bank + 1
        image.lummap.at(bank, 0, 0) = 0x50;
    }
    image.desc.colorMapKind = ColorMapKind::Normal;
    for (int y = 0; y < 8; ++y) EXPECT_EQ(ColorCodeAt(image, 3, y), 0x51) << y;
    for (ColorMapKind kind : {ColorMapKind::None, ColorMapKind::Dfli}) {
        image.desc.colorMapKind = kind;
        for (int y = 0; y < 8; ++y) EXPECT_EQ(ColorCodeAt(image, 3, y), 0x51 + y / 2) << y;
        // Rows 0 and 1 always agree; rows 1 and 2 differ here.
        EXPECT_EQ(ColorCodeAt(image, 0, 0), ColorCodeAt(image, 0, 1));
        EXPECT_NE(ColorCodeAt(image, 0, 1), ColorCodeAt(image, 0, 2));
    }
}

TEST_F(ColorCodes, PlaneBytesOtherThanZeroOrOneShow255) {
    ResetImageColors(image);
    for (uint8_t byte : {2, 3, 0x80, 0xFF}) {
        image.desc.pixelWidth = 1;
        image.plane.at(5, 5) = byte;
        image.plane.at(6, 5) = 0;
        EXPECT_EQ(ColorCodeAt(image, 5, 5), 255) << int(byte);
        image.desc.pixelWidth = 2;
        image.plane.at(4, 5) = byte;
        image.plane.at(5, 5) = 0;
        EXPECT_EQ(ColorCodeAt(image, 4, 5), 255) << int(byte);  // 2 * byte + 0
    }
    // The value is 2 * left + right: a right byte of 2 or 3 still makes a
    // value 0..3, a larger one does not.
    image.plane.at(4, 5) = 0;
    image.plane.at(5, 5) = 3;
    EXPECT_EQ(ColorCodeAt(image, 4, 5), 0x71);
    image.plane.at(5, 5) = 4;
    EXPECT_EQ(ColorCodeAt(image, 4, 5), 255);
    // 255 is a code like any other: the table has an entry for it.
    EXPECT_EQ(BuiltTable()[255], BuiltTable()[127]);
}

TEST_F(ColorCodes, ANeverUsedImageIsReadOneByteAPixel) {
    ImageDescriptor& d = image.desc;
    d.pixelWidth = 0;
    image.plane.at(639, 1023) = 1;
    image.colmap.at(3, 79, 127) = 0x20;
    image.lummap.at(3, 79, 127) = 0x07;
    d.colorMapKind = ColorMapKind::None;
    EXPECT_EQ(ColorCodeAt(image, 639, 1023), 0x72);
}
