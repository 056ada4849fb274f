// The View menu's commands: grid, zoom and the palette area.
#include <gtest/gtest.h>

#include "support/view_fixture.h"

namespace pixolat::testing {
namespace {

using ViewMenuTest = ViewTest;

TEST_F(ViewMenuTest, GridAndZoomCommands) {
    ResizeView(600, 240);
    state().gridSetting = GridSetting::NoGrid;
    editor.RunMenuCommand("mnuViewToggleGrid");
    EXPECT_EQ(state().gridSetting, GridSetting::PixelAndCellLines);
    editor.RunMenuCommand("mnuViewToggleGrid");
    EXPECT_EQ(state().gridSetting, GridSetting::PixelLines);
    EXPECT_EQ(view().at(10, 1), kViewBackground);

    ASSERT_EQ(state().zoom, 10);
    editor.RunMenuCommand("mnuViewZoomToggle");
    EXPECT_EQ(state().zoom, 1);
    EXPECT_EQ(platform.statusTexts[3], "Zoom: 1");
    editor.RunMenuCommand("mnuViewZoomToggle");
    EXPECT_EQ(state().zoom, 10);
    EXPECT_EQ(platform.statusTexts[3], "Zoom: 10");

    state().zoom = 2;
    editor.RunMenuCommand("mnuViewZoomOut");
    EXPECT_EQ(state().zoom, 1);
    editor.RunMenuCommand("mnuViewZoomOut");
    EXPECT_EQ(state().zoom, 1);
    EXPECT_EQ(platform.statusTexts[3], "Zoom: 1");
    state().savedZoom = 0;
    editor.RunMenuCommand("mnuViewZoomToggle");
    EXPECT_EQ(state().zoom, 16);

    state().zoom = 63;
    editor.RunMenuCommand("mnuViewZoomIn");
    editor.RunMenuCommand("mnuViewZoomIn");
    EXPECT_EQ(state().zoom, 64);
    EXPECT_EQ(platform.statusTexts[3], "Zoom: 64");
    EXPECT_EQ(view().at(64, 1), kViewBackground);  // pixel lines at zoom 64
    EXPECT_EQ(view().at(65, 1), Color(0x51));
}

TEST_F(ViewMenuTest, ViewMenuItemsInMenuOrder) {
    std::vector<std::string> names;
    bool inView = false;
    for (const MenuItem& item : editor.menu()) {
        if (item.kind == MenuItem::Kind::Menu) inView = item.name == "mnuView";
        if (inView) names.push_back(item.name + "|" + item.DisplayCaption());
    }
    EXPECT_EQ(names, (std::vector<std::string>{
                         "mnuView|&View", "mnuViewImageNext|&Next Image\tShift +",
                         "mnuViewImagePrev|&Prev. Image\tShift -", "mnuView0|",
                         "mnuViewToggleGrid|Toggle &Grid\tG", "mnuViewZoomToggle|Toggle &Zoom\tZ",
                         "mnuViewZoomIn|Zoom In\t+", "mnuViewZoomOut|Zoom Out\t-", "mnuView1|",
                         "mnuViewColorPaletteAndPreview|Color Palette and Preview", "mnuView2|",
                         "mnuViewImageProperties|Image Properties\tP"}));
    EXPECT_TRUE(editor.menuItem("mnuViewColorPaletteAndPreview").checkable);
    EXPECT_TRUE(editor.menuItem("mnuViewColorPaletteAndPreview").checked);
}

TEST_F(ViewMenuTest, HidingThePaletteAreaGivesItsRoomToTheView) {
    editor.FormResize(780, 560, kStatusBar);
    ASSERT_EQ(view().height, 316);
    editor.RunMenuCommand("mnuViewColorPaletteAndPreview");
    EXPECT_FALSE(editor.menuItem("mnuViewColorPaletteAndPreview").checked);
    EXPECT_FALSE(editor.view().paletteVisible);
    EXPECT_EQ(view().height, 520);  // the palette area's height and the splitter's
    editor.RunMenuCommand("mnuViewColorPaletteAndPreview");
    EXPECT_EQ(view().height, 316);
}

}  // namespace
}  // namespace pixolat::testing
