#include <gtest/gtest.h>

#include "support/view_fixture.h"

namespace pixolat::testing {
namespace {

class GeometryTest : public ViewTest {
protected:
    const ScrollBar& xScroll() { return editor.view().xScroll; }
    const ScrollBar& yScroll() { return editor.view().yScroll; }
};

TEST_F(GeometryTest, ControlsAreLaidOutAsTheWindowTable) {
    editor.viewArea().FormResize(780, 560, kStatusBar);
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
}

TEST_F(GeometryTest, ScrollRangesCountWholeVisibleBlocks) {
    ResizeView(600, 240);
    MakeImage(320, 200, 1, ColorMapKind::Normal);
    SetZoomAndGrid(10, GridSetting::NoGrid);
    EXPECT_TRUE(xScroll().enabled());
    EXPECT_EQ(xScroll().max(), 260);
    EXPECT_EQ(yScroll().max(), 176);
    SetZoomAndGrid(10, GridSetting::PixelAndCellLines);  // 54 columns fit
    EXPECT_EQ(xScroll().max(), 266);
    ResizeView(605, 240);  // room for 55 pitches, but the cell lines take one
    EXPECT_EQ(xScroll().max(), 266);
    ResizeView(600, 240);
    SetZoomAndGrid(1, GridSetting::PixelAndCellLines);  // the grid plays no part at zoom 1
    EXPECT_FALSE(xScroll().enabled());
    EXPECT_FALSE(yScroll().enabled());

    // A multicolor image scrolls by double-wide pixels.
    MakeImage(320, 200, 2, ColorMapKind::Normal);
    SetZoomAndGrid(2, GridSetting::NoGrid);
    EXPECT_TRUE(xScroll().enabled());
    EXPECT_EQ(xScroll().max(), 160 - 150);

    // DFLI with cell lines at zoom 4 in a view 400 high: 87 rows fit.
    ResizeView(600, 400);
    MakeImage(320, 200, 1, ColorMapKind::Dfli);
    SetZoomAndGrid(4, GridSetting::CellLines);
    EXPECT_EQ(yScroll().max(), 200 - 87);

    // Shrinking the image pulls the position back into range and redraws.
    editor.view().yScroll.SetPosition(100);
    EXPECT_EQ(yScroll().position(), 100);
    MakeImage(320, 50, 1, ColorMapKind::Normal);
    editor.viewArea().UpdateScrollRanges();
    EXPECT_FALSE(yScroll().enabled());
    EXPECT_EQ(yScroll().position(), 0);
    EXPECT_EQ(view().at(5, 1), Color(0x51));
}

TEST_F(GeometryTest, ScrollingRedrawsAndKeepsTheCursorInView) {
    ResizeView(600, 240);
    MakeImage(320, 200, 1, ColorMapKind::Normal);
    SetZoomAndGrid(10, GridSetting::NoGrid);
    image().plane.at(5, 0) = 1;
    editor.view().xScroll.SetPosition(5);
    EXPECT_EQ(view().at(1, 1), Color(0x31));  // column 5 now comes first
    EXPECT_EQ(view().at(11, 1), Color(0x51));
    editor.view().xScroll.SetPosition(100000);
    EXPECT_EQ(xScroll().position(), 260);

    state().cursorX = 300;
    state().cursorY = 150;
    editor.view().xScroll.SetPosition(0);
    editor.viewArea().ScrollCursorIntoView();
    EXPECT_EQ(xScroll().position(), 300 - 59);
    EXPECT_EQ(yScroll().position(), 150 - 23);
    EXPECT_EQ(view().at(594, 234), kCursorFill);  // the last block of the view
    state().cursorX = 3;
    state().cursorY = 4;
    editor.viewArea().ScrollCursorIntoView();
    EXPECT_EQ(xScroll().position(), 3);
    EXPECT_EQ(yScroll().position(), 4);
    // A view smaller than one block does not scroll.
    ResizeView(8, 8);
    state().cursorX = 200;
    editor.viewArea().ScrollCursorIntoView();
    EXPECT_EQ(xScroll().position(), 3);
}

}  // namespace
}  // namespace pixolat::testing
