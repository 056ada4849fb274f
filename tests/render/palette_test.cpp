#include <gtest/gtest.h>

#include "support/view_fixture.h"

namespace pixolat::testing {
namespace {

using PaletteTest = ViewTest;

TEST_F(PaletteTest, CellSizeFollowsThePaletteSize) {
    ResizePalette(448, 200);
    EXPECT_EQ(editor.view().paletteCellHeight, 25);
    EXPECT_EQ(editor.view().paletteCellWidth, 28);
    EXPECT_EQ(palette().at(447, 199), Color(0x70 + 4));  // last column shows hue 4

    // A wide palette is filled with wider cells, not left half empty.
    ResizePalette(1000, 200);
    EXPECT_EQ(editor.view().paletteCellWidth, 62);
    EXPECT_EQ(palette().at(991, 199), Color(0x74));
    EXPECT_EQ(palette().at(992, 0), kPaletteBackground);
    // Column 2 shows hue 11, row 4 luminance 4.
    EXPECT_EQ(palette().at(2 * 62 + 31, 4 * 25 + 20), Color(0x4B));

    // Too small for cells: nothing to select, nothing divides by zero.
    ResizePalette(15, 7);
    EXPECT_EQ(editor.view().paletteCellWidth, 0);
    editor.palette().imgColorPaletteMouseDown(MouseButton::Left, 0, 3, 3);
    editor.palette().imgColorPaletteMouseUp(MouseButton::Left, 0, 3, 3);
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
    editor.viewArea().FullRedraw();
    EXPECT_EQ(palette().at(x3 + 1, y3 + 1), kPaletteLabel);
    // "01" on black: two characters wide.
    EXPECT_EQ(PaletteLabel(image().desc, state(), 0x00), "01");
    const int x01 = (28 - 12) / 2;
    EXPECT_EQ(palette().at(x01 + 12, 5), kPaletteLabel);
    EXPECT_EQ(palette().at(x01 + 13, 5), Color(0x00));
}

}  // namespace
}  // namespace pixolat::testing
