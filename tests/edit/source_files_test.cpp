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
    EXPECT_EQ(text, SaveSourceText(editor.store()));
    EXPECT_EQ(text.find("\n"), text.find("\r\n") + 1);  // CR LF line ends
    EXPECT_EQ(editor.statusText(3), "Saved source file (" + path + ")");

    ScriptedPlatform otherPlatform;
    Editor other(otherPlatform);
    otherPlatform.fileDialogAnswers.push_back(path);
    other.RunMenuCommand("mnuFileOpenSource");
    EXPECT_EQ(SaveSourceText(other.store()), text);
    // Empty image 2 is not in the text: Tiles lands on image 2.
    EXPECT_EQ(other.store().image(2).desc.name, "Tiles");
    EXPECT_EQ(other.state().currentImage, 2);
    EXPECT_EQ(other.statusText(3), "Loaded source file (" + path + ", 3 images)");
    // Neither file enters the recent files, the list of .PRG exports.
    EXPECT_FALSE(other.menuItem("mnuFileMRU1").visible);
    EXPECT_FALSE(editor.menuItem("mnuFileMRU1").visible);

    // The open is one step: undo gives the fresh store back.
    EXPECT_EQ(other.menuItem("mnuEditUndo").caption, "&Undo Open Source File");
    other.RunMenuCommand("mnuEditUndo");
    EXPECT_EQ(other.state().currentImage, 0);
    EXPECT_EQ(other.store().image(0).desc.width, 320);
    EXPECT_EQ(other.store().image(0).desc.pixelWidth, 1);
    EXPECT_EQ(other.store().image(2).desc.width, 0);
    EXPECT_EQ(SaveSourceText(other.store()).substr(0, 14), "\t; 320*200 h\r\n");
}

TEST(SourceFiles, AFailedOpenKeepsWhatWasReadAsOneStepToUndo) {
    TempFolder folder;
    const std::string path = folder / "bad.asm";
    // A text editor's byte order mark first, a value that is not a number later.
    std::ofstream(path, std::ios::binary)
        << "\xEF\xBB\xBFOk; 8*8 h\r\n\tDB $FF\r\nBad; 8*8 h\r\n\tDB $G0\r\n";
    ScriptedPlatform platform;
    platform.dataFolder = folder.path();
    Editor editor(platform);
    platform.fileDialogAnswers.push_back(path);
    editor.RunMenuCommand("mnuFileOpenSource");
    EXPECT_EQ(platform.messages, std::vector<std::string>{"'$G0' is not a valid integer value"});
    EXPECT_EQ(editor.store().image(0).desc.name, "Ok");
    EXPECT_EQ(editor.store().image(0).plane.at(7, 0), 1);
    EXPECT_EQ(editor.store().image(1).desc.name, "Bad");
    editor.RunMenuCommand("mnuEditUndo");
    EXPECT_EQ(editor.store().image(0).desc.name, "");
    EXPECT_EQ(editor.store().image(0).desc.width, 320);
    EXPECT_EQ(editor.store().image(0).plane.at(7, 0), 0);
    EXPECT_EQ(editor.store().image(1).desc.name, "");
    // Undone, the store is as it was at start: closing keeps nothing.
    EXPECT_FALSE(editor.ChangedSinceSaved());
    EXPECT_TRUE(editor.recovery().CloseQuery());
    EXPECT_TRUE(editor.recovery().path().empty());
}

TEST(SourceFiles, TheFileItemsFollowSaveAndTheRecentFilesKeepTheirSeparator) {
    ScriptedPlatform platform;
    Editor editor(platform);
    const std::vector<std::string> head = {"&Load (as source)\tL",
                                           "&Save (as source)\tS",
                                           "Open Source File...",
                                           "Save Source File...",
                                           "Recover Last Session",
                                           "-",
                                           "Import .PRG",
                                           "Export .PRG",
                                           "Export Runnable .PRG...",
                                           "-",
                                           "Import .BMP",
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
