#include "formats/source_text.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "document/errors.h"
#include "document/pixels.h"

using namespace pixolat;

namespace {

std::string Line(std::vector<int> values) {
    static const char* kDigits = "0123456789ABCDEF";
    std::string s = "\tDB ";
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0) s += ',';
        s += '$';
        s += kDigits[(values[i] >> 4) & 15];
        s += kDigits[values[i] & 15];
    }
    return s + "\r\n";
}

struct Fixture {
    std::unique_ptr<ImageStore> store = std::make_unique<ImageStore>();
    EditorState state;
    Fixture() { SetUpDefaultImage(*store); }
    Image& image(int i) { return store->image(i); }
    Image& Define(int i, std::string name, int w, int h, int pw, Layout layout, ColorMapKind kind) {
        Image& im = image(i);
        im.desc.name = std::move(name);
        im.desc.width = w;
        im.desc.height = h;
        im.desc.pixelWidth = pw;
        im.desc.layout = layout;
        im.desc.colorMapKind = kind;
        ResetImageColors(im);
        return im;
    }
    SourceLoadResult Load(const std::string& text) { return LoadSourceText(*store, state, text); }
};

// Sets pixel row y of the cell at (x0, y) from the bits of v, leftmost bit first.
void SetCellRow(Image& image, int x0, int y, int v) {
    for (int k = 0; k < 8; ++k) image.plane.at(x0 + k, y) = uint8_t((v >> (7 - k)) & 1);
}

int CellRow(const Image& image, int x0, int y) {
    int v = 0;
    for (int k = 0; k < 8; ++k) v = v * 2 + image.plane.at(x0 + k, y);
    return v;
}

std::string LoadError(Fixture& f, const std::string& text) {
    try {
        f.Load(text);
    } catch (const Error& e) {
        return e.what();
    }
    return "no error";
}

}  // namespace

TEST(SaveSourceText, WritesHeaderPixelsAndColorMapOfASmallNormalBitmap) {
    Fixture f;
    f.image(0).desc.width = 0;  // the default image stays out of the text
    Image& im = f.Define(3, "Logo", 8, 8, 1, Layout::Bitmap, ColorMapKind::Normal);
    for (int r = 0; r < 8; ++r) SetCellRow(im, 0, r, 0x80 >> r);
    im.lummap.at(0, 0, 0) = 0x12;
    im.colmap.at(0, 0, 0) = 0xA5;
    EXPECT_EQ(SaveSourceText(*f.store), "Logo\t; 8*8 h\r\n" +
                                            Line({0x80, 0x40, 0x20, 0x10, 8, 4, 2, 1}) + "\r\n" +
                                            Line({0x12}) + Line({0xA5}));
}

TEST(SaveSourceText, ListsCellsInTheOrderOfEachLayout) {
    Fixture f;
    f.image(0).desc.width = 0;
    // Cell (cx, cy) holds the value 16 * cx + cy in every pixel row.
    const auto fill = [](Image& im) {
        for (int cx = 0; cx < 4; ++cx)
            for (int y = 0; y < 32; ++y) SetCellRow(im, cx * 8, y, 16 * cx + y / 8);
    };
    fill(f.Define(0, "Bits", 16, 16, 2, Layout::Bitmap, ColorMapKind::None));
    fill(f.Define(1, "Chars", 16, 16, 1, Layout::Charset, ColorMapKind::None));
    fill(f.Define(2, "Quads", 32, 32, 2, Layout::Charset2x2, ColorMapKind::None));
    const auto cell = [](int v) { return Line(std::vector<int>(8, v)); };
    std::string expected =
        "Bits\t; 16*16 m none\r\n" + cell(0x00) + cell(0x10) + "\r\n" + cell(0x01) + cell(0x11);
    expected += "Chars\t; 16*16 h none charset\r\n" + cell(0x00) + cell(0x01) + "\r\n" +
                cell(0x10) + cell(0x11);
    // Quarters: every block's top-left cell, then top-right, bottom-left, bottom-right.
    expected += "Quads\t; 32*32 m none 2x2charset\r\n" + cell(0x00) + cell(0x20) + cell(0x02) +
                cell(0x22) + "\r\n" + cell(0x10) + cell(0x30) + cell(0x12) + cell(0x32) + "\r\n" +
                cell(0x01) + cell(0x21) + cell(0x03) + cell(0x23) + "\r\n" + cell(0x11) +
                cell(0x31) + cell(0x13) + cell(0x33);
    EXPECT_EQ(SaveSourceText(*f.store), expected);
}

TEST(SaveSourceText, WritesDfliBanksAndEndsPartLines) {
    Fixture f;
    f.image(0).desc.width = 0;
    Image& im = f.Define(7, "", 24, 1, 1, Layout::Charset, ColorMapKind::Dfli);
    for (int bank = 0; bank < 4; ++bank)
        for (int cx = 0; cx < 3; ++cx) {
            im.lummap.at(bank, cx, 0) = uint8_t(0x10 * bank + cx);
            im.colmap.at(bank, cx, 0) = uint8_t(0x80 + 0x10 * bank + cx);
        }
    // Cells past the bottom edge are written whole, from the plane below the image.
    im.plane.at(0, 7) = 1;
    std::string expected = "\t; 24*1 h dfli charset\r\n" + Line({0, 0, 0, 0, 0, 0, 0, 0x80}) +
                           "\r\n" + Line(std::vector<int>(8, 0)) + "\r\n" +
                           Line(std::vector<int>(8, 0));
    // Only a full line leaves an empty line behind it.
    expected += "\r\n";
    for (int bank = 0; bank < 4; ++bank) {
        const int b = 0x10 * bank;
        expected += Line({b, b + 1, b + 2}) + Line({0x80 + b, 0x81 + b, 0x82 + b});
    }
    EXPECT_EQ(SaveSourceText(*f.store), expected);
}

TEST(SaveSourceText, SkipsEmptyImagesAndSavesNeverUsedPixelWidthAsHires) {
    Fixture f;
    f.image(0).desc.width = 0;
    EXPECT_EQ(SaveSourceText(*f.store), "");
    f.image(5).desc.width = 8;  // height 0: still empty
    EXPECT_EQ(SaveSourceText(*f.store), "");
    f.image(5).desc.height = 8;  // pixel width 0 shows as hires
    EXPECT_EQ(SaveSourceText(*f.store).substr(0, 12), "\t; 8*8 h non");
}

namespace {
// The blocks of a text: runs of data lines between empty lines, as value counts.
std::vector<int> BlockSizes(const std::string& text, std::size_t from) {
    std::vector<int> sizes(1, 0);
    std::size_t pos = from;
    while (pos < text.size()) {
        const std::size_t end = text.find("\r\n", pos);
        const std::string line = text.substr(pos, end - pos);
        pos = end + 2;
        if (line.empty()) {
            sizes.push_back(0);
            continue;
        }
        EXPECT_EQ(line.substr(0, 4), "\tDB ");
        sizes.back() += int(std::count(line.begin(), line.end(), '$'));
    }
    return sizes;
}
}  // namespace

TEST(SaveSourceText, AScreenSizedImageKeepsThePlusFourMemoryLayout) {
    Fixture f;
    f.image(0).desc.colorMapKind = ColorMapKind::Dfli;
    f.image(0).plane.at(319, 199) = 1;
    const std::string text = SaveSourceText(*f.store);
    ASSERT_EQ(text.substr(0, 18), "\t; 320*200 h dfli\r");
    std::vector<int> expected(25, 320);  // cell rows
    expected.push_back(192);             // padding to 8192
    for (int bank = 0; bank < 4; ++bank)
        for (int block : {1000, 24, 1000, 24}) expected.push_back(block);
    expected.push_back(0);  // the text ends with an empty line
    EXPECT_EQ(BlockSizes(text, text.find('\n') + 1), expected);
    // Last pixel byte: cell 39 of row 24, pixel row 7.
    EXPECT_NE(text.find("$00,$01\r\n\r\n\tDB $00"), std::string::npos);

    // The 2x2 layout holds the whole picture in the 1024 characters of 8192 values.
    f.image(0).desc.layout = Layout::Charset2x2;
    const std::string quads = SaveSourceText(*f.store);
    const std::vector<int> sizes = BlockSizes(quads, quads.find('\n') + 1);
    ASSERT_GE(sizes.size(), 4u);
    EXPECT_EQ((std::vector<int>(sizes.begin(), sizes.begin() + 5)),
              (std::vector<int>{2080, 2080, 2080, 1952, 1000}));
}

TEST(LoadSourceText, ReadsAPlusFourScreenInEveryLayout) {
    // Built the way a Plus/4 bitmap lies in memory: 8000 bytes cell row by
    // cell row, padded to 8192, then per bank 1000 luminance and 1000 color
    // bytes, each padded to 1024.
    const auto byteAt = [](int i) { return (i * 7 + i / 320) & 0xFF; };
    std::string text = "Shot; 320*200 m dfli\r\n";
    std::vector<int> values;
    for (int i = 0; i < 8000; ++i) values.push_back(byteAt(i));
    values.resize(8192, 0xFF);  // padding that must not reach the image
    for (int bank = 0; bank < 4; ++bank)
        for (int block = 0; block < 2; ++block) {
            for (int i = 0; i < 1000; ++i) values.push_back((bank * 50 + block * 25 + i) & 0xFF);
            values.resize(values.size() + 24, 0xEE);
        }
    for (std::size_t i = 0; i < values.size(); i += 8)
        text += Line(std::vector<int>(values.begin() + long(i), values.begin() + long(i) + 8));

    Fixture f;
    for (int y = 200; y < 208; ++y) SetCellRow(f.image(0), 0, y, 0x5A);
    f.Load(text);
    const Image& im = f.image(0);
    EXPECT_EQ(im.desc.pixelWidth, 2);
    EXPECT_EQ(im.desc.colorMapKind, ColorMapKind::Dfli);
    for (int i = 0; i < 8000; ++i) {
        const int cell = i / 8;
        ASSERT_EQ(CellRow(im, (cell % 40) * 8, (cell / 40) * 8 + i % 8), byteAt(i)) << i;
    }
    EXPECT_EQ(CellRow(im, 0, 200), 0x5A);  // the padding stayed out of the plane
    for (int bank = 0; bank < 4; ++bank)
        for (int i = 0; i < 1000; ++i) {
            ASSERT_EQ(im.lummap.at(bank, i % 40, i / 40), (bank * 50 + i) & 0xFF);
            ASSERT_EQ(im.colmap.at(bank, i % 40, i / 40), (bank * 50 + 25 + i) & 0xFF);
        }
    EXPECT_EQ(im.lummap.at(0, 0, 25), 0x53);  // the padding cells are skipped

    // In the charset layout the same values run down the cell columns, and
    // the color maps still begin after 8192 values.
    Fixture g;
    g.Load("Shot; 320*200 m dfli charset\r\n" + text.substr(text.find('\n') + 1));
    for (int i = 0; i < 8000; ++i) {
        const int cell = i / 8;
        ASSERT_EQ(CellRow(g.image(0), (cell / 25) * 8, (cell % 25) * 8 + i % 8), byteAt(i)) << i;
    }
    EXPECT_EQ(g.image(0).colmap.at(3, 39, 24), (150 + 25 + 999) & 0xFF);
}

TEST(LoadSourceText, ParsesHeaderKeywordsFromTheEnd) {
    struct Case {
        const char* line;
        const char* name;
        int width, height, pixelWidth;
        Layout layout;
        ColorMapKind kind;
    };
    const Case cases[] = {
        {";320*200", "", 320, 200, 2, Layout::Bitmap, ColorMapKind::Normal},
        {"Pic; logo 160*100 h", "logo", 160, 100, 1, Layout::Bitmap, ColorMapKind::Normal},
        {"A\t; 16*8 h none charset", "A", 16, 8, 1, Layout::Charset, ColorMapKind::None},
        {"B ; 64*32 m dfli 2x2charset", "B", 64, 32, 2, Layout::Charset2x2, ColorMapKind::Dfli},
        // Out of order, "dfli" stays in the height text, which then reads as 0.
        {"C; 8*8 dfli h", "C", 8, 0, 1, Layout::Bitmap, ColorMapKind::Normal},
        // Sizes beyond the plane are held to it.
        {"x; 99999*99999 m dfli 2x2charset", "x", 640, 1024, 2, Layout::Charset2x2,
         ColorMapKind::Dfli},
        {"N; -8*$10 h", "N", 0, 16, 1, Layout::Bitmap, ColorMapKind::Normal},
        // Without "*" only keywords apply; the rest of the descriptor stays.
        {"  Only; h", "Only", 48, 24, 1, Layout::Charset, ColorMapKind::None},
        {"Renamed only", "Renamed only", 48, 24, 3, Layout::Charset, ColorMapKind::None},
        {"  Spaced name  ", "  Spaced name  ", 48, 24, 3, Layout::Charset, ColorMapKind::None},
        {"Cut//; 8*8 h", "Cut", 48, 24, 3, Layout::Charset, ColorMapKind::None},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.Define(0, "old", 48, 24, 3, Layout::Charset, ColorMapKind::None);
        const SourceLoadResult result = f.Load(c.line);
        const ImageDescriptor& d = f.image(0).desc;
        EXPECT_EQ(d.name, c.name) << c.line;
        EXPECT_EQ(d.width, c.width) << c.line;
        EXPECT_EQ(d.height, c.height) << c.line;
        EXPECT_EQ(d.pixelWidth, c.pixelWidth) << c.line;
        EXPECT_EQ(d.layout, c.layout) << c.line;
        EXPECT_EQ(d.colorMapKind, c.kind) << c.line;
        EXPECT_EQ(result.sections, 1) << c.line;
        EXPECT_EQ(f.state.currentImage, 0) << c.line;
    }
}

TEST(LoadSourceText, TellsHeaderLinesFromDataLines) {
    Fixture f;
    Image& im = f.Define(0, "", 8, 2, 1, Layout::Bitmap, ColorMapKind::None);
    // Lower-case "db" starts a data line too, but only upper-case "DB " is
    // removed, so its values fail.
    EXPECT_EQ(LoadError(f, "  db $01,$02"), "line 1: 'db$' is not a valid integer value");
    // Values need no commas, may be decimal, and "//" ends the line.
    f.Load("\tDB $81$7E // comment $FF\r\n");
    EXPECT_EQ(CellRow(im, 0, 0), 0x81);
    EXPECT_EQ(CellRow(im, 0, 1), 0x7E);
    f.Load("DB 255,-01\n\n\n");
    EXPECT_EQ(CellRow(im, 0, 0), 255);
    EXPECT_EQ(CellRow(im, 0, 1), 0xFF);
    // A value may continue on the next line: data lines join without a separator.
    f.Load("\tDB $0\r\n\tDB F,$10");
    EXPECT_EQ(CellRow(im, 0, 0), 0x0F);
    EXPECT_EQ(CellRow(im, 0, 1), 0x10);
    // A name that begins with a digit makes its header a data line.
    EXPECT_EQ(LoadError(f, "1st\t; 8*8 h"), "line 1: '1st' is not a valid integer value");
    EXPECT_EQ(f.image(0).desc.name, "");
}

TEST(LoadSourceText, RejectsMalformedValuesWithTheConversionError) {
    const std::pair<const char*, const char*> cases[] = {
        {"\tDB $1,$22", "'$1,'"},         // one hexadecimal digit
        {"\tDB $00,x$11", "'x$1'"},       // stray letter
        {"\tDB -$10", "'-$1'"},           // minus before "$"
        {"\tDB $0G", "'$0G'"},            // not a hexadecimal digit
        {"\tDB +12", "'+12'"},            // plus sign
        {"\tDB $00,,$01", "',$0'"},       // empty value
        {"\tDB $00\x01$01", "'\x01$0'"},  // control character
    };
    for (const auto& [text, chars] : cases) {
        Fixture f;
        f.Define(0, "", 8, 8, 1, Layout::Bitmap, ColorMapKind::None);
        EXPECT_EQ(LoadError(f, text),
                  "line 1: " + std::string(chars) + " is not a valid integer value")
            << text;
    }
}

TEST(LoadSourceText, FillsImagesFromTheCurrentOneResettingEachNextImage) {
    Fixture f;
    f.state.currentImage = 10;
    Image& first = f.Define(10, "", 8, 8, 1, Layout::Bitmap, ColorMapKind::Normal);
    first.desc.color3 = 0x22;
    first.colmap.at(1, 5, 5) = 0x99;
    Image& second = f.image(11);
    second.colmap.at(1, 5, 5) = 0x99;
    second.plane.at(100, 100) = 1;
    second.desc.color0 = 0x44;
    const SourceLoadResult result =
        f.Load("A; 8*1 h none\r\n\tDB $01\r\nB; 8*1 h none\r\n\tDB $02\r\n;8*1\r\n");
    EXPECT_EQ(result.sections, 3);
    EXPECT_FALSE(result.truncated);
    EXPECT_EQ(f.state.currentImage, 12);
    EXPECT_EQ(first.desc.color3, 0x22);  // the first image is not reset
    EXPECT_EQ(first.colmap.at(1, 5, 5), 0x99);
    EXPECT_EQ(second.desc.name, "B");
    EXPECT_EQ(CellRow(second, 0, 0), 2);
    EXPECT_EQ(second.plane.at(100, 100), 1);  // pixels stay
    EXPECT_EQ(second.colmap.at(1, 5, 5), 0x11);
    EXPECT_EQ(second.lummap.at(3, 79, 127), 0x53);
    EXPECT_EQ(second.desc.color0, 0);
    EXPECT_EQ(second.desc.color3, 0x71);
    EXPECT_EQ(f.image(12).desc.width, 8);
    EXPECT_EQ(f.image(12).desc.pixelWidth, 2);
}

TEST(LoadSourceText, DropsSectionsPastTheLastImage) {
    Fixture f;
    f.state.currentImage = 255;
    f.Define(255, "", 0, 0, 1, Layout::Bitmap, ColorMapKind::None);
    f.image(254).desc.name = "untouched";
    std::string text;
    for (const char* name : {"P", "Q", "R", "S"})
        text += std::string(name) + "; 8*1 h none\r\n\tDB $FF\r\n";
    const SourceLoadResult result = f.Load(text);
    EXPECT_EQ(result.sections, 2);
    EXPECT_TRUE(result.truncated);
    EXPECT_EQ(f.state.currentImage, 256);
    EXPECT_EQ(f.image(255).desc.name, "P");
    EXPECT_EQ(f.image(256).desc.name, "Q");
    EXPECT_EQ(CellRow(f.image(256), 0, 0), 0xFF);
    EXPECT_EQ(f.image(254).desc.name, "untouched");
}

TEST(LoadSourceText, ExtraValuesStayInsideThePlane) {
    // A 50 MB paste into a bitmap without color maps runs on below the image
    // and stops at the plane's bottom edge, short of the next image.
    Fixture f;
    f.image(1).plane.at(0, 0) = 1;
    std::string text = "Big; 640*1000 h none\r\n";
    const std::string line = Line(std::vector<int>(8, 0xFF));
    text.reserve(50u << 20);
    while (text.size() + line.size() <= (50u << 20)) text += line;
    EXPECT_EQ(f.Load(text).sections, 1);
    EXPECT_EQ(f.state.currentImage, 0);
    EXPECT_EQ(CellRow(f.image(0), 632, 1023), 0xFF);
    EXPECT_EQ(f.image(1).plane.at(0, 0), 1);
    EXPECT_EQ(f.image(1).plane.at(1, 0), 0);

    // A charset starts over at its first cell.
    Fixture g;
    g.Load("C; 16*8 h none charset\r\n" + Line(std::vector<int>(8, 1)) +
           Line(std::vector<int>(8, 2)) + Line({0xAA}));
    EXPECT_EQ(CellRow(g.image(0), 0, 0), 0xAA);
    EXPECT_EQ(CellRow(g.image(0), 0, 1), 0x01);
    EXPECT_EQ(CellRow(g.image(0), 8, 0), 0x02);

    // An image of no size takes no pixels.
    Fixture h;
    h.Load("Z; 0*0 h none\r\n" + Line({0xFF, 0xFF}));
    EXPECT_EQ(h.image(0).plane.at(0, 0), 0);
}

TEST(LoadSourceText, AColmapLummapSectionReadsOnlyColorMaps) {
    Fixture f;
    std::vector<int> values(2048 + 1, 0x33);
    values[0] = 0x12;     // lummap cell (0, 0)
    values[41] = 0x34;    // lummap cell (1, 1)
    values[1024] = 0x56;  // colmap cell (0, 0)
    values[2048] = 0x78;  // bank 1, lummap cell (0, 0)
    std::string text = "Maps; 8*8 h dfli colmap/lummap\r\n";
    for (std::size_t i = 0; i < values.size(); i += 8)
        text += Line(std::vector<int>(values.begin() + long(i),
                                      values.begin() + long(std::min(i + 8, values.size()))));
    text += "Next; 8*1 h none\r\n\tDB $80\r\n";
    f.Load(text);
    const Image& im = f.image(0);
    EXPECT_EQ(im.lummap.at(0, 0, 0), 0x12);
    EXPECT_EQ(im.lummap.at(0, 1, 1), 0x34);
    EXPECT_EQ(im.colmap.at(0, 0, 0), 0x56);
    EXPECT_EQ(im.lummap.at(1, 0, 0), 0x78);
    EXPECT_EQ(CellRow(im, 0, 0), 0);
    EXPECT_EQ(CellRow(f.image(1), 0, 0), 0x80);  // the next header returns to pixels
}

// The reader leaves every image it writes into hires or multicolor, also the
// ones it passes on its way: a never used image (pixel width 0) or one with a
// stray pixel width that a section without a size names.
TEST(SourceText, EveryImageALoadPassesReadsAsHiresOrMulticolor) {
    static ImageStore store;
    EditorState state;
    store.image(4).desc.pixelWidth = 0;
    store.image(5).desc.pixelWidth = 7;
    state.currentImage = 4;
    LoadSourceText(store, state, "Title\r\nDB $FF\r\nOther\r\nDB $00\r\n; 8*8 h\r\nDB $01\r\n");
    EXPECT_EQ(store.image(4).desc.name, "Title");
    EXPECT_EQ(store.image(4).desc.pixelWidth, 1);
    EXPECT_EQ(store.image(5).desc.name, "Other");
    EXPECT_EQ(store.image(5).desc.pixelWidth, 2);
    EXPECT_EQ(state.currentImage, 6);
}
