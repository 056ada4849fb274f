// The .PRG layouts that keep DFLI pictures and character sets: random images
// written and read back through the import, and what each layout says it
// leaves out.
#include "formats/prg_layouts.h"

#include <gtest/gtest.h>

#include <random>

#include "document/image_store.h"
#include "formats/prg_format.h"

using namespace pixolat;

namespace {

// Every pixel of the plane and every cell of every bank random.
void Randomize(Image& image, ImageDescriptor desc, unsigned seed) {
    std::mt19937 random(seed);
    image.desc = std::move(desc);
    for (std::size_t i = 0; i < kPlaneBytes; ++i) image.plane.data()[i] = uint8_t(random() & 1);
    for (std::size_t i = 0; i < kAttributeBytes; ++i) {
        image.colmap.data()[i] = uint8_t(random());
        image.lummap.data()[i] = uint8_t(random());
    }
}

// The import's reading of the file, into an image that held something else.
Image& ReadBack(ImageStore& store, const std::vector<uint8_t>& bytes, PrgFormat expected) {
    Image& back = store.image(2);
    Randomize(back, ImageDescriptor{"kept", 16, 16, 1, Layout::Bitmap, ColorMapKind::Normal, 0, 0},
              99);
    EXPECT_EQ(DecodePrg(bytes, back), expected);
    return back;
}

void ExpectSamePixels(const Image& a, const Image& b, int width, int height) {
    int differing = 0;
    for (int x = 0; x < width; ++x)
        for (int y = 0; y < height; ++y) differing += a.plane.at(x, y) != b.plane.at(x, y);
    EXPECT_EQ(differing, 0);
}

}  // namespace

TEST(PrgLayouts, RandomDfliPicturesComeBackWithEveryBankPixelAndColor) {
    static ImageStore store;
    for (const int pixelWidth : {1, 2}) {
        SCOPED_TRACE(pixelWidth);
        Image& image = store.image(1);
        Randomize(image,
                  ImageDescriptor{"", 320, 200, pixelWidth, Layout::Bitmap, ColorMapKind::Dfli,
                                  0x5A, 0x3C},
                  unsigned(pixelWidth));
        const std::vector<uint8_t> bytes = EncodePrgLayout(image, PrgLayout::Dfli);
        ASSERT_EQ(bytes.size(), pixelWidth == 1 ? 16403u : 17146u);
        const Image& back = ReadBack(
            store, bytes, pixelWidth == 1 ? PrgFormat::HiresDfli : PrgFormat::MulticolorDfli);
        EXPECT_EQ(back.desc.width, 320);
        EXPECT_EQ(back.desc.height, 200);
        EXPECT_EQ(back.desc.pixelWidth, pixelWidth);
        EXPECT_EQ(back.desc.colorMapKind, ColorMapKind::Dfli);
        ExpectSamePixels(image, back, 320, 200);
        int differing = 0;
        for (int bank = 0; bank < kBanks; ++bank)
            for (int cx = 0; cx < 40; ++cx)
                for (int cy = 0; cy < 25; ++cy)
                    differing += image.lummap.at(bank, cx, cy) != back.lummap.at(bank, cx, cy) ||
                                 image.colmap.at(bank, cx, cy) != back.colmap.at(bank, cx, cy);
        EXPECT_EQ(differing, 0);
        // Multicolor keeps its two image-wide colors; hires leaves them alone.
        EXPECT_EQ(back.desc.color0, pixelWidth == 2 ? 0x5A : 0);
        EXPECT_EQ(back.desc.color3, pixelWidth == 2 ? 0x3C : 0);
        // The program part before the data is a BASIC line that ends: 10 END.
        EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 10),
                  (std::vector<uint8_t>{0x01, 0x10, 0x07, 0x10, 10, 0, 0x80, 0, 0, 0}));
    }
}

TEST(PrgLayouts, ADfliFileFromElsewhereKeepsTheImagesColors) {
    // Without the marker the bytes where ours keeps the colors are not read.
    static ImageStore store;
    Image& image = store.image(1);
    Randomize(image,
              ImageDescriptor{"", 320, 200, 2, Layout::Bitmap, ColorMapKind::Dfli, 0x5A, 0x3C}, 7);
    std::vector<uint8_t> bytes = EncodeDfliPrg(image);
    bytes[kMulticolorDfliBase + kDfliMarkerOffset] = 'X';
    const Image& back = ReadBack(store, bytes, PrgFormat::MulticolorDfli);
    EXPECT_EQ(back.desc.color0, 0);
    EXPECT_EQ(back.desc.color3, 0);
}

TEST(PrgLayouts, AOneBankImageAsDfliShowsTheSameColorsOnEveryRow) {
    static ImageStore store;
    Image& image = store.image(1);
    Randomize(image, ImageDescriptor{"", 320, 200, 1, Layout::Bitmap, ColorMapKind::Normal, 0, 0},
              3);
    const Image& back = ReadBack(store, EncodeDfliPrg(image), PrgFormat::HiresDfli);
    int differing = 0;
    for (int bank = 0; bank < kBanks; ++bank)
        for (int cx = 0; cx < 40; ++cx)
            for (int cy = 0; cy < 25; ++cy)
                differing += back.lummap.at(bank, cx, cy) != image.lummap.at(0, cx, cy) ||
                             back.colmap.at(bank, cx, cy) != image.colmap.at(0, cx, cy);
    EXPECT_EQ(differing, 0);
    EXPECT_TRUE(PrgLeftOut(image, PrgLayout::Dfli).empty());
}

TEST(PrgLayouts, RandomCharsetsComeBackPixelForPixelInTheirLayoutsOrder) {
    static ImageStore store;
    for (const Layout layout : {Layout::Charset, Layout::Charset2x2, Layout::Bitmap}) {
        SCOPED_TRACE(int(layout));
        Image& image = store.image(1);
        Randomize(image, ImageDescriptor{"", 256, 64, 2, layout, ColorMapKind::None, 0, 0},
                  10 + unsigned(layout));
        const std::vector<uint8_t> bytes = EncodePrgLayout(image, PrgLayout::Charset);
        ASSERT_EQ(bytes.size(), 2050u);
        const bool columns = layout == Layout::Charset;
        const Image& back =
            ReadBack(store, bytes, columns ? PrgFormat::CharsetColumns : PrgFormat::CharsetRows);
        ExpectSamePixels(image, back, 256, 64);
        EXPECT_EQ(back.desc.width, 256);
        EXPECT_EQ(back.desc.height, 64);
        // Character 33 is the one at cell column 1, row 1 when listed row by
        // row; column by column it is cell column 4, row 1.
        const int cx = columns ? 4 : 1;
        uint8_t top = 0;
        for (int k = 0; k < 8; ++k) top |= uint8_t(image.plane.at(8 * cx + k, 8) << (7 - k));
        EXPECT_EQ(bytes[2 + 8 * 33], top);
        EXPECT_TRUE(PrgLeftOut(image, PrgLayout::Charset).empty());
    }
}

TEST(PrgLayouts, EachLayoutNamesWhatItLeavesOut) {
    static ImageStore store;
    Image& image = store.image(1);
    const struct {
        ImageDescriptor desc;
        PrgLayout layout;
        std::string said;
    } cases[] = {
        {{"", 320, 200, 2, Layout::Bitmap, ColorMapKind::Normal, 0, 0}, PrgLayout::Bitmap, ""},
        {{"", 320, 200, 1, Layout::Bitmap, ColorMapKind::Dfli, 0, 0},
         PrgLayout::Bitmap,
         "left out color banks 1 to 3 of the DFLI picture"},
        {{"", 640, 400, 2, Layout::Bitmap, ColorMapKind::Dfli, 0, 0},
         PrgLayout::Bitmap,
         "left out everything past 320 x 200 of the 640 x 400 image and color banks 1 to 3 of "
         "the DFLI picture"},
        {{"", 640, 400, 2, Layout::Bitmap, ColorMapKind::Dfli, 0, 0},
         PrgLayout::Dfli,
         "left out everything past 320 x 200 of the 640 x 400 image"},
        {{"", 256, 64, 2, Layout::Charset2x2, ColorMapKind::None, 0, 0},
         PrgLayout::Bitmap,
         "left out the 2x2 Charset layout"},
        {{"", 256, 128, 1, Layout::Charset, ColorMapKind::Normal, 0, 0},
         PrgLayout::Charset,
         "left out everything past 256 x 64 of the 256 x 128 image, the colors and the hires "
         "pixel width (read back as multicolor)"},
    };
    for (const auto& c : cases) {
        image.desc = c.desc;
        EXPECT_EQ(LeftOutText(PrgLeftOut(image, c.layout)), c.said);
    }
}
