#include "edit/drawing.h"

#include <gtest/gtest.h>

#include "document/colors.h"
#include "support/view_fixture.h"

namespace pixolat::testing {
namespace {

// An editor at zoom 10 without a grid: image pixel (x, y) of a hires image
// lies at view (10 x, 10 y).
class DrawingTest : public ViewTest {
protected:
    void SetUp() override {
        ResizeView(400, 300);
        SetZoomAndGrid(10, GridSetting::NoGrid);
    }
    int CellColor(int which, int bank, int cx, int cy) {
        const uint8_t a = image().colmap.at(bank, cx, cy), b = image().lummap.at(bank, cx, cy);
        return which == 1 ? CellColor1(a, b) : CellColor2(a, b);
    }
    // A click or drag point on the middle of pixel (x, y)'s block.
    void Press(int x, int y, ShiftState shift = 0) {
        editor.imgMouseDown(MouseButton::Left, shift | kLeftButton, x * 10 + 5, y * 10 + 5);
    }
    void DragTo(int vx, int vy) { editor.imgMouseMove(kLeftButton, vx, vy); }
    void Release() { editor.imgMouseUp(MouseButton::Left, 0, 0, 0); }
    void Select(int x1, int y1, int x2, int y2) {
        state().selectionActive = true;
        state().selectionAnchorX = x1;
        state().selectionAnchorY = y1;
        state().selectionEndX = x2;
        state().selectionEndY = y2;
    }
};

TEST_F(DrawingTest, AClickDrawsThePixelAndColorsOnlyTheEntryOfItsRows) {
    MakeImage(320, 200, 1, ColorMapKind::Dfli);
    state().currentPixelValue = 1;
    state().drawColor1 = 0x26;
    Press(3, 5);
    EXPECT_EQ(image().plane.at(3, 5), 1);
    EXPECT_EQ(CellColor(1, 2, 0, 0), 0x26);  // rows 4-5 use bank 2
    for (int bank : {0, 1, 3}) EXPECT_EQ(CellColor(1, bank, 0, 0), 0x31);
    EXPECT_EQ(state().cursorX, 3);

    MakeImage(320, 200, 1, ColorMapKind::Normal);
    Press(3, 5);
    EXPECT_EQ(CellColor(1, 0, 0, 0), 0x26);
    EXPECT_EQ(CellColor(1, 1, 0, 0), 0x31);
    // Draw Pixel #3 on a hires image is a set bit in cell color 1.
    state().drawColor1 = 0x45;
    editor.RunMenuCommand("mnuDrawPixel3");
    EXPECT_EQ(CellColor(1, 0, 0, 0), 0x45);
    EXPECT_EQ(state().currentPixelValue, 1);

    // Multicolor value 3 in "Color only" changes nothing at all.
    MakeImage(320, 200, 2, ColorMapKind::Normal);
    state().drawingMode = DrawingMode::ColorOnly;
    state().currentPixelValue = 3;
    Press(3, 5);
    EXPECT_EQ(image().plane.at(0, 5) + image().plane.at(1, 5), 0);
    EXPECT_EQ(CellColor(1, 0, 0, 0), 0x31);
    // Giving value 0 a color repaints every pixel of that value at once.
    SetValueColor(editor, 0, 0x22, true);
    EXPECT_EQ(view().at(45, 5), Color(0x22));
}

// The pen starts at value 0, which draws the background: the first such
// stroke says so, once; value 1 and the right button say nothing.
TEST_F(DrawingTest, TheFirstStrokeOfValueZeroSaysWhatItDraws) {
    editor.imgMouseDown(MouseButton::Right, kRightButton, 5, 5);
    editor.imgMouseUp(MouseButton::Right, 0, 5, 5);
    EXPECT_EQ(editor.statusText(3), "Ready.");
    state().currentPixelValue = 1;
    Press(1, 1);
    Release();
    EXPECT_EQ(editor.statusText(3), "Ready.");
    state().currentPixelValue = 0;
    Press(2, 2);
    Release();
    EXPECT_EQ(editor.statusText(3),
              "Drawing value 0, the background: choose 1\u20133 with the swatches or keys");
    editor.ShowStatus("-");
    Press(3, 3);
    Release();
    EXPECT_EQ(editor.statusText(3), "-");
    EXPECT_EQ(image().plane.at(1, 1), 1);
}

TEST_F(DrawingTest, APixelDrawnWithASelectionRecolorsTheWholeSelection) {
    MakeImage(320, 200, 1, ColorMapKind::Dfli);
    Select(0, 0, 15, 15);
    state().drawingMode = DrawingMode::ColorOnly;
    state().drawColor2 = 0x44;
    Press(20, 20);  // outside the selection: still the selection's cells change
    for (int bank = 0; bank < 4; ++bank)
        for (int c = 0; c < 4; ++c) EXPECT_EQ(CellColor(2, bank, c % 2, c / 2), 0x44);
    EXPECT_EQ(CellColor(2, 0, 2, 2), 0x51);
    EXPECT_EQ(image().plane.at(20, 20), 0);
}

TEST_F(DrawingTest, LinesRoundHalvesToEven) {
    MakeImage(320, 200, 1, ColorMapKind::Normal);
    state().drawingMode = DrawingMode::PixelOnly;
    DrawLine(editor, 10, 3, 0, 0, 1);
    const int ys[] = {0, 0, 1, 1, 1, 2, 2, 2, 2, 3, 3};
    for (int x = 0; x <= 10; ++x)
        for (int y = 0; y <= 3; ++y) EXPECT_EQ(image().plane.at(x, y), y == ys[x]) << x << "," << y;
    // Every half goes to the even row: 0.5 -> 0, 2.5 -> 2, 4.5 -> 4.
    MakeImage(320, 200, 1, ColorMapKind::Normal);
    DrawLine(editor, 0, 0, 10, 5, 1);
    const int halves[] = {0, 0, 1, 2, 2, 2, 3, 4, 4, 4, 5};
    for (int x = 0; x <= 10; ++x) EXPECT_EQ(image().plane.at(x, halves[x]), 1) << x;
    // Steep lines step the rows; a multicolor x falls to its pixel's left column.
    MakeImage(320, 200, 2, ColorMapKind::Normal);
    DrawLine(editor, 0, 0, 6, 4, 1);
    const int xs[] = {0, 2, 2, 4, 6};  // 1.5 -> 2 and 4.5 -> 4
    for (int y = 0; y <= 4; ++y) EXPECT_EQ(image().plane.at(xs[y] + 1, y), 1) << y;
    EXPECT_EQ(state().cursorX, 6);
    EXPECT_EQ(state().cursorY, 4);
}

TEST_F(DrawingTest, ADragDrawsWhereThePointerWentAndStopsAtTheImageEdge) {
    MakeImage(20, 12, 1, ColorMapKind::Normal);
    state().currentPixelValue = 1;
    Press(5, 5);
    DragTo(95, 55);   // to (9, 5)
    DragTo(395, 55);  // past the image's right edge, in the view
    DragTo(900, 55);  // and out of the view
    for (int x = 5; x < 20; ++x) EXPECT_EQ(image().plane.at(x, 5), 1) << x;
    for (int x = 20; x < 100; ++x) EXPECT_EQ(image().plane.at(x, 5), 0) << x;
    EXPECT_EQ(state().cursorX, 19);
    // Back in from above: the line comes from where the pointer was.
    DragTo(155, -200);
    DragTo(155, 35);  // (15, 3)
    EXPECT_EQ(image().plane.at(15, 0), 1);
    EXPECT_EQ(image().plane.at(15, 3), 1);
    EXPECT_EQ(image().plane.at(19, 0), 0);
    Release();
    // Hovering moves the cursor only.
    editor.imgMouseMove(0, 25, 105);
    EXPECT_EQ(state().cursorX, 2);
    EXPECT_EQ(state().cursorY, 10);
    EXPECT_EQ(image().plane.at(2, 10), 0);
}

// The view after the mouse events must be the picture a full redraw gives:
// an outline left behind or half erased shows as stray XOR pixels.
TEST_F(DrawingTest, ShiftClickAndShiftDragSelectAndTheOutlineStaysWhole) {
    MakeImage(320, 200, 1, ColorMapKind::Normal);
    state().currentPixelValue = 1;
    auto expectSteadyPicture = [&](const char* what) {
        const std::vector<uint32_t> shown = view().pixels;
        editor.viewArea().FullRedraw();
        EXPECT_TRUE(shown == view().pixels) << what;
    };
    editor.imgMouseMove(0, 25, 35);  // hover to (2, 3)
    Press(6, 8, kShift);
    EXPECT_TRUE(state().selectionActive);
    EXPECT_EQ(state().selectionAnchorX, 6);
    EXPECT_EQ(state().selectionEndX, 2);
    EXPECT_EQ(editor.viewArea().SelectionRect().y1, 3);
    EXPECT_EQ(editor.viewArea().SelectionRect().y2, 8);
    EXPECT_EQ(image().plane.at(6, 8), 0);  // Shift-click selects, it does not draw
    expectSteadyPicture("shift-click");
    // The pointer passing over the outline's corner block leaves it whole.
    editor.imgMouseMove(0, 25, 35);
    editor.imgMouseMove(0, 105, 105);
    expectSteadyPicture("hover");
    // So does drawing along its edge, in the cell colors too.
    Press(2, 3);
    DragTo(65, 35);
    EXPECT_EQ(image().plane.at(6, 3), 1);
    expectSteadyPicture("drawing");
    state().drawingMode = DrawingMode::PixelOnly;
    Press(2, 8);
    DragTo(25, 55);
    expectSteadyPicture("drawing pixels only");

    // A Shift-drag with no selection starts one where the pointer is.
    editor.RunMenuCommand("mnuEditDeselect");
    editor.imgMouseMove(kLeftButton | kShift, 45, 45);
    editor.imgMouseMove(kLeftButton | kShift, 95, 75);
    EXPECT_EQ(editor.viewArea().SelectionRect().x1, 4);
    EXPECT_EQ(editor.viewArea().SelectionRect().y1, 4);
    EXPECT_EQ(editor.viewArea().SelectionRect().x2, 9);
    EXPECT_EQ(editor.viewArea().SelectionRect().y2, 7);
    EXPECT_EQ(state().cursorX, 9);
    EXPECT_EQ(image().plane.at(9, 7) + image().plane.at(4, 4), 0);
    expectSteadyPicture("shift-drag");
    // Letting go of the left button keeps it; another button let go while
    // the left one is held ends it, outline and all.
    editor.imgMouseUp(MouseButton::Left, kShift, 0, 0);
    EXPECT_TRUE(state().selectionActive);
    editor.imgMouseUp(MouseButton::Right, kLeftButton, 0, 0);
    EXPECT_FALSE(state().selectionActive);
    expectSteadyPicture("release");
}

TEST_F(DrawingTest, TogglingHiresAndMultiAlignsCursorAndSelectionCorners) {
    MakeImage(320, 200, 1, ColorMapKind::Normal);
    state().cursorX = 5;
    Select(3, 1, 7, 4);
    editor.RunMenuCommand("mnuDrawHires");
    EXPECT_EQ(image().desc.pixelWidth, 2);
    EXPECT_EQ(state().cursorX, 4);
    EXPECT_EQ(editor.viewArea().SelectionRect().x1, 2);
    EXPECT_EQ(editor.viewArea().SelectionRect().x2, 6);
    editor.RunMenuCommand("mnuDrawHires");
    EXPECT_EQ(image().desc.pixelWidth, 1);
    // The scroll bar counts the columns of the new pixel width: 640 - 40 visible.
    MakeImage(640, 200, 2, ColorMapKind::Normal);
    editor.RunMenuCommand("mnuDrawHires");
    EXPECT_EQ(editor.view().xScroll.max(), 600);

    editor.RunMenuCommand("mnuDrawToggleDrawingMode");
    EXPECT_EQ(platform.statusTexts[2], "Color only");
    editor.RunMenuCommand("mnuDrawToggleDrawingMode");
    EXPECT_EQ(platform.statusTexts[2], "Pixel only");
}

}  // namespace
}  // namespace pixolat::testing
