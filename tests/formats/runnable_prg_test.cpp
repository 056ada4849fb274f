#include "formats/runnable_prg.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "document/errors.h"
#include "document/image_store.h"
#include "formats/prg_format.h"

using namespace pixolat;

namespace {

void RandomImage(Image& image, int pixelWidth, unsigned seed) {
    std::mt19937 random(seed);
    image.desc = ImageDescriptor{"",
                                 320,
                                 200,
                                 pixelWidth,
                                 Layout::Bitmap,
                                 ColorMapKind::Normal,
                                 int(random() & 0x7F),
                                 int(random() & 0x7F)};
    for (std::size_t i = 0; i < kPlaneBytes; ++i) image.plane.data()[i] = uint8_t(random() & 1);
    for (std::size_t i = 0; i < kAttributeBytes; ++i) {
        image.colmap.data()[i] = uint8_t(random());
        image.lummap.data()[i] = uint8_t(random());
    }
}

int Word(const std::vector<uint8_t>& bytes, std::size_t offset) {
    return bytes[offset] + 256 * bytes[offset + 1];
}

// File offset of a Plus/4 address in a file loading at $1001.
std::size_t Offset(int address) {
    return std::size_t(address - kRunnableLoadAddress + 2);
}

}  // namespace

TEST(RunnablePrg, IsABasicLineCallingTheViewerFollowedByThePlainExport) {
    static ImageStore store;
    for (int pixelWidth : {1, 2}) {
        Image& image = store.image(1);
        RandomImage(image, pixelWidth, unsigned(pixelWidth));
        const std::vector<uint8_t> plain = EncodePrg(image);
        const std::vector<uint8_t> bytes = EncodeRunnablePrg(image);
        SCOPED_TRACE(pixelWidth == 2 ? "multicolor" : "hires");
        ASSERT_EQ(bytes.size(), kRunnablePrgSize);
        ASSERT_EQ(Word(bytes, 0), 0x1001);

        // 10 SYS nnnn: link, line number, SYS token, digits, end of line,
        // then a zero link ending the program.
        const int link = Word(bytes, 2);
        EXPECT_EQ(Word(bytes, 4), 10);
        EXPECT_EQ(bytes[6], 0x9E);
        std::string digits;
        std::size_t i = 7;
        while (i < bytes.size() && bytes[i] != 0) digits += char(bytes[i++]);
        ASSERT_FALSE(digits.empty());
        ASSERT_TRUE(digits.find_first_not_of("0123456789") == std::string::npos) << digits;
        EXPECT_EQ(Offset(link), i + 1) << "the link points past the line's zero";
        EXPECT_EQ(Word(bytes, Offset(link)), 0) << "one line only";
        const int sys = std::stoi(digits);
        EXPECT_GE(Offset(sys), Offset(link) + 2) << "the viewer follows the program";
        EXPECT_LT(sys, 0x1800) << "the viewer lies before the picture";
        EXPECT_EQ(bytes[Offset(sys)], 0x78) << "the viewer starts with SEI";

        // From $1800 on, every byte of the plain export after its load address.
        ASSERT_EQ(Offset(0x1800), 2049u);
        EXPECT_TRUE(std::equal(plain.begin() + 2, plain.end(), bytes.begin() + 2049));
        EXPECT_EQ(Offset(0x1C00), 2049u + 1024);
        EXPECT_EQ(bytes[Offset(0x1BFA)], pixelWidth == 2 ? 'M' : 0);
        EXPECT_EQ(bytes[Offset(0x2000)], plain[2050]);
        EXPECT_EQ(bytes.back(), plain.back());
    }
}

TEST(RunnablePrg, RefusesDfliImagesAndBytesThatAreNoPlainExport) {
    static ImageStore store;
    Image& image = store.image(1);
    RandomImage(image, 2, 3);
    image.desc.colorMapKind = ColorMapKind::Dfli;
    EXPECT_FALSE(CanExportRunnable(image));
    try {
        EncodeRunnablePrg(image);
        FAIL() << "a DFLI image was exported";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), kRunnableDfliMessage);
    }
    image.desc.colorMapKind = ColorMapKind::None;
    EXPECT_TRUE(CanExportRunnable(image));

    std::vector<uint8_t> plain = EncodePrg(image);
    EXPECT_NO_THROW(EncodeRunnablePrg(std::span<const uint8_t>(plain)));
    plain[1] = 0x78;  // the same picture saved at $7800 would not show
    EXPECT_THROW(EncodeRunnablePrg(std::span<const uint8_t>(plain)), Error);
    plain.resize(8002);
    EXPECT_THROW(EncodeRunnablePrg(std::span<const uint8_t>(plain)), Error);
}
