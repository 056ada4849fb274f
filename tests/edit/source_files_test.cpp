// Source text in files: Open and Save Source File, and where their items sit
// in the File menu.
#include "edit/source_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "edit/editor.h"
#include "edit/image_files.h"
#include "edit/recovery.h"
#include "formats/source_text.h"
#include "support/scripted_platform.h"
#include "support/temp_folder.h"

using namespace pixolat;
using pixolat::testing::ScriptedPlatform;
using pixolat::testing::TempFolder;

namespace {

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Three images of different kinds with random pixels and colors.
void FillSampleImages(ImageStore& store) {
    std::mt19937 rng(5);
    store.image(0).desc = {"Title", 320, 200, 2, Layout::Bitmap, ColorMapKind::Dfli, 0x12, 0x71};
    store.image(1).desc = {"Font", 64, 16, 1, Layout::Charset, ColorMapKind::None, 0, 0};
    store.image(3).desc = {"Tiles", 32, 32, 1, Layout::Charset2x2, ColorMapKind::Normal, 0, 0};
    for (int i : {0, 1, 3}) {
        Image& image = store.image(i);
        for (int x = 0; x < image.desc.width; ++x)
            for (int y = 0; y < image.desc.height; ++y) image.plane.at(x, y) = rng() & 1;
        for (std::size_t b = 0; b < kAttributeBytes; ++b) {
            image.colmap.data()[b] = uint8_t(rng());
            image.lummap.data()[b] = uint8_t(rng());
        }
    }
}

// The captions of the File menu's visible items, "-" for a separator.
std::vector<std::string> VisibleFileMenu(const Editor& editor) {
    std::vector<std::string> shown;
    bool inFile = false;
    for (const MenuItem& item : editor.menu()) {
        if (item.kind == MenuItem::Kind::Menu)
            inFile = item.name == "mnuFile";
        else if (inFile && item.visible)
            shown.push_back(item.kind == MenuItem::Kind::Separator ? "-" : item.DisplayCaption());
    }
    return shown;
}

}  // namespace

TEST(SourceFiles, SaveThenOpenInAFreshEditorGivesTheSameImages) {
    TempFolder folder;
    const std::string path = folder / "all.asm";
    ScriptedPlatform platform;
    Editor editor(platform);
    FillSampleImages(editor.store());
    platform.fileDialogAnswers.push_back(path);
    editor.RunMenuCommand("mnuFileSaveSource");
    EXPECT_EQ(platform.lastDialogOptions.filter.substr(0, 41),
              "Source text (*.asm *.s *.inc *.src *.txt)");
    const std::string text = ReadText(path);
    const std::vector<uint8_t> bytes = SourceFileBytes(editor.store(), 0);
    EXPECT_EQ(text, std::string(bytes.begin(), bytes.end()));
    EXPECT_EQ(text.find("\n"), text.find("\r\n") + 1);  // CR LF line ends
    EXPECT_EQ(editor.statusText(3), "Saved 3 images as db source to " + path);

    ScriptedPlatform otherPlatform;
    Editor other(otherPlatform);
    other.RunMenuCommand("mnuViewImageNext");
    otherPlatform.fileDialogAnswers.push_back(path);
    other.RunMenuCommand("mnuFileOpenSource");
    EXPECT_EQ(SaveSourceText(other.store()), SaveSourceText(editor.store()));
    // Each image at its own index, and the image current at the save is current.
    EXPECT_EQ(other.store().image(3).desc.name, "Tiles");
    EXPECT_EQ(other.store().image(2).desc.width, 0);
    EXPECT_EQ(other.state().currentImage, 0);
    EXPECT_EQ(otherPlatform.caption, "Editing Image #0");
    EXPECT_EQ(other.statusText(3), "Loaded source file (" + path + ", 3 images)");
    // Neither file enters the recent files, the list of .PRG exports.
    EXPECT_FALSE(MenuItemNamed(other.menu(), "mnuFileMRU1").visible);
    EXPECT_FALSE(MenuItemNamed(editor.menu(), "mnuFileMRU1").visible);

    // The open is one step: undo gives the fresh store back.
    EXPECT_EQ(MenuItemNamed(other.menu(), "mnuEditUndo").caption, "&Undo Open Source File");
    other.RunMenuCommand("mnuEditUndo");
    EXPECT_EQ(other.state().currentImage, 1);
    EXPECT_EQ(other.store().image(0).desc.width, 320);
    EXPECT_EQ(other.store().image(0).desc.pixelWidth, 1);
    EXPECT_EQ(other.store().image(3).desc.width, 0);
    EXPECT_EQ(SaveSourceText(other.store()).substr(0, 14), "\t; 320*200 h\r\n");
}

// Names the header cannot carry, colors, indices and the current image come
// back from a source file; the header shows a readable form of each name.
TEST(SourceFiles, NamesColorsAndIndicesComeBackFromASourceFile) {
    TempFolder folder;
    const std::string path = folder / "names.asm";
    ScriptedPlatform platform;
    Editor editor(platform);
    const std::pair<int, const char*> images[] = {{0, "2nd try"}, {5, "_tmp"}, {200, "a//b"}};
    for (const auto& [index, name] : images)
        editor.store().image(index).desc = {
            name, 16, 8, 2, Layout::Bitmap, ColorMapKind::Normal, 0x23, 0x40 + index / 8};
    editor.store().image(5).plane.at(3, 3) = 1;
    editor.state().currentImage = 5;
    platform.fileDialogAnswers.push_back(path);
    editor.RunMenuCommand("mnuFileSaveSource");
    const std::string text = ReadText(path);
    EXPECT_NE(text.find("\r\nImg_2nd try\t; 16*8 m\r\n//@ image 0 colors $23 $40 name \"2nd try\""),
              std::string::npos);
    EXPECT_NE(text.find("\r\na/_b\t; 16*8 m\r\n"), std::string::npos);

    ScriptedPlatform otherPlatform;
    Editor other(otherPlatform);
    other.state().currentImage = 100;
    otherPlatform.fileDialogAnswers.push_back(path);
    other.RunMenuCommand("mnuFileOpenSource");
    for (const auto& [index, name] : images) {
        EXPECT_EQ(other.store().image(index).desc.name, name);
        EXPECT_EQ(other.store().image(index).desc.color0, 0x23);
        EXPECT_EQ(other.store().image(index).desc.color3, 0x40 + index / 8);
    }
    EXPECT_EQ(other.store().image(5).plane.at(3, 3), 1);
    EXPECT_EQ(other.store().image(1).desc.width, 0);
    EXPECT_EQ(other.state().currentImage, 5);
    EXPECT_EQ(otherPlatform.caption, "Editing Image #5");
    EXPECT_TRUE(otherPlatform.messages.empty());
}

TEST(SourceFiles, AFailedOpenChangesNothingAndSaysWhichLine) {
    TempFolder folder;
    const std::string path = folder / "bad.asm";
    // A text editor's byte order mark first, a value that is not a number later.
    std::ofstream(path, std::ios::binary)
        << "\xEF\xBB\xBFOk; 8*8 h\r\n\tDB $FF\r\nNext; 8*8 h\r\n\tDB $FF\r\n"
        << "Bad; 8*8 h\r\n\tDB $G0\r\n";
    ScriptedPlatform platform;
    platform.pieceBytes = 5;
    platform.dataFolder = folder.path();
    Editor editor(platform);
    const std::string before = SaveSourceText(editor.store());
    platform.fileDialogAnswers.push_back(path);
    editor.RunMenuCommand("mnuFileOpenSource");
    EXPECT_EQ(platform.messages,
              std::vector<std::string>{path + ", line 6: '$G0' is not a valid integer value"});
    EXPECT_EQ(SaveSourceText(editor.store()), before);
    EXPECT_EQ(editor.state().currentImage, 0);
    EXPECT_EQ(editor.caption(), kEditorCaption);
    // Not a change: nothing to undo, and closing writes no recovery file.
    EXPECT_FALSE(MenuItemNamed(editor.menu(), "mnuEditUndo").enabled);
    EXPECT_FALSE(editor.undo().ChangedSinceSaved());
    EXPECT_TRUE(editor.recovery().CloseQuery());
    EXPECT_TRUE(editor.recovery().path().empty());

    // What is not a regular file is refused before it is read.
    platform.messages.clear();
    platform.fileDialogAnswers.push_back(folder.path());
    editor.RunMenuCommand("mnuFileOpenSource");
    platform.fileDialogAnswers.push_back("/dev/zero");
    editor.RunMenuCommand("mnuFileOpenSource");
    EXPECT_EQ(platform.messages,
              (std::vector<std::string>{
                  "Cannot open file \"" + folder.path() + "\". It is not a regular file.",
                  "Cannot open file \"/dev/zero\". It is not a regular file."}));
    EXPECT_EQ(SaveSourceText(editor.store()), before);
}

// A plain text read from image 250 on has more sections than images are left:
// the ones that do not fit are named, never dropped without a word.
TEST(SourceFiles, ImagesThatDoNotFitAreNamed) {
    TempFolder folder;
    const std::string path = folder / "plain.asm";
    {
        std::ofstream out(path, std::ios::binary);
        for (int i = 0; i < 20; ++i) out << "Pic" << i << "; 8*1 h none\r\n\tDB $FF\r\n";
    }
    ScriptedPlatform platform;
    Editor editor(platform);
    editor.state().currentImage = 250;
    platform.fileDialogAnswers.push_back(path);
    editor.RunMenuCommand("mnuFileOpenSource");
    EXPECT_EQ(editor.store().image(256).desc.name, "Pic6");
    EXPECT_EQ(editor.statusText(3), "Loaded source file (" + path + ", 7 images)");
    EXPECT_EQ(platform.caption, "Editing Image #256");
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0],
              "13 images did not fit after image #256 and were not read: \"Pic7\", \"Pic8\", "
              "\"Pic9\", \"Pic10\", \"Pic11\", \"Pic12\", \"Pic13\", \"Pic14\", \"Pic15\", "
              "\"Pic16\", \"Pic17\", \"Pic18\", \"Pic19\". Read the text from a lower image to "
              "get them.");
}

TEST(SourceFiles, TheFileItemsFollowSaveAndTheRecentFilesKeepTheirSeparator) {
    ScriptedPlatform platform;
    Editor editor(platform);
    const std::vector<std::string> head = {"&Load (as source)\tL",
                                           "&Save (as source)\tS",
                                           "Open Source File...",
                                           "Save Source File...",
                                           "Source S&yntax",
                                           "&DB (the editor's own)",
                                           "&64tass",
                                           "&ACME",
                                           "&ca65",
                                           "DA&SM",
                                           "&xa",
                                           "Rec&over Last Session",
                                           "-",
                                           "Import .PRG",
                                           "Export .PRG",
                                           "Export Runnable .PRG...",
                                           "Export DFLI .PRG...",
                                           "Export Charset .PRG...",
                                           "Export Pa&rts...",
                                           "Export Picture...",
                                           "-",
                                           "Import .BMP",
                                           "Import Picture...",
                                           "-"};
    std::vector<std::string> expected = head;
    expected.push_back("E&xit");
    EXPECT_EQ(VisibleFileMenu(editor), expected);

    AddRecentFile(editor, "/gfx/a.prg");
    AddRecentFile(editor, "C:\\gfx\\b.prg");
    expected = head;
    for (const char* line : {"(1) b.prg", "(2) a.prg", "-", "E&xit"}) expected.push_back(line);
    EXPECT_EQ(VisibleFileMenu(editor), expected);
}
