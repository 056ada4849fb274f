#include "edit/drawing.h"

#include <gtest/gtest.h>

#include "document/colors.h"
#include "render/view_fixture.h"

namespace pixolat::testing {
namespace {

// An editor at zoom 10 without a grid: image pixel (x, y) of a hires image
// lies at view (10 x, 10 y).
class DrawingTest : public ViewTest {
protected:
    void SetUp() override {
        ResizeView(400, 300);
        SetZoomAndGrid(10, NoGrid);
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

    // Multicolor value 3 in "Color only" changes nothing at all.
    MakeImage(320, 200, 2, ColorMapKind::Normal);
    state().drawingMode = DrawingMode::ColorOnly;
    state().currentPixelValue = 3;
    Press(3, 5);
    EXPECT_EQ(image().plane.at(0, 5) + image().plane.at(1, 5), 0);
    EXPECT_EQ(CellColor(1, 0, 0, 0), 0x31);
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

TEST_F(DrawingTest, TogglingHiresAndMultiAlignsCursorAndSelectionCorners) {
    MakeImage(320, 200, 1, ColorMapKind::Normal);
    state().cursorX = 5;
    Select(3, 1, 7, 4);
    editor.RunMenuCommand("mnuDrawHires");
    EXPECT_EQ(image().desc.pixelWidth, 2);
    EXPECT_EQ(state().cursorX, 4);
    EXPECT_EQ(editor.SelectionRect().x1, 2);
    EXPECT_EQ(editor.SelectionRect().x2, 6);
    editor.RunMenuCommand("mnuDrawHires");
    EXPECT_EQ(image().desc.pixelWidth, 1);

    editor.RunMenuCommand("mnuDrawToggleDrawingMode");
    EXPECT_EQ(platform.statusTexts[2], "Color only");
    editor.RunMenuCommand("mnuDrawToggleDrawingMode");
    EXPECT_EQ(platform.statusTexts[2], "Pixel only");
}

}  // namespace
}  // namespace pixolat::testing
