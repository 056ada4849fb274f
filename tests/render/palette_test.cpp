#include <gtest/gtest.h>

#include "render/view_fixture.h"

namespace pixolat::testing {
namespace {

class PaletteTest : public ViewTest {
protected:
    // Palette picture w x h (the preview takes 320 + 4 of the client width).
    void ResizePalette(int w, int h) {
        editor.view().paletteHeight = h;
        editor.FormResize(w + 324, h + 400, kStatusBar);
        ASSERT_EQ(palette().width, w);
        ASSERT_EQ(palette().height, h);
    }
    const RgbBuffer& palette() { return editor.view().palette; }
    void Release(MouseButton button, int x, int y, uint32_t tick) {
        platform.tickCount = tick;
        editor.imgColorPaletteMouseDown(button, 0, x, y);
        editor.imgColorPaletteMouseUp(button, 0, x, y);
    }
};

TEST_F(PaletteTest, CellSizeFollowsThePaletteSize) {
    ResizePalette(448, 200);
    EXPECT_EQ(state().paletteCellHeight, 25);
    EXPECT_EQ(state().paletteCellWidth, 28);
    EXPECT_EQ(palette().at(447, 199), Color(0x70 + 4));  // last column shows hue 4

    ResizePalette(1000, 200);
    EXPECT_EQ(state().paletteCellWidth, 50);
    EXPECT_EQ(palette().at(799, 199), Color(0x74));
    EXPECT_EQ(palette().at(800, 0), kPaletteBackground);
    // Column 2 shows hue 11, row 4 luminance 4.
    EXPECT_EQ(palette().at(2 * 50 + 25, 4 * 25 + 20), Color(0x4B));

    // Too small for cells: nothing to select, nothing divides by zero.
    ResizePalette(15, 7);
    EXPECT_EQ(state().paletteCellWidth, 0);
    editor.imgColorPaletteMouseDown(MouseButton::Left, 0, 3, 3);
    editor.imgColorPaletteMouseUp(MouseButton::Left, 0, 3, 3);
    EXPECT_EQ(state().paletteColumn, 0);
    EXPECT_EQ(state().paletteRow, 0);
}

TEST_F(PaletteTest, LabelsMarkTheDrawingColors) {
    ResizePalette(448, 200);
    // Labels are boxes 6 wide per character: shadow at the cell's top
    // centre, white one pixel down and right.
    const int x1 = 28 + (28 - 6) / 2, y1 = 3 * 25;  // "1" on $31: column 1, row 3
    EXPECT_EQ(palette().at(x1, y1), kPaletteLabelShadow);
    EXPECT_EQ(palette().at(x1 + 1, y1 + 1), kPaletteLabel);
    EXPECT_EQ(palette().at(x1 + 1, y1 + 12), Color(0x31));
    EXPECT_EQ(palette().at(x1, 5 * 25), kPaletteLabelShadow);  // "2" on $51

    // A hires image shows no 0 or 3, a multicolor image does.
    const int x3 = 28 + (28 - 6) / 2, y3 = 7 * 25;  // color3 $71
    EXPECT_EQ(palette().at(x3 + 1, y3 + 1), Color(0x71));
    MakeImage(320, 200, 2, ColorMapKind::Normal);
    state().drawColor1 = 0x00;
    editor.FullRedraw();
    EXPECT_EQ(palette().at(x3 + 1, y3 + 1), kPaletteLabel);
    // "01" on black: two characters wide.
    EXPECT_EQ(PaletteLabel(image().desc, state(), 0x00), "01");
    const int x01 = (28 - 12) / 2;
    EXPECT_EQ(palette().at(x01 + 12, 5), kPaletteLabel);
    EXPECT_EQ(palette().at(x01 + 13, 5), Color(0x00));
}

TEST_F(PaletteTest, SelectingMovesTheMarkerAndShowsTheColor) {
    ResizePalette(448, 200);
    // The marker starts on cell (0, 0).
    EXPECT_EQ(palette().at(0, 0), kPaletteMarkerOuter);
    EXPECT_EQ(palette().at(1, 1), kPaletteMarkerInner);
    editor.imgColorPaletteMouseDown(MouseButton::Right, 0, 3 * 28 + 5, 5 * 25 + 5);
    EXPECT_EQ(platform.statusTexts[3], "Current color: $52");
    EXPECT_EQ(editor.SelectedPaletteColor(), 0x52);
    EXPECT_EQ(palette().at(0, 0), Color(0x00));
    EXPECT_EQ(palette().at(84, 125), kPaletteMarkerOuter);
    EXPECT_EQ(palette().at(85, 126), kPaletteMarkerInner);
    EXPECT_EQ(palette().at(111, 149), kPaletteMarkerOuter);
    // Selecting it again leaves the status alone.
    editor.ShowStatus("other");
    editor.imgColorPaletteMouseDown(MouseButton::Left, 0, 3 * 28 + 1, 5 * 25 + 1);
    EXPECT_EQ(platform.statusTexts[3], "other");
    // Dragging with the left button selects; plain moves do not.
    editor.imgColorPaletteMouseMove(0, 10, 10);
    EXPECT_EQ(editor.SelectedPaletteColor(), 0x52);
    editor.imgColorPaletteMouseMove(kLeftButton, 10, 10);
    EXPECT_EQ(editor.SelectedPaletteColor(), 0x00);
    // Less than a cell left of the palette still counts as column 0.
    editor.imgColorPaletteMouseMove(kLeftButton, -5, 5 * 25 + 5);
    EXPECT_EQ(editor.SelectedPaletteColor(), 0x50);
    editor.imgColorPaletteMouseMove(kLeftButton, 10, 10);
    // Points beyond the cells select nothing.
    editor.imgColorPaletteMouseDown(MouseButton::Left, 0, 448, 10);
    editor.imgColorPaletteMouseDown(MouseButton::Left, 0, 10, 200);
    EXPECT_EQ(editor.SelectedPaletteColor(), 0x00);
}

TEST_F(PaletteTest, DoubleClickSetsTheCellColorsOfTheCursorCell) {
    ResizePalette(448, 200);
    state().cursorX = 9;
    state().cursorY = 9;
    const int x = 3 * 28 + 5, y = 5 * 25 + 5;
    Release(MouseButton::Left, x, y, 1000);
    Release(MouseButton::Left, x, y, 1400);  // 400 ms: only selects
    EXPECT_EQ(image().colmap.at(0, 1, 1), 0x11);
    Release(MouseButton::Left, x, y, 1600);  // 200 ms
    EXPECT_EQ(image().colmap.at(0, 1, 1), 0x21);
    EXPECT_EQ(image().lummap.at(0, 1, 1), 0x55);
    EXPECT_EQ(image().colmap.at(0, 0, 1), 0x11);  // the neighbouring cell keeps its colors
    EXPECT_EQ(state().drawColor1, 0x31);
    // The redrawn cell shows the new color 1 on a set pixel, color 2 beside it.
    image().plane.at(9, 9) = 1;
    editor.RedrawCursorCell();
    EXPECT_EQ(view().at(95, 95), Color(0x52));
    EXPECT_EQ(view().at(105, 95), Color(0x51));

    // Right button, column 0 of row 7: cell color 2 becomes $70; the tick
    // counter may wrap between the two releases.
    Release(MouseButton::Right, 5, 7 * 25 + 5, 0xFFFFFF00u);
    Release(MouseButton::Right, 5, 7 * 25 + 5, 0x00000010u);
    EXPECT_EQ(image().colmap.at(0, 1, 1), 0x20);
    EXPECT_EQ(image().lummap.at(0, 1, 1), 0x75);
    // The middle button only selects.
    Release(MouseButton::Middle, 28 + 5, 5, 100);
    Release(MouseButton::Middle, 28 + 5, 5, 150);
    EXPECT_EQ(image().colmap.at(0, 1, 1), 0x20);
    // 350 ms apart is too slow already; 349 ms is a double-click.
    Release(MouseButton::Left, 5, 5, 5000);
    Release(MouseButton::Left, 5, 5, 5350);
    EXPECT_EQ(image().colmap.at(0, 1, 1), 0x20);
    Release(MouseButton::Left, 5, 5, 5699);
    EXPECT_EQ(image().colmap.at(0, 1, 1), 0x00);
}

TEST_F(PaletteTest, SplittersResizeThePaletteArea) {
    editor.FormResize(780, 560, kStatusBar);
    // Dragged so that the palette area would be 203 high: it snaps to 208.
    editor.SplitterColorPaletteMoved(536 - 203);
    EXPECT_EQ(editor.view().paletteHeight, 208);
    EXPECT_EQ(platform.pendingEventRuns, 1);
    EXPECT_EQ(editor.view().controls.splitterColorPalette.top, 536 - 208);
    EXPECT_EQ(palette().height, 208);
    EXPECT_EQ(view().height, 536 - 208 - 20);
    EXPECT_EQ(state().paletteCellHeight, 26);
    // Beyond the client area: the largest multiple of 8 that fits.
    editor.SplitterColorPaletteMoved(-50);
    EXPECT_EQ(editor.view().paletteHeight, 536);
    editor.SplitterColorPaletteMoved(1000);
    EXPECT_EQ(editor.view().paletteHeight, 0);

    editor.SplitterPreviewMoved(500);
    EXPECT_EQ(editor.view().previewWidth, 776 - 500);
    EXPECT_EQ(editor.view().controls.panelPreview.left, 504);
    EXPECT_EQ(palette().width, 500);
    EXPECT_EQ(editor.view().preview.width, 276);
}

// A move is laid out even when it ends where the splitter stood at the
// previous move: right at the start, or after the window changed size.
TEST_F(PaletteTest, SplitterMovesToTheRememberedPlaceAreLaidOut) {
    editor.FormResize(780, 560, kStatusBar);
    // The palette area takes the whole height but what the view keeps: one
    // block of the highest zoom beside its scroll bars.
    editor.SplitterColorPaletteMoved(0);
    EXPECT_EQ(editor.view().controls.splitterColorPalette.top, kMinViewAreaHeight);
    EXPECT_EQ(palette().height, 536 - kMinViewAreaHeight);
    EXPECT_EQ(state().paletteCellHeight, (536 - kMinViewAreaHeight) / 8);
    editor.SplitterPreviewMoved(0);  // the preview takes the whole width
    EXPECT_EQ(editor.view().controls.panelPreview.width, 776);
    EXPECT_EQ(editor.view().preview.width, 776);
    EXPECT_EQ(palette().width, 0);

    editor.SplitterColorPaletteMoved(336);
    editor.SplitterPreviewMoved(456);
    editor.FormResize(820, 600, kStatusBar);  // the splitters keep the areas' sizes
    EXPECT_EQ(editor.view().controls.splitterColorPalette.top, 376);
    EXPECT_EQ(editor.view().controls.splitterPreview.left, 496);
    editor.SplitterColorPaletteMoved(336);
    EXPECT_EQ(editor.view().controls.splitterColorPalette.top, 336);
    EXPECT_EQ(palette().height, 240);
    EXPECT_EQ(view().height, 336 - 20);
    editor.SplitterPreviewMoved(456);
    EXPECT_EQ(editor.view().controls.splitterPreview.left, 456);
    EXPECT_EQ(palette().width, 456);
    EXPECT_EQ(editor.view().preview.width, 816 - 456);
}

}  // namespace
}  // namespace pixolat::testing
