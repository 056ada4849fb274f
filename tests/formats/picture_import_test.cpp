#include "formats/picture_import.h"

#include <gtest/gtest.h>

#include "document/image_store.h"
#include "document/pixels.h"

using namespace pixolat;

namespace {

Picture SolidPicture(int width, int height, uint32_t rgb) {
    Picture picture;
    picture.width = width;
    picture.height = height;
    picture.pixels.assign(std::size_t(width) * std::size_t(height), rgb);
    return picture;
}

void Prepare(Image& image, int pixelWidth) {
    image.desc =
        ImageDescriptor{"", 320, 200, pixelWidth, Layout::Bitmap, ColorMapKind::Normal, 0, 0};
    std::fill_n(image.plane.data(), kPlaneBytes, uint8_t(5));
}

}  // namespace

TEST(PictureImport, HiresTakesBit0AndMulticolorBits6And7OfRed) {
    static ImageStore store;
    Image& image = store.image(1);
    // Red in the low byte; green and blue carry bits that must not matter.
    const uint32_t reds[] = {0x00, 0x80, 0x40, 0xC0, 0x41, 0x01, 0x3F, 0xFF};
    Picture picture = SolidPicture(16, 2, 0);
    for (int i = 0; i < 8; ++i) {
        picture.at(2 * i, 0) = reds[i] | 0xFFFF00;
        picture.at(2 * i + 1, 0) = 0xC1 | 0x00FF00;  // odd columns: read in hires only
        picture.at(2 * i, 1) = reds[i];
        picture.at(2 * i + 1, 1) = 0;
    }

    Prepare(image, 2);
    ImportPicturePixels(picture, image);
    const PixelValue multicolor[] = {0, 1, 2, 3, 2, 0, 0, 3};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(PixelValueAt(image, 2 * i, 0), multicolor[i]) << std::hex << reds[i];
        EXPECT_EQ(PixelValueAt(image, 2 * i, 1), multicolor[i]) << std::hex << reds[i];
    }

    Prepare(image, 1);
    ImportPicturePixels(picture, image);
    const PixelValue hires[] = {0, 0, 0, 0, 1, 1, 1, 1};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(PixelValueAt(image, 2 * i, 0), hires[i]) << std::hex << reds[i];
        EXPECT_EQ(PixelValueAt(image, 2 * i + 1, 0), 1);
        EXPECT_EQ(PixelValueAt(image, 2 * i + 1, 1), 0);
    }
    EXPECT_EQ(image.plane.at(16, 0), 5) << "right of the picture stays";
    EXPECT_EQ(image.plane.at(0, 2), 5) << "below the picture stays";
}

TEST(PictureImport, OddWidthMulticolorLeavesTheLastColumnUnread) {
    static ImageStore store;
    Image& image = store.image(1);
    Prepare(image, 2);
    ImportPicturePixels(SolidPicture(5, 3, 0xC0), image);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(image.plane.at(x, 2), 1) << x;
    EXPECT_EQ(image.plane.at(4, 0), 5);
    EXPECT_EQ(image.plane.at(5, 0), 5);
}

TEST(PictureImport, LargePicturesAreClippedToThePlane) {
    static ImageStore store;
    Image& image = store.image(255);
    const Picture big = SolidPicture(2000, 2000, 0xFF);
    const PictureArea area = PictureImportArea(big);
    EXPECT_EQ(area.width, 640);
    EXPECT_EQ(area.height, 1024);
    for (int pixelWidth : {1, 2}) {
        Prepare(image, pixelWidth);
        ImportPicturePixels(big, image);
        EXPECT_EQ(image.plane.at(639, 1023), 1);
        EXPECT_EQ(image.plane.at(0, 0), 1);
    }
    // The next image's plane follows in memory; it must stay untouched.
    EXPECT_EQ(store.image(256).plane.at(0, 0), 0);

    // A picture whose pixel list is shorter than its size says gives only the rows it holds.
    Picture truncated = SolidPicture(10, 10, 1);
    truncated.pixels.resize(35);
    EXPECT_EQ(PictureImportArea(truncated).height, 3);
}
