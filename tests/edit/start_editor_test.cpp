#include "edit/start_editor.h"

#include <gtest/gtest.h>

#include <map>

#include "edit/commands/help_commands.h"
#include "edit/editor.h"
#include "edit/image_files.h"
#include "support/scripted_platform.h"

using namespace pixolat;
using pixolat::testing::ScriptedPlatform;

namespace {

using Store = std::map<std::string, std::string>;

const Store kFull = {{"WindowLeft", "10"},    {"WindowTop", "20"},   {"WindowWidth", "900"},
                     {"WindowHeight", "700"}, {"WindowState", "2"},  {"Grid", "2"},
                     {"Zoom", "5"},           {"ColorPalette", "0"}, {"MRU1", "/p/a.prg"}};

// What a user sees of the settings after starting with this store:
// "left top width height state grid zoom palette MRU1".
std::string StartWith(const Store& store) {
    ScriptedPlatform platform;
    platform.settings = store;
    Editor editor(platform);
    const WindowBounds& b = platform.bounds;
    return std::to_string(b.left) + " " + std::to_string(b.top) + " " + std::to_string(b.width) +
           " " + std::to_string(b.height) + " " + std::to_string(int(platform.windowState)) + " " +
           std::to_string(int(editor.view().gridSetting)) + " " +
           std::to_string(editor.view().zoom) + " " +
           std::to_string(MenuItemNamed(editor.menu(), "mnuViewColorPaletteAndPreview").checked) +
           " " + editor.ui().recentFiles[0];
}

Store With(const std::string& name, const std::string& value) {
    Store store = kFull;
    if (value == "-")
        store.erase(name);
    else
        store[name] = value;
    return store;
}

}  // namespace

TEST(StartEditor, StoredSettingsAreClampedAndABadValueEndsTheReadingThere) {
    const struct {
        Store store;
        const char* seen;
    } cases[] = {
        {{}, "240 100 780 580 0 3 10 1 "},  // a first run
        {kFull, "10 20 900 700 2 2 5 0 /p/a.prg"},
        {With("Grid", "7"), "10 20 900 700 2 1 5 0 /p/a.prg"},
        {With("Grid", "-2"), "10 20 900 700 2 1 5 0 /p/a.prg"},
        {With("Grid", "260"), "10 20 900 700 2 4 5 0 /p/a.prg"},  // the low byte
        {With("Zoom", "0"), "10 20 900 700 2 2 10 0 /p/a.prg"},
        {With("Zoom", "65"), "10 20 900 700 2 2 10 0 /p/a.prg"},
        {With("Zoom", "64"), "10 20 900 700 2 2 64 0 /p/a.prg"},
        {With("Zoom", "1"), "10 20 900 700 2 2 1 0 /p/a.prg"},
        {With("Zoom", "-"), "10 20 900 700 2 2 10 1 "},                // Grid but no Zoom
        {With("WindowState", "1"), "10 20 900 700 0 2 5 0 /p/a.prg"},  // never starts minimized
        {With("WindowTop", "abc"), "10 100 780 580 0 3 10 1 "},
        {With("Grid", "99999999999"), "10 20 900 700 2 3 10 1 "},
        {With("Grid", "1.5"), "10 20 900 700 2 3 10 1 "},
        {With("Zoom", ""), "10 20 900 700 2 2 10 1 "},
        {With("ColorPalette", " "), "10 20 900 700 2 2 5 1 "},
    };
    for (const auto& c : cases) EXPECT_EQ(StartWith(c.store), c.seen);
}

TEST(StartEditor, WhatCloseWritesTheNextStartReads) {
    ScriptedPlatform platform;
    {
        Editor editor(platform);
        EXPECT_EQ(platform.statusTexts[2], "Pixel & Color");
        EXPECT_EQ(platform.statusTexts[3], "Ready.");
        editor.RunMenuCommand("mnuViewToggleGrid");
        for (const char* path : {"/a.prg", "/b.prg", "/c.prg", "/d.prg", "/e.prg", "/b.prg"})
            AddRecentFile(editor, path);
        platform.bounds = {30, 40, 640, 480};
        platform.dialogFolder = "/home/user/gfx";
        SaveSettings(editor);
        // Maximized, the bounds stored are still those of the normal window.
        platform.bounds = {0, 0, 1920, 1080};
        platform.windowState = WindowState::Maximized;
        SaveSettings(editor);
        EXPECT_EQ(platform.settings["WindowState"], "2");
        // Minimized, the state stored is 0 and the bounds are again left alone.
        platform.bounds = {-32000, -32000, 160, 28};
        platform.windowState = WindowState::Minimized;
        SaveSettings(editor);
        EXPECT_EQ(platform.settings["WindowState"], "0");
    }
    platform.dialogFolder.clear();
    Editor next(platform);
    EXPECT_EQ(platform.bounds.left, 30);
    EXPECT_EQ(next.view().gridSetting, GridSetting::NoGrid);
    EXPECT_EQ(platform.dialogFolder, "/home/user/gfx");
    std::string recent;
    for (const char* item : {"mnuFileMRU1", "mnuFileMRU2", "mnuFileMRU3", "mnuFileMRU4"})
        recent += MenuItemNamed(next.menu(), item).caption + " ";
    EXPECT_EQ(recent, "(1) e.prg (2) d.prg (3) c.prg (4) b.prg ");

    // A store that cannot be written keeps what it had, silently.
    const Store before = platform.settings;
    platform.settingsWritable = false;
    next.RunMenuCommand("mnuViewToggleGrid");
    SaveSettings(next);
    EXPECT_EQ(platform.settings, before);
    EXPECT_TRUE(platform.messages.empty());
}

TEST(StartEditor, HelpComesFromTheFileBesideTheProgram) {
    EXPECT_EQ(HelpFilePath("/usr/bin/pixolat"), "/usr/bin/varnospixolat.hlp");
    EXPECT_EQ(HelpFilePath("pixolat"), "varnospixolat.hlp");
    ScriptedPlatform platform;
    platform.programPath = "C:\\Tools\\pixolat.exe";
    Editor editor(platform);
    editor.RunMenuCommand("mnuHelpKeyb");
    ShowMenuItemHelp(editor, "mnuFileExportPRG");
    ShowMenuItemHelp(editor, "mnuDrawReplaceColors");  // no topic of its own: its menu's
    const std::string file = "C:\\Tools\\varnospixolat.hlp#";
    EXPECT_EQ(platform.helpRequests,
              (std::vector<std::string>{file + "IDH_01002", file + "2104", file + "2406"}));
}
