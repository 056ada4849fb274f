#include <gtest/gtest.h>

#include <random>

#include "document/image_store.h"
#include "formats/prg_format.h"

using namespace pixolat;

namespace {

void RandomizeImage(Image& image, unsigned seed) {
    std::mt19937 random(seed);
    for (std::size_t i = 0; i < kPlaneBytes; ++i) image.plane.data()[i] = uint8_t(random() & 1);
    for (std::size_t i = 0; i < kAttributeBytes; ++i) {
        image.colmap.data()[i] = uint8_t(random());
        image.lummap.data()[i] = uint8_t(random());
    }
}

}  // namespace

TEST(PrgExport, WritesLoadAddressBlocksAndBitmapAtTheirOffsets) {
    static ImageStore store;
    Image& image = store.image(1);
    image.desc = ImageDescriptor{"", 320, 200, 1, Layout::Bitmap, ColorMapKind::Normal, 0x5A, 0x3C};
    RandomizeImage(image, 1);
    std::vector<uint8_t> bytes = EncodePrg(image);
    ASSERT_EQ(bytes.size(), 10050u);
    EXPECT_EQ(bytes[0], 0x00);
    EXPECT_EQ(bytes[1], 0x18);
    EXPECT_EQ(bytes[2], image.lummap.at(0, 0, 0));
    EXPECT_EQ(bytes[2 + 40 * 3 + 7], image.lummap.at(0, 7, 3));
    EXPECT_EQ(bytes[1001], image.lummap.at(0, 39, 24));
    EXPECT_EQ(bytes[1026 + 40 * 24 + 1], image.colmap.at(0, 1, 24));
    EXPECT_EQ(bytes[2025], image.colmap.at(0, 39, 24));
    // A hires image gets zeros after its luminance block whatever its colors.
    for (std::size_t i = 1002; i < 1026; ++i) EXPECT_EQ(bytes[i], 0) << i;
    for (std::size_t i = 2026; i < 2050; ++i) EXPECT_EQ(bytes[i], 0) << i;
    // Cell byte (cx 2, cy 1, row 3): bit 7 - k is pixel (16 + k, 11).
    uint8_t expected = 0;
    for (int k = 0; k < 8; ++k) expected |= uint8_t(image.plane.at(16 + k, 11) << (7 - k));
    EXPECT_EQ(bytes[2050 + 320 * 1 + 8 * 2 + 3], expected);

    // A pixel pattern spelled out: leftmost and rightmost pixels of the first cell.
    std::fill_n(image.plane.column(0), 8, uint8_t(0));
    for (int x = 0; x < 8; ++x) image.plane.at(x, 0) = 0;
    image.plane.at(0, 0) = 1;
    image.plane.at(7, 0) = 1;
    bytes = EncodePrg(image);
    EXPECT_EQ(bytes[2050], 0x81);
}

TEST(PrgExport, MulticolorCarriesMarkerAndSwappedColors) {
    static ImageStore store;
    Image& image = store.image(1);
    image.desc =
        ImageDescriptor{"", 320, 200, 2, Layout::Bitmap, ColorMapKind::Normal, 0x71, 0x1234A5};
    RandomizeImage(image, 2);
    const std::vector<uint8_t> bytes = EncodePrg(image);
    ASSERT_EQ(bytes.size(), 10050u);
    for (std::size_t i = 1002; i < 1020; ++i) EXPECT_EQ(bytes[i], 0) << i;
    EXPECT_EQ(std::string(bytes.begin() + 1020, bytes.begin() + 1024), "MULT");
    EXPECT_EQ(bytes[1024], 0x5A);  // color3, low byte only, nibbles swapped
    EXPECT_EQ(bytes[1025], 0x17);  // color0
}

TEST(PrgExport, AnySizeLayoutOrColorMapGivesTheTopLeft320x200AndBank0) {
    static ImageStore store;
    Image& image = store.image(1);
    RandomizeImage(image, 3);
    image.desc = ImageDescriptor{"", 320, 200, 1, Layout::Bitmap, ColorMapKind::Normal, 0, 0};
    const std::vector<uint8_t> reference = EncodePrg(image);
    for (ImageDescriptor desc :
         {ImageDescriptor{"", 8, 8, 1, Layout::Bitmap, ColorMapKind::None, 0, 0},
          ImageDescriptor{"", 640, 1024, 1, Layout::Charset, ColorMapKind::Dfli, 0, 0},
          ImageDescriptor{"", 0, 0, 0, Layout::Charset2x2, ColorMapKind::Normal, 0, 0}}) {
        image.desc = desc;
        EXPECT_EQ(EncodePrg(image), reference) << desc.width << " x " << desc.height;
    }
}

TEST(PrgExport, ImportingTheExportGivesThePictureBack) {
    static ImageStore store;
    for (int pixelWidth : {1, 2}) {
        SCOPED_TRACE(pixelWidth);
        Image& source = store.image(1);
        Image& target = store.image(2);
        RandomizeImage(source, unsigned(10 + pixelWidth));
        RandomizeImage(target, 99);
        source.desc = ImageDescriptor{
            "", 400, 300, pixelWidth, Layout::Bitmap, ColorMapKind::Dfli, 0x42, 0x24};
        target.desc = ImageDescriptor{"kept", 8, 8, 1, Layout::Charset, ColorMapKind::None, 0, 0};
        const std::vector<uint8_t> bytes = EncodePrg(source);
        ASSERT_EQ(int(DecodePrg(bytes, target)), pixelWidth);  // 1 hires, 2 multicolor bitmap
        EXPECT_EQ(target.desc.width, 320);
        EXPECT_EQ(target.desc.height, 200);
        EXPECT_EQ(target.desc.pixelWidth, pixelWidth);
        EXPECT_EQ(target.desc.colorMapKind, ColorMapKind::Normal);
        EXPECT_EQ(target.desc.layout, Layout::Charset);
        if (pixelWidth == 2) {
            EXPECT_EQ(target.desc.color0, 0x42);
            EXPECT_EQ(target.desc.color3, 0x24);
        }
        int differences = 0;
        for (int x = 0; x < 320; ++x)
            for (int y = 0; y < 200; ++y)
                differences += source.plane.at(x, y) != target.plane.at(x, y);
        for (int cx = 0; cx < 40; ++cx) {
            for (int cy = 0; cy < 25; ++cy) {
                differences += source.colmap.at(0, cx, cy) != target.colmap.at(0, cx, cy);
                differences += source.lummap.at(0, cx, cy) != target.lummap.at(0, cx, cy);
            }
        }
        EXPECT_EQ(differences, 0);
        EXPECT_EQ(EncodePrg(target), bytes);
    }
}
