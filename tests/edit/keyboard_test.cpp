// The keyboard as a user drives it: moves near the edges, Shift selection,
// value keys held while moving, M moving pixels, menus opened with Alt, and
// every key with every modifier.
#include <gtest/gtest.h>

#include <algorithm>

#include "document/colors.h"
#include "document/pixels.h"
#include "edit/commands/key_commands.h"
#include "edit/editor.h"
#include "edit/key_map.h"
#include "edit/tools.h"
#include "support/scripted_platform.h"

using namespace pixolat;
using pixolat::testing::ScriptedPlatform;

namespace {

struct Keyboard : ::testing::Test {
    ScriptedPlatform platform;
    Editor editor{platform};
    EditorState& s = editor.state();
    Image& image = editor.currentImage();
    Keyboard() { editor.viewArea().FormResize(660, 700, 20); }

    void Type(int key, ShiftState shift = 0) {
        editor.FormKeyDown(key, shift);
        editor.FormKeyUp(key, shift);
    }
    // "x,y" of the cursor, then the selection's corners when one is active.
    std::string Where() {
        std::string text = std::to_string(s.cursorX) + "," + std::to_string(s.cursorY);
        const ImageRect r = editor.viewArea().SelectionRect();
        if (s.selectionActive)
            text += " " + std::to_string(r.x1) + "," + std::to_string(r.y1) + "-" +
                    std::to_string(r.x2) + "," + std::to_string(r.y2);
        return text;
    }
    ColorCode Color1At(int x, int y) {
        const Cell c = CellIndex(x, y);
        return CellColor1(image.colmap.at(0, c.column, c.row), image.lummap.at(0, c.column, c.row));
    }
};

}  // namespace

TEST_F(Keyboard, MovesStopAtTheEdgesAndShiftMovesSelect) {
    const struct {
        int pixelWidth, width, x, key;
        ShiftState shift;
        const char* to;
    } cases[] = {
        {2, 320, 316, kKeyRight, 0, "318,5"},     {2, 320, 318, kKeyRight, kShift, "318,5"},
        {1, 320, 5, kKeyLeft, kCtrl, "0,5"},      {1, 320, 310, kKeyRight, kCtrl, "318,5"},
        {1, 320, 315, kKeyRight, kCtrl, "319,5"}, {2, 321, 318, kKeyRight, 0, "318,5"},
        {2, 321, 100, kKeyEnd, 0, "318,5"},  // never on the half pixel at an odd edge
    };
    for (const auto& c : cases) {
        image.desc.pixelWidth = c.pixelWidth;
        image.desc.width = c.width;
        s.cursorX = c.x;
        s.cursorY = 5;
        Type(c.key, c.shift);
        EXPECT_EQ(Where(), c.to) << c.x << " key " << c.key;
    }
    image.desc.pixelWidth = 1;
    image.desc.width = 320;
    s.cursorX = 7, s.cursorY = 9;
    std::string path;
    for (int key : {kKeyHome, kKeyHome, kKeyEnd, kKeyEnd}) {
        Type(key);
        path += Where() + " ";
    }
    EXPECT_EQ(path, "0,9 0,0 319,0 319,199 ");
    EXPECT_GT(editor.view().yScroll.position(), 0);  // the view followed

    s.cursorX = s.cursorY = 8;
    for (int key : {kKeyRight, kKeyRight}) Type(key, kShift);
    EXPECT_EQ(Where(), "10,8 8,8-10,8");
    Type(kKeyRight);  // keeps the selection; the next Shift move starts afresh
    Type(kKeyRight, kShift);
    EXPECT_EQ(Where(), "12,8 11,8-12,8");
    Type(kKeyUp, kShift | kCtrl);
    EXPECT_EQ(Where(), "12,0 11,0-12,8");
    Type(kKeyHome);  // the next Shift move would start a fresh selection
    Type(kKeyLeft, kShift);
    Type(kKeyUp, kShift);
    s.cursorY = 199;
    Type(kKeyDown, kShift);
    EXPECT_EQ(Where(), "0,199 11,0-12,8");  // at the edge: no move and no new selection
}

TEST_F(Keyboard, HeldValueKeysDrawAlongThePath) {
    s.drawingMode = DrawingMode::PixelOnly;
    s.cursorX = s.cursorY = 4;
    editor.FormKeyDown('1', 0);
    Type(kKeyRight);
    editor.FormKeyDown('1', 0);  // auto-repeat while held
    Type(kKeyRight);
    editor.FormKeyUp('1', 0);
    Type(kKeyRight);
    Type('3', kShift);  // chooses without drawing
    for (int x = 4; x <= 7; ++x) EXPECT_EQ(PixelValueAt(image, x, 4), x < 7) << x;
    EXPECT_EQ(s.currentPixelValue, 3);
}

// A fresh Shift selection's end corner is set before the pen draws, so
// in "Pixel & Color" the held key colors the new selection, not the
// rectangle from the new anchor to the old selection's end corner.
TEST_F(Keyboard, ThePenOfAFreshShiftSelectionColorsOnlyTheNewSelection) {
    for (int key : {kKeyDown, kKeyDown, kKeyRight, kKeyRight}) Type(key, kShift | kCtrl);
    EXPECT_EQ(Where(), "16,16 0,0-16,16");  // the first Shift move after start selects
    s.cursorX = 199, s.cursorY = 150;
    Type(kKeyRight);
    s.drawColor1 = 0x46;
    editor.FormKeyDown('1', 0);  // colors the selection there is, (0, 0)-(16, 16)
    Type(kKeyRight, kShift);
    EXPECT_EQ(Where(), "201,150 200,150-201,150");
    EXPECT_EQ(Color1At(201, 150), 0x46);
    EXPECT_EQ(Color1At(100, 100), 0x31);  // between the new anchor and the old corner
}

TEST_F(Keyboard, MWithArrowsMovesThePixelsOfTheSelection) {
    StorePixelValue(image, 0, 0, 1);
    StorePixelValue(image, 3, 0, 1);
    s.selectionActive = true;
    s.selectionAnchorX = 3;
    s.currentPixelValue = 1;
    s.cursorX = 5;
    editor.FormKeyDown('M', 0);
    Type(kKeyLeft);
    std::string row;
    for (int x = 0; x < 5; ++x) row += char('0' + PixelValueAt(image, x, 0));
    EXPECT_EQ(row, "00110");
    EXPECT_EQ(Where(), "5,0 0,0-3,0");
    Type(kKeyRight);  // the free column is now the left one
    row.clear();
    for (int x = 0; x < 5; ++x) row += char('0' + PixelValueAt(image, x, 0));
    EXPECT_EQ(row, "10010");
    Type(kKeyDown);  // a one-row area: the row itself is the free one
    EXPECT_EQ(PixelValueAt(image, 1, 0), 1);
    EXPECT_EQ(Where(), "5,0 0,0-3,0");  // moves pixels, never the cursor
    editor.FormKeyUp('M', 0);
    Type(kKeyLeft);
    EXPECT_EQ(Where(), "4,0 0,0-3,0");
}

// Alt with an arrow walks the palette and Alt with a value key gives that
// value the palette's color; neither moves the cursor or draws. Ctrl+C copies
// only a selection, V pastes it at the cursor as the new selection, I inverts.
TEST_F(Keyboard, AltKeysWorkOnThePaletteCtrlCCopiesOnlyASelection) {
    s.cursorX = s.cursorY = 4;
    for (int key : {kKeyRight, kKeyRight, kKeyDown, kKeyDown, kKeyUp, kKeyLeft}) Type(key, kAlt);
    EXPECT_EQ(std::to_string(s.paletteColumn) + "," + std::to_string(s.paletteRow), "1,1");
    const ColorCode color = editor.palette().SelectedPaletteColor();
    ASSERT_NE(color, s.drawColor2);
    Type('1', kAlt | kShift);
    Type(kKeySpace, kAlt | kShift);
    EXPECT_EQ(s.drawColor1, color);
    EXPECT_EQ(s.drawColor2, color);
    EXPECT_EQ(Color1At(4, 4), color);
    EXPECT_EQ(PixelValueAt(image, 4, 4), 0);
    EXPECT_EQ(Where(), "4,4");

    Type('C', kCtrl);  // nothing selected: nothing copied, so V pastes nothing
    Type('V');
    EXPECT_EQ(Where(), "4,4");
    StorePixelValue(image, 5, 4, 1);
    for (int key : {kKeyRight, kKeyRight}) Type(key, kShift);
    Type('C', kCtrl);
    Type(kKeyDown);
    Type('V');
    EXPECT_EQ(Where(), "6,5 6,5-8,5");
    Type('I');
    std::string row;
    for (int x = 6; x <= 9; ++x) row += char('0' + PixelValueAt(image, x, 5));
    EXPECT_EQ(row, "1010");  // 0 1 0 pasted, inverted inside the selection only
}

// Alt with a top menu's access letter opens the menu, not a key row.
TEST_F(Keyboard, AltWithAMenuLetterReachesNoRow) {
    for (int key : {'D', 'H', 'E'}) Type(key, kAlt);
    EXPECT_EQ(s.drawingMode, DrawingMode::PixelAndColor);
    EXPECT_EQ(image.desc.pixelWidth, 1);
    EXPECT_EQ(editor.caption(), kEditorCaption);
    Type('D');
    EXPECT_EQ(s.drawingMode, DrawingMode::ColorOnly);

    // With Shift as well the menu bar opens nothing: the keys do their work.
    Type('D', kShift | kAlt);
    EXPECT_EQ(s.drawingMode, DrawingMode::PixelOnly);
    image.plane.at(0, 0) = 1;
    Type('H', kShift | kAlt);
    EXPECT_EQ(image.plane.at(image.desc.width - 1, 0), 1);
    Type('V', kShift | kAlt);
    EXPECT_EQ(image.plane.at(image.desc.width - 1, image.desc.height - 1), 1);
}

TEST_F(Keyboard, EveryKeyWithEveryModifierGivesTheTablesAnswer) {
    Type('1');
    Type(kKeyRight, kShift);
    for (int key = 0; key < 256; ++key) {
        for (ShiftState shift = 0; shift < 8; ++shift) {
            editor.SetCaption("-");
            // Keys no row names, and keys whose row says so (Y without Ctrl).
            const KeyRow* row = FindKeyRow(KeyDownRows(), editor, {key, shift});
            const bool unhandled = row && CommandOf(*row) == FindCommand("UnhandledKey");
            const bool menu = IsMenuAccessKey(editor.menu(), {key, shift});
            Type(key, shift);
            EXPECT_EQ(editor.caption() == "Unhandled keypress: " + std::to_string(key),
                      unhandled && !menu)
                << key << " " << shift;
        }
    }
    EXPECT_TRUE(platform.closeRequested);      // F12
    EXPECT_EQ(platform.clipboard.size(), 2u);  // Ctrl+Alt+C with and without Shift
    EXPECT_EQ(platform.savedBitmaps.count(platform.exportPicturePath), 1u);
}

// The menu's shortcuts are rows of the key table: the core answers Ctrl+A and
// Ctrl+D as the window's Edit menu does, and D alone still toggles the mode.
TEST_F(Keyboard, CtrlAAndCtrlDSelectAndDeselectAsTheMenuDoes) {
    const DrawingMode mode = s.drawingMode;
    Type('A', kCtrl);
    EXPECT_TRUE(s.selectionActive);
    EXPECT_EQ(editor.viewArea().SelectionRect().x2, image.desc.width - 1);
    EXPECT_EQ(editor.viewArea().SelectionRect().y2, image.desc.height - 1);
    Type('D', kCtrl);
    EXPECT_FALSE(s.selectionActive);
    EXPECT_EQ(s.drawingMode, mode);
    Type('D');
    EXPECT_NE(s.drawingMode, mode);
    // Ctrl+O imports a picture; O alone is the Pick tool's key.
    Type('O');
    EXPECT_EQ(editor.tools().tool, Tool::Pick);
}

// The modifier keys alone have no row: they show their codes, as any key
// without a command does, and change nothing else.
TEST_F(Keyboard, ModifierKeysAloneShowTheirCodes) {
    for (const int key : {kKeyShift, kKeyCtrl, kKeyAlt}) {
        editor.SetCaption("-");
        editor.FormKeyDown(key, key == kKeyShift ? kShift : key == kKeyCtrl ? kCtrl : kAlt);
        EXPECT_EQ(editor.caption(), "Unhandled keypress: " + std::to_string(key));
    }
    EXPECT_EQ(Where(), "0,0");
}
