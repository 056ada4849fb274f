#include "edit/start_editor.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>

#include "edit/commands/help_commands.h"
#include "edit/editor.h"
#include "edit/image_files.h"
#include "support/scripted_platform.h"

using namespace pixolat;
using pixolat::testing::ScriptedPlatform;
namespace fs = std::filesystem;

namespace {

using Store = std::map<std::string, std::string>;

// What a user sees of the settings once the editor has started.
struct Started {
    WindowBounds bounds;
    WindowState windowState;
    int grid;
    int zoom;
    bool palette;
    std::array<std::string, 4> recentFiles;
};

Started StartWith(const Store& store) {
    ScriptedPlatform platform;
    platform.settings = store;
    Editor editor(platform);
    return {platform.bounds,
            platform.windowState,
            editor.state().gridSetting,
            editor.state().zoom,
            editor.menuItem("mnuViewColorPaletteAndPreview").checked,
            editor.state().recentFiles};
}

const Store kFull = {{"WindowLeft", "10"},    {"WindowTop", "20"},   {"WindowWidth", "900"},
                     {"WindowHeight", "700"}, {"WindowState", "0"},  {"Grid", "2"},
                     {"Zoom", "5"},           {"ColorPalette", "0"}, {"MRU1", "/p/a.prg"},
                     {"MRU2", "/p/b.prg"}};

Store With(Store store, const std::string& name, const std::string& value) {
    store[name] = value;
    return store;
}

}  // namespace

TEST(StartEditor, AFirstRunStartsWithTheDefaults) {
    ScriptedPlatform platform;
    Editor editor(platform);
    EXPECT_EQ(platform.bounds.left, 240);
    EXPECT_EQ(platform.bounds.top, 100);
    EXPECT_EQ(platform.bounds.width, 780);
    EXPECT_EQ(platform.bounds.height, 580);
    EXPECT_EQ(platform.windowState, WindowState::Normal);
    EXPECT_EQ(editor.state().gridSetting, CornerDots);
    EXPECT_EQ(editor.state().zoom, 10);
    EXPECT_TRUE(editor.menuItem("mnuViewColorPaletteAndPreview").checked);
    EXPECT_EQ(platform.statusTexts[2], "Pixel & Color");
    EXPECT_EQ(platform.statusTexts[3], "Ready.");
    EXPECT_EQ(editor.caption(), "Varno's Plus/4 Graphics Editor");
    // No recent-file item and no second separator between Import .BMP and Exit.
    std::vector<std::string> shown;
    bool inFile = false;
    for (const MenuItem& item : editor.menu()) {
        if (item.kind == MenuItem::Kind::Menu) inFile = item.name == "mnuFile";
        if (inFile && item.visible) shown.push_back(item.name);
    }
    const std::vector<std::string> tail(shown.end() - 3, shown.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"mnuFileImportBMP", "mnuFile3", "mnuFileExit"}));
    EXPECT_EQ(editor.helpFile(), "/opt/pixolat/varnospixolat.hlp");
}

TEST(StartEditor, StoredValuesAreClampedAndABadValueEndsTheReading) {
    const Started full = StartWith(kFull);
    EXPECT_EQ(full.bounds.left, 10);
    EXPECT_EQ(full.bounds.height, 700);
    EXPECT_EQ(full.grid, 2);
    EXPECT_EQ(full.zoom, 5);
    EXPECT_FALSE(full.palette);
    EXPECT_EQ(full.recentFiles[1], "/p/b.prg");

    struct Case {
        const char* grid;
        int expected;
    };
    for (const Case c : {Case{"7", 1}, {"-2", 1}, {"260", 4}, {"4", 4}, {"0", 0}, {"-256", 0}}) {
        EXPECT_EQ(StartWith(With(kFull, "Grid", c.grid)).grid, c.expected) << c.grid;
    }
    for (const char* zoom : {"0", "65", "-1", "2147483647"})
        EXPECT_EQ(StartWith(With(kFull, "Zoom", zoom)).zoom, 10) << zoom;
    EXPECT_EQ(StartWith(With(kFull, "Zoom", "64")).zoom, 64);

    // Grid but no Zoom: bounds and grid stay, the rest is as on a first run.
    Store noZoom = kFull;
    noZoom.erase("Zoom");
    const Started partial = StartWith(noZoom);
    EXPECT_EQ(partial.bounds.width, 900);
    EXPECT_EQ(partial.grid, 2);
    EXPECT_EQ(partial.zoom, 10);
    EXPECT_TRUE(partial.palette);
    EXPECT_EQ(partial.recentFiles[0], "");

    // Text, fractions, empty and out-of-range numbers in every integer value:
    // the editor starts, the values before the bad one stay, the ones after
    // are the defaults.
    for (const char* bad : {"abc", "1.5", "", "99999999999", "0x10", " "}) {
        const Started grid = StartWith(With(kFull, "Grid", bad));
        EXPECT_EQ(grid.bounds.width, 900) << bad;
        EXPECT_EQ(grid.grid, CornerDots) << bad;
        EXPECT_EQ(grid.zoom, 10) << bad;
        const Started top = StartWith(With(kFull, "WindowTop", bad));
        EXPECT_EQ(top.bounds.left, 10) << bad;
        EXPECT_EQ(top.bounds.top, 100) << bad;
        EXPECT_EQ(top.grid, CornerDots) << bad;
        const Started palette = StartWith(With(kFull, "ColorPalette", bad));
        EXPECT_EQ(palette.zoom, 5) << bad;
        EXPECT_TRUE(palette.palette) << bad;
        EXPECT_EQ(palette.recentFiles[0], "") << bad;
    }
    // A stored minimized (or unknown) state starts a normal window; maximized stays.
    EXPECT_EQ(StartWith(With(kFull, "WindowState", "1")).windowState, WindowState::Normal);
    EXPECT_EQ(StartWith(With(kFull, "WindowState", "77")).windowState, WindowState::Normal);
    EXPECT_EQ(StartWith(With(kFull, "WindowState", "2")).windowState, WindowState::Maximized);
}

TEST(SaveSettings, WhatIsWrittenAtCloseStartsTheNextRun) {
    ScriptedPlatform platform;
    {
        Editor editor(platform);
        editor.RunMenuCommand("mnuViewToggleGrid");
        editor.RunMenuCommand("mnuViewZoomIn");
        editor.RunMenuCommand("mnuViewColorPaletteAndPreview");
        for (const char* path : {"/a.prg", "/b.prg", "/c.prg", "/d.prg", "/e.prg", "/b.prg"})
            AddRecentFile(editor, path);
        platform.bounds = {30, 40, 640, 480};
        platform.dialogFolder = "/home/user/gfx";
        SaveSettings(editor);
    }
    platform.bounds = {240, 100, 780, 580};
    platform.dialogFolder.clear();
    Editor next(platform);
    EXPECT_EQ(platform.bounds.left, 30);
    EXPECT_EQ(platform.bounds.height, 480);
    EXPECT_EQ(next.state().gridSetting, NoGrid);
    EXPECT_EQ(next.state().zoom, 11);
    EXPECT_FALSE(next.menuItem("mnuViewColorPaletteAndPreview").checked);
    EXPECT_FALSE(next.view().paletteVisible);
    EXPECT_EQ(next.menuItem("mnuFileMRU1").caption, "(1) e.prg");
    EXPECT_EQ(next.menuItem("mnuFileMRU2").caption, "(2) d.prg");
    EXPECT_EQ(next.menuItem("mnuFileMRU3").caption, "(3) c.prg");
    EXPECT_EQ(next.menuItem("mnuFileMRU4").caption, "(4) b.prg");
    EXPECT_TRUE(next.menuItem("mnuFile4").visible);
    EXPECT_EQ(platform.dialogFolder, "/home/user/gfx");

    // Maximized or minimized, the stored bounds stay those of the normal window.
    platform.bounds = {0, 0, 1920, 1080};
    platform.windowState = WindowState::Maximized;
    SaveSettings(next);
    EXPECT_EQ(platform.settings["WindowState"], "2");
    EXPECT_EQ(platform.settings["WindowWidth"], "640");
    platform.windowState = WindowState::Minimized;
    SaveSettings(next);
    EXPECT_EQ(platform.settings["WindowState"], "0");
    EXPECT_EQ(platform.settings["WindowLeft"], "30");
}

TEST(SaveSettings, AnUnwritableStoreIsLeftAsItWas) {
    ScriptedPlatform platform;
    platform.settings = kFull;
    Editor editor(platform);
    editor.RunMenuCommand("mnuViewZoomIn");
    platform.settingsWritable = false;
    SaveSettings(editor);
    EXPECT_EQ(platform.settings, kFull);
    EXPECT_TRUE(platform.messages.empty());
}

TEST(Help, TheHelpFileSitsBesideTheProgramAndMenuItemsAskForTheirTopics) {
    EXPECT_EQ(HelpFilePath("C:\\Tools\\pixolat.exe"), "C:\\Tools\\varnospixolat.hlp");
    EXPECT_EQ(HelpFilePath("/usr/bin/pixolat"), "/usr/bin/varnospixolat.hlp");
    EXPECT_EQ(HelpFilePath("pixolat"), "varnospixolat.hlp");

    ScriptedPlatform platform;
    platform.programPath = "C:\\Tools\\pixolat.exe";
    Editor editor(platform);
    editor.RunMenuCommand("mnuHelpKeyb");
    ShowMenuItemHelp(editor, "mnuFileExportPRG");
    ShowMenuItemHelp(editor, "mnuView");
    ShowMenuItemHelp(editor, "no such item");
    const std::string file = "C:\\Tools\\varnospixolat.hlp#";
    EXPECT_EQ(platform.helpRequests,
              (std::vector<std::string>{file + "IDH_01002", file + "2104", file + "2300"}));
    editor.RunMenuCommand("mnuHelpAbout");
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].rfind("Varno's Plus/4 Graphics Editor", 0), 0u);
}
