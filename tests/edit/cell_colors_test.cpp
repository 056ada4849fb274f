#include "edit/cell_colors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "support/view_fixture.h"

namespace pixolat::testing {
namespace {

class CellColorsTest : public ViewTest {
protected:
    // Cell color 1 and 2 of an entry, as "$31/$51".
    std::string Colors(int bank, int cx, int cy) {
        const uint8_t a = image().colmap.at(bank, cx, cy), b = image().lummap.at(bank, cx, cy);
        char text[16];
        std::snprintf(text, sizeof text, "$%02X/$%02X", CellColor1(a, b), CellColor2(a, b));
        return text;
    }
};

TEST_F(CellColorsTest, NormalImagesChangeTheCursorCellOnly) {
    ResizeView(400, 300);
    MakeImage(320, 200, 1, ColorMapKind::Normal);
    state().cursorX = 12;
    state().cursorY = 20;
    SetCellColors(editor, 0x52, -1);
    EXPECT_EQ(Colors(0, 1, 2), "$52/$51");
    EXPECT_EQ(Colors(0, 0, 2), "$31/$51");
    EXPECT_EQ(Colors(0, 1, 1), "$31/$51");
    SetCellColors(editor, -1, 0x7E);
    EXPECT_EQ(Colors(0, 1, 2), "$52/$7E");
    SetCellColors(editor, 0x1A3, 0x1FF);  // only the two nibbles of each count
    EXPECT_EQ(Colors(0, 1, 2), "$A3/$FF");
    EXPECT_EQ(Colors(1, 1, 2), "$31/$51");  // the other banks are not used
    // The cell is redrawn at once: every block of it shows color 2.
    EXPECT_EQ(view().at(8 * 10 + 5, 16 * 10 + 5), Color(0xFF));
    EXPECT_EQ(view().at(15 * 10 + 5, 23 * 10 + 5), Color(0xFF));
    EXPECT_EQ(view().at(7 * 10 + 5, 16 * 10 + 5), Color(0x51));
}

TEST_F(CellColorsTest, DfliImagesChangeTheRowPairsOfTheArea) {
    ResizeView(400, 300);
    MakeImage(320, 200, 1, ColorMapKind::Dfli);
    state().cursorX = 3;
    state().cursorY = 5;  // row pair 2 of cell (0, 0): bank 2
    SetCellColors(editor, 0x52, -1);
    EXPECT_EQ(Colors(2, 0, 0), "$52/$51");
    for (int bank : {0, 1, 3}) EXPECT_EQ(Colors(bank, 0, 0), "$31/$51");

    // A selection of (0, 0)-(15, 15) reaches all four banks of four cells.
    state().selectionActive = true;
    state().selectionAnchorX = 15;
    state().selectionAnchorY = 15;
    state().selectionEndX = 0;
    state().selectionEndY = 0;
    SetCellColors(editor, -1, 0x26);
    for (int bank = 0; bank < 4; ++bank)
        for (int cx = 0; cx < 2; ++cx)
            for (int cy = 0; cy < 2; ++cy) EXPECT_EQ(Colors(bank, cx, cy).substr(4), "$26");
    EXPECT_EQ(Colors(0, 2, 0), "$31/$51");
    EXPECT_EQ(Colors(0, 0, 2), "$31/$51");
}

// What the partial redraw after a change of cell colors shows is what a full
// redraw shows, for random selections that cut cells, in every color map
// kind and pixel width; among them a double-click on the palette with the
// selection (3,3)-(4,4) of the default image, which recolors cell (0,0).
TEST_F(CellColorsTest, ThePartialRedrawShowsWholeChangedCells) {
    ResizeView(400, 300);
    editor.view().zoom = 3;
    std::mt19937 random(17);
    for (int round = 0; round < 60; ++round) {
        const int pw = 1 + round % 2;
        const ColorMapKind kind = ColorMapKind(round % 3);
        MakeImage(100 + int(random() % 60), 50 + int(random() % 40), pw, kind);
        editor.viewArea().FullRedraw();
        state().selectionActive = true;
        const bool fixed = round == 0;
        state().selectionAnchorX = fixed ? 3 : int(random() % 100) / pw * pw;
        state().selectionAnchorY = fixed ? 3 : int(random() % 50);
        state().selectionEndX = fixed ? 4 : int(random() % 100) / pw * pw;
        state().selectionEndY = fixed ? 4 : int(random() % 50);
        editor.viewArea().FullRedraw();
        SetCellColors(editor, int(random() & 0x7F), int(random() & 0x7F));
        const std::vector<uint32_t> partialView = view().pixels;
        const std::vector<uint32_t> partialPreview = editor.view().preview.pixels;
        editor.viewArea().FullRedraw();
        ASSERT_EQ(partialView, view().pixels) << "round " << round;
        ASSERT_EQ(partialPreview, editor.view().preview.pixels) << "round " << round;
    }
}

// Every attribute entry that a pixel of the area uses, and no other, takes
// the nibbles of the colors given: random areas, also reaching outside the
// image, on every color map kind, against a plain loop over the pixels.
TEST_F(CellColorsTest, AnAreaChangesTheEntriesItsPixelsUse) {
    std::mt19937 random(5);
    const auto pick = [&](int n) { return int(random() % unsigned(n)); };
    for (int round = 0; round < 90; ++round) {
        const ColorMapKind kind = ColorMapKind(round % 3);
        MakeImage(1 + pick(200), 1 + pick(300), 1 + round / 3 % 2, kind);
        for (std::size_t i = 0; i < kAttributeBytes; ++i) {
            image().colmap.data()[i] = uint8_t(random());
            image().lummap.data()[i] = uint8_t(random());
        }
        const ImageRect area{pick(240) - 20, pick(340) - 20, pick(240) - 20, pick(340) - 20};
        const ColorCode c1 = pick(3) == 0 ? -1 : pick(0x200), c2 = pick(3) == 0 ? -1 : pick(0x200);
        std::vector<uint8_t> hue(image().colmap.data(), image().colmap.data() + kAttributeBytes);
        std::vector<uint8_t> lum(image().lummap.data(), image().lummap.data() + kAttributeBytes);
        for (int y = std::max(area.y1, 0); y <= std::min(area.y2, image().desc.height - 1); ++y)
            for (int x = std::max(area.x1, 0); x <= std::min(area.x2, image().desc.width - 1);
                 ++x) {
                const int bank = kind == ColorMapKind::Normal ? 0 : y % 8 / 2;
                const std::size_t at = std::size_t(bank) * kBankBytes +
                                       std::size_t(x / 8) * kCellRows + std::size_t(y / 8);
                if (c2 >= 0) hue[at] = uint8_t((hue[at] & 0xF0) | (c2 & 0x0F));
                if (c2 >= 0) lum[at] = uint8_t((lum[at] & 0x0F) | (c2 & 0xF0));
                if (c1 >= 0) hue[at] = uint8_t((hue[at] & 0x0F) | (c1 & 0x0F) << 4);
                if (c1 >= 0) lum[at] = uint8_t((lum[at] & 0xF0) | (c1 & 0xF0) >> 4);
            }
        SetAreaCellColors(image(), area, c1, c2);
        ASSERT_TRUE(std::equal(hue.begin(), hue.end(), image().colmap.data())) << round;
        ASSERT_TRUE(std::equal(lum.begin(), lum.end(), image().lummap.data())) << round;
    }
}

TEST_F(CellColorsTest, NothingOutsideTheImageChanges) {
    MakeImage(20, 12, 1, ColorMapKind::None);
    state().selectionActive = true;
    state().selectionAnchorX = -5;
    state().selectionAnchorY = -5;
    state().selectionEndX = 5000;
    state().selectionEndY = 5000;
    SetCellColors(editor, 0x00, 0x00);
    EXPECT_EQ(Colors(0, 2, 1), "$00/$00");  // the last cell of the image
    EXPECT_EQ(Colors(0, 3, 0), "$31/$51");
    EXPECT_EQ(Colors(0, 0, 2), "$31/$51");
    EXPECT_EQ(Colors(2, 2, 1), "$31/$51");  // rows 12.. lie outside

    // An empty image: the cursor is undefined and nothing is written.
    MakeImage(0, 0, 1, ColorMapKind::Normal);
    state().selectionActive = false;
    SetCellColors(editor, 0x00, 0x00);
    EXPECT_EQ(Colors(0, 0, 0), "$31/$51");
}

}  // namespace
}  // namespace pixolat::testing
