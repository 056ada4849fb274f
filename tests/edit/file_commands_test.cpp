#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

#include "document/colors.h"
#include "edit/editor.h"
#include "edit/image_files.h"
#include "formats/prg_format.h"
#include "formats/runnable_prg.h"
#include "support/scripted_platform.h"
#include "support/temp_folder.h"

using namespace pixolat;
using pixolat::testing::ScriptedPlatform;
using pixolat::testing::TempFolder;
namespace fs = std::filesystem;

namespace {

const char* const kUnknownPrg =
    "Could not determine PRG format.\rPlease email this file to the author!";

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// A multicolor $1800 picture: a diagonal of value 3 pixels, one colored cell.
std::vector<uint8_t> SamplePrg() {
    std::vector<uint8_t> file(10050, 0);
    file[1] = 0x18;
    file[1020] = 'M';
    file[1024] = 0x17;  // color3 $71
    file[1025] = 0x20;  // color0 $02
    for (int i = 0; i < 8; ++i) file[2050 + i] = uint8_t(0xC0 >> (i & ~1));
    file[2 + 5] = 0x46;
    file[1026 + 5] = 0x2B;
    return file;
}

struct EditorFixture : ::testing::Test {
    ScriptedPlatform platform;
    Editor editor{platform};
    TempFolder folder;

    std::vector<std::string> RecentCaptions() {
        std::vector<std::string> captions;
        for (int n = 1; n <= 4; ++n) {
            const MenuItem& item = MenuItemNamed(editor.menu(), "mnuFileMRU" + std::to_string(n));
            if (item.visible) captions.push_back(item.caption);
        }
        return captions;
    }
};

}  // namespace

using PrgCommands = EditorFixture;

TEST_F(PrgCommands, ImportThroughTheMenuDecodesIntoTheCurrentImage) {
    const std::string path = folder / "pic.prg";
    WriteBytes(path, SamplePrg());
    editor.state().cursorX = 319;
    platform.fileDialogAnswers.push_back(path);
    editor.RunMenuCommand("mnuFileImportPRG");

    EXPECT_EQ(platform.lastDialogOptions.filter,
              "PRG Files (*.prg)|*.prg;*.p4i|All Files (*.*)|*.*");
    EXPECT_EQ(platform.lastDialogOptions.defaultExtension, "prg");
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(editor.statusText(3), "Loaded PRG file (" + path + ")");
    const Image& image = editor.currentImage();
    EXPECT_EQ(image.desc.pixelWidth, 2);
    EXPECT_EQ(ColorCodeAt(image, 0, 0), 0x71);  // value 3
    EXPECT_EQ(ColorCodeAt(image, 2, 0), 0x02);  // value 0
    EXPECT_EQ(ColorCodeAt(image, 2, 2), 0x71);
    EXPECT_EQ(ColorCodeAt(image, 40, 0), 0x02);
    // The cursor lands on a whole multicolor pixel.
    EXPECT_EQ(editor.state().cursorX, 318);
    // The import does not list the file among the recent ones.
    EXPECT_TRUE(RecentCaptions().empty());
}

TEST_F(PrgCommands, UnknownUnreadableAndCancelledImportsChangeNothing) {
    const std::string path = folder / "odd.prg";
    WriteBytes(path, std::vector<uint8_t>(1234, 0x55));
    ImportPrgFile(editor, path);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0], kUnknownPrg);
    EXPECT_EQ(editor.statusText(3), "Ready.");
    EXPECT_EQ(editor.currentImage().desc.width, 320);
    EXPECT_EQ(ColorCodeAt(editor.currentImage(), 0, 0), 0x51);

    platform.fileDialogAnswers.push_back(folder / "missing.prg");
    editor.RunMenuCommand("mnuFileImportPRG");
    ASSERT_EQ(platform.messages.size(), 2u);
    EXPECT_NE(platform.messages[1].find("missing.prg"), std::string::npos);
    EXPECT_EQ(editor.statusText(3), "Ready.");

    editor.RunMenuCommand("mnuFileImportPRG");  // cancelled
    EXPECT_EQ(platform.messages.size(), 2u);
}

TEST_F(PrgCommands, A50MegabyteFileImportsOnlyWhatALayoutNeeds) {
    const std::string path = folder / "huge.prg";
    {
        std::ofstream out(path, std::ios::binary);
        std::vector<char> chunk(1 << 20, char(0xAA));
        chunk[0] = 0x00;
        chunk[1] = 0x18;
        chunk[1020] = 0;
        for (int i = 0; i < 50; ++i) {
            out.write(chunk.data(), std::streamsize(chunk.size()));
            chunk[0] = chunk[1] = chunk[1020] = char(0xAA);
        }
    }
    ImportPrgFile(editor, path);
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(editor.statusText(3), "Loaded PRG file (" + path + ")");
    EXPECT_EQ(editor.currentImage().plane.at(0, 0), 1);
    EXPECT_EQ(editor.currentImage().plane.at(1, 0), 0);
}

TEST_F(PrgCommands, ExportWritesTheFileAndListsIt) {
    Image& image = editor.currentImage();
    image.plane.at(0, 0) = 1;
    image.lummap.at(0, 0, 0) = 0x77;
    const std::string path = folder / "out.prg";
    platform.fileDialogAnswers.push_back(path);
    editor.RunMenuCommand("mnuFileExportPRG");
    EXPECT_EQ(platform.lastDialogOptions.filter, "PRG Files (*.prg)|*.prg|All Files (*.*)|*.*");
    EXPECT_EQ(platform.lastDialogOptions.defaultExtension, "prg");
    const std::vector<uint8_t> bytes = ReadBytes(path);
    ASSERT_EQ(bytes.size(), 10050u);
    EXPECT_EQ(bytes[1], 0x18);
    EXPECT_EQ(bytes[2], 0x77);
    EXPECT_EQ(bytes[3], 0x53);
    EXPECT_EQ(bytes[1026], 0x11);
    EXPECT_EQ(bytes[2050], 0x80);
    EXPECT_EQ(editor.ui().recentFiles[0], path);
    EXPECT_EQ(RecentCaptions(), std::vector<std::string>{"(1) out.prg"});
    EXPECT_TRUE(MenuItemNamed(editor.menu(), "mnuFile4").visible);
    // Export says where the file went.
    EXPECT_EQ(editor.statusText(3), "Exported PRG file (" + path + ")");
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(PrgCommands, ExportSaysWhatItLeavesOutAndTheKeepingLayoutsReadBack) {
    Image& image = editor.currentImage();
    image.desc.colorMapKind = ColorMapKind::Dfli;
    image.lummap.at(3, 39, 24) = 0x45;
    image.plane.at(319, 199) = 1;
    platform.fileDialogAnswers.push_back(folder / "plain.prg");
    editor.RunMenuCommand("mnuFileExportPRG");
    EXPECT_EQ(ReadBytes(folder / "plain.prg").size(), 10050u);
    EXPECT_EQ(editor.statusText(3), "Export .PRG left out color banks 1 to 3 of the DFLI picture.");

    const std::string path = folder / "dfli.prg";
    platform.fileDialogAnswers.push_back(path);
    editor.RunMenuCommand("mnuFileExportDfliPRG");
    EXPECT_EQ(editor.statusText(3), "Exported PRG file (" + path + ")");
    EXPECT_EQ(editor.ui().recentFiles[0], path);
    image.lummap.at(3, 39, 24) = 0;
    image.plane.at(319, 199) = 0;
    ImportPrgFile(editor, path);
    EXPECT_EQ(image.lummap.at(3, 39, 24), 0x45);
    EXPECT_EQ(image.plane.at(319, 199), 1);
    EXPECT_EQ(image.desc.colorMapKind, ColorMapKind::Dfli);

    platform.fileDialogAnswers.push_back(folder / "chars.prg");
    editor.RunMenuCommand("mnuFileExportCharsetPRG");
    EXPECT_EQ(ReadBytes(folder / "chars.prg").size(), 2050u);
    EXPECT_EQ(editor.statusText(3),
              "Export Charset .PRG left out everything past 256 x 64 of the 320 x 200 image, the "
              "colors and the hires pixel width (read back as multicolor).");
    EXPECT_TRUE(platform.messages.empty());
}

// Export Parts: the addresses asked (starting from the remembered ones) place
// each part; impossible ones are refused before the save dialog; the choice
// is remembered.
TEST_F(PrgCommands, ExportPartsWritesEachPartWhereAsked) {
    WriteBytes(folder / "in.prg", SamplePrg());
    ImportPrgFile(editor, folder / "in.prg");
    platform.inputAnswers.push_back("bitmap=$2000 luminance=$2000");
    editor.RunMenuCommand("mnuFileExportParts");
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_NE(platform.messages[0].find("overlaps"), std::string::npos) << platform.messages[0];
    EXPECT_FALSE(fs::exists(folder / "pic_bitmap.prg"));

    platform.inputAnswers.push_back("raw luminance=$0400");
    platform.fileDialogAnswers.push_back(folder / "pic.bin");
    editor.RunMenuCommand("mnuFileExportParts");
    const std::vector<uint8_t> file = SamplePrg();
    EXPECT_TRUE(ReadBytes(folder / "pic_bitmap.bin") ==
                std::vector<uint8_t>(file.begin() + 2050, file.end()));
    EXPECT_TRUE(ReadBytes(folder / "pic_colors.bin") == (std::vector<uint8_t>{0x17, 0x20}));
    const std::vector<uint8_t> all = ReadBytes(folder / "pic_all.prg");
    ASSERT_EQ(all.size(), 2 + 0x3F40 - 0x0400u);
    EXPECT_EQ(all[0] | all[1] << 8, 0x0400);
    EXPECT_EQ(all[2 + 5], 0x46);  // the luminance's sixth cell
    EXPECT_EQ(platform.settings["PartAddresses"].substr(0, 32), "raw bitmap=$2000 luminance=$0400");
    EXPECT_EQ(editor.statusText(3),
              "Exported 4 parts and all of them as " + (folder / "pic_all.prg"));
}

TEST_F(PrgCommands, FailedExportLeavesFilesAndRecentListAlone) {
    AddRecentFile(editor, "C:\\gfx\\pic.prg");
    const std::string path = folder / "nofolder/out.prg";
    platform.fileDialogAnswers.push_back(path);
    editor.RunMenuCommand("mnuFileExportPRG");
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_NE(platform.messages[0].find("out.prg"), std::string::npos);
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(editor.ui().recentFiles[0], "C:\\gfx\\pic.prg");
    EXPECT_EQ(editor.ui().recentFiles[1], "");

    editor.RunMenuCommand("mnuFileExportPRG");  // cancelled
    EXPECT_EQ(platform.messages.size(), 1u);
}

using RecentFiles = EditorFixture;

TEST_F(RecentFiles, NewestFirstFourKeptListedPathsStay) {
    EXPECT_TRUE(RecentCaptions().empty());
    EXPECT_FALSE(MenuItemNamed(editor.menu(), "mnuFile4").visible);
    AddRecentFile(editor, "");
    EXPECT_TRUE(RecentCaptions().empty());
    EXPECT_FALSE(MenuItemNamed(editor.menu(), "mnuFile4").visible);

    for (const char* name : {"a.prg", "b.prg", "c.prg", "d.prg", "e.prg"}) {
        platform.fileDialogAnswers.push_back(folder / name);
        editor.RunMenuCommand("mnuFileExportPRG");
    }
    const std::vector<std::string> expected{"(1) e.prg", "(2) d.prg", "(3) c.prg", "(4) b.prg"};
    EXPECT_EQ(RecentCaptions(), expected);
    platform.fileDialogAnswers.push_back(folder / "b.prg");
    editor.RunMenuCommand("mnuFileExportPRG");
    EXPECT_EQ(RecentCaptions(), expected);
    EXPECT_EQ(editor.ui().recentFiles[3], folder / "b.prg");
    // Paths are compared exactly: another case is another entry.
    platform.fileDialogAnswers.push_back(folder / "B.prg");
    editor.RunMenuCommand("mnuFileExportPRG");
    EXPECT_EQ(RecentCaptions(),
              (std::vector<std::string>{"(1) B.prg", "(2) e.prg", "(3) d.prg", "(4) c.prg"}));

    editor.ui().recentFiles = {"C:\\gfx\\pic.prg", "", "D:old.prg", "/gfx/R&D&&.prg"};
    AddRecentFile(editor, "");
    // A "&" of a name is shown as it is, not as the access key.
    EXPECT_EQ(RecentCaptions(),
              (std::vector<std::string>{"(1) pic.prg", "(3) old.prg", "(4) R&&D&&&&.prg"}));
    EXPECT_FALSE(MenuItemNamed(editor.menu(), "mnuFileMRU2").visible);
    EXPECT_TRUE(MenuItemNamed(editor.menu(), "mnuFile4").visible);
}

TEST_F(RecentFiles, ChoosingAnEntryImportsIt) {
    const std::string path = folder / "pic.prg";
    WriteBytes(path, SamplePrg());
    editor.ui().recentFiles = {folder / "gone.prg", path, "", ""};
    AddRecentFile(editor, "");
    editor.RunMenuCommand("mnuFileMRU2");
    EXPECT_EQ(editor.statusText(3), "Loaded PRG file (" + path + ")");
    EXPECT_EQ(editor.currentImage().desc.pixelWidth, 2);
    EXPECT_EQ(MenuItemNamed(editor.menu(), "mnuEditUndo").caption, "&Undo Open pic.prg");
    editor.RunMenuCommand("mnuEditUndo");
    EXPECT_EQ(editor.currentImage().desc.pixelWidth, 1);
    EXPECT_EQ(editor.statusText(3), "Undone: Open pic.prg");

    editor.RunMenuCommand("mnuFileMRU1");
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_NE(platform.messages[0].find("gone.prg"), std::string::npos);
    EXPECT_EQ(editor.ui().recentFiles[0], folder / "gone.prg");
}

using DroppedFiles = EditorFixture;

TEST_F(DroppedFiles, TheFirstPrgOrElseTheLastExistingFileIsImported) {
    const std::string picture = folder / "x.bmp";
    const std::string prg = folder / "Y.PRG";
    const std::string other = folder / "z.prg";
    WriteBytes(picture, std::vector<uint8_t>(100, 1));
    WriteBytes(prg, SamplePrg());
    WriteBytes(other, SamplePrg());

    AcceptDroppedFiles(editor, {folder / "missing.prg", picture, prg, other});
    EXPECT_EQ(editor.statusText(3), "Loaded PRG file (" + prg + ")");
    EXPECT_TRUE(platform.messages.empty());

    // A lone file that is neither picture nor text is tried as a .PRG, with
    // that import's own result.
    AcceptDroppedFiles(editor, {picture});
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0], kUnknownPrg);

    // A folder or a missing last path imports nothing.
    editor.ShowStatus("idle");
    AcceptDroppedFiles(editor, {folder / "."});
    AcceptDroppedFiles(editor, {picture, folder / "missing.bmp"});
    AcceptDroppedFiles(editor, {});
    EXPECT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(editor.statusText(3), "idle");
}

// Dropped or named on the command line, a file goes where its content says.
TEST_F(DroppedFiles, AFileIsOpenedByWhatItHolds) {
    Picture dot;
    dot.width = dot.height = 2;
    dot.pixels = {0, 0, 0, 0x000001};
    const std::string bmp = folder / "tiny.bmp";
    WriteBytes(bmp, {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0});
    platform.pictures[bmp] = dot;
    // The size of a bare bitmap .PRG, but a picture all the same.
    const std::string png = folder / "dot.png";
    std::vector<uint8_t> pngBytes(8002, 0);
    const uint8_t signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::copy(std::begin(signature), std::end(signature), pngBytes.begin());
    WriteBytes(png, pngBytes);
    platform.pictures[png] = dot;
    Image& image = editor.currentImage();

    AcceptDroppedFiles(editor, {bmp});
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(image.plane.at(1, 1), 1);
    image.plane.at(1, 1) = 0;
    OpenFileByContent(editor, png);
    EXPECT_EQ(image.plane.at(1, 1), 1);
    EXPECT_EQ(image.plane.at(8, 0), 0) << "no bitmap decoded from the PNG's bytes";
    EXPECT_EQ(image.desc.pixelWidth, 1);

    const std::string source = folder / "logo.asm";
    const std::string text = "Logo\t; 8*8 h none\r\n\tDB $FF,$00,$00,$00,$00,$00,$00,$00\r\n";
    WriteBytes(source, std::vector<uint8_t>(text.begin(), text.end()));
    AcceptDroppedFiles(editor, {bmp, source});
    EXPECT_EQ(editor.statusText(3), "Loaded source file (" + source + ", 1 image)");
    EXPECT_EQ(image.desc.name, "Logo");
    EXPECT_EQ(image.desc.width, 8);

    // A .prg is still a .PRG, and text that holds no data is not loaded as source.
    const std::string prg = folder / "pic.prg";
    WriteBytes(prg, SamplePrg());
    OpenFileByContent(editor, prg);
    EXPECT_EQ(editor.statusText(3), "Loaded PRG file (" + prg + ")");
    const std::string notes = folder / "notes.txt";
    const std::string words = "Colors for the title\nTry $71 on black\n";
    WriteBytes(notes, std::vector<uint8_t>(words.begin(), words.end()));
    OpenFileByContent(editor, notes);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0], kUnknownPrg);
    EXPECT_EQ(image.desc.name, "Logo");
}

TEST_F(DroppedFiles, CtrlAltCReplacesOnlyABmpPictureOfItsName) {
    platform.exportPicturePath = folder / "export.bmp";
    const std::vector<uint8_t> letter = {'D', 'e', 'a', 'r', ' ', 'B', 'o', 'b'};
    WriteBytes(platform.exportPicturePath, letter);
    editor.FormKeyDown('C', kCtrl | kAlt);
    EXPECT_EQ(platform.clipboard.size(), 1u);
    EXPECT_EQ(platform.savedBitmaps.count(platform.exportPicturePath), 0u);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0], "The view picture was not written: \"" +
                                        platform.exportPicturePath +
                                        "\" is not a BMP picture, and it is kept as it is.");
    EXPECT_EQ(ReadBytes(platform.exportPicturePath), letter);

    WriteBytes(platform.exportPicturePath, {'B', 'M', 0, 0, 0, 0});
    editor.FormKeyDown('C', kCtrl | kAlt);
    EXPECT_EQ(platform.savedBitmaps.count(platform.exportPicturePath), 1u);
    fs::remove(platform.exportPicturePath);
    platform.savedBitmaps.clear();
    editor.FormKeyDown('C', kCtrl | kAlt);
    EXPECT_EQ(platform.savedBitmaps.count(platform.exportPicturePath), 1u);
    EXPECT_EQ(platform.messages.size(), 1u);
}

using PictureCommands = EditorFixture;

TEST_F(PictureCommands, LargerPicturesAskBeforeEnlarging) {
    Picture picture;
    picture.width = 400;
    picture.height = 150;
    picture.pixels.assign(400 * 150, 0x000001);
    platform.pictures["big.bmp"] = picture;

    platform.fileDialogAnswers.push_back("big.bmp");
    platform.yesNoAnswers.push_back(false);
    editor.RunMenuCommand("mnuFileImportBMP");
    ASSERT_EQ(platform.questions.size(), 1u);
    EXPECT_EQ(platform.questions[0], "The bitmap is larger than the current picture. Enlarge it?");
    Image& image = editor.currentImage();
    EXPECT_EQ(image.desc.width, 320);
    EXPECT_EQ(image.desc.height, 200);
    // Declining still copies the whole picture, past the image's edge too.
    EXPECT_EQ(image.plane.at(399, 149), 1);
    EXPECT_EQ(image.plane.at(0, 150), 0);

    platform.yesNoAnswers.push_back(true);
    ImportPictureFile(editor, "big.bmp");
    EXPECT_EQ(image.desc.width, 400);
    EXPECT_EQ(image.desc.height, 150);

    // No larger than the image: no question, no size change.
    picture.width = 100;
    picture.height = 100;
    picture.pixels.assign(100 * 100, 0);
    platform.pictures["small.bmp"] = picture;
    ImportPictureFile(editor, "small.bmp");
    EXPECT_EQ(platform.questions.size(), 2u);
    EXPECT_EQ(image.desc.width, 400);
    EXPECT_EQ(image.plane.at(99, 99), 0);
    EXPECT_EQ(image.plane.at(100, 99), 1);

    // A picture cut short is read as far as it goes, and the user is told.
    picture.damage = "Picture \"cut.bmp\" is cut short: the file holds 10 of the 30000 bytes.";
    platform.pictures["cut.bmp"] = picture;
    ImportPictureFile(editor, "cut.bmp");
    EXPECT_EQ(platform.messages, std::vector<std::string>{picture.damage});
    platform.messages.clear();

    // A picture the loader cannot read changes nothing.
    platform.fileDialogAnswers.push_back("nothing.bmp");
    editor.RunMenuCommand("mnuFileImportBMP");
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_NE(platform.messages[0].find("nothing.bmp"), std::string::npos);
    EXPECT_EQ(image.desc.width, 400);
}

// After every command that brings in a new picture, the view, the preview
// and the scroll bars show it at once: what a later full redraw would show.
TEST_F(PictureCommands, EveryImportRedrawsAndFitsTheScrollBars) {
    editor.viewArea().FormResize(420, 544, 20);
    editor.view().zoom = 4;
    Picture picture;
    picture.width = 640;
    picture.height = 400;
    for (int i = 0; i < 640 * 400; ++i) picture.pixels.push_back(uint32_t(i % 7 == 0));
    platform.pictures["wide.png"] = picture;
    const std::string prg = folder / "pic.prg";
    WriteBytes(prg, SamplePrg());
    const struct {
        const char* name;
        std::function<void()> run;
    } commands[] = {{"Import .PRG", [&] { ImportPrgFile(editor, prg); }},
                    {"Import .BMP",
                     [&] {
                         platform.yesNoAnswers.push_back(true);
                         ImportPictureFile(editor, "wide.png");
                     }},
                    {"Load", [&] {
                         platform.textWindowAnswers.push_back("Big; 600*900 m\n\tDB $C0,$30\n");
                         editor.RunMenuCommand("mnuFileLoad");
                     }}};
    for (const auto& command : commands) {
        SCOPED_TRACE(command.name);
        ImageDescriptor& desc = editor.currentImage().desc;
        desc.width = 16;
        desc.height = 8;
        editor.viewArea().UpdateScrollRanges();
        editor.viewArea().FullRedraw();
        command.run();
        const View& view = editor.view();
        const std::vector<uint32_t> shown = view.canvas.pixels, preview = view.preview.pixels;
        const int xMax = view.xScroll.max(), yMax = view.yScroll.max();
        EXPECT_GT(xMax + yMax, 0);
        editor.viewArea().UpdateScrollRanges();
        editor.viewArea().FullRedraw();
        EXPECT_EQ(xMax, view.xScroll.max());
        EXPECT_EQ(yMax, view.yScroll.max());
        EXPECT_TRUE(shown == view.canvas.pixels);
        EXPECT_TRUE(preview == view.preview.pixels);
    }
}

// The question comes when the picture is larger in either direction.
TEST_F(PictureCommands, TallerOrWiderPicturesAskBeforeEnlarging) {
    for (const auto& [width, height] : {std::pair{100, 300}, std::pair{400, 100}}) {
        SCOPED_TRACE(width);
        ImageDescriptor& desc = editor.currentImage().desc;
        desc.width = 320;
        desc.height = 200;
        Picture picture;
        picture.width = width;
        picture.height = height;
        picture.pixels.assign(std::size_t(width * height), 1);
        platform.pictures["p.bmp"] = picture;
        platform.questions.clear();
        platform.yesNoAnswers.push_back(true);
        ImportPictureFile(editor, "p.bmp");
        EXPECT_EQ(platform.questions.size(), 1u);
        EXPECT_EQ(desc.width, width);
        EXPECT_EQ(desc.height, height);
    }
}

TEST_F(PrgCommands, RunnableExportWritesTheProgramForEveryKind) {
    Image& image = editor.currentImage();
    image.plane.at(0, 0) = 1;
    const std::string path = folder / "show.prg";
    platform.fileDialogAnswers.push_back(path);
    editor.RunMenuCommand("mnuFileExportRunnablePRG");
    EXPECT_EQ(platform.lastDialogOptions.filter, "PRG Files (*.prg)|*.prg|All Files (*.*)|*.*");
    EXPECT_EQ(ReadBytes(path), EncodeRunnablePrg(image));
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(editor.ui().recentFiles[0], "");

    // The same bytes as the converter's --runnable writes; a DFLI image in
    // its DFLI layout, a larger one said to be cut.
    image.desc.colorMapKind = ColorMapKind::Dfli;
    image.desc.width = 400;
    platform.fileDialogAnswers.push_back(folder / "dfli.prg");
    editor.RunMenuCommand("mnuFileExportRunnablePRG");
    EXPECT_EQ(ReadBytes(folder / "dfli.prg"), EncodeRunnablePrg(image));
    EXPECT_EQ(ReadBytes(folder / "dfli.prg").size(), 16403u);
    EXPECT_EQ(editor.statusText(3),
              "Export Runnable .PRG left out everything past 320 x 200 of the 400 x 200 image.");
    EXPECT_TRUE(platform.messages.empty());
}

// Ctrl+O on a photograph: more colors than pixel values asks once whether to
// convert it; No reads bits of red as specified; a two-color picture asks nothing.
TEST_F(PrgCommands, ImportBmpOfManyColorsOffersTheConversion) {
    Picture photo{4, 2, {}};
    for (int i = 0; i < 8; ++i) photo.pixels.push_back(MakeRgbColor(i * 30 + 1, 7 * i, 200));
    platform.pictures["/pics/photo.png"] = photo;
    Picture drawn{4, 2, std::vector<RgbColor>(8, MakeRgbColor(0, 0, 0))};
    drawn.pixels[1] = MakeRgbColor(1, 0, 0);
    platform.pictures["/pics/drawn.bmp"] = drawn;

    platform.fileDialogAnswers = {"/pics/photo.png", "/pics/photo.png", "/pics/drawn.bmp"};
    platform.yesNoAnswers = {true, false};
    editor.RunMenuCommand("mnuFileImportBMP");  // Yes: the Import Picture dialog (cancelled)
    EXPECT_EQ(platform.importPictureOpenings, 1);
    ASSERT_EQ(platform.questions.size(), 1u);
    EXPECT_NE(platform.questions[0].find("more colors than the image's 2 pixel values"),
              std::string::npos);
    EXPECT_EQ(editor.currentImage().plane.at(0, 0), 0);

    editor.RunMenuCommand("mnuFileImportBMP");  // No: bits of red
    EXPECT_EQ(platform.importPictureOpenings, 1);
    EXPECT_EQ(platform.questions.size(), 2u);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(editor.currentImage().plane.at(x, 1), 1) << x;

    editor.RunMenuCommand("mnuFileImportBMP");
    EXPECT_EQ(platform.questions.size(), 2u);
    EXPECT_EQ(editor.currentImage().plane.at(1, 0), 1);
    EXPECT_EQ(editor.currentImage().plane.at(0, 0), 0);
}
