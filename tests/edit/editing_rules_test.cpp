// One test per editing and keyboard rule that a slip in the code could break
// without any other test noticing: each names the rule and fails when the
// rule is broken.
#include <gtest/gtest.h>

#include <string>

#include "document/colors.h"
#include "document/pixels.h"
#include "edit/drawing.h"
#include "edit/key_map.h"
#include "support/view_fixture.h"

namespace pixolat::testing {
namespace {

// Zoom 10 without a grid: pixel (x, y) of a hires image is view (10 x, 10 y).
class EditingRulesTest : public ViewTest {
protected:
    void SetUp() override {
        ResizeView(400, 300);
        SetZoomAndGrid(10, GridSetting::NoGrid);
    }
    int CellColorOf(int which, int x, int y) {
        const Cell c = CellIndex(x, y);
        const int bank = BankOf(image().desc, y);
        const uint8_t a = image().colmap.at(bank, c.column, c.row);
        const uint8_t b = image().lummap.at(bank, c.column, c.row);
        return which == 1 ? CellColor1(a, b) : CellColor2(a, b);
    }
    void Type(int key, ShiftState shift = 0) {
        editor.FormKeyDown(key, shift);
        editor.FormKeyUp(key, shift);
    }
    void Select(int x1, int y1, int x2, int y2) {
        state().selectionActive = true;
        state().selectionAnchorX = x1;
        state().selectionAnchorY = y1;
        state().selectionEndX = x2;
        state().selectionEndY = y2;
    }
    std::string Row(int y, int x1, int x2, int step) {
        std::string row;
        for (int x = x1; x <= x2; x += step) row += char('0' + PixelValueAt(image(), x, y));
        return row;
    }
};

TEST_F(EditingRulesTest, MulticolorValueTwoDrawsWithDrawingColorTwo) {
    MakeImage(320, 200, 2, ColorMapKind::Normal);
    state().drawColor1 = 0x26;
    state().drawColor2 = 0x4A;
    PutPixel(editor, 4, 3, 2, true);
    EXPECT_EQ(PixelValueAt(image(), 4, 3), 2);
    EXPECT_EQ(CellColorOf(2, 4, 3), 0x4A);
    EXPECT_EQ(CellColorOf(1, 4, 3), 0x31);
    PutPixel(editor, 4, 3, 1, true);
    EXPECT_EQ(CellColorOf(1, 4, 3), 0x26);
    EXPECT_EQ(CellColorOf(2, 4, 3), 0x4A);
}

TEST_F(EditingRulesTest, ValueColorOfZeroAndThreeAreTheImageColors) {
    MakeImage(320, 200, 2, ColorMapKind::Normal);
    SetValueColor(editor, 0, 0x22, true);
    EXPECT_EQ(image().desc.color0, 0x22);
    EXPECT_EQ(image().desc.color3, 0x71);
    SetValueColor(editor, 3, 0x35, true);
    EXPECT_EQ(image().desc.color0, 0x22);
    EXPECT_EQ(image().desc.color3, 0x35);
    // Alt with a value key gives that value the palette's color.
    editor.palette().SelectPaletteCell(5, 4);
    const ColorCode chosen = editor.palette().SelectedPaletteColor();
    editor.FormKeyDown('0', kAlt);
    EXPECT_EQ(image().desc.color0, chosen);
    EXPECT_EQ(image().desc.color3, 0x35);
}

TEST_F(EditingRulesTest, SetColorProposesTheColorsOfTheCursorRowsBank) {
    for (const ColorMapKind kind : {ColorMapKind::Dfli, ColorMapKind::None}) {
        MakeImage(320, 200, 1, kind);
        // Rows 2-3 of a cell use bank 1; give its entry colors of its own.
        image().colmap.at(1, 0, 0) = 0x9A;
        image().lummap.at(1, 0, 0) = 0x64;
        state().cursorX = 1;
        state().cursorY = 3;
        platform.inputPrompts.clear();
        editor.RunMenuCommand("mnuDrawSetColor");
        ASSERT_EQ(platform.inputPrompts.size(), 1u);
        EXPECT_EQ(platform.inputPrompts[0], "Color 1: Enter Color 1 (-1 to leave unchanged) [$49]");
        platform.inputAnswers = {"-1", std::nullopt};
        platform.inputPrompts.clear();
        editor.RunMenuCommand("mnuDrawSetColor");
        ASSERT_EQ(platform.inputPrompts.size(), 2u);
        EXPECT_EQ(platform.inputPrompts[1], "Color 2: Enter Color 2 (-1 to leave unchanged) [$6A]");
    }
}

TEST_F(EditingRulesTest, OnlyTheLeftButtonDraws) {
    MakeImage(320, 200, 1, ColorMapKind::Normal);
    state().currentPixelValue = 1;
    for (const MouseButton button : {MouseButton::Right, MouseButton::Middle}) {
        const ShiftState held = button == MouseButton::Right ? kRightButton : kMiddleButton;
        editor.imgMouseDown(button, held, 35, 55);
        editor.imgMouseMove(held, 95, 55);
        editor.imgMouseUp(button, 0, 95, 55);
    }
    for (int x = 0; x < 12; ++x) EXPECT_EQ(PixelValueAt(image(), x, 5), 0) << x;
    editor.imgMouseDown(MouseButton::Left, kLeftButton, 35, 55);
    editor.imgMouseUp(MouseButton::Left, 0, 35, 55);
    EXPECT_EQ(PixelValueAt(image(), 3, 5), 1);
}

TEST_F(EditingRulesTest, ReleasingAValueKeyStopsItsPen) {
    MakeImage(320, 200, 1, ColorMapKind::Normal);
    StorePixelValue(image(), 1, 0, 1);
    StorePixelValue(image(), 2, 0, 1);
    StorePixelValue(image(), 3, 0, 1);
    // Space draws value 0 like the 0 key; each stops drawing when released.
    for (const int key : {kKeySpace, int('0')}) {
        state().cursorX = key == kKeySpace ? 0 : 2;
        state().cursorY = 0;
        editor.FormKeyDown(key, 0);
        editor.FormKeyUp(key, 0);
        Type(kKeyRight);
    }
    EXPECT_EQ(Row(0, 0, 3, 1), "0101");
}

TEST_F(EditingRulesTest, MWithUpAndDownMovesATallAreaThatWay) {
    MakeImage(320, 200, 1, ColorMapKind::Normal);
    // A 1-pixel-wide column of values 1,0,0 in rows 0-2.
    StorePixelValue(image(), 4, 0, 1);
    Select(4, 0, 4, 2);
    state().currentPixelValue = 0;
    state().cursorX = 10;
    editor.FormKeyDown('M', 0);
    Type(kKeyDown);
    EXPECT_EQ(Row(0, 4, 4, 1) + Row(1, 4, 4, 1) + Row(2, 4, 4, 1), "010");
    Type(kKeyDown);
    EXPECT_EQ(Row(0, 4, 4, 1) + Row(1, 4, 4, 1) + Row(2, 4, 4, 1), "001");
    Type(kKeyUp);
    EXPECT_EQ(Row(0, 4, 4, 1) + Row(1, 4, 4, 1) + Row(2, 4, 4, 1), "010");
    Type(kKeyUp);
    EXPECT_EQ(Row(0, 4, 4, 1) + Row(1, 4, 4, 1) + Row(2, 4, 4, 1), "100");
    editor.FormKeyUp('M', 0);
}

TEST_F(EditingRulesTest, AMulticolorMoveCarriesBothBytesOfAPixel) {
    MakeImage(320, 200, 2, ColorMapKind::Normal);
    StorePixelValue(image(), 0, 0, 1);
    StorePixelValue(image(), 2, 0, 2);
    StorePixelValue(image(), 4, 0, 3);
    Select(0, 0, 6, 0);
    state().currentPixelValue = 0;
    state().cursorX = 20;
    editor.FormKeyDown('M', 0);
    Type(kKeyRight);
    EXPECT_EQ(Row(0, 0, 6, 2), "0123");
    Type(kKeyLeft);
    EXPECT_EQ(Row(0, 0, 6, 2), "1230");
    editor.FormKeyUp('M', 0);
}

TEST_F(EditingRulesTest, TheViewPictureShowsTheImageWithoutTheCursorMark) {
    MakeImage(320, 200, 1, ColorMapKind::Normal);
    SetZoomAndGrid(1, GridSetting::NoGrid);
    // Colors whose red and blue differ, so a swap shows.
    state().rgbTable[0x31] = 0x102030;
    state().rgbTable[0x51] = 0xA0B0C0;
    StorePixelValue(image(), 2, 1, 1);
    state().cursorX = 2;
    state().cursorY = 1;
    editor.viewArea().FullRedraw();
    Type('C', kCtrl | kAlt);
    ASSERT_EQ(platform.clipboard.size(), 1u);
    const Picture& picture = platform.clipboard[0];
    ASSERT_GE(picture.width, 8);
    ASSERT_GE(picture.height, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(picture.at(x, y), state().rgbTable[ColorCodeAt(image(), x, y)])
                << x << "," << y;
    EXPECT_EQ(platform.savedBitmaps.size(), 1u);
}

TEST_F(EditingRulesTest, WithSeveralValueKeysHeldTheHighestValueIsDrawnLast) {
    MakeImage(320, 200, 2, ColorMapKind::Normal);
    state().cursorX = 0;
    editor.FormKeyDown('3', 0);
    editor.FormKeyDown('1', 0);
    Type(kKeyRight);
    // Both pens draw at the new place, 1 then 3: 3 stays.
    EXPECT_EQ(PixelValueAt(image(), 2, 0), 3);
    editor.FormKeyUp('3', 0);
    Type(kKeyRight);
    EXPECT_EQ(PixelValueAt(image(), 4, 0), 1);
    editor.FormKeyUp('1', 0);
}

TEST_F(EditingRulesTest, ActivatingTheWindowRedrawsTheView) {
    MakeImage(320, 200, 1, ColorMapKind::Normal);
    state().cursorX = 20;
    editor.viewArea().FullRedraw();
    ASSERT_EQ(view().at(35, 55), Color(0x51));
    // Another window (the Gfx Data window, a dialog) changed the image.
    StorePixelValue(image(), 3, 5, 1);
    editor.viewArea().FormActivate();
    EXPECT_EQ(view().at(35, 55), Color(0x31));
}

}  // namespace
}  // namespace pixolat::testing
