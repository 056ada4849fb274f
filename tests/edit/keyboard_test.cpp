// The keyboard as a user drives it: cursor moves near the edges, Shift
// selection, value keys held while moving, M moving pixels, the view picture,
// menus opened with Alt, and every key with every modifier.
#include <gtest/gtest.h>

#include <algorithm>

#include "document/colors.h"
#include "document/pixels.h"
#include "edit/editor.h"
#include "edit/key_map.h"
#include "render/canvas.h"
#include "support/scripted_platform.h"

using namespace pixolat;
using pixolat::testing::ScriptedPlatform;

namespace {

struct Keyboard : ::testing::Test {
    ScriptedPlatform platform;
    Editor editor{platform};
    Keyboard() { editor.FormResize(660, 700, 20); }

    EditorState& state() { return editor.state(); }
    Image& image() { return editor.currentImage(); }
    void Press(int key, ShiftState shift = 0) { editor.FormKeyDown(key, shift); }
    void Release(int key) { editor.FormKeyUp(key, 0); }
    void Type(int key, ShiftState shift = 0) {
        Press(key, shift);
        Release(key);
    }
    void CursorAt(int x, int y) {
        state().cursorX = x;
        state().cursorY = y;
    }
    std::pair<int, int> Cursor() { return {state().cursorX, state().cursorY}; }
    ImageRect Selection() { return editor.SelectionRect(); }
    ColorCode CellColor1At(int x, int y) {
        const Cell c = CellIndex(x, y);
        return CellColor1(image().colmap.at(0, c.column, c.row),
                          image().lummap.at(0, c.column, c.row));
    }
};

bool SameRect(const ImageRect& a, const ImageRect& b) {
    return a.x1 == b.x1 && a.y1 == b.y1 && a.x2 == b.x2 && a.y2 == b.y2;
}

}  // namespace

TEST_F(Keyboard, CursorStepsStopAtTheEdges) {
    struct Case {
        int pixelWidth, width, x, y, key;
        ShiftState shift;
        int toX, toY;
    };
    const Case cases[] = {
        {2, 320, 316, 5, kKeyRight, 0, 318, 5},     {2, 320, 318, 5, kKeyRight, 0, 318, 5},
        {1, 320, 5, 5, kKeyLeft, kCtrl, 0, 5},      {1, 320, 310, 5, kKeyRight, kCtrl, 318, 5},
        {1, 320, 315, 5, kKeyRight, kCtrl, 319, 5}, {1, 320, 0, 5, kKeyLeft, 0, 0, 5},
        {1, 320, 9, 195, kKeyDown, kCtrl, 9, 199},  {1, 320, 9, 3, kKeyUp, kCtrl, 9, 0},
        {2, 320, 8, 5, kKeyLeft, kCtrl, 0, 5},      {2, 320, 300, 5, kKeyRight, kCtrl, 308, 5},
        {2, 321, 316, 5, kKeyRight, 0, 318, 5},     {2, 321, 318, 5, kKeyRight, 0, 318, 5},
        {2, 321, 100, 5, kKeyEnd, 0, 318, 5},       {1, 320, 9, 199, kKeyDown, 0, 9, 199},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("width " + std::to_string(c.width) + " pw " + std::to_string(c.pixelWidth) +
                     " from " + std::to_string(c.x) + " key " + std::to_string(c.key));
        image().desc.pixelWidth = c.pixelWidth;
        image().desc.width = c.width;
        CursorAt(c.x, c.y);
        Type(c.key, c.shift);
        EXPECT_EQ(Cursor(), std::make_pair(c.toX, c.toY));
    }
}

TEST_F(Keyboard, HomeAndEndGoToTheEdgeThenTheCorner) {
    CursorAt(7, 9);
    Type(kKeyHome);
    EXPECT_EQ(Cursor(), std::make_pair(0, 9));
    Type(kKeyHome);
    EXPECT_EQ(Cursor(), std::make_pair(0, 0));
    Type(kKeyHome);
    EXPECT_EQ(Cursor(), std::make_pair(0, 0));
    Type(kKeyEnd);
    EXPECT_EQ(Cursor(), std::make_pair(319, 0));
    Type(kKeyEnd);
    EXPECT_EQ(Cursor(), std::make_pair(319, 199));
    EXPECT_EQ(editor.statusText(0), "319,199");
    // The view followed the cursor to the far corner.
    EXPECT_GT(editor.view().xScroll.position(), 0);
    EXPECT_GT(editor.view().yScroll.position(), 0);
}

TEST_F(Keyboard, ShiftMovesStartASelectionAndAnUnshiftedMoveMakesTheNextOneFresh) {
    CursorAt(8, 8);
    Type(kKeyRight, kShift);
    Type(kKeyRight, kShift);
    EXPECT_TRUE(state().selectionActive);
    EXPECT_TRUE(SameRect(Selection(), {8, 8, 10, 8}));
    Type(kKeyRight);
    EXPECT_TRUE(SameRect(Selection(), {8, 8, 10, 8}));  // an unshifted move keeps it
    Type(kKeyRight, kShift);
    EXPECT_TRUE(SameRect(Selection(), {11, 8, 12, 8}));
    Type(kKeyHome, kShift);
    EXPECT_TRUE(SameRect(Selection(), {0, 8, 11, 8}));
    // A move at the edge changes nothing, the selection included.
    Type(kKeyLeft, kShift);
    EXPECT_TRUE(SameRect(Selection(), {0, 8, 11, 8}));
}

TEST_F(Keyboard, HeldValueKeysDrawAlongThePath) {
    Type('D', 0);
    Type('D', 0);  // Pixel & Color -> Color only -> Pixel only
    ASSERT_EQ(state().drawingMode, DrawingMode::PixelOnly);
    CursorAt(4, 4);
    Press('1');
    Type(kKeyRight);
    Type(kKeyRight);
    Press('1');  // auto-repeat while held
    Type(kKeyRight);
    Release('1');
    Type(kKeyRight);
    for (int x = 4; x <= 7; ++x) EXPECT_EQ(PixelValueAt(image(), x, 4), 1) << x;
    EXPECT_EQ(PixelValueAt(image(), 8, 4), 0);
    EXPECT_EQ(state().currentPixelValue, 1);
    // Shift chooses the value without drawing; Space draws 0.
    Type('3', kShift);
    EXPECT_EQ(state().currentPixelValue, 3);
    EXPECT_EQ(PixelValueAt(image(), 8, 4), 0);
    CursorAt(5, 4);
    Type(kKeySpace);
    EXPECT_EQ(PixelValueAt(image(), 5, 4), 0);
    EXPECT_EQ(state().currentPixelValue, 0);
}

// A Shift move that starts a fresh selection while a value key is held in
// "Pixel & Color" mode colors the selection being made, not the rectangle
// from the new anchor to the previous selection's far corner.
TEST_F(Keyboard, ThePenOfAFreshShiftSelectionColorsOnlyTheNewSelection) {
    CursorAt(0, 0);
    for (int i = 0; i < 2; ++i) Type(kKeyDown, kShift | kCtrl);
    for (int i = 0; i < 2; ++i) Type(kKeyRight, kShift | kCtrl);  // selection (0, 0)-(16, 16)
    CursorAt(199, 150);
    Type(kKeyRight);  // the next Shift move starts afresh at (200, 150)
    state().drawColor1 = 0x46;
    Press('1');  // colors the selection there is: (0, 0)-(16, 16)
    Type(kKeyRight, kShift);
    Release('1');
    EXPECT_TRUE(SameRect(Selection(), {200, 150, 201, 150}));
    EXPECT_EQ(CellColor1At(201, 150), 0x46);
    EXPECT_EQ(CellColor1At(8, 8), 0x46);
    // Between the new anchor and the old end corner, outside both selections.
    EXPECT_EQ(CellColor1At(100, 100), 0x31);
    EXPECT_EQ(PixelValueAt(image(), 201, 150), 1);
}

TEST_F(Keyboard, MWithArrowsMovesTheSelectedPixelsAndFillsTheVacatedEdge) {
    for (int x : {0, 3}) StorePixelValue(image(), x, 0, 1);
    state().selectionActive = true;
    state().selectionAnchorX = 3;
    state().selectionEndX = 0;
    state().currentPixelValue = 1;
    CursorAt(5, 5);
    const uint8_t colmap = image().colmap.at(0, 0, 0);
    Press('M');
    Press(kKeyLeft);
    EXPECT_EQ((std::vector<int>{PixelValueAt(image(), 0, 0), PixelValueAt(image(), 1, 0),
                                PixelValueAt(image(), 2, 0), PixelValueAt(image(), 3, 0)}),
              (std::vector<int>{0, 0, 1, 1}));
    EXPECT_EQ(PixelValueAt(image(), 4, 0), 0);  // outside the selection
    EXPECT_EQ(Cursor(), std::make_pair(5, 5));
    EXPECT_EQ(image().colmap.at(0, 0, 0), colmap);
    Release('M');
    Type(kKeyLeft);
    EXPECT_EQ(Cursor(), std::make_pair(4, 5));

    // Without a selection the whole multicolor image moves, pixel pairs whole,
    // and the left edge is filled with value 2 (bytes 1, 0).
    editor.FormKeyDown('D', kCtrl);  // Ctrl+D is the menu's Deselect; the D row toggles
    state().selectionActive = false;
    image().desc.pixelWidth = 2;
    StorePixelValue(image(), 318, 10, 1);
    StorePixelValue(image(), 316, 10, 3);
    state().currentPixelValue = 2;
    Press('M');
    Press(kKeyRight);
    Release('M');
    EXPECT_EQ(PixelValueAt(image(), 318, 10), 3);  // 1 fell off the edge
    EXPECT_EQ(PixelValueAt(image(), 0, 10), 2);
    EXPECT_EQ(PixelValueAt(image(), 0, 199), 2);
    Press('M');
    Press(kKeyDown);
    Press(kKeyUp);
    Release('M');
    EXPECT_EQ(PixelValueAt(image(), 318, 10), 3);
    EXPECT_EQ(PixelValueAt(image(), 0, 199), 2);  // the row lost at the bottom came back filled
}

TEST_F(Keyboard, CtrlAltCCopiesTheViewWithoutTheCursorMark) {
    const RgbBuffer before = editor.view().view;
    Type('C', kCtrl | kAlt);
    ASSERT_EQ(platform.clipboard.size(), 1u);
    const Picture& copy = platform.clipboard[0];
    ASSERT_EQ(copy.width, before.width);
    // The cursor sits at (0, 0): its block shows the image, not the mark.
    const uint32_t shown = DisplayColor(state().rgbTable[0x51]);
    const uint32_t rgb = ((shown >> 16) & 0xFF) | (shown & 0xFF00) | ((shown & 0xFF) << 16);
    EXPECT_EQ(copy.at(5, 5), rgb);
    EXPECT_NE(before.at(5, 5), shown);
    EXPECT_EQ(platform.savedBitmaps.count(platform.exportPicturePath), 1u);
    EXPECT_EQ(editor.statusText(3), "Copied To Clipboard");
    EXPECT_EQ(editor.view().view.at(5, 5), before.at(5, 5));  // the mark is back

    // Ctrl+C without a selection leaves the copy buffer alone.
    Type('C', kCtrl);
    EXPECT_EQ(editor.store().copyBuffer().desc.width, 0);
}

TEST_F(Keyboard, AltWithAMenuLetterOpensTheMenuAndReachesNoRow) {
    const std::string caption = editor.caption();
    Type('D', kAlt);
    Type('H', kAlt);
    Type('E', kAlt);
    Type('F', kAlt);
    EXPECT_EQ(state().drawingMode, DrawingMode::PixelAndColor);
    EXPECT_EQ(image().desc.pixelWidth, 1);
    EXPECT_EQ(editor.caption(), caption);
    Type('D');
    EXPECT_EQ(state().drawingMode, DrawingMode::ColorOnly);
    Type('H', kCtrl | kAlt);  // AltGr is no menu key: the H row toggles
    EXPECT_EQ(image().desc.pixelWidth, 2);
    Type(16, kShift);
    EXPECT_EQ(editor.caption(), "Unhandled keypress: 16");
    Type('Q', kAlt);
    EXPECT_EQ(editor.caption(), "Unhandled keypress: 81");
}

TEST_F(Keyboard, EveryKeyWithEveryModifierGivesTheTablesAnswer) {
    // Dialogs are cancelled (empty answer queues); the image is made busy first.
    Type('1');
    Type(kKeyRight, kShift);
    for (int key = 0; key < 256; ++key) {
        for (ShiftState shift = 0; shift < 8; ++shift) {
            SCOPED_TRACE("key " + std::to_string(key) + " shift " + std::to_string(shift));
            editor.SetCaption("-");
            editor.FormKeyDown(key, shift);
            editor.FormKeyUp(key, shift);
            const bool hasRow = FindKeyRow(KeyDownRows(), editor, {key, shift}) != nullptr ||
                                IsMenuAccessKey(editor.menu(), {key, shift});
            if (!hasRow) continue;
            const bool unhandled = editor.caption() == "Unhandled keypress: " + std::to_string(key);
            const bool named =
                key != 0 &&
                std::any_of(KeyDownRows().begin(), KeyDownRows().end(), [key](const KeyRow& r) {
                    return std::find(r.keys.begin(), r.keys.end(), key) != r.keys.end();
                });
            EXPECT_EQ(unhandled, !named && !IsMenuAccessKey(editor.menu(), {key, shift}));
        }
    }
    EXPECT_TRUE(platform.closeRequested);  // F12
    EXPECT_GE(platform.maskProcessorOpenings, 8);
    EXPECT_FALSE(platform.helpRequests.empty());
}
