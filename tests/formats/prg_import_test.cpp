#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "document/image_store.h"
#include "formats/prg_format.h"

using namespace pixolat;

namespace {

std::vector<uint8_t> RandomFile(std::size_t size, int load, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<uint8_t> file(size);
    for (uint8_t& b : file) b = uint8_t(random());
    if (size > 0) file[0] = uint8_t(load & 0xFF);
    if (size > 1) file[1] = uint8_t(load >> 8);
    return file;
}

// Bytes past the end of a short file count as 0.
uint8_t ByteAt(const std::vector<uint8_t>& file, std::size_t offset) {
    return offset < file.size() ? file[offset] : 0;
}

// Fills the image with values no file layout produces, so that what a
// decoder leaves alone can be told from what it wrote.
void MarkImage(Image& image) {
    image.desc =
        ImageDescriptor{"keep", 17, 23, 1, Layout::Charset, ColorMapKind::None, 0x12, 0x34};
    std::fill_n(image.plane.data(), kPlaneBytes, uint8_t(7));
    std::fill_n(image.colmap.data(), kAttributeBytes, uint8_t(0xEE));
    std::fill_n(image.lummap.data(), kAttributeBytes, uint8_t(0xDD));
}

int Swapped(uint8_t b) {
    return (b % 16) * 16 + b / 16;
}

// One row of the layout table: where each pixel's bit and each bank's
// attribute blocks lie in the file.
struct LayoutCase {
    const char* name;
    int load;
    std::size_t size;
    int format;
    int width, height, pixelWidth;
    ColorMapKind kind;
    std::function<std::size_t(int x, int y)> pixelByte;  // bit 7 - x mod 8 of this byte
    std::vector<std::size_t> lumOffsets;                 // per bank read; colmap 1024 later
    bool multicolorColors;
};

std::function<std::size_t(int, int)> Bitmap(std::size_t b) {
    return
        [b](int x, int y) { return b + std::size_t(y / 8) * 320 + y % 8 + std::size_t(x / 8) * 8; };
}

std::vector<LayoutCase> LayoutTable() {
    const auto rows = [](int x, int y) {
        return std::size_t(2 + (y / 8) * 256 + y % 8 + (x / 8) * 8);
    };
    const auto columns = [](int x, int y) {
        return std::size_t(2 + (x / 8) * 64 + (y / 8) * 8 + y % 8);
    };
    const auto screen = [](int x, int y) {
        const int h = y / 48, r = (y % 48) / 8, s = y % 8, c = x / 8;
        return std::size_t(2048 * h + 6 + 48 * c + 8 * r + s);
    };
    const ColorMapKind N = ColorMapKind::Normal, D = ColorMapKind::Dfli, X = ColorMapKind::None;
    return {
        {"hires $1800", 0x1800, 10050, 1, 320, 200, 1, N, Bitmap(2050), {2}, false},
        {"hires $7800 short", 0x7800, 10048, 1, 320, 200, 1, N, Bitmap(2050), {2}, false},
        {"multi $1800", 0x1800, 10050, 2, 320, 200, 2, N, Bitmap(2050), {2}, true},
        {"multi $7800 long", 0x7800, 12000, 2, 320, 200, 2, N, Bitmap(2050), {2}, true},
        {"hires any load 10049", 0x2000, 10049, 1, 320, 200, 1, N, Bitmap(2050), {2}, false},
        {"bitmap only 8002", 0x6000, 8002, 1, 320, 200, 1, N, Bitmap(2), {}, false},
        {"hires $1001", 0x1001, 10132, 1, 320, 200, 1, N, Bitmap(2132), {84}, false},
        {"multi $1001", 0x1001, 10342, 2, 320, 200, 2, N, Bitmap(2148), {100}, true},
        {"hires DFLI",
         0x1001,
         16403,
         3,
         320,
         200,
         1,
         D,
         Bitmap(8403),
         {211, 2259, 4307, 6355},
         false},
        {"multi DFLI",
         0x1001,
         17146,
         4,
         320,
         200,
         2,
         D,
         Bitmap(8554),
         {362, 2410, 4458, 6506},
         false},
        {"DFLI 16784",
         0x9999,
         16784,
         7,
         320,
         200,
         2,
         D,
         Bitmap(8192),
         {0, 2048, 4096, 6144},
         false},
        {"DFLI 16784 at $1800",
         0x1800,
         16784,
         7,
         320,
         200,
         2,
         D,
         Bitmap(8192),
         {0, 2048, 4096, 6144},
         false},
        {"charset rows", 0x3000, 2050, 5, 256, 64, 2, X, rows, {}, false},
        {"charset columns", 0x3800, 2050, 6, 256, 64, 2, X, columns, {}, false},
        {"two charsets", 0x4FFC, 4000, 8, 320, 96, 2, N, screen, {}, false},
        {"two charsets short", 0x4FFC, 3000, 8, 320, 96, 2, N, screen, {}, false},
    };
}

}  // namespace

TEST(PrgImport, EachLayoutDecodesItsPixelsBanksAndDescriptor) {
    static ImageStore store;
    Image& image = store.image(1);
    unsigned seed = 1;
    for (const LayoutCase& c : LayoutTable()) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> file = RandomFile(c.size, c.load, seed++);
        if (c.load == 0x1800 || c.load == 0x7800) file[1020] = c.format == 2 ? 0x4D : 0x4C;
        MarkImage(image);
        ASSERT_EQ(int(DecodePrg(file, image)), c.format);

        EXPECT_EQ(image.desc.width, c.width);
        EXPECT_EQ(image.desc.height, c.height);
        EXPECT_EQ(image.desc.pixelWidth, c.pixelWidth);
        EXPECT_EQ(image.desc.colorMapKind, c.kind);
        EXPECT_EQ(image.desc.layout, Layout::Charset);
        EXPECT_EQ(image.desc.name, "keep");
        EXPECT_EQ(image.desc.color3, c.multicolorColors ? Swapped(file[1024]) : 0x34);
        EXPECT_EQ(image.desc.color0, c.multicolorColors ? Swapped(file[1025]) : 0x12);

        int wrongPixels = 0;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x)
                wrongPixels +=
                    image.plane.at(x, y) != ((ByteAt(file, c.pixelByte(x, y)) >> (7 - x % 8)) & 1);
        EXPECT_EQ(wrongPixels, 0);
        EXPECT_EQ(image.plane.at(c.width, 0), 7) << "nothing right of the picture is written";
        EXPECT_EQ(image.plane.at(0, c.height), 7) << "nothing below the picture is written";

        int wrongCells = 0;
        for (int bank = 0; bank < kBanks; ++bank) {
            const bool read = std::size_t(bank) < c.lumOffsets.size();
            for (int cy = 0; cy < 25; ++cy) {
                for (int cx = 0; cx < 40; ++cx) {
                    const std::size_t cell =
                        read ? c.lumOffsets[bank] + std::size_t(40 * cy + cx) : 0;
                    wrongCells +=
                        image.lummap.at(bank, cx, cy) != (read ? ByteAt(file, cell) : 0xDD);
                    wrongCells +=
                        image.colmap.at(bank, cx, cy) != (read ? ByteAt(file, cell + 1024) : 0xEE);
                }
            }
            EXPECT_EQ(image.lummap.at(bank, 40, 0), 0xDD);
            EXPECT_EQ(image.colmap.at(bank, 0, 25), 0xEE);
        }
        EXPECT_EQ(wrongCells, 0);
    }
}

TEST(PrgImport, BitsAndCellsSitWhereThePlus4KeepsThem) {
    // A hand-made file: luminance at $1800, colors at $1C00, bitmap at $2000.
    std::vector<uint8_t> file(10050, 0);
    file[0] = 0x00;
    file[1] = 0x18;
    file[2050] = 0x80;        // cell (0,0) row 0: leftmost pixel
    file[2050 + 1] = 0x01;    // cell (0,0) row 1: pixel 7
    file[2050 + 8] = 0x40;    // cell (1,0) row 0: pixel 9
    file[2050 + 320] = 0x80;  // cell (0,1) row 0: pixel (0,8)
    file[2 + 41] = 0x5A;      // luminance of cell (1,1)
    file[1026 + 39] = 0xA5;   // color of cell (39,0)
    static ImageStore store;
    Image& image = store.image(0);
    ASSERT_EQ(int(DecodePrg(file, image)), 1);
    EXPECT_EQ(image.plane.at(0, 0), 1);
    EXPECT_EQ(image.plane.at(1, 0), 0);
    EXPECT_EQ(image.plane.at(7, 1), 1);
    EXPECT_EQ(image.plane.at(6, 1), 0);
    EXPECT_EQ(image.plane.at(9, 0), 1);
    EXPECT_EQ(image.plane.at(0, 8), 1);
    EXPECT_EQ(image.lummap.at(0, 1, 1), 0x5A);
    EXPECT_EQ(image.colmap.at(0, 39, 0), 0xA5);
}

TEST(PrgImport, RecognitionFollowsTheTestOrder) {
    struct Case {
        int load;
        std::size_t size;
        int format;
        std::size_t base;
    };
    const Case cases[] = {
        {0x4FFC, 16784, 7, 0},                         // the size test comes after the $4FFC test
        {0x1001, 16784, 7, 0}, {0x1800, 16784, 7, 2},  // format 7 keeps the base of the $1800 test
        {0x4FFC, 2050, 5, 2},                          // character sets win over $4FFC
        {0x3800, 2050, 6, 2},  {0x4FFC, 8002, 8, 2},   // 8002 bytes is a bitmap except at $4FFC
        {0x4FFC, 10050, 8, 0}, {0x1234, 8002, 1, 2},  {0x1234, 10048, 1, 2}, {0x1234, 10049, 1, 2},
        {0x1234, 10050, 0, 0}, {0x1001, 10048, 1, 2}, {0x1002, 10132, 0, 0}, {0x1800, 600001, 1, 2},
        {0x1800, 10047, 0, 0}, {0x3800, 2051, 0, 0},  {0x0000, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.load << std::dec << " " << c.size);
        std::vector<uint8_t> file(c.size, 0);
        if (c.size > 1) {
            file[0] = uint8_t(c.load & 0xFF);
            file[1] = uint8_t(c.load >> 8);
        }
        const PrgRecognition r = RecognizePrg(file);
        EXPECT_EQ(int(r.format), c.format);
        EXPECT_EQ(r.base, c.base);
    }
    // The multicolor marker only counts at $1800 and $7800.
    std::vector<uint8_t> marked(10050, 0);
    marked[1] = 0x18;
    marked[1020] = 'M';
    EXPECT_EQ(int(RecognizePrg(marked).format), 2);
    marked[1] = 0x19;
    EXPECT_EQ(int(RecognizePrg(marked).format), 0);
    marked.resize(10049);
    EXPECT_EQ(int(RecognizePrg(marked).format), 1);
}

TEST(PrgImport, UnknownFilesAndShortFilesAreSafe) {
    static ImageStore store;
    Image& image = store.image(2);
    MarkImage(image);
    const std::vector<uint8_t> unknown = RandomFile(5000, 0x1234, 9);
    EXPECT_EQ(int(DecodePrg(unknown, image)), 0);
    EXPECT_EQ(image.desc.width, 17);
    EXPECT_EQ(image.plane.at(0, 0), 7);
    EXPECT_EQ(image.lummap.at(0, 0, 0), 0xDD);

    // A 10048-byte bitmap lacks its last two bytes: those rows read as 0.
    std::vector<uint8_t> file(10048, 0xFF);
    file[0] = 0x00;
    file[1] = 0x18;
    file[1020] = 0;
    ASSERT_EQ(int(DecodePrg(file, image)), 1);
    for (int x = 312; x < 320; ++x) {
        EXPECT_EQ(image.plane.at(x, 197), 1);
        EXPECT_EQ(image.plane.at(x, 198), 0);
        EXPECT_EQ(image.plane.at(x, 199), 0);
    }
}

TEST(PrgImport, RandomFilesOfEverySizeDecodeWithinTheirBounds) {
    static ImageStore store;
    Image& image = store.image(3);
    // Each size reads its own window of one random pool, so load addresses
    // and contents differ from size to size.
    const std::vector<uint8_t> pool = RandomFile(40000, 0, 5);
    int recognised = 0;
    for (std::size_t size = 0; size <= 20000; ++size) {
        const std::size_t start = (size * 7919) % 20000;
        recognised += DecodePrg(std::span(pool).subspan(start, size), image) != PrgFormat::Unknown;
    }
    EXPECT_GT(recognised, 0);
    std::vector<uint8_t> file;
    // Every load address that means something, at the sizes around each
    // layout's own and a spread of others.
    std::vector<std::size_t> sizes;
    for (std::size_t size = 0; size <= 40; ++size) sizes.push_back(size);
    for (std::size_t exact :
         {1020, 1026, 2050, 8002, 8194, 10048, 10050, 10132, 10342, 16403, 16784, 17146})
        for (std::size_t size = exact - 3; size <= exact + 3; ++size) sizes.push_back(size);
    for (std::size_t size = 41; size <= 20000; size += 997) sizes.push_back(size);
    for (int load : {0x1800, 0x7800, 0x1001, 0x3800, 0x4FFC}) {
        for (std::size_t size : sizes) {
            file = RandomFile(size, load, unsigned(size));
            DecodePrg(file, image);
        }
    }
    EXPECT_LE(image.desc.width, kPlaneWidth);
}
