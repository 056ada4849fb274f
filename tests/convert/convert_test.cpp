#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "document/colors.h"
#include "document/image_store.h"
#include "document/pixels.h"
#include "formats/picture_files.h"
#include "formats/prg_format.h"
#include "formats/runnable_prg.h"
#include "formats/source_text.h"

using namespace pixolat;
namespace fs = std::filesystem;

namespace {

class ConvertTest : public ::testing::Test {
protected:
    ConvertTest() {
        std::string pattern = (fs::temp_directory_path() / "pixolat-convert-XXXXXX").string();
        folder_ = mkdtemp(pattern.data());
    }
    ~ConvertTest() override {
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }

    std::string Path(const std::string& name) const { return (folder_ / name).string(); }

    // Runs the program with the arguments; stdout and stderr land in out and err.
    int Convert(const std::string& arguments) {
        const std::string command = "umask 022; " + std::string(PIXOLAT_CONVERT_PROGRAM) + " " +
                                    arguments + " >" + Path("stdout.txt") + " 2>" +
                                    Path("stderr.txt");
        const int status = std::system(command.c_str());
        out = Text(Path("stdout.txt"));
        err = Text(Path("stderr.txt"));
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    static std::string Text(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static std::vector<uint8_t> Bytes(const std::string& path) {
        const std::string text = Text(path);
        return {text.begin(), text.end()};
    }
    static void Write(const std::string& path, const std::vector<uint8_t>& bytes) {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }

    // Files in the folder besides the ones the test itself made.
    std::vector<std::string> Leftovers(std::initializer_list<std::string> known) const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_)) {
            const std::string name = entry.path().filename().string();
            if (std::find(known.begin(), known.end(), name) == known.end() &&
                name != "stdout.txt" && name != "stderr.txt")
                names.push_back(name);
        }
        return names;
    }

    std::string out, err;
    fs::path folder_;
};

void RandomImage(Image& image, int pixelWidth, unsigned seed) {
    std::mt19937 random(seed);
    image.desc =
        ImageDescriptor{"", 320, 200, pixelWidth, Layout::Bitmap, ColorMapKind::Normal, 0x46, 0x7D};
    for (int x = 0; x < 320; ++x)
        for (int y = 0; y < 200; ++y) image.plane.at(x, y) = uint8_t(random() & 1);
    for (int cx = 0; cx < 40; ++cx) {
        for (int cy = 0; cy < 25; ++cy) {
            image.colmap.at(0, cx, cy) = uint8_t(random());
            image.lummap.at(0, cx, cy) = uint8_t(random());
        }
    }
}

uint32_t EditorColor(ColorCode code) {
    const auto& rgb = ColorTriplet(code);
    return uint32_t(rgb[0]) | uint32_t(rgb[1]) << 8 | uint32_t(rgb[2]) << 16;
}

}  // namespace

TEST_F(ConvertTest, PrgBecomesAPictureInTheEditorsColors) {
    static ImageStore store;
    for (int pixelWidth : {1, 2}) {
        SCOPED_TRACE(pixelWidth);
        Image& image = store.image(1);
        RandomImage(image, pixelWidth, unsigned(pixelWidth));
        Write(Path("in.prg"), EncodePrg(image));
        for (const char* output : {"out.png", "out.bmp"}) {
            SCOPED_TRACE(output);
            ASSERT_EQ(Convert(Path("in.prg") + " " + Path(output)), 0) << err;
            EXPECT_EQ(err, "");
            // Readable by others as any new file, not private like a temporary one.
            EXPECT_NE(fs::status(Path(output)).permissions() & fs::perms::others_read,
                      fs::perms::none);
            const std::vector<uint8_t> bytes = Bytes(Path(output));
            const Picture picture =
                std::string(output) == "out.png" ? DecodePng(bytes) : DecodeBmp(bytes);
            ASSERT_EQ(picture.width, 320);
            ASSERT_EQ(picture.height, 200);
            int wrong = 0;
            for (int y = 0; y < 200; ++y)
                for (int x = 0; x < 320; ++x)
                    wrong +=
                        picture.at(x, y) != EditorColor(ColorCodeAt(image, x - x % pixelWidth, y));
            EXPECT_EQ(wrong, 0);
        }
    }
    // Spot check against the palette itself: hires bit 0 shows cell color 2.
    Image& image = store.image(1);
    image.desc.pixelWidth = 1;
    image.plane.at(0, 0) = 0;
    image.colmap.at(0, 0, 0) = 0x0E;
    image.lummap.at(0, 0, 0) = 0x30;
    Write(Path("in.prg"), EncodePrg(image));
    ASSERT_EQ(Convert(Path("in.prg") + " " + Path("out.png")), 0) << err;
    const auto& triplet = kColorTriplets[0x3E];
    EXPECT_EQ(DecodePng(Bytes(Path("out.png"))).at(0, 0),
              uint32_t(triplet[0]) | uint32_t(triplet[1]) << 8 | uint32_t(triplet[2]) << 16);
}

TEST_F(ConvertTest, PicturesImportAsTheEditorDoes) {
    // 400 x 150 enlarges the default image to 400 x 150; the export keeps the
    // top left 320 x 200, rows below 150 are empty.
    Picture picture;
    picture.width = 400;
    picture.height = 150;
    picture.pixels.assign(400 * 150, 0);
    for (int x = 0; x < 8; x += 2) picture.at(x, 0) = uint32_t(0x40 * (x / 2)) | 0xFF00;
    Write(Path("in.png"), EncodePng(picture));
    ASSERT_EQ(Convert("--multicolor " + Path("in.png") + " " + Path("out.prg")), 0) << err;
    std::vector<uint8_t> prg = Bytes(Path("out.prg"));
    ASSERT_EQ(prg.size(), 10050u);
    EXPECT_EQ(std::string(prg.begin() + 1020, prg.begin() + 1024), "MULT");
    // Reds $00, $40, $80, $C0 give values 0, 2, 1, 3: bits 00 10 01 11.
    EXPECT_EQ(prg[2050], 0b00100111);
    ASSERT_EQ(Convert("--info " + Path("in.png")), 0) << err;
    EXPECT_NE(out.find("400 x 150, hires"), std::string::npos) << out;

    Write(Path("in.bmp"), EncodeBmp(picture));
    ASSERT_EQ(Convert(Path("in.bmp") + " " + Path("hires.prg")), 0) << err;
    prg = Bytes(Path("hires.prg"));
    EXPECT_EQ(prg[2050], 0);  // even reds: hires bit 0 of red
    EXPECT_EQ(prg[1020], 0);
}

TEST_F(ConvertTest, InfoNamesTheRecognisedLayout) {
    std::vector<uint8_t> dfli(17146, 0);
    dfli[0] = 0x01;
    dfli[1] = 0x10;
    Write(Path("pic.p4i"), dfli);
    ASSERT_EQ(Convert("--info " + Path("pic.p4i")), 0) << err;
    EXPECT_EQ(out, Path("pic.p4i") +
                       ": PRG format 4 (multicolor DFLI), load address $1001, 17146 bytes\n"
                       "image 0: 320 x 200, multicolor, color map DFLI, layout Bitmap\n");
}

TEST_F(ConvertTest, FailuresSayWhyAndWriteNothing) {
    Write(Path("odd.prg"), std::vector<uint8_t>(1234, 1));
    Write(Path("kept.png"), {1, 2, 3});
    EXPECT_EQ(Convert(Path("odd.prg") + " " + Path("kept.png")), 1);
    EXPECT_NE(err.find("Could not determine PRG format."), std::string::npos) << err;
    EXPECT_EQ(Bytes(Path("kept.png")), (std::vector<uint8_t>{1, 2, 3}));

    EXPECT_EQ(Convert(Path("missing.prg") + " " + Path("out.png")), 1);
    EXPECT_NE(err.find("missing.prg"), std::string::npos) << err;

    Write(Path("broken.png"), {0x89, 'P', 'N', 'G', 1, 2});
    EXPECT_EQ(Convert(Path("broken.png") + " " + Path("out.prg")), 1);
    EXPECT_NE(err.find("PNG"), std::string::npos) << err;

    static ImageStore store;
    Write(Path("good.prg"), EncodePrg(store.image(0)));
    EXPECT_EQ(Convert(Path("good.prg") + " " + Path("no/such/folder/out.png")), 1);
    EXPECT_NE(err.find("out.png"), std::string::npos) << err;
    EXPECT_EQ(Convert(Path("good.prg") + " " + Path("out.gif")), 1);
    EXPECT_EQ(Convert(Path("picture.gif") + " " + Path("out.prg")), 1);

    EXPECT_EQ(Leftovers({"odd.prg", "kept.png", "broken.png", "good.prg"}),
              std::vector<std::string>{});

    EXPECT_EQ(Convert(Path("good.prg")), 2);
    EXPECT_EQ(Convert("--image 300 " + Path("good.prg") + " " + Path("x.png")), 2);
    EXPECT_EQ(Convert("--bogus " + Path("good.prg") + " " + Path("x.png")), 2);
    EXPECT_EQ(Convert("--help"), 0);
    EXPECT_NE(out.find("usage: pixolat-convert"), std::string::npos);
}

TEST_F(ConvertTest, PrgThroughSourceTextComesBackByteForByte) {
    static ImageStore store;
    for (int pixelWidth : {1, 2}) {
        SCOPED_TRACE(pixelWidth);
        RandomImage(store.image(1), pixelWidth, unsigned(20 + pixelWidth));
        // The source text does not hold the two image-wide multicolor colors;
        // a reader gives them their reset values.
        store.image(1).desc.color0 = 0x00;
        store.image(1).desc.color3 = 0x71;
        const std::vector<uint8_t> exported = EncodePrg(store.image(1));
        Write(Path("in.prg"), exported);
        ASSERT_EQ(Convert(Path("in.prg") + " " + Path("pic.asm")), 0) << err;
        EXPECT_NE(Text(Path("pic.asm")).find("$"), std::string::npos);
        ASSERT_EQ(Convert(Path("pic.asm") + " " + Path("back.prg")), 0) << err;
        EXPECT_EQ(Bytes(Path("back.prg")), exported);
    }
}

TEST_F(ConvertTest, SourceTextWithSeveralImagesPicksOne) {
    static ImageStore store;
    RandomImage(store.image(0), 1, 31);
    Image& second = store.image(1);
    RandomImage(second, 2, 32);
    second.desc.width = 48;
    second.desc.height = 24;
    second.desc.name = "sprite";
    second.desc.color0 = 0x00;
    second.desc.color3 = 0x71;
    const std::string text = SaveSourceText(store);
    Write(Path("two.s"), std::vector<uint8_t>(text.begin(), text.end()));

    ASSERT_EQ(Convert("--image 1 " + Path("two.s") + " " + Path("second.png")), 0) << err;
    const Picture picture = DecodePng(Bytes(Path("second.png")));
    ASSERT_EQ(picture.width, 48);
    ASSERT_EQ(picture.height, 24);
    int wrong = 0;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 48; ++x)
            wrong += picture.at(x, y) != EditorColor(ColorCodeAt(second, x - x % 2, y));
    EXPECT_EQ(wrong, 0);

    ASSERT_EQ(Convert("--info " + Path("two.s")), 0) << err;
    EXPECT_NE(out.find("2 images"), std::string::npos) << out;
    EXPECT_NE(out.find("image 1: 48 x 24, multicolor, color map Normal, layout Bitmap, \"sprite\""),
              std::string::npos)
        << out;
    EXPECT_EQ(Convert("--image 2 " + Path("two.s") + " " + Path("third.png")), 1);
    EXPECT_NE(err.find("image 2 is empty"), std::string::npos) << err;

    // A byte order mark in front of the first header, as text editors write it.
    const std::string marked = "\xEF\xBB\xBF" + text;
    Write(Path("marked.s"), std::vector<uint8_t>(marked.begin(), marked.end()));
    ASSERT_EQ(Convert("--info " + Path("marked.s")), 0) << err;
    EXPECT_NE(out.find("2 images"), std::string::npos) << out;
    EXPECT_NE(out.find("image 1: 48 x 24, multicolor"), std::string::npos) << out;

    Write(Path("bad.txt"), {'1', 's', 't', '\t', ';', ' ', '8', '*', '8', ' ', 'h'});
    EXPECT_EQ(Convert(Path("bad.txt") + " " + Path("bad.prg")), 1);
    EXPECT_NE(err.find("'1st' is not a valid integer value"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(Path("bad.prg")));
}

TEST_F(ConvertTest, RunnableWrapsTheExportAndRefusesDfli) {
    static ImageStore store;
    RandomImage(store.image(1), 2, 41);
    Write(Path("multi.prg"), EncodePrg(store.image(1)));
    ASSERT_EQ(Convert("--runnable " + Path("multi.prg") + " " + Path("show.prg")), 0) << err;
    EXPECT_EQ(Bytes(Path("show.prg")), EncodeRunnablePrg(store.image(1)));

    // A DFLI picture is refused with the reason, and nothing is written.
    std::vector<uint8_t> dfli(17146, 0);
    dfli[0] = 0x01;
    dfli[1] = 0x10;
    Write(Path("dfli.p4i"), dfli);
    EXPECT_EQ(Convert("--runnable " + Path("dfli.p4i") + " " + Path("dfli-show.prg")), 1);
    EXPECT_NE(err.find(kRunnableDfliMessage), std::string::npos) << err;
    EXPECT_EQ(Convert("--runnable " + Path("multi.prg") + " " + Path("show.png")), 2);
    EXPECT_EQ(Leftovers({"multi.prg", "show.prg", "dfli.p4i"}), std::vector<std::string>{});

    EXPECT_EQ(Convert("--version"), 0);
    EXPECT_EQ(out, "pixolat-convert " PIXOLAT_VERSION "\n");
}
