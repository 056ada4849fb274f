// The menus as shown, and the View menu's commands: grid, zoom and the palette area.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "edit/image_files.h"
#include "edit/key_map.h"
#include "edit/recovery.h"
#include "mask/mask_processor.h"
#include "support/temp_folder.h"
#include "support/view_fixture.h"

using pixolat::testing::TempFolder;

namespace pixolat::testing {
namespace {

using ViewMenuTest = ViewTest;

TEST_F(ViewMenuTest, GridAndZoomCommands) {
    ResizeView(600, 240);
    editor.view().gridSetting = GridSetting::NoGrid;
    editor.RunMenuCommand("mnuViewToggleGrid");
    EXPECT_EQ(editor.view().gridSetting, GridSetting::PixelAndCellLines);
    editor.RunMenuCommand("mnuViewToggleGrid");
    EXPECT_EQ(editor.view().gridSetting, GridSetting::PixelLines);
    EXPECT_EQ(view().at(10, 1), kViewBackground);

    ASSERT_EQ(editor.view().zoom, 10);
    editor.RunMenuCommand("mnuViewZoomToggle");
    EXPECT_EQ(editor.view().zoom, 1);
    EXPECT_EQ(platform.statusTexts[3], "Zoom: 1");
    editor.RunMenuCommand("mnuViewZoomToggle");
    EXPECT_EQ(editor.view().zoom, 10);
    EXPECT_EQ(platform.statusTexts[3], "Zoom: 10");

    editor.view().zoom = 2;
    editor.RunMenuCommand("mnuViewZoomOut");
    EXPECT_EQ(editor.view().zoom, 1);
    editor.RunMenuCommand("mnuViewZoomOut");
    EXPECT_EQ(editor.view().zoom, 1);
    EXPECT_EQ(platform.statusTexts[3], "Zoom: 1");
    editor.view().savedZoom = 0;
    editor.RunMenuCommand("mnuViewZoomToggle");
    EXPECT_EQ(editor.view().zoom, 16);

    editor.view().zoom = 63;
    editor.RunMenuCommand("mnuViewZoomIn");
    editor.RunMenuCommand("mnuViewZoomIn");
    EXPECT_EQ(editor.view().zoom, 64);
    EXPECT_EQ(platform.statusTexts[3], "Zoom: 64");
    EXPECT_EQ(view().at(64, 1), kViewBackground);  // pixel lines at zoom 64
    EXPECT_EQ(view().at(65, 1), Color(0x51));
}

// Checks that follow from the menu table rather than copy it; the key
// hints are checked with the key table.
TEST_F(ViewMenuTest, EveryHelpContextIsUniqueAndHasATopic) {
    std::ifstream file(std::string(PIXOLAT_SOURCE_DIR) + "/data/varnospixolat.hlp");
    ASSERT_TRUE(file);
    std::set<int> topics;
    for (std::string line; std::getline(file, line);) {
        if (line.rfind("@topic ", 0) != 0) continue;
        std::istringstream words(line.substr(7));
        std::string name;
        words >> name;
        for (int context; words >> context;) topics.insert(context);
    }
    std::map<int, std::string> seen;
    for (const MenuItem& item : editor.menu()) {
        // Items that never show (Import .P4S) open no help.
        if (item.helpContext == 0 || !item.visible) continue;
        EXPECT_TRUE(seen.emplace(item.helpContext, item.name).second)
            << item.name << " shares " << item.helpContext << " with " << seen[item.helpContext];
        EXPECT_TRUE(topics.count(item.helpContext)) << item.name << " " << item.helpContext;
    }
    EXPECT_FALSE(seen.count(kMaskProcessorHelpContext));
    EXPECT_TRUE(topics.count(kMaskProcessorHelpContext));
}

TEST_F(ViewMenuTest, EveryCommandIsReachable) {
    // Recent-file items show once a file is listed, session items once a
    // recovery file is.
    for (int i = 0; i < 4; ++i) AddRecentFile(editor, "/pictures/" + std::to_string(i) + ".prg");
    TempFolder folder;
    for (int i = 0; i < kKeptSessions; ++i)
        std::ofstream(folder / ("session-" + std::to_string(i) + ".asm")) << SessionHeader(i, i, 1);
    platform.dataFolder = folder.path();
    editor.recovery().ListSessions();
    for (const MenuItem& item : editor.menu()) {
        if (item.kind != MenuItem::Kind::Command) continue;
        // Import .P4S is never shown and has nothing to run.
        ASSERT_TRUE(item.record) << item.name;
        if (!item.record->run && !item.record->runWith) continue;
        EXPECT_TRUE(item.visible) << item.name;
        EXPECT_FALSE(item.caption.empty()) << item.name;
    }
    // Every record is a menu item or the command of a key row.
    for (const CommandRecord& record : CommandRecords()) {
        const bool inMenu =
            std::any_of(editor.menu().begin(), editor.menu().end(),
                        [&](const MenuItem& item) { return item.record == &record; });
        const bool keyed =
            std::any_of(KeyDownRows().begin(), KeyDownRows().end(),
                        [&](const KeyRow& row) { return CommandOf(row) == &record; }) ||
            std::any_of(KeyUpRows().begin(), KeyUpRows().end(),
                        [&](const KeyRow& row) { return CommandOf(row) == &record; });
        EXPECT_TRUE(inMenu || keyed) << record.id;
    }
    // Every top menu has an access key of its own.
    std::set<char> letters;
    for (const MenuItem& item : editor.menu()) {
        if (item.kind != MenuItem::Kind::Menu) continue;
        const std::size_t amp = item.caption.find('&');
        ASSERT_NE(amp, std::string::npos) << item.name;
        EXPECT_TRUE(letters.insert(item.caption[amp + 1]).second) << item.name;
    }
}

TEST_F(ViewMenuTest, HidingThePaletteAreaGivesItsRoomToTheView) {
    editor.viewArea().FormResize(780, 560, kStatusBar);
    ASSERT_EQ(view().height, 316);
    editor.RunMenuCommand("mnuViewColorPaletteAndPreview");
    EXPECT_FALSE(MenuItemNamed(editor.menu(), "mnuViewColorPaletteAndPreview").checked);
    EXPECT_FALSE(editor.view().paletteVisible);
    EXPECT_EQ(view().height, 520);  // the palette area's height and the splitter's
    editor.RunMenuCommand("mnuViewColorPaletteAndPreview");
    EXPECT_EQ(view().height, 316);
}

}  // namespace
}  // namespace pixolat::testing
