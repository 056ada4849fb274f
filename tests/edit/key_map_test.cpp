// The key map: key presses through the editor's table, the menu's key hints
// read from it, and the search rules rows rely on.
#include "edit/key_map.h"

#include <gtest/gtest.h>

#include "edit/editor.h"
#include "support/scripted_platform.h"

using namespace pixolat;
using pixolat::testing::ScriptedPlatform;

namespace {

struct Twin {
    ScriptedPlatform platform;
    Editor editor{platform};
    Twin() { editor.viewArea().FormResize(660, 700, 20); }
};

// What a user can see of an editor after a key: view settings, texts shown,
// dialogs asked for, windows opened, messages, status and caption.
std::string Seen(Twin& t) {
    std::string seen = "grid " + std::to_string(int(t.editor.view().gridSetting)) + " zoom " +
                       std::to_string(t.editor.view().zoom) + " mask " +
                       std::to_string(t.platform.maskProcessorOpenings) + " dialog " +
                       t.platform.lastDialogOptions.filter + " caption " + t.editor.caption() +
                       " status " + t.editor.statusText(3) + " palette " +
                       std::to_string(t.editor.view().paletteVisible) + " closed " +
                       std::to_string(t.platform.closeRequested);
    for (const std::string& text : t.platform.textWindows) seen += " text " + text;
    for (const std::string& message : t.platform.messages) seen += " message " + message;
    for (const std::string& prompt : t.platform.inputPrompts) seen += " asked " + prompt;
    for (const std::string& help : t.platform.helpRequests) seen += " help " + help;
    return seen;
}

}  // namespace

TEST(KeyMap, KeysOfMenuCommandsRunThoseCommands) {
    const struct {
        int key;
        ShiftState shift;
        const char* menuItem;  // what the key should do; nullptr: nothing
    } cases[] = {
        {'G', 0, "mnuViewToggleGrid"},
        {'G', kCtrl | kAlt | kShift, "mnuViewToggleGrid"},
        {'Z', 0, "mnuViewZoomToggle"},
        {'Z', kShift, "mnuViewZoomToggle"},
        {kKeypadPlus, 0, "mnuViewZoomIn"},
        {kKeypadPlus, kShift, "mnuViewImageNext"},
        {kKeypadMinus, 0, "mnuViewZoomOut"},
        {'L', 0, "mnuFileLoad"},
        {'L', kShift, "mnuFileLoad"},
        {'L', kCtrl, "mnuFileImportPRG"},
        {'S', 0, "mnuFileSave"},
        {'S', kCtrl | kShift, "mnuFileExportPRG"},
        {'C', kShift, "mnuViewColorPaletteAndPreview"},
        {kKeyF12, kCtrl, "mnuFileExit"},
        {kKeyF1, kShift, "mnuHelpKeyb"},
        {'R', kShift, "mnuDrawReplaceColors"},
        {'R', kCtrl, "mnuDrawRemapColors"},
    };
    const std::string untouched = [] {
        Twin fresh;
        return Seen(fresh);
    }();
    for (const auto& c : cases) {
        SCOPED_TRACE("key " + std::to_string(c.key) + " shift " + std::to_string(c.shift));
        Twin keyed, menu;
        // Multicolor, where Remap Colors asks for pixel values, not color codes.
        keyed.editor.currentImage().desc.pixelWidth = menu.editor.currentImage().desc.pixelWidth =
            2;
        keyed.editor.FormKeyDown(c.key, c.shift);
        keyed.editor.FormKeyUp(c.key, c.shift);
        if (c.menuItem) {
            menu.editor.RunMenuCommand(c.menuItem);
            EXPECT_NE(Seen(menu), untouched);
        }
        EXPECT_EQ(Seen(keyed), Seen(menu));
    }
}

TEST(KeyMap, XOpensTheMaskProcessorWhateverTheModifiers) {
    ScriptedPlatform platform;
    Editor editor(platform);
    for (ShiftState shift : {0u, unsigned(kShift), unsigned(kCtrl), unsigned(kAlt)})
        editor.FormKeyDown('X', shift);
    EXPECT_EQ(platform.maskProcessorOpenings, 4);
    EXPECT_EQ(editor.caption(), kEditorCaption);
}

TEST(KeyMap, MenuHintsAreTheKeysThatRunTheItemsCommands) {
    ScriptedPlatform platform;
    Editor editor(platform);
    const std::pair<const char*, const char*> shown[] = {
        {"mnuFileLoad", "&Load (as source)\tL"},
        {"mnuFileSave", "&Save (as source)\tS"},
        {"mnuViewToggleGrid", "Toggle &Grid\tG"},
        {"mnuViewZoomToggle", "Toggle &Zoom\tZ"},
        {"mnuViewZoomIn", "Zoom In\t+"},
        {"mnuViewZoomOut", "Zoom Out\t-"},
        {"mnuFileImportPRG", "Import .PRG"},
        {"mnuFileExportPRG", "Export .PRG"},
        {"mnuEditCopy", "Copy\tCtrl + C"},
        {"mnuEditPaste", "&Paste\tV"},
        {"mnuDrawReplaceColors", "Replace Colors\tShift + R"},
    };
    for (const auto& [name, caption] : shown)
        EXPECT_EQ(MenuItemNamed(editor.menu(), name).DisplayCaption(), caption);
    const std::pair<const char*, const char*> shortcuts[] = {
        {"mnuFileImportPRG", "Ctrl+L"},          {"mnuFileExportPRG", "Ctrl+S"},
        {"mnuFileImportBMP", "Ctrl+O"},          {"mnuEditUndo", "Ctrl+Z"},
        {"mnuEditRedo", "Ctrl+Y; Ctrl+Shift+Z"}, {"EditSelectAll", "Ctrl+A"},
        {"mnuEditDeselect", "Ctrl+D"},
    };
    for (const auto& [name, shortcut] : shortcuts)
        EXPECT_EQ(MenuItemNamed(editor.menu(), name).shortcut, shortcut);

    // Every hint: pressing the key as the hint reads finds that very row, and
    // the row runs the item's own command (the value keys draw the item's
    // value too, and also make it the current value). Ctrl+C copies a selection.
    editor.state().selectionActive = true;
    int hints = 0;
    for (const KeyRow& row : KeyDownRows()) {
        if (row.shows == kNotShown) continue;
        SCOPED_TRACE(row.command);
        const MenuItem& item = MenuItemNamed(editor.menu(), row.command);
        EXPECT_EQ(item.record, CommandOf(row));
        if (row.shows == kShortcut) {
            // The menu's shortcuts are this table's rows too.
            EXPECT_NE(item.shortcut.find(KeyShortcutText(row)), std::string::npos);
            continue;
        }
        ++hints;
        EXPECT_EQ(item.keyHint, KeyHintText(row));
        EXPECT_EQ(FindKeyRow(KeyDownRows(), editor, {row.keys[0], row.modifiers.held}), &row);
    }
    EXPECT_EQ(hints, 32);  // 20, Ctrl+C, V, Shift+R and the nine tools
}

// The search rules on a table of their own: rows of one key in order, the
// first whose modifiers and condition hold wins; a key with rows of its own
// never reaches the row of every other key.
TEST(KeyMap, FirstHoldingRowWinsAndEveryOtherKeyTakesOnlyUnlistedKeys) {
    static bool cursorAtLeft;
    const KeyCondition canMoveLeft = [](const Editor&) { return !cursorAtLeft; };
    const char* any = "Invert";
    const KeyRow rows[] = {
        {{kKeyLeft}, {kAlt}, nullptr, any},     {{kKeyLeft}, kOtherwise, canMoveLeft, any},
        {{'C'}, {kCtrl | kAlt}, nullptr, any},  {{'C'}, {kCtrl, kAlt}, nullptr, any},
        {{'C'}, {kShift, kCtrl}, nullptr, any}, {{'1', '2', '3'}, kShiftHeld, nullptr, any},
        {{'F'}, {kAlt}, nullptr, nullptr},      {{kEveryOtherKey}, kAny, nullptr, any},
    };
    ScriptedPlatform platform;
    Editor editor(platform);
    const auto row = [&](int key, ShiftState shift) -> int {
        const KeyRow* found = FindKeyRow(rows, editor, {key, shift});
        return found ? int(found - rows) : -1;
    };
    cursorAtLeft = false;
    EXPECT_EQ(row(kKeyLeft, kAlt | kCtrl), 0);
    EXPECT_EQ(row(kKeyLeft, kCtrl), 1);
    cursorAtLeft = true;
    EXPECT_EQ(row(kKeyLeft, kCtrl), -1);  // the key has rows: nothing, not "every other key"
    EXPECT_EQ(row('C', kCtrl | kAlt | kShift), 2);
    EXPECT_EQ(row('C', kCtrl), 3);
    EXPECT_EQ(row('C', kShift), 4);
    EXPECT_EQ(row('C', kShift | kCtrl), 3);
    EXPECT_EQ(row('C', kAlt), -1);
    EXPECT_EQ(row('2', kShift), 5);
    EXPECT_EQ(row('3', kShift | kAlt), 5);
    EXPECT_EQ(row('4', kShift), 7);
    EXPECT_EQ(row(16, kShift), 7);
    EXPECT_EQ(row('F', 0), -1);
    RunKeyRow(rows[6], editor, {'F', kAlt});  // a row with no command does nothing

    EXPECT_EQ(KeyHintText({{'H'}, kShiftHeld, nullptr}), "Shift + H");
    EXPECT_EQ(KeyHintText({{kKeypadPlus}, kShiftHeld, nullptr}), "Shift +");
    EXPECT_EQ(KeyHintText({{kKeypadMinus}, kOtherwise, nullptr}), "-");
    EXPECT_EQ(KeyHintText({{'0', kKeySpace}, kOtherwise, nullptr}), "0");
    EXPECT_EQ(KeyHintText({{kKeyF1}, kAny, nullptr}), "F1");
}
