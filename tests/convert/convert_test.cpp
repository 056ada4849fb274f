#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "app/picture/picture_codec.h"
#include "document/colors.h"
#include "document/image_store.h"
#include "document/pixels.h"
#include "formats/prg_format.h"
#include "formats/prg_layouts.h"
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

    // Runs the program with the arguments; stdout and stderr land in out and
    // err. `before` is shell text in front of the program (limits, a tracer).
    int Convert(const std::string& arguments, const std::string& before = "") {
        const std::string command = "umask 022; " + before + std::string(PIXOLAT_CONVERT_PROGRAM) +
                                    " " + arguments + " >" + Path("stdout.txt") + " 2>" +
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
            const Picture picture = ReadPictureFile(Path(output), 640, 1024);
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
    EXPECT_EQ(ReadPictureFile(Path("out.png"), 640, 1024).at(0, 0),
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
    Write(Path("in.png"), EncodePictureFile(picture, PictureFileType::Png));
    ASSERT_EQ(Convert("--multicolor " + Path("in.png") + " " + Path("out.prg")), 0) << err;
    std::vector<uint8_t> prg = Bytes(Path("out.prg"));
    ASSERT_EQ(prg.size(), 10050u);
    EXPECT_EQ(std::string(prg.begin() + 1020, prg.begin() + 1024), "MULT");
    // Reds $00, $40, $80, $C0 give values 0, 2, 1, 3: bits 00 10 01 11.
    EXPECT_EQ(prg[2050], 0b00100111);
    // Five colors for four values: a photograph, most likely. Still done, and said.
    EXPECT_NE(err.find("warning: " + Path("in.png") +
                       " has more colors than 4 pixel values: "
                       "each pixel's value was read from bits of its red; --convert matches "
                       "its colors"),
              std::string::npos)
        << err;
    ASSERT_EQ(Convert("--info " + Path("in.png")), 0) << err;
    EXPECT_NE(out.find("400 x 150, hires"), std::string::npos) << out;

    Write(Path("in.bmp"), EncodePictureFile(picture, PictureFileType::Bmp));
    ASSERT_EQ(Convert(Path("in.bmp") + " " + Path("hires.prg")), 0) << err;
    prg = Bytes(Path("hires.prg"));
    EXPECT_EQ(prg[2050], 0);  // even reds: hires bit 0 of red
    EXPECT_EQ(prg[1020], 0);
    picture.pixels.assign(400 * 150, 0xFF);  // two colors say nothing
    picture.at(3, 3) = 0;
    Write(Path("two.bmp"), EncodePictureFile(picture, PictureFileType::Bmp));
    ASSERT_EQ(Convert(Path("two.bmp") + " " + Path("two.prg")), 0) << err;
    EXPECT_EQ(err.find("has more colors"), std::string::npos) << err;
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

// An input is what its bytes are, as in the editor, whatever its name says.
TEST_F(ConvertTest, InputsAreReadByTheirContentNotTheirName) {
    static ImageStore store;
    RandomImage(store.image(1), 2, 7);
    Write(Path("image.dat"), EncodePrg(store.image(1)));
    ASSERT_EQ(Convert(Path("image.dat") + " " + Path("text.png")), 0) << err;
    ASSERT_EQ(Convert(Path("image.dat") + " " + Path("text.asm")), 0) << err;
    fs::rename(Path("text.asm"), Path("text.prg"));
    fs::rename(Path("text.png"), Path("picture.asm"));
    const std::pair<const char*, const char*> cases[] = {
        {"image.dat", ": PRG format 2 "},
        {"text.prg", ": source text, 1 image"},
        {"picture.asm", ": picture, 320 x 200"},
    };
    for (const auto& [name, said] : cases) {
        ASSERT_EQ(Convert("--info " + Path(name)), 0) << name << " " << err;
        EXPECT_EQ(out.rfind(Path(name) + said, 0), 0u) << out;
    }
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
    EXPECT_NE(err.find("Cannot load picture \"" + Path("broken.png")), std::string::npos) << err;

    static ImageStore store;
    Write(Path("good.prg"), EncodePrg(store.image(0)));
    EXPECT_EQ(Convert(Path("good.prg") + " " + Path("no/such/folder/out.png")), 1);
    EXPECT_NE(err.find("out.png"), std::string::npos) << err;
    EXPECT_EQ(Convert(Path("good.prg") + " " + Path("out.gif")), 1);
    EXPECT_EQ(Convert(Path("picture.gif") + " " + Path("out.prg")), 1);

    EXPECT_EQ(Leftovers({"odd.prg", "kept.png", "broken.png", "good.prg"}),
              std::vector<std::string>{});

    // A pipe in place of a picture is refused at once instead of waiting for a writer.
    ASSERT_EQ(mkfifo(Path("pipe.png").c_str(), 0600), 0);
    EXPECT_EQ(Convert(Path("pipe.png") + " " + Path("out.prg")), 1);
    EXPECT_EQ(err, "pixolat-convert: Cannot load picture \"" + Path("pipe.png") +
                       "\". It is not a regular file.\n");
    fs::remove(Path("pipe.png"));

    EXPECT_EQ(Convert(Path("good.prg")), 2);
    EXPECT_EQ(Convert("--image 300 " + Path("good.prg") + " " + Path("x.png")), 2);
    EXPECT_EQ(Convert("--bogus " + Path("good.prg") + " " + Path("x.png")), 2);
    EXPECT_EQ(Convert("--help"), 0);
    EXPECT_NE(out.find("usage: pixolat-convert"), std::string::npos);

    // After "--" a name that starts with "-" is a file, not an option.
    Write(Path("-dash.prg"), EncodePrg(store.image(0)));
    EXPECT_EQ(Convert("-- " + Path("-dash.prg") + " " + Path("-dash.png")), 0) << err;
    const std::string folder = folder_.string();
    EXPECT_EQ(Convert("--info -- -dash.prg", "cd " + folder + " && "), 0) << err;
    EXPECT_EQ(out.rfind("-dash.prg: PRG format", 0), 0u) << out;
    EXPECT_EQ(Convert("-dash.prg x.png", "cd " + folder + " && "), 2);
    EXPECT_NE(err.find("unknown option -dash.prg"), std::string::npos) << err;
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
    const Picture picture = ReadPictureFile(Path("second.png"), 640, 1024);
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
    EXPECT_NE(err.find(Path("two.s") + ": image 2 is empty"), std::string::npos) << err;

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

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
constexpr bool kAddressSanitizer = __has_feature(address_sanitizer);
#else
constexpr bool kAddressSanitizer = false;
#endif

int Lines(const std::string& text) {
    return int(std::count(text.begin(), text.end(), '\n'));
}

}  // namespace

TEST_F(ConvertTest, EveryFailureIsOneLineAndAStatus) {
    static ImageStore store;
    Write(Path("in.prg"), EncodePrg(store.image(0)));
    // Out of memory: the address sanitizer cannot run under a small address
    // space, but its allocator can be told to refuse large blocks.
    const std::string lowMemory =
        kAddressSanitizer ? "ASAN_OPTIONS=allocator_may_return_null=1:max_allocation_size_mb=64 "
                          : "ulimit -v 100000; ";
    EXPECT_EQ(Convert(Path("in.prg") + " " + Path("out.png"), lowMemory), 1);
    EXPECT_TRUE(err.ends_with("\npixolat-convert: out of memory\n") ||
                err == "pixolat-convert: out of memory\n")
        << err;

    // A text without a single value is no image, whatever its headers say.
    Write(Path("letter.txt"), {'H', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '\r', '\n'});
    Write(Path("blank.txt"), {'\r', '\n'});
    for (const char* text : {"letter.txt", "blank.txt"}) {
        EXPECT_EQ(Convert(Path(text) + " " + Path("letter.prg")), 1);
        EXPECT_EQ(err, "pixolat-convert: " + Path(text) + " holds no image data\n");
    }

    // Values and names are shown escaped, cut to 40 characters, on one line.
    EXPECT_EQ(Convert("\"$(printf %b '--x\\033[2J\\r')\" a.prg b.prg"), 2);
    EXPECT_NE(err.find("unknown option --x\\x1b[2J\\x0d\n"), std::string::npos) << err;
    EXPECT_EQ(Convert("--image " + std::string(60, '7') + " a.prg b.prg"), 2);
    EXPECT_NE(err.find("not '" + std::string(40, '7') + "...'"), std::string::npos) << err;
    Write(Path("nul.s"), {'D', 'B', ' ', '$', '0', '0', ',', '1', 0, '\x07'});
    EXPECT_EQ(Convert(Path("nul.s") + " " + Path("nul.prg")), 1);
    EXPECT_EQ(err, "pixolat-convert: " + Path("nul.s") +
                       ": line 1: '1\\x00\\x07' is not a valid integer value\n");

    // What is written to stdout must arrive.
    const std::string full = std::string(PIXOLAT_CONVERT_PROGRAM) + " --info " + Path("in.prg") +
                             " >/dev/full 2>" + Path("stderr.txt");
    EXPECT_EQ(WEXITSTATUS(std::system(full.c_str())), 1);
    EXPECT_EQ(Text(Path("stderr.txt")),
              "pixolat-convert: cannot write the standard output: No space left on device\n");
}

TEST_F(ConvertTest, OptionsWithoutMeaningForTheFilesAreUsageErrors) {
    static ImageStore store;
    SetUpDefaultImage(store);
    Write(Path("in.prg"), EncodePrg(store.image(0)));
    Write(Path("in.png"), EncodePictureFile(Picture{1, 1, {0}}, PictureFileType::Png));
    const std::string text = SaveSourceText(store);
    Write(Path("in.s"), std::vector<uint8_t>(text.begin(), text.end()));
    for (const std::string& arguments :
         {"--image 1 " + Path("in.prg") + " " + Path("out.png"),
          "--image 1 " + Path("in.png") + " " + Path("out.prg"),
          "--image 0 " + Path("in.s") + " " + Path("out.s"), "--image 0 --info " + Path("in.s"),
          "--multicolor " + Path("in.prg") + " " + Path("o.png"),
          "--multicolor " + Path("in.s") + " " + Path("out.prg"),
          Path("in.prg") + " " + Path("in.prg"), std::string("--image"),
          "--syntax acme " + Path("in.s") + " " + Path("out.prg"),
          "--syntax nasm " + Path("in.s") + " " + Path("out.s"),
          "--at bitmap=$4000 " + Path("in.prg") + " " + Path("out.prg"),
          "--parts --at 'bitmap=$10000' " + Path("in.prg") + " " + Path("p")}) {
        SCOPED_TRACE(arguments);
        EXPECT_EQ(Convert(arguments), 2);
        EXPECT_EQ(Lines(err), 2) << err;  // the reason and where to find help
    }
    EXPECT_EQ(Convert("--image 0 " + Path("in.s") + " " + Path("out.png")), 0) << err;
    EXPECT_EQ(Convert("--multicolor --info " + Path("in.png")), 0) << err;
    EXPECT_NE(out.find("multicolor"), std::string::npos) << out;
    EXPECT_EQ(Leftovers({"in.prg", "in.png", "in.s", "out.png"}), std::vector<std::string>{});
}

TEST_F(ConvertTest, InputsPastTheStoreOrTheReadLimitAreNeverCutSilently) {
    static ImageStore store;
    for (int i = 0; i < kImageCount; ++i) store.image(i).desc = store.image(0).desc;
    store.image(0).desc.width = 320;
    store.image(0).desc.height = 200;
    for (int i = 1; i < kImageCount; ++i)
        store.image(i).desc = {"", 8, 8, 1, Layout::Bitmap, ColorMapKind::None, 0, 0};
    std::string text = SaveSourceText(store);
    text += "; one too many\r\nDB $FF\r\n";
    Write(Path("many.s"), std::vector<uint8_t>(text.begin(), text.end()));
    ASSERT_EQ(Convert(Path("many.s") + " " + Path("many.prg")), 0) << err;
    EXPECT_NE(err.find("warning: " + Path("many.s") + ": the store holds 257 images"),
              std::string::npos)
        << err;
    // Writing that back over the input would lose the last section.
    EXPECT_EQ(Convert(Path("many.s") + " " + Path("many.s")), 2);
    ASSERT_EQ(symlink(Path("many.s").c_str(), Path("alias.s").c_str()), 0);
    EXPECT_EQ(Convert(Path("many.s") + " " + Path("alias.s")), 2);
    EXPECT_EQ(Text(Path("many.s")), text);

    ASSERT_EQ(std::system(("truncate -s 3G " + Path("huge.txt")).c_str()), 0);
    EXPECT_EQ(Convert(Path("huge.txt") + " " + Path("huge.prg")), 1);
    EXPECT_EQ(err, "pixolat-convert: " + Path("huge.txt") +
                       " is larger than 2 GiB; files up to 2 GiB are read\n");
}

// A source file through the converter's source input and output keeps every
// image at its index, with its exact name, colors, pixels and cells.
TEST_F(ConvertTest, SourceFilesPassThroughExactly) {
    static ImageStore store;
    std::mt19937 random(41);
    const char* names[] = {"2nd try",
                           "_tmp",
                           "a//b",
                           "x;y\tz",
                           "Gr\xC3\xB6\xC3\x9F"
                           "e",
                           ""};
    std::vector<int> used;
    for (const char* name : names) {
        const int index = int(random() % kImageCount);
        Image& image = store.image(index);
        image.desc = {name,
                      int(1 + random() % 640),
                      int(1 + random() % 1024),
                      int(1 + random() % 2),
                      Layout(random() % 3),
                      ColorMapKind(random() % 3),
                      int(random() & 0xFF),
                      int(random() & 0xFF)};
        for (int x = 0; x < image.desc.width; ++x)
            for (int y = 0; y < image.desc.height; ++y) image.plane.at(x, y) = random() & 1;
        for (std::size_t i = 0; i < kAttributeBytes; ++i) {
            image.colmap.data()[i] = uint8_t(random());
            image.lummap.data()[i] = uint8_t(random());
        }
        used.push_back(index);
    }
    Write(Path("in.asm"), SourceFileBytes(store, used[2]));
    ASSERT_EQ(Convert(Path("in.asm") + " " + Path("out.asm")), 0) << err;
    static ImageStore back;
    EditorState state;
    LoadSourceFile(back, state, Bytes(Path("out.asm")));
    EXPECT_EQ(state.currentImage, used[2]);
    for (int index : used) {
        const Image &a = store.image(index), &b = back.image(index);
        EXPECT_EQ(b.desc.name, a.desc.name);
        EXPECT_EQ(b.desc.color0, a.desc.color0);
        EXPECT_EQ(b.desc.color3, a.desc.color3);
        EXPECT_EQ(b.desc.layout, a.desc.layout);
        EXPECT_EQ(b.desc.colorMapKind, a.desc.colorMapKind);
        int wrong = 0;
        for (int x = 0; x < a.desc.width; ++x)
            for (int y = 0; y < a.desc.height; ++y) wrong += a.plane.at(x, y) != b.plane.at(x, y);
        for (int bank = 0; bank < kBanks; ++bank)
            for (int cx = 0; cx * 8 < a.desc.width; ++cx)
                for (int cy = 0; cy * 8 < a.desc.height; ++cy)
                    wrong += a.colmap.at(bank, cx, cy) != b.colmap.at(bank, cx, cy);
        EXPECT_EQ(wrong, 0) << index;
    }
    // Through every dialect and back, the db text comes back byte for byte
    // (with the converter's default image 0, as out.asm).
    for (const char* syntax : {"64tass", "acme", "ca65", "dasm", "xa"}) {
        SCOPED_TRACE(syntax);
        ASSERT_EQ(Convert("--syntax " + std::string(syntax) + " " + Path("in.asm") + " " +
                          Path("dialect.s")),
                  0)
            << err;
        EXPECT_TRUE(Text(Path("dialect.s")).starts_with(";@ syntax " + std::string(syntax)));
        ASSERT_EQ(Convert(Path("dialect.s") + " " + Path("db.asm")), 0) << err;
        EXPECT_TRUE(Bytes(Path("db.asm")) == Bytes(Path("out.asm")));
    }
}

// --parts writes every part where --at puts it and the all-parts file; they
// load back into the exported memory. Parts that overlap write nothing.
TEST_F(ConvertTest, PartsLoadBackIntoTheExportedMemory) {
    static ImageStore store;
    RandomImage(store.image(0), 2, 7);
    const std::vector<uint8_t> exported = EncodePrg(store.image(0));
    Write(Path("in.prg"), exported);
    ASSERT_EQ(Convert("--parts " + Path("in.prg") + " " + Path("pic")), 0) << err;
    std::vector<uint8_t> memory(0x10000, 0);
    for (const char* part : {"bitmap", "luminance", "color", "colors"}) {
        const std::vector<uint8_t> file = Bytes(Path("pic_") + part + ".prg");
        ASSERT_GE(file.size(), 2u) << part;
        std::copy(file.begin() + 2, file.end(), memory.begin() + (file[0] | file[1] << 8));
    }
    EXPECT_EQ(Bytes(Path("pic_all.prg")).size(), exported.size());
    std::fill(memory.begin() + 0x1BFA, memory.begin() + 0x1BFE, 0);
    std::vector<uint8_t> unmarked = exported;
    std::fill(unmarked.begin() + 1020, unmarked.begin() + 1024, 0);
    EXPECT_TRUE(std::equal(unmarked.begin() + 2, unmarked.end(), memory.begin() + 0x1800));

    ASSERT_EQ(Convert("--parts --at 'raw bitmap=$4000' " + Path("in.prg") + " " + Path("r")), 0)
        << err;
    EXPECT_TRUE(Bytes(Path("r_bitmap.bin")) ==
                std::vector<uint8_t>(exported.begin() + 2050, exported.end()));
    EXPECT_EQ(Bytes(Path("r_all.prg"))[1], 0x18);
    EXPECT_EQ(Convert("--parts --at 'color=$2100' " + Path("in.prg") + " " + Path("bad")), 1);
    EXPECT_NE(err.find("overlaps"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(Path("bad_bitmap.prg")));
}

// What is not a regular file is refused before it is read: no wait for a
// pipe's writer, no endless read of a device.
TEST_F(ConvertTest, AnInputThatIsNoFileIsRefusedAtOnce) {
    for (const char* pipe : {"pipe.asm", "pipe.prg"})
        ASSERT_EQ(mkfifo(Path(pipe).c_str(), 0600), 0);
    fs::create_directory(Path("folder.asm"));
    for (const char* zero : {"zero.asm", "zero.prg"})
        ASSERT_EQ(symlink("/dev/zero", Path(zero).c_str()), 0);
    for (const char* name : {"pipe.asm", "folder.asm", "zero.asm", "pipe.prg", "zero.prg"}) {
        EXPECT_EQ(Convert(Path(name) + " " + Path("out.prg"), "timeout 10 "), 1) << name;
        EXPECT_EQ(err, "pixolat-convert: " + Path(name) +
                           " is not a regular file; only files are read\n");
    }
    // A pipe as the output is written when a program reads it, else refused at once.
    static ImageStore store;
    Write(Path("in.prg"), EncodePrg(store.image(0)));
    ASSERT_EQ(mkfifo(Path("out.prg").c_str(), 0600), 0);
    EXPECT_EQ(Convert(Path("in.prg") + " " + Path("out.prg"), "timeout 10 "), 1);
    EXPECT_EQ(err, "pixolat-convert: " + Path("out.prg") +
                       " is a pipe that no program reads; nothing was written\n");
    EXPECT_EQ(Convert(Path("in.prg") + " " + Path("out.prg"),
                      "(cat " + Path("out.prg") + " >" + Path("read.prg") + " &); sleep 0.2; "),
              0)
        << err;
    for (int wait = 0; wait < 100 && Bytes(Path("read.prg")).size() < 10050; ++wait)
        std::system("sleep 0.05");
    EXPECT_EQ(Bytes(Path("read.prg")), EncodePrg(store.image(0)));
}

TEST_F(ConvertTest, OutputsKeepLinksAndModesAndNeverLeaveTemporaries) {
    static ImageStore store;
    Write(Path("in.prg"), EncodePrg(store.image(0)));
    const std::vector<uint8_t> old{1, 2, 3};

    Write(Path("target.png"), old);
    ASSERT_EQ(symlink("target.png", Path("link.png").c_str()), 0);
    ASSERT_EQ(symlink("missing.png", Path("dangling.png").c_str()), 0);
    Write(Path("private.png"), old);
    fs::permissions(Path("private.png"), fs::perms::owner_read | fs::perms::owner_write);
    for (const char* name : {"link.png", "dangling.png", "private.png"})
        ASSERT_EQ(Convert(Path("in.prg") + " " + Path(name)), 0) << name << err;
    EXPECT_TRUE(fs::is_symlink(Path("link.png")));
    EXPECT_TRUE(fs::is_symlink(Path("dangling.png")));
    EXPECT_EQ(Bytes(Path("target.png"))[0], 0x89);
    EXPECT_EQ(Bytes(Path("missing.png"))[0], 0x89);
    EXPECT_EQ(fs::status(Path("private.png")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);

    // A name at the system's limit of 255 bytes.
    const std::string longName = std::string(251, 'n') + ".prg";
    ASSERT_EQ(Convert(Path("in.prg") + " " + Path(longName)), 0) << err;
    EXPECT_EQ(Bytes(Path(longName)).size(), 10050u);

    // Past a file size limit the old file stays and nothing is left behind.
    Write(Path("kept.bmp"), old);
    EXPECT_EQ(Convert(Path("in.prg") + " " + Path("kept.bmp"), "ulimit -f 40; "), 1);
    EXPECT_NE(err.find("File too large"), std::string::npos) << err;
    EXPECT_EQ(Bytes(Path("kept.bmp")), old);
    // Interrupted while the data goes to disk: the temporary file goes too.
    if (std::system("strace -V >/dev/null 2>&1") == 0) {
        for (const auto& [number, signal] : {std::pair{SIGINT, "SIGINT"},
                                             {SIGTERM, "SIGTERM"},
                                             {SIGQUIT, "SIGQUIT"},
                                             {SIGUSR1, "SIGUSR1"},
                                             {SIGALRM, "SIGALRM"},
                                             {SIGPIPE, "SIGPIPE"}}) {
            // A signal ignored by whoever started the tests (SIGINT in a shell's
            // background job) stays ignored in the converter, on purpose.
            struct sigaction inherited {};
            sigaction(number, nullptr, &inherited);
            if (inherited.sa_handler == SIG_IGN) continue;
            const std::string tracer =
                "strace -f -o /dev/null -e trace=fsync -e inject=fsync:signal=" +
                std::string(signal) + " ";
            EXPECT_NE(Convert(Path("in.prg") + " " + Path("kept.bmp"), tracer), 0) << signal;
            EXPECT_EQ(Bytes(Path("kept.bmp")), old);
        }
    } else {
        ADD_FAILURE() << "strace is missing (make test installs it)";
    }
    EXPECT_EQ(Leftovers({"in.prg", "target.png", "link.png", "dangling.png", "missing.png",
                         "private.png", longName, "kept.bmp"}),
              std::vector<std::string>{});
}

TEST_F(ConvertTest, RunnableWrapsTheExportOrTheDfliLayout) {
    static ImageStore store;
    RandomImage(store.image(1), 2, 41);
    Write(Path("multi.prg"), EncodePrg(store.image(1)));
    ASSERT_EQ(Convert("--runnable " + Path("multi.prg") + " " + Path("show.prg")), 0) << err;
    EXPECT_EQ(Bytes(Path("show.prg")), EncodeRunnablePrg(store.image(1)));
    // It reads back as the picture it shows.
    ASSERT_EQ(Convert("--info " + Path("show.prg")), 0) << err;
    EXPECT_NE(out.find(": PRG format 2 (multicolor bitmap with attributes), load address $1001, "
                       "12097 bytes"),
              std::string::npos)
        << out;
    ASSERT_EQ(Convert(Path("show.prg") + " " + Path("back.prg")), 0) << err;
    EXPECT_EQ(Bytes(Path("back.prg")), Bytes(Path("multi.prg")));

    // A DFLI picture shows itself from its DFLI layout, read back whole.
    Image& dfli = store.image(2);
    RandomImage(dfli, 1, 42);
    dfli.desc.colorMapKind = ColorMapKind::Dfli;
    Write(Path("dfli.p4i"), EncodeDfliPrg(dfli));
    ASSERT_EQ(Convert("--runnable " + Path("dfli.p4i") + " " + Path("dfli-show.prg")), 0) << err;
    EXPECT_EQ(Bytes(Path("dfli-show.prg")), EncodeRunnablePrg(dfli));
    ASSERT_EQ(Convert(Path("dfli-show.prg") + " " + Path("dfli-back.prg")), 0) << err;
    EXPECT_EQ(Bytes(Path("dfli-back.prg")), Bytes(Path("dfli.p4i")));
    EXPECT_EQ(Convert("--runnable " + Path("multi.prg") + " " + Path("show.png")), 2);
    EXPECT_EQ(Leftovers({"multi.prg", "show.prg", "back.prg", "dfli.p4i", "dfli-show.prg",
                         "dfli-back.prg"}),
              std::vector<std::string>{});

    EXPECT_EQ(Convert("--version"), 0);
    EXPECT_EQ(out, "pixolat-convert " PIXOLAT_VERSION "\n");
}

TEST_F(ConvertTest, PrgOutputKeepsTheImagesKindOrTheChosenLayoutAndSaysWhatItDrops) {
    static ImageStore store;
    Image& image = store.image(1);
    RandomImage(image, 2, 43);
    image.desc.colorMapKind = ColorMapKind::Dfli;
    for (int bank = 1; bank < kBanks; ++bank)
        for (int cx = 0; cx < 40; ++cx)
            for (int cy = 0; cy < 25; ++cy) image.lummap.at(bank, cx, cy) = uint8_t(cx * cy + bank);
    const std::vector<uint8_t> dfli = EncodeDfliPrg(image);
    Write(Path("in.prg"), dfli);
    ASSERT_EQ(Convert(Path("in.prg") + " " + Path("same.prg")), 0) << err;
    EXPECT_EQ(Bytes(Path("same.prg")), dfli);
    EXPECT_EQ(err, "");
    // Through source text and back: every bank and pixel (the text does not
    // carry the two image-wide colors).
    ASSERT_EQ(Convert(Path("in.prg") + " " + Path("in.asm")), 0) << err;
    ASSERT_EQ(Convert(Path("in.asm") + " " + Path("back.prg")), 0) << err;
    std::vector<uint8_t> back = Bytes(Path("back.prg"));
    ASSERT_EQ(back.size(), dfli.size());
    const std::size_t colors = kMulticolorDfliBase + kDfliMarkerOffset + 4;
    std::copy_n(dfli.begin() + colors, 2, back.begin() + colors);
    EXPECT_EQ(back, dfli);

    ASSERT_EQ(Convert("--layout bitmap " + Path("in.prg") + " " + Path("plain.prg")), 0) << err;
    EXPECT_EQ(Bytes(Path("plain.prg")), EncodePrg(image));
    EXPECT_EQ(err, "pixolat-convert: warning: " + Path("plain.prg") +
                       ": left out color banks 1 to 3 of the DFLI picture\n");
    ASSERT_EQ(Convert("--layout=charset " + Path("in.prg") + " " + Path("chars.prg")), 0) << err;
    EXPECT_EQ(Bytes(Path("chars.prg")), EncodeCharsetPrg(image));
    EXPECT_NE(err.find("left out everything past 256 x 64"), std::string::npos) << err;

    // A character set passes through whole, in the order it had.
    Image& chars = store.image(2);
    RandomImage(chars, 2, 44);
    chars.desc = ImageDescriptor{"", 256, 64, 2, Layout::Charset, ColorMapKind::None, 0, 0};
    for (const bool columns : {true, false}) {
        Write(Path("chars-in.prg"), EncodeCharsetPrg(chars, columns));
        ASSERT_EQ(Convert(Path("chars-in.prg") + " " + Path("chars-out.prg")), 0) << err;
        EXPECT_EQ(Bytes(Path("chars-out.prg")), Bytes(Path("chars-in.prg"))) << columns;
        EXPECT_EQ(err, "");
    }
    // And through source text: the same pixels as a character set again.
    ASSERT_EQ(Convert(Path("chars-in.prg") + " " + Path("chars.asm")), 0) << err;
    ASSERT_EQ(Convert(Path("chars.asm") + " " + Path("chars-back.prg")), 0) << err;
    EXPECT_EQ(Bytes(Path("chars-back.prg")), Bytes(Path("chars-in.prg")));

    // A converted DFLI picture is written as one, hires and multicolor.
    Picture picture{320, 200, std::vector<RgbColor>(320 * 200, MakeRgbColor(200, 40, 40))};
    Write(Path("red.png"), EncodePictureFile(picture, PictureFileType::Png));
    for (const auto& [mode, size] : {std::pair{"dfli", 16403u}, {"dfli --multicolor", 17146u}}) {
        ASSERT_EQ(Convert("--convert " + std::string(mode) + " " + Path("red.png") + " " +
                          Path("red.prg")),
                  0)
            << err;
        EXPECT_EQ(Bytes(Path("red.prg")).size(), size) << mode;
        ASSERT_EQ(Convert("--info " + Path("red.prg")), 0) << err;
        EXPECT_NE(out.find("color map DFLI"), std::string::npos) << out;
    }
    EXPECT_EQ(Convert("--layout dfli " + Path("in.prg") + " " + Path("out.png")), 2);
    EXPECT_EQ(Convert("--layout tiles " + Path("in.prg") + " " + Path("out.prg")), 2);
    EXPECT_NE(err.find("--layout takes bitmap, dfli or charset, not 'tiles'"), std::string::npos);
}

TEST_F(ConvertTest, ConvertMatchesThePicturesColorsInEveryMode) {
    // Two table colors per 8 x 8 cell, pixels two columns wide: every mode
    // gives the picture back exactly.
    std::mt19937 random(5);
    Picture picture{320, 200, std::vector<RgbColor>(320 * 200)};
    for (int cy = 0; cy < 25; ++cy)
        for (int cx = 0; cx < 40; ++cx) {
            const int codes[2] = {int(random() % 8) * 16 + 1 + int(random() % 15),
                                  int(random() % 8) * 16};
            for (int y = 8 * cy; y < 8 * cy + 8; ++y)
                for (int x = 8 * cx; x < 8 * cx + 8; x += 2) {
                    const auto& t = ColorTriplet(codes[random() % 2]);
                    picture.at(x, y) = picture.at(x + 1, y) = MakeRgbColor(t[0], t[1], t[2]);
                }
        }
    Write(Path("in.png"), EncodePictureFile(picture, PictureFileType::Png));
    for (const std::string mode :
         {"--convert hires", "--convert multicolor --dither ordered --strength 50",
          "--convert dfli --dither diffusion", "--convert dfli --multicolor --fit stretch"}) {
        SCOPED_TRACE(mode);
        ASSERT_EQ(Convert(mode + " " + Path("in.png") + " " + Path("out.png")), 0) << err;
        EXPECT_EQ(ReadPictureFile(Path("out.png"), 640, 1024).pixels, picture.pixels);
    }
    ASSERT_EQ(Convert("--convert dfli --multicolor " + Path("in.png") + " " + Path("out.s")), 0);
    EXPECT_NE(Text(Path("out.s")).find("320*200 m dfli"), std::string::npos);
}

TEST_F(ConvertTest, ConvertRefusesWhatThePictureImportRefusesAndMeaninglessOptions) {
    // A bitmap that claims 20000 x 20000 pixels and holds none of them.
    std::vector<uint8_t> bmp(1054, 0);
    const uint32_t fields[] = {54 + 20000u * 20000u * 3u, 0, 54, 40, 20000, 20000};
    bmp[0] = 'B', bmp[1] = 'M';
    for (std::size_t f = 0; f < std::size(fields); ++f)
        for (int k = 0; k < 4; ++k) bmp[2 + 4 * f + std::size_t(k)] = uint8_t(fields[f] >> 8 * k);
    bmp[26] = 1, bmp[28] = 24;
    Write(Path("huge.bmp"), bmp);
    EXPECT_EQ(Convert(Path("huge.bmp") + " " + Path("plain.prg")), 1);
    const std::string plainError = err;
    EXPECT_EQ(Convert("--convert hires " + Path("huge.bmp") + " " + Path("out.prg")), 1);
    // Converted whole, more of it is kept: the same refusal, a larger figure.
    EXPECT_EQ(err.substr(0, err.find(" would take")),
              plainError.substr(0, plainError.find(" would take")));
    EXPECT_NE(err.find("Cannot load picture"), std::string::npos) << err;

    Write(Path("in.png"),
          EncodePictureFile(Picture{3, 5, std::vector<RgbColor>(15)}, PictureFileType::Png));
    static ImageStore store;
    Write(Path("in.prg"), EncodePrg(store.image(0)));
    const std::string io = " " + Path("in.png") + " " + Path("out.prg");
    for (const std::string& arguments :
         {"--dither ordered" + io, "--convert hires --dither none --strength 20" + io,
          "--convert hires --multicolor" + io, "--convert sepia" + io,
          "--convert hires --dither blue" + io, "--convert hires --gamma 9" + io,
          "--convert hires --contrast 101" + io, "--convert hires --fit zoom" + io,
          "--convert hires " + Path("in.prg") + " " + Path("out.png"),
          "--convert hires --info " + Path("in.png")}) {
        SCOPED_TRACE(arguments);
        EXPECT_EQ(Convert(arguments), 2);
        EXPECT_EQ(Lines(err), 2) << err;
    }
    EXPECT_EQ(Leftovers({"huge.bmp", "in.png", "in.prg"}), std::vector<std::string>{});
}
