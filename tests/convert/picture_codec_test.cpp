#include "app/picture/picture_codec.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QTemporaryDir>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "document/errors.h"

using namespace pixolat;

namespace {

std::string ErrorOf(const std::string& path) {
    try {
        ReadPictureFile(path, 640, 1024);
    } catch (const Error& e) {
        return e.text();
    }
    return "";
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

void Put32(std::vector<uint8_t>& bytes, std::size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + std::size_t(i)] = uint8_t(v >> (8 * i));
}

// A 4 x 2 bitmap of 8 bits per pixel, run-length encoded: row 0 (the bottom
// row) is four pixels of color 1, row 1 two of color 2 and two of color 0.
std::vector<uint8_t> RleBitmap() {
    std::vector<uint8_t> bytes(54 + 3 * 4, 0);
    const uint8_t data[] = {4, 1, 0, 0, 2, 2, 2, 0, 0, 1};
    bytes[0] = 'B';
    bytes[1] = 'M';
    Put32(bytes, 10, uint32_t(bytes.size()));  // pixel data offset
    Put32(bytes, 14, 40);
    Put32(bytes, 18, 4);
    Put32(bytes, 22, 2);
    bytes[26] = 1;
    bytes[28] = 8;
    bytes[30] = 1;  // BI_RLE8
    Put32(bytes, 34, sizeof data);
    Put32(bytes, 46, 3);
    const uint8_t palette[] = {0, 0, 0, 0, 0, 0, 0x41, 0, 0, 0, 0x80, 0};  // blue, green, red, 0
    std::memcpy(bytes.data() + 54, palette, sizeof palette);
    bytes.insert(bytes.end(), data, data + sizeof data);
    Put32(bytes, 2, uint32_t(bytes.size()));
    return bytes;
}

// A PNG header that claims a size; the pixel data never comes.
std::vector<uint8_t> PngHeaderOnly(uint32_t width, uint32_t height) {
    QImage tiny(1, 1, QImage::Format_RGBX64);
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        tiny.save(&buffer, "PNG");
    }
    std::vector<uint8_t> bytes(png.begin(), png.end());
    for (int i = 0; i < 4; ++i) {
        bytes[16 + std::size_t(i)] = uint8_t(width >> (24 - 8 * i));
        bytes[20 + std::size_t(i)] = uint8_t(height >> (24 - 8 * i));
    }
    uint32_t crc = 0xFFFFFFFFu;  // over the chunk type and data of IHDR
    for (std::size_t i = 12; i < 29; ++i) {
        crc ^= bytes[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    crc = ~crc;
    for (int i = 0; i < 4; ++i) bytes[29 + std::size_t(i)] = uint8_t(crc >> (24 - 8 * i));
    return bytes;
}

}  // namespace

TEST(PictureCodec, ReadsEveryKindWithRedInTheLowByte) {
    QTemporaryDir dir;
    QImage image(6, 3, QImage::Format_RGB32);
    image.fill(qRgb(0, 0, 0));
    image.setPixel(1, 0, qRgb(0xC0, 0x20, 0x10));
    image.setPixel(5, 2, qRgb(0x40, 0xFF, 0x80));
    for (const char* format : {"png", "bmp", "ppm", "xpm"}) {
        SCOPED_TRACE(format);
        const std::string path = dir.filePath(QString("in.") + format).toStdString();
        ASSERT_TRUE(image.save(QString::fromStdString(path), format));
        const Picture picture = ReadPictureFile(path, 640, 1024);
        ASSERT_EQ(picture.width, 6);
        ASSERT_EQ(picture.height, 3);
        EXPECT_EQ(picture.at(1, 0), 0xC0u | 0x20u << 8 | 0x10u << 16);
        EXPECT_EQ(picture.at(5, 2), 0x40u | 0xFFu << 8 | 0x80u << 16);
    }
    // JPEG is lossy: the shape survives, exact values do not.
    QImage halves(16, 16, QImage::Format_RGB32);
    halves.fill(qRgb(0, 0, 0));
    for (int y = 0; y < 16; ++y)
        for (int x = 8; x < 16; ++x) halves.setPixel(x, y, qRgb(255, 255, 255));
    const std::string jpeg = dir.filePath("in.jpg").toStdString();
    ASSERT_TRUE(halves.save(QString::fromStdString(jpeg), "jpg", 100));
    const Picture picture = ReadPictureFile(jpeg, 640, 1024);
    EXPECT_LT(picture.at(2, 8) & 0xFF, 16u);
    EXPECT_GT(picture.at(13, 8) & 0xFF, 240u);

    const std::string rle = dir.filePath("rle.bmp").toStdString();
    WriteBytes(rle, RleBitmap());
    const Picture runs = ReadPictureFile(rle, 640, 1024);
    ASSERT_EQ(runs.width, 4);
    ASSERT_EQ(runs.height, 2);
    EXPECT_EQ(runs.at(3, 1), 0x41u);  // bottom row: color 1
    EXPECT_EQ(runs.at(1, 0), 0x80u);  // top row: color 2, then color 0
    EXPECT_EQ(runs.at(2, 0), 0u);

    // The converter reads both through the same code.
    const auto convert = [&](const std::string& options) {
        const std::string out = dir.filePath("out.prg").toStdString();
        const std::string command =
            std::string(PIXOLAT_CONVERT_PROGRAM) + " " + options + " " + out;
        EXPECT_EQ(std::system(command.c_str()), 0) << options;
        std::ifstream in(out, std::ios::binary);
        return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    };
    // Hires, bit 0 of red: the bottom row ($41) is set, the top row ($80, 0) not.
    std::vector<uint8_t> prg = convert(rle);
    ASSERT_EQ(prg.size(), 10050u);
    EXPECT_EQ(prg[2050], 0x00);
    EXPECT_EQ(prg[2051], 0xF0);
    // Multicolor, bits 6 and 7 of red: black is 0, white 3.
    prg = convert("--multicolor " + jpeg);
    ASSERT_EQ(prg.size(), 10050u);
    EXPECT_EQ(prg[2050 + 4], 0x00);
    EXPECT_EQ(prg[2050 + 8 + 4], 0xFF);
}

TEST(PictureCodec, KeepsOnlyTheUsedCornerAndRefusesHugePicturesByTheirSize) {
    QTemporaryDir dir;
    QImage wide(700, 1100, QImage::Format_RGB32);
    wide.fill(qRgb(1, 0, 0));
    wide.setPixel(639, 1023, qRgb(7, 0, 0));
    const std::string path = dir.filePath("wide.png").toStdString();
    ASSERT_TRUE(wide.save(QString::fromStdString(path)));
    PictureSize size;
    const Picture corner = ReadPictureFile(path, 640, 1024, &size);
    EXPECT_EQ(corner.width, 640);
    EXPECT_EQ(corner.height, 1024);
    EXPECT_EQ(corner.pixels.size(), 640u * 1024u);
    EXPECT_EQ(corner.at(639, 1023), 7u);
    EXPECT_EQ(size.width, 700);
    EXPECT_EQ(size.height, 1100);

    // 8192 x 8192 at 16 bits per sample would take 512 MB, and its used
    // corner 3 MB more: refused before anything is decoded, with the size,
    // not as a damaged file.
    const std::string huge = dir.filePath("huge.png").toStdString();
    WriteBytes(huge, PngHeaderOnly(8192, 8192));
    EXPECT_EQ(ErrorOf(huge), "Cannot load picture \"" + huge +
                                 "\". It is 8192 \u00D7 8192 pixels and would take 515 MB to "
                                 "decode; pictures that take up to 96 MB are read.");
    const std::string broken = dir.filePath("broken.png").toStdString();
    WriteBytes(broken, {0x89, 'P', 'N', 'G'});
    EXPECT_EQ(ErrorOf(broken).rfind("Cannot load picture \"" + broken + "\". ", 0), 0u);
}

TEST(PictureCodec, WritesPngAndBmpThatReadBackExactly) {
    QTemporaryDir dir;
    Picture picture;
    picture.width = 5;
    picture.height = 3;
    for (int i = 0; i < 15; ++i) picture.pixels.push_back(uint32_t(i * 0x0F0D0B) & 0xFFFFFF);
    for (PictureFileType type : {PictureFileType::Png, PictureFileType::Bmp}) {
        const std::vector<uint8_t> bytes = EncodePictureFile(picture, type);
        ASSERT_GE(bytes.size(), 2u);
        EXPECT_EQ(bytes[0], type == PictureFileType::Png ? 0x89 : 'B');
        const std::string path = dir.filePath("out").toStdString();
        WriteBytes(path, bytes);
        const Picture back = ReadPictureFile(path, 640, 1024);
        EXPECT_EQ(back.width, 5);
        EXPECT_EQ(back.pixels, picture.pixels);
    }
}
