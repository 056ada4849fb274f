#include "formats/picture_files.h"

#include <gtest/gtest.h>

#include <random>

#include "document/errors.h"
#include "formats/zlib_stream.h"

using namespace pixolat;

namespace {

#include "formats/png_samples.inc"

uint32_t Rgb(int r, int g, int b) {
    return uint32_t(r) | uint32_t(g) << 8 | uint32_t(b) << 16;
}

Picture RandomPicture(int width, int height, unsigned seed) {
    std::mt19937 random(seed);
    Picture picture;
    picture.width = width;
    picture.height = height;
    picture.pixels.resize(std::size_t(width) * std::size_t(height));
    for (uint32_t& p : picture.pixels) p = random() & 0xFFFFFF;
    return picture;
}

void ExpectSamePixels(const Picture& a, const Picture& b) {
    ASSERT_EQ(a.width, b.width);
    ASSERT_EQ(a.height, b.height);
    EXPECT_EQ(a.pixels, b.pixels);
}

// Flips bytes of a valid file at random; every result must decode or fail
// with an error, never read outside the file.
template <class Decode>
void MutationsFailCleanly(const std::vector<uint8_t>& valid, Decode decode) {
    std::mt19937 random(7);
    int refused = 0;
    for (int round = 0; round < 3000; ++round) {
        std::vector<uint8_t> bytes = valid;
        const int flips = 1 + int(random() % 4);
        for (int i = 0; i < flips; ++i) bytes[random() % bytes.size()] = uint8_t(random());
        if (round % 3 == 0) bytes.resize(random() % bytes.size());
        try {
            decode(bytes);
        } catch (const Error&) {
            ++refused;
        }
    }
    EXPECT_GT(refused, 0);
}

}  // namespace

TEST(ZlibStream, ChecksumsAndInflateMatchAnIndependentEncoder) {
    const std::string text = "123456789";
    const std::vector<uint8_t> digits(text.begin(), text.end());
    EXPECT_EQ(Crc32(digits), 0xCBF43926u);
    EXPECT_EQ(Adler32(digits), 0x091E01DEu);

    std::string expected;
    for (int i = 0; i < 40; ++i) expected += "The quick brown fox jumps over the lazy dog. ";
    const std::vector<uint8_t> out = ZlibDecompress(kDeflatedText, 1 << 20);
    EXPECT_EQ(std::string(out.begin(), out.end()), expected);
    EXPECT_THROW(ZlibDecompress(kDeflatedText, expected.size() - 1), Error);

    // Stored blocks, across the 65535-byte block limit, read back by the inflater.
    std::vector<uint8_t> big(150000);
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = uint8_t(i * 7 / 3);
    EXPECT_EQ(ZlibDecompress(ZlibStore(big), big.size()), big);
    EXPECT_EQ(ZlibDecompress(ZlibStore({}), 0), std::vector<uint8_t>{});
}

TEST(PngFile, ReadsEveryColorTypeFilterAndInterlacing) {
    Picture rgb = DecodePng(kRgbPng);
    ASSERT_EQ(rgb.width, 13);
    ASSERT_EQ(rgb.height, 7);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 13; ++x)
            ASSERT_EQ(rgb.at(x, y),
                      Rgb((x * 37 + y * 11) & 255, (x * y * 5) & 255, ((x + y * 3) * 7) & 255))
                << x << "," << y;

    const uint32_t palette[4] = {Rgb(0, 0, 0), Rgb(255, 0, 0), Rgb(0, 255, 0), Rgb(10, 20, 30)};
    Picture indexed = DecodePng(kPalettePng);
    ASSERT_EQ(indexed.width, 13);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 13; ++x)
            ASSERT_EQ(indexed.at(x, y), palette[(x + 2 * y) % 4]) << x << "," << y;

    Picture gray = DecodePng(kGrayPng);
    ASSERT_EQ(gray.width, 11);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 11; ++x) ASSERT_EQ(gray.at(x, y), (x + y) % 2 ? 0xFFFFFFu : 0u);

    Picture deep = DecodePng(kRgba16Png);
    ASSERT_EQ(deep.width, 5);
    ASSERT_EQ(deep.height, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            ASSERT_EQ(deep.at(x, y),
                      Rgb((x * 37 + y * 11) & 255, (x * y * 5) & 255, ((x + y * 3) * 7) & 255));
}

TEST(PngFile, WrittenPicturesReadBackAndDamageIsRefused) {
    for (int width : {1, 7, 320}) {
        const Picture picture = RandomPicture(width, 9, unsigned(width));
        ExpectSamePixels(DecodePng(EncodePng(picture)), picture);
    }
    const std::vector<uint8_t> valid = EncodePng(RandomPicture(6, 5, 1));
    std::vector<uint8_t> badCrc = valid;
    badCrc[20] ^= 1;
    EXPECT_THROW(DecodePng(badCrc), Error);
    EXPECT_THROW(DecodePng(std::vector<uint8_t>(valid.begin(), valid.end() - 13)), Error);
    EXPECT_THROW(DecodePng(std::vector<uint8_t>{}), Error);
    MutationsFailCleanly(kPalettePng, [](const std::vector<uint8_t>& b) { DecodePng(b); });
    MutationsFailCleanly(kRgbPng, [](const std::vector<uint8_t>& b) { DecodePng(b); });
}

namespace {

// A bitmap with a 40-byte header; pixel data laid out by the caller.
std::vector<uint8_t> MakeBmp(int width, int height, int bits, const std::vector<uint32_t>& palette,
                             const std::vector<uint8_t>& pixelData, uint32_t compression = 0,
                             const std::vector<uint32_t>& masks = {}) {
    std::vector<uint8_t> out;
    const auto u16 = [&](uint32_t v) { out.push_back(uint8_t(v)), out.push_back(uint8_t(v >> 8)); };
    const auto u32 = [&](uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); };
    const uint32_t offset = 54 + 4 * uint32_t(palette.size() + masks.size());
    out = {'B', 'M'};
    u32(offset + uint32_t(pixelData.size()));
    u32(0);
    u32(offset);
    u32(40);
    u32(uint32_t(width));
    u32(uint32_t(height));
    u16(1);
    u16(uint32_t(bits));
    u32(compression);
    u32(uint32_t(pixelData.size()));
    u32(0), u32(0), u32(uint32_t(palette.size())), u32(0);
    for (uint32_t m : masks) u32(m);
    for (uint32_t c : palette) u32(c);  // stored blue, green, red, 0
    out.insert(out.end(), pixelData.begin(), pixelData.end());
    return out;
}

}  // namespace

TEST(BmpFile, ReadsPalettedAndTrueColorBitmaps) {
    // 1 bit, 10 x 2, bottom-up: the first stored row is the bottom one.
    const std::vector<uint8_t> mono =
        MakeBmp(10, 2, 1, {0x000000, 0xFF8040}, {0b10000000, 0b01000000, 0, 0, 0xFF, 0xC0, 0, 0});
    Picture p = DecodeBmp(mono);
    ASSERT_EQ(p.width, 10);
    // Palette entry 1 is stored blue $40, green $80, red $FF.
    for (int x = 0; x < 10; ++x) EXPECT_EQ(p.at(x, 0), 0x4080FFu) << x;
    EXPECT_EQ(p.at(0, 1), 0x4080FFu);
    EXPECT_EQ(p.at(1, 1), 0u);
    EXPECT_EQ(p.at(8, 1), 0u);
    EXPECT_EQ(p.at(9, 1), 0x4080FFu);

    // 4 bit, 3 x 1: nibbles left pixel first.
    p = DecodeBmp(MakeBmp(3, 1, 4, {0x000001, 0x000002, 0x000003}, {0x21, 0x00, 0, 0}));
    EXPECT_EQ(p.at(0, 0), 0x030000u);
    EXPECT_EQ(p.at(1, 0), 0x020000u);
    EXPECT_EQ(p.at(2, 0), 0x010000u);

    // 8 bit, top-down (negative height).
    p = DecodeBmp(MakeBmp(2, -2, 8, {0x0000AA, 0x00BB00}, {0, 1, 0, 0, 1, 1, 0, 0}));
    EXPECT_EQ(p.height, 2);
    EXPECT_EQ(p.at(0, 0), 0xAA0000u);
    EXPECT_EQ(p.at(1, 0), 0x00BB00u);
    EXPECT_EQ(p.at(0, 1), 0x00BB00u);

    // 32 bit plain and with bit fields in another order; 16 bit 5-5-5.
    p = DecodeBmp(MakeBmp(1, 1, 32, {}, {0x30, 0x20, 0x10, 0x00}));
    EXPECT_EQ(p.at(0, 0), Rgb(0x10, 0x20, 0x30));
    p = DecodeBmp(
        MakeBmp(1, 1, 32, {}, {0x10, 0x20, 0x30, 0x40}, 3, {0x000000FF, 0x0000FF00, 0x00FF0000}));
    EXPECT_EQ(p.at(0, 0), Rgb(0x10, 0x20, 0x30));
    p = DecodeBmp(MakeBmp(1, 1, 16, {}, {0x00, 0x7C, 0, 0}));
    EXPECT_EQ(p.at(0, 0), Rgb(255, 0, 0));
}

TEST(BmpFile, WrittenPicturesReadBackAndDamageIsRefused) {
    for (int width : {1, 2, 3, 4, 5, 641}) {
        const Picture picture = RandomPicture(width, 3, unsigned(width));
        const std::vector<uint8_t> bytes = EncodeBmp(picture);
        EXPECT_EQ(bytes.size(), 54 + (std::size_t(width) * 3 + 3) / 4 * 4 * 3);
        ExpectSamePixels(DecodeBmp(bytes), picture);
    }
    const std::vector<uint8_t> valid = EncodeBmp(RandomPicture(5, 4, 3));
    EXPECT_THROW(DecodeBmp(std::vector<uint8_t>(valid.begin(), valid.end() - 1)), Error);
    EXPECT_THROW(DecodeBmp(MakeBmp(1, 1, 8, {}, {0, 0, 0, 0}, 1)), Error);  // RLE
    EXPECT_THROW(DecodeBmp(MakeBmp(100000, 100000, 24, {}, {})), Error);
    MutationsFailCleanly(valid, [](const std::vector<uint8_t>& b) { DecodeBmp(b); });
    MutationsFailCleanly(MakeBmp(10, 2, 1, {0, 0xFFFFFF}, std::vector<uint8_t>(8, 0x5A)),
                         [](const std::vector<uint8_t>& b) { DecodeBmp(b); });
}
