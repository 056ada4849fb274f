// The menus as shown, and the View menu's commands: grid, zoom and the palette area.
#include <gtest/gtest.h>

#include <algorithm>

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

// Every menu as a user sees it at start: caption with access key and key
// hint, shortcut, help topic, and whether it shows. Items other features add
// may sit between these; these keep their order.
TEST_F(ViewMenuTest, MenusShowTheirItemsInOrder) {
    const std::vector<std::string> expected = {
        "mnuFile|&File||2100",
        "mnuFileLoad|&Load (as source)\tL||2101",
        "mnuFileSave|&Save (as source)\tS||2102",
        "mnuFile1|||0",
        "mnuFileImportPRG|Import .PRG|Ctrl+L|2103",
        "mnuFileExportPRG|Export .PRG|Ctrl+S|2104",
        "mnuFile2|||0",
        "mnuFileImportBMP|Import .BMP|Ctrl+O|2105",
        "mnuFileImportP4S|Import .P4S||2106|hidden",
        "mnuFile3|||0",
        "mnuFileMRU1|||0|hidden",
        "mnuFileMRU2|||0|hidden",
        "mnuFileMRU3|||0|hidden",
        "mnuFileMRU4|||0|hidden",
        "mnuFile4|||0|hidden",
        "mnuFileExit|E&xit||2106",
        "mnuEdit|&Edit||2200",
        "mnuEditCopy|Copy||2201",
        "mnuEditPaste|&Paste||2202",
        "mnuEdit0|||0",
        "EditSelectAll|&Select All|Ctrl+A|2204",
        "mnuEditDeselect|Deselect|Ctrl+D|2205",
        "mnuView|&View||2300",
        "mnuViewImageNext|&Next Image\tShift +||2301",
        "mnuViewImagePrev|&Prev. Image\tShift -||2302",
        "mnuView0|||0",
        "mnuViewToggleGrid|Toggle &Grid\tG||2304",
        "mnuViewZoomToggle|Toggle &Zoom\tZ||2305",
        "mnuViewZoomIn|Zoom In\t+||2306",
        "mnuViewZoomOut|Zoom Out\t-||2307",
        "mnuView1|||0",
        "mnuViewColorPaletteAndPreview|Color Palette and Preview||2309",
        "mnuView2|||0",
        "mnuViewImageProperties|Image Properties\tP||2311",
        "mnuDraw|&Draw||2406",
        "mnuDrawPixel0|Draw Pixel #0\t0||2401",
        "mnuDrawPixel1|Draw Pixel #1\t1||2402",
        "mnuDrawPixel2|Draw Pixel #2\t2||2403",
        "mnuDrawPixel3|Draw Pixel #3\t3||2404",
        "mnuDraw0|||0",
        "mnuDrawFill|Fill Image\tF||2405",
        "mnuDrawReplaceColors|Replace Colors||0",
        "mnuDrawRemapColors|&Remap Colors\tR||0",
        "mnuDrawFlipHorizontally|Flip Horizontally\tShift + H||2407",
        "mnuDrawFlipVertically|Flip Vertically\tShift + V||2408",
        "mnuDraw1|||0",
        "mnuDrawToggleDrawingMode|Toggle Drawing Mode\tD||2410",
        "mnuDrawHires|Toggle Hires/Multi\tH||2411",
        "mnuDrawSetColor|Set &Color\tC||2412",
        "mnuHelp|&Help||2500",
        "mnuHelpKeyb|Keyboard Commands||2501",
        "mnuHelpAbout|&About||2502",
    };
    std::vector<std::string> shown;
    for (const MenuItem& item : editor.menu()) {
        const std::string prefix = item.name + "|";
        if (std::none_of(expected.begin(), expected.end(),
                         [&](const std::string& row) { return row.rfind(prefix, 0) == 0; }))
            continue;
        shown.push_back(prefix + item.DisplayCaption() + "|" + item.shortcut + "|" +
                        std::to_string(item.helpContext) + (item.visible ? "" : "|hidden"));
    }
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(editor.menuItem("mnuFileImportP4S").hint, "Not implemented");
    EXPECT_EQ(editor.menuItem("mnuDrawSetColor").hint, "Under cursor or for selection");
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
