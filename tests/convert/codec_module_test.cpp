// The converter opens the picture codec module only for pictures: without
// it, or with a broken one, conversions without pictures still work and
// picture conversions fail with one clear line.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QLibraryInfo>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/picture/picture_codec_module.h"
#include "document/image_store.h"
#include "formats/prg_format.h"

using namespace pixolat;
namespace fs = std::filesystem;

namespace {

class CodecModule : public ::testing::Test {
protected:
    CodecModule() {
        std::string pattern = (fs::temp_directory_path() / "pixolat-codec-XXXXXX").string();
        folder_ = mkdtemp(pattern.data());
        fs::create_directory(folder_ / "bin");
        // The program alone in a folder of its own, as if the module were not installed.
        fs::copy_file(PIXOLAT_CONVERT_PROGRAM, Program());
        static ImageStore store;
        Image& image = store.image(0);
        for (int x = 0; x < 320; ++x) image.plane.at(x, (x * 7) % 200) = 1;
        Write(Path("in.prg"), EncodePrg(image));
        prg_ = Text(Path("in.prg"));
    }
    ~CodecModule() override {
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }

    std::string Path(const std::string& name) const { return (folder_ / name).string(); }
    std::string Program() const { return Path("bin/pixolat-convert"); }
    std::string ModuleBeside() const { return Path("bin/") + kPictureCodecModuleFile; }

    int Convert(const std::string& program, const std::string& arguments) {
        const std::string command =
            program + " " + arguments + " >" + Path("stdout.txt") + " 2>" + Path("stderr.txt");
        const int status = std::system(command.c_str());
        out = Text(Path("stdout.txt"));
        err = Text(Path("stderr.txt"));
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    int Convert(const std::string& arguments) { return Convert(Program(), arguments); }

    static std::string Text(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void Write(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    }
    static void Write(const std::string& path, const std::vector<uint8_t>& bytes) {
        Write(path, std::string(bytes.begin(), bytes.end()));
    }

    std::string out, err, prg_;
    fs::path folder_;
};

// A one-pixel GIF: read through an image plugin, not a handler built into QtGui.
const std::string kGif(
    "GIF89a\x01\x00\x01\x00\x80\x00\x00\x12\x34\x56\x00\x00\x00"
    ",\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;",
    35);

}  // namespace

TEST_F(CodecModule, ConversionsWithoutPicturesNeedNoModuleAndNeverOpenABrokenOne) {
    for (const bool broken : {false, true}) {
        SCOPED_TRACE(broken ? "broken module" : "no module");
        if (broken) Write(ModuleBeside(), std::string(256, 'x'));
        ASSERT_EQ(Convert(Path("in.prg") + " " + Path("out.asm")), 0) << err;
        ASSERT_EQ(Convert(Path("out.asm") + " " + Path("back.prg")), 0) << err;
        EXPECT_EQ(Text(Path("back.prg")), prg_);
        ASSERT_EQ(Convert("--info " + Path("in.prg")), 0) << err;
        EXPECT_NE(out.find("PRG format"), std::string::npos) << out;
        EXPECT_EQ(err, "");
    }
}

TEST_F(CodecModule, PictureConversionsSayWhyTheModuleCannotServeAndWriteNothing) {
    Write(Path("in.bmp"), "BM");
    Write(Path("in.gif"), kGif);
    const fs::path foreign = fs::path(QLibraryInfo::path(QLibraryInfo::PluginsPath).toStdString()) /
                             "imageformats" / "libqgif.so";
    const struct {
        const char* module;  // what lies where the module belongs
        std::string reason;
    } cases[] = {
        {nullptr, "the picture codec pixolat-picture-codec.so is not installed (neither " +
                      ModuleBeside() + " nor "},
        {"garbage", "the picture codec " + ModuleBeside() + " does not load (invalid ELF header)"},
        {"foreign", ModuleBeside() + " is not the picture codec of pixolat-convert "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.module ? c.module : "none");
        fs::remove(ModuleBeside());
        if (c.module && std::string(c.module) == "garbage")
            Write(ModuleBeside(), std::string(256, 'x'));
        if (c.module && std::string(c.module) == "foreign") {
            if (!fs::exists(foreign)) GTEST_SKIP() << foreign << " is missing";
            fs::copy_file(foreign, ModuleBeside());
        }
        for (const std::string& arguments :
             {Path("in.prg") + " " + Path("out.png"), Path("in.prg") + " " + Path("out.bmp"),
              Path("in.bmp") + " " + Path("out.prg"), Path("in.gif") + " " + Path("out.prg"),
              "--info " + Path("in.gif")}) {
            SCOPED_TRACE(arguments);
            EXPECT_EQ(Convert(arguments), 1);
            EXPECT_EQ(
                err.rfind("pixolat-convert: pictures cannot be read or written: " + c.reason, 0),
                0u)
                << err;
            EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
            // A missing module names the package that brings it.
            EXPECT_EQ(err.ends_with("; install the package pixolat-picture-codec\n"), !c.module)
                << err;
            EXPECT_EQ(out, "");
        }
        EXPECT_FALSE(fs::exists(Path("out.png")) || fs::exists(Path("out.bmp")) ||
                     fs::exists(Path("out.prg")));
    }
}

TEST_F(CodecModule, IsFoundInTheInstalledLibraryFolder) {
    const fs::path installed = folder_ / "bin" / PIXOLAT_CODEC_MODULE_FROM_PROGRAM;
    fs::create_directories(installed);
    fs::copy_file(PIXOLAT_CODEC_MODULE, installed / kPictureCodecModuleFile);
    ASSERT_EQ(Convert(Path("in.prg") + " " + Path("out.png")), 0) << err;
    ASSERT_EQ(Convert(PIXOLAT_CONVERT_PROGRAM, Path("in.prg") + " " + Path("built.png")), 0) << err;
    EXPECT_EQ(Text(Path("out.png")), Text(Path("built.png")));
    Write(Path("in.gif"), kGif);
    ASSERT_EQ(Convert("--info " + Path("in.gif")), 0) << err;
    EXPECT_EQ(out.rfind(Path("in.gif") + ": picture, 1 x 1\n", 0), 0u) << out;
}

// The program finds the module by the path it was started with, not through
// /proc (a chroot or a container may have none): through a relative path,
// through a symlink in another folder, and with /proc empty.
TEST_F(CodecModule, IsFoundWithoutProcThroughARelativePathOrASymlink) {
    fs::copy_file(PIXOLAT_CODEC_MODULE, ModuleBeside());
    fs::create_directory(folder_ / "elsewhere");
    fs::create_symlink(Program(), folder_ / "elsewhere" / "convert");
    ASSERT_EQ(Convert(PIXOLAT_CONVERT_PROGRAM, Path("in.prg") + " " + Path("built.png")), 0) << err;
    const std::string arguments = Path("in.prg") + " " + Path("out.png");
    for (const std::string& program :
         {"cd " + Path("bin") + " && ./pixolat-convert", Path("elsewhere/convert")}) {
        SCOPED_TRACE(program);
        EXPECT_EQ(Convert(program, arguments), 0) << err;
        EXPECT_EQ(Text(Path("out.png")), Text(Path("built.png")));
        fs::remove(Path("out.png"));
    }
    if (std::system("unshare --mount true 2>/dev/null") != 0)
        GTEST_SKIP() << "no mount namespace here for a run without /proc";
    // The sanitizers read /proc themselves and complain at exit without it,
    // so the picture written is what tells.
    Convert("unshare --mount sh -c 'mount -t tmpfs none /proc && exec \"$0\" \"$@\"' " + Program(),
            arguments);
    EXPECT_EQ(err.find("pictures cannot be read"), std::string::npos) << err;
    EXPECT_EQ(Text(Path("out.png")), Text(Path("built.png")));
}

// The module leaves the image plugins out while it only writes; a picture
// read afterwards must still find them. A fresh process, where nothing has
// loaded the plugins yet.
TEST_F(CodecModule, ReadsPluginPicturesAfterWritingOne) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    Write(Path("in.gif"), kGif);
    const std::string gif = Path("in.gif");
    EXPECT_EXIT(
        {
            void* module = dlopen(PIXOLAT_CODEC_MODULE, RTLD_NOW | RTLD_LOCAL);
            const auto entry =
                module
                    ? reinterpret_cast<PictureCodecEntry>(dlsym(module, kPictureCodecModuleEntry))
                    : nullptr;
            if (!entry) std::_Exit(2);
            const PictureCodecCalls& codec = *entry();
            std::vector<uint8_t> png;
            std::string error;
            codec.encodePictureFile(Picture{1, 1, {0x123456}}, PictureFileType::Png, png, error);
            if (!error.empty() || png.empty()) std::_Exit(3);
            Picture picture;
            PictureSize size;
            codec.readPictureFile(gif, 640, 1024, picture, size, error);
            std::fprintf(stderr, "%s", error.c_str());
            const bool read = error.empty() && picture.pixels == std::vector<RgbColor>{0x563412};
            std::error_code ec;
            fs::remove_all(folder_, ec);
            // Exits without the leak check: the toolkit keeps its caches to the end.
            std::_Exit(read ? 0 : 4);
        },
        ::testing::ExitedWithCode(0), "");
}
