// The palette area's commands: selecting colors with the mouse, double clicks
// that set the cursor cell's colors, and the two splitters.
#include <gtest/gtest.h>

#include "support/view_fixture.h"

namespace pixolat::testing {
namespace {

class PaletteAreaTest : public ViewTest {
protected:
    void Release(MouseButton button, int x, int y, uint32_t tick) {
        platform.tickCount = tick;
        editor.palette().imgColorPaletteMouseDown(button, 0, x, y);
        editor.palette().imgColorPaletteMouseUp(button, 0, x, y);
    }
};

TEST_F(PaletteAreaTest, SelectingMovesTheMarkerAndShowsTheColor) {
    ResizePalette(448, 200);
    // The marker starts on cell (0, 0).
    EXPECT_EQ(palette().at(0, 0), kPaletteMarkerOuter);
    EXPECT_EQ(palette().at(1, 1), kPaletteMarkerInner);
    editor.palette().imgColorPaletteMouseDown(MouseButton::Right, 0, 3 * 28 + 5, 5 * 25 + 5);
    EXPECT_EQ(platform.statusTexts[3], "Current color: $52");
    EXPECT_EQ(editor.palette().SelectedPaletteColor(), 0x52);
    EXPECT_EQ(palette().at(0, 0), Color(0x00));
    EXPECT_EQ(palette().at(84, 125), kPaletteMarkerOuter);
    EXPECT_EQ(palette().at(85, 126), kPaletteMarkerInner);
    EXPECT_EQ(palette().at(111, 149), kPaletteMarkerOuter);
    // Selecting it again leaves the status alone.
    editor.ShowStatus("other");
    editor.palette().imgColorPaletteMouseDown(MouseButton::Left, 0, 3 * 28 + 1, 5 * 25 + 1);
    EXPECT_EQ(platform.statusTexts[3], "other");
    // Dragging with the left button selects; plain moves do not.
    editor.palette().imgColorPaletteMouseMove(0, 10, 10);
    EXPECT_EQ(editor.palette().SelectedPaletteColor(), 0x52);
    editor.palette().imgColorPaletteMouseMove(kLeftButton, 10, 10);
    EXPECT_EQ(editor.palette().SelectedPaletteColor(), 0x00);
    // Less than a cell left of the palette still counts as column 0.
    editor.palette().imgColorPaletteMouseMove(kLeftButton, -5, 5 * 25 + 5);
    EXPECT_EQ(editor.palette().SelectedPaletteColor(), 0x50);
    // Points beyond the cells select nothing: the selection stays.
    editor.palette().imgColorPaletteMouseDown(MouseButton::Left, 0, 448, 10);
    editor.palette().imgColorPaletteMouseDown(MouseButton::Left, 0, 10, 200);
    EXPECT_EQ(editor.palette().SelectedPaletteColor(), 0x50);
}

TEST_F(PaletteAreaTest, DoubleClickSetsTheCellColorsOfTheCursorCell) {
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
    editor.viewArea().RedrawCursorCell();
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

TEST_F(PaletteAreaTest, SplittersResizeThePaletteArea) {
    editor.viewArea().FormResize(780, 560, kStatusBar);
    // Dragged so that the palette area would be 203 high: it snaps to 208.
    editor.viewArea().SplitterColorPaletteMoved(536 - 203);
    EXPECT_EQ(editor.view().paletteHeight, 208);
    EXPECT_EQ(platform.pendingEventRuns, 1);
    EXPECT_EQ(editor.view().controls.splitterColorPalette.top, 536 - 208);
    EXPECT_EQ(palette().height, 208);
    EXPECT_EQ(view().height, 536 - 208 - 20);
    EXPECT_EQ(editor.view().paletteCellHeight, 26);
    // Beyond the client area: the largest multiple of 8 that fits.
    editor.viewArea().SplitterColorPaletteMoved(-50);
    EXPECT_EQ(editor.view().paletteHeight, 536);
    editor.viewArea().SplitterColorPaletteMoved(1000);
    EXPECT_EQ(editor.view().paletteHeight, 0);

    editor.viewArea().SplitterPreviewMoved(500);
    EXPECT_EQ(editor.view().previewWidth, 776 - 500);
    EXPECT_EQ(editor.view().controls.panelPreview.left, 504);
    EXPECT_EQ(palette().width, 500);
    EXPECT_EQ(editor.view().preview.width, 276);
}

// A move is laid out even when it ends where the splitter stood at the
// previous move: right at the start, or after the window changed size.
TEST_F(PaletteAreaTest, SplitterMovesToTheRememberedPlaceAreLaidOut) {
    editor.viewArea().FormResize(780, 560, kStatusBar);
    // The palette area takes the whole height but what the view keeps: one
    // block of the highest zoom beside its scroll bars.
    editor.viewArea().SplitterColorPaletteMoved(0);
    EXPECT_EQ(editor.view().controls.splitterColorPalette.top, kMinViewAreaHeight);
    EXPECT_EQ(palette().height, 536 - kMinViewAreaHeight);
    EXPECT_EQ(editor.view().paletteCellHeight, (536 - kMinViewAreaHeight) / 8);
    editor.viewArea().SplitterPreviewMoved(0);  // the preview takes the whole width
    EXPECT_EQ(editor.view().controls.panelPreview.width, 776);
    EXPECT_EQ(editor.view().preview.width, 776);
    EXPECT_EQ(palette().width, 0);

    editor.viewArea().SplitterColorPaletteMoved(336);
    editor.viewArea().SplitterPreviewMoved(456);
    editor.viewArea().FormResize(820, 600, kStatusBar);  // the splitters keep the areas' sizes
    EXPECT_EQ(editor.view().controls.splitterColorPalette.top, 376);
    EXPECT_EQ(editor.view().controls.splitterPreview.left, 496);
    editor.viewArea().SplitterColorPaletteMoved(336);
    EXPECT_EQ(editor.view().controls.splitterColorPalette.top, 336);
    EXPECT_EQ(palette().height, 240);
    EXPECT_EQ(view().height, 336 - 20);
    editor.viewArea().SplitterPreviewMoved(456);
    EXPECT_EQ(editor.view().controls.splitterPreview.left, 456);
    EXPECT_EQ(palette().width, 456);
    EXPECT_EQ(editor.view().preview.width, 816 - 456);
}

}  // namespace
}  // namespace pixolat::testing
