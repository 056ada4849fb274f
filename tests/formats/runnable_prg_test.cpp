#include "formats/runnable_prg.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "document/errors.h"
#include "document/image_store.h"
#include "formats/prg_format.h"
#include "formats/prg_layouts.h"

using namespace pixolat;

namespace {

int Word(const std::vector<uint8_t>& bytes, std::size_t offset) {
    return bytes[offset] + 256 * bytes[offset + 1];
}

// File offset of a Plus/4 address in a file loading at $1001.
std::size_t Offset(int address) {
    return std::size_t(address - 0x1001 + 2);
}

}  // namespace

TEST(RunnablePrg, IsABasicLineCallingTheViewerFollowedByThePlainExport) {
    static ImageStore store;
    Image& image = store.image(1);
    std::mt19937 random(1);
    for (std::size_t i = 0; i < kPlaneBytes; ++i) image.plane.data()[i] = uint8_t(random() & 1);
    for (std::size_t i = 0; i < kAttributeBytes; ++i) image.lummap.data()[i] = uint8_t(random());
    for (int pixelWidth : {1, 2}) {
        SCOPED_TRACE(pixelWidth == 2 ? "multicolor" : "hires");
        image.desc = ImageDescriptor{
            "", 320, 200, pixelWidth, Layout::Bitmap, ColorMapKind::Normal, 0x12, 0x34};
        const std::vector<uint8_t> plain = EncodePrg(image);
        const std::vector<uint8_t> bytes = EncodeRunnablePrg(image);
        ASSERT_EQ(bytes.size(), kRunnablePrgSize);
        ASSERT_EQ(Word(bytes, 0), 0x1001);

        // 10 SYS nnnn: link, line number, SYS token, digits, end of line,
        // then a zero link ending the program; the viewer follows.
        const int link = Word(bytes, 2);
        EXPECT_EQ(Word(bytes, 4), 10);
        EXPECT_EQ(bytes[6], 0x9E);
        std::size_t end = 7;
        while (end < bytes.size() && bytes[end] != 0) ++end;
        const std::string digits(bytes.begin() + 7, bytes.begin() + std::ptrdiff_t(end));
        ASSERT_TRUE(!digits.empty() && digits.find_first_not_of("0123456789") == std::string::npos)
            << digits;
        EXPECT_EQ(Offset(link), end + 1) << "the link points past the line's zero";
        EXPECT_EQ(Word(bytes, Offset(link)), 0) << "one line only";
        const int sys = std::stoi(digits);
        EXPECT_GE(Offset(sys), Offset(link) + 2);
        EXPECT_LT(sys, 0x1800) << "the viewer lies before the picture";

        // From $1800 on, every byte of the plain export after its load address:
        // luminance, the MULT marker, colors at $1C00, the bitmap at $2000.
        EXPECT_TRUE(std::equal(plain.begin() + 2, plain.end(), bytes.begin() + 2049));
        EXPECT_EQ(bytes[Offset(0x1BFA)], pixelWidth == 2 ? 'M' : 0);
        EXPECT_EQ(Offset(0x2000), 2049u + 2048);
    }
}

TEST(RunnablePrg, ImportsAsThePictureItShows) {
    static ImageStore store;
    Image& image = store.image(1);
    Image& back = store.image(2);
    std::mt19937 random(2);
    for (int x = 0; x < 320; ++x)
        for (int y = 0; y < 200; ++y) image.plane.at(x, y) = uint8_t(random() & 1);
    for (int cx = 0; cx < 40; ++cx)
        for (int cy = 0; cy < 25; ++cy) {
            image.lummap.at(0, cx, cy) = uint8_t(random());
            image.colmap.at(0, cx, cy) = uint8_t(random());
        }
    for (int pixelWidth : {1, 2}) {
        SCOPED_TRACE(pixelWidth == 2 ? "multicolor" : "hires");
        image.desc = ImageDescriptor{
            "", 320, 200, pixelWidth, Layout::Bitmap, ColorMapKind::Normal, 0x12, 0x34};
        back.desc = ImageDescriptor{};
        EXPECT_EQ(DecodePrg(EncodeRunnablePrg(image), back),
                  pixelWidth == 2 ? PrgFormat::MulticolorBitmap : PrgFormat::HiresBitmap);
        EXPECT_EQ(back.desc.width, 320);
        // Pixels, bank 0 and the multicolor colors, as the plain export writes them.
        EXPECT_EQ(EncodePrg(back), EncodePrg(image));
    }
}

TEST(RunnablePrg, DfliPicturesShowThroughTheirOwnLayoutAndReadBackWhole) {
    static ImageStore store;
    Image& image = store.image(1);
    Image& back = store.image(2);
    std::mt19937 random(17);
    for (std::size_t i = 0; i < kAttributeBytes; ++i) {
        image.lummap.data()[i] = uint8_t(random());
        image.colmap.data()[i] = uint8_t(random());
    }
    for (const int pixelWidth : {1, 2}) {
        image.desc = ImageDescriptor{"",   320, 200, pixelWidth, Layout::Bitmap, ColorMapKind::Dfli,
                                     0x12, 0x34};
        const std::vector<uint8_t> bytes = EncodeRunnablePrg(image);
        // The DFLI layout with the viewer's BASIC line in front: 10 SYS ...
        ASSERT_EQ(bytes.size(), pixelWidth == 2 ? 17146u : 16403u);
        EXPECT_EQ(bytes[6], 0x9E);
        back.desc = ImageDescriptor{};
        EXPECT_EQ(DecodePrg(bytes, back),
                  pixelWidth == 2 ? PrgFormat::MulticolorDfli : PrgFormat::HiresDfli);
        // Everything the picture holds, as the DFLI export keeps it.
        EXPECT_EQ(EncodeDfliPrg(back), EncodeDfliPrg(image));
    }
}

TEST(RunnablePrg, RefusesBytesThatAreNoPlainExport) {
    static ImageStore store;
    Image& image = store.image(1);
    image.desc = ImageDescriptor{"", 320, 200, 2, Layout::Bitmap, ColorMapKind::None, 0, 0};
    std::vector<uint8_t> plain = EncodePrg(image);
    EXPECT_NO_THROW(EncodeRunnablePrg(std::span<const uint8_t>(plain)));
    plain[1] = 0x78;  // the same picture saved at $7800 would not show
    EXPECT_THROW(EncodeRunnablePrg(std::span<const uint8_t>(plain)), Error);
    plain.resize(8002);
    EXPECT_THROW(EncodeRunnablePrg(std::span<const uint8_t>(plain)), Error);
}
