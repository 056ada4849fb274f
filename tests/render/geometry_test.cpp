#include <gtest/gtest.h>

#include "render/view_fixture.h"

namespace pixolat::testing {
namespace {

class GeometryTest : public ViewTest {
protected:
    const ScrollBar& xScroll() { return editor.view().xScroll; }
    const ScrollBar& yScroll() { return editor.view().yScroll; }
};

TEST_F(GeometryTest, ControlsAreLaidOutAsTheWindowTable) {
    editor.FormResize(780, 560, kStatusBar);
    const ViewControls& c = editor.view().controls;
    auto rect = [](const ControlRect& r) {
        return std::vector<int>{r.left, r.top, r.width, r.height};
    };
    // View area 780 x 336 above the palette splitter; scroll bars inset by the frame.
    EXPECT_EQ(rect(c.scrollBox), (std::vector<int>{0, 0, 780, 336}));
    EXPECT_EQ(rect(c.xScroll), (std::vector<int>{0, 316, 760, 16}));
    EXPECT_EQ(rect(c.yScroll), (std::vector<int>{760, 0, 16, 316}));
    EXPECT_EQ(rect(c.img), (std::vector<int>{0, 0, 760, 316}));
    EXPECT_EQ(rect(c.splitterColorPalette), (std::vector<int>{0, 336, 780, 4}));
    EXPECT_EQ(rect(c.panelColorPalette), (std::vector<int>{0, 340, 780, 200}));
    EXPECT_EQ(rect(c.imgColorPalette), (std::vector<int>{0, 0, 456, 200}));
    EXPECT_EQ(rect(c.splitterPreview), (std::vector<int>{456, 0, 4, 200}));
    EXPECT_EQ(rect(c.panelPreview), (std::vector<int>{460, 0, 320, 200}));
    EXPECT_EQ(rect(c.imgPreview), (std::vector<int>{0, 0, 320, 200}));
    EXPECT_EQ(view().width, 760);
    EXPECT_EQ(view().height, 316);
    EXPECT_EQ(editor.view().palette.width, 456);
    EXPECT_EQ(editor.view().preview.height, 200);

    // Hiding the palette area gives its height and the splitter's to the view.
    editor.RunMenuCommand("mnuViewColorPaletteAndPreview");
    EXPECT_FALSE(editor.menuItem("mnuViewColorPaletteAndPreview").checked);
    EXPECT_FALSE(editor.view().paletteVisible);
    EXPECT_EQ(view().height, 520);
    editor.RunMenuCommand("mnuViewColorPaletteAndPreview");
    EXPECT_EQ(view().height, 316);
}

TEST_F(GeometryTest, ScrollRangesCountWholeVisibleBlocks) {
    ResizeView(600, 240);
    MakeImage(320, 200, 1, ColorMapKind::Normal);
    SetZoomAndGrid(10, NoGrid);
    EXPECT_TRUE(xScroll().enabled());
    EXPECT_EQ(xScroll().max(), 260);
    EXPECT_EQ(yScroll().max(), 176);
    SetZoomAndGrid(10, PixelAndCellLines);  // 54 columns fit
    EXPECT_EQ(xScroll().max(), 266);
    SetZoomAndGrid(1, PixelAndCellLines);  // the grid plays no part at zoom 1
    EXPECT_FALSE(xScroll().enabled());
    EXPECT_FALSE(yScroll().enabled());

    // A multicolor image scrolls by double-wide pixels.
    MakeImage(320, 200, 2, ColorMapKind::Normal);
    SetZoomAndGrid(2, NoGrid);
    EXPECT_TRUE(xScroll().enabled());
    EXPECT_EQ(xScroll().max(), 160 - 150);

    // DFLI with cell lines at zoom 4 in a view 400 high: 87 rows fit.
    ResizeView(600, 400);
    MakeImage(320, 200, 1, ColorMapKind::Dfli);
    SetZoomAndGrid(4, CellLines);
    EXPECT_EQ(yScroll().max(), 200 - 87);

    // Shrinking the image pulls the position back into range and redraws.
    editor.view().yScroll.SetPosition(100);
    EXPECT_EQ(yScroll().position(), 100);
    MakeImage(320, 50, 1, ColorMapKind::Normal);
    editor.UpdateScrollRanges();
    EXPECT_FALSE(yScroll().enabled());
    EXPECT_EQ(yScroll().position(), 0);
    EXPECT_EQ(view().at(5, 1), Color(0x51));
}

TEST_F(GeometryTest, ScrollingRedrawsAndKeepsTheCursorInView) {
    ResizeView(600, 240);
    MakeImage(320, 200, 1, ColorMapKind::Normal);
    SetZoomAndGrid(10, NoGrid);
    image().plane.at(5, 0) = 1;
    editor.view().xScroll.SetPosition(5);
    EXPECT_EQ(view().at(1, 1), Color(0x31));  // column 5 now comes first
    EXPECT_EQ(view().at(11, 1), Color(0x51));
    editor.view().xScroll.SetPosition(100000);
    EXPECT_EQ(xScroll().position(), 260);

    state().cursorX = 300;
    state().cursorY = 150;
    editor.view().xScroll.SetPosition(0);
    editor.ScrollCursorIntoView();
    EXPECT_EQ(xScroll().position(), 300 - 59);
    EXPECT_EQ(yScroll().position(), 150 - 23);
    EXPECT_EQ(view().at(594, 234), kCursorFill);  // the last block of the view
    state().cursorX = 3;
    state().cursorY = 4;
    editor.ScrollCursorIntoView();
    EXPECT_EQ(xScroll().position(), 3);
    EXPECT_EQ(yScroll().position(), 4);
    // A view smaller than one block does not scroll.
    ResizeView(8, 8);
    state().cursorX = 200;
    editor.ScrollCursorIntoView();
    EXPECT_EQ(xScroll().position(), 3);
}

TEST_F(GeometryTest, GridAndZoomCommands) {
    ResizeView(600, 240);
    state().gridSetting = NoGrid;
    editor.RunMenuCommand("mnuViewToggleGrid");
    EXPECT_EQ(state().gridSetting, PixelAndCellLines);
    editor.RunMenuCommand("mnuViewToggleGrid");
    EXPECT_EQ(state().gridSetting, PixelLines);
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

TEST_F(GeometryTest, ViewMenuItemsInMenuOrder) {
    std::vector<std::string> names;
    bool inView = false;
    for (const MenuItem& item : editor.menu()) {
        if (item.kind == MenuItem::Kind::Menu) inView = item.name == "mnuView";
        if (inView) names.push_back(item.name + "|" + item.DisplayCaption());
    }
    EXPECT_EQ(names, (std::vector<std::string>{
                         "mnuView|&View", "mnuViewImageNext|&Next Image",
                         "mnuViewImagePrev|&Prev. Image", "mnuView0|",
                         "mnuViewToggleGrid|Toggle &Grid\tG", "mnuViewZoomToggle|Toggle &Zoom\tZ",
                         "mnuViewZoomIn|Zoom In\t+", "mnuViewZoomOut|Zoom Out\t-", "mnuView1|",
                         "mnuViewColorPaletteAndPreview|Color Palette and Preview", "mnuView2|",
                         "mnuViewImageProperties|Image Properties"}));
    EXPECT_TRUE(editor.menuItem("mnuViewColorPaletteAndPreview").checkable);
    EXPECT_TRUE(editor.menuItem("mnuViewColorPaletteAndPreview").checked);
}

}  // namespace
}  // namespace pixolat::testing
