// The key map: key presses through the editor's table, the menu's key hints
// read from it, and the search rules rows rely on.
#include "edit/key_map.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <regex>
#include <set>

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

// What a user can see of an editor after a key: view settings, the image,
// texts shown, dialogs asked for, windows opened, messages, status and caption.
std::string Seen(Twin& t) {
    std::string seen = "grid " + std::to_string(int(t.editor.view().gridSetting)) + " zoom " +
                       std::to_string(t.editor.view().zoom) + " mask " +
                       std::to_string(t.platform.maskProcessorOpenings) + " dialog " +
                       t.platform.lastDialogOptions.filter + " caption " + t.editor.caption() +
                       " status " + t.editor.statusText(3) + " palette " +
                       std::to_string(t.editor.view().paletteVisible) + " closed " +
                       std::to_string(t.platform.closeRequested);
    // The image as drawn: its pixels, mode and number, and the drawing mode.
    const Image& image = t.editor.currentImage();
    std::size_t pixels = 0;
    for (int x = 0; x < 640; ++x)
        for (int y = 0; y < 256; ++y) pixels = pixels * 31 + image.plane.at(x, y);
    seen += " image " + std::to_string(t.editor.state().currentImage) + " width " +
            std::to_string(image.desc.pixelWidth) + " pixels " + std::to_string(pixels) + " mode " +
            std::to_string(int(t.editor.state().drawingMode));
    for (const std::string& text : t.platform.textWindows) seen += " text " + text;
    for (const std::string& message : t.platform.messages) seen += " message " + message;
    for (const std::string& prompt : t.platform.inputPrompts) seen += " asked " + prompt;
    for (const std::string& help : t.platform.helpRequests) seen += " help " + help;
    return seen;
}

bool IsMenuItem(const std::vector<MenuItem>& menu, std::string_view name) {
    for (const MenuItem& item : menu)
        if (item.kind == MenuItem::Kind::Command && item.name == name) return true;
    return false;
}

}  // namespace

// Every row that runs a menu item's command, pressed with the fewest and the
// most modifiers that reach it: the key does what the menu item does.
TEST(KeyMap, KeysOfMenuCommandsRunThoseCommands) {
    ScriptedPlatform platform;
    Editor editor(platform);
    const std::string untouched = [] {
        Twin fresh;
        return Seen(fresh);
    }();
    std::map<std::string, std::string> menuSeen;  // by command
    int pressed = 0;
    for (const KeyRow& row : KeyDownRows()) {
        const CommandRecord* record = CommandOf(row);
        // A value key's own gesture (it stays held) is the drawing tests' matter.
        if (!record || record->runKey || !IsMenuItem(editor.menu(), record->id)) continue;
        // A row that holds only in some state (Ctrl+C with a selection) has tests of its own.
        if (row.condition) continue;
        const int key = row.keys[0];
        std::vector<ShiftState> reaching;  // fewest modifiers first
        for (ShiftState shift : {0, 1, 2, 4, 3, 5, 6, 7})
            if (FindKeyRow(KeyDownRows(), editor, {key, shift}) == &row &&
                !IsMenuAccessKey(editor.menu(), {key, shift}))
                reaching.push_back(shift);
        ASSERT_FALSE(reaching.empty()) << record->id;
        if (!menuSeen.count(record->id)) {
            Twin menu;
            // Multicolor, where Remap Colors asks for pixel values, not color codes.
            menu.editor.currentImage().desc.pixelWidth = 2;
            menu.editor.RunMenuCommand(record->id);
            menuSeen[record->id] = Seen(menu);
        }
        for (ShiftState shift : {reaching.front(), reaching.back()}) {
            SCOPED_TRACE(std::string(record->id) + " key " + std::to_string(key) + " shift " +
                         std::to_string(shift));
            Twin keyed;
            keyed.editor.currentImage().desc.pixelWidth = 2;
            keyed.editor.FormKeyDown(key, shift);
            keyed.editor.FormKeyUp(key, shift);
            EXPECT_EQ(Seen(keyed), menuSeen[record->id]);
            ++pressed;
        }
    }
    // What is compared must show the commands' effects, or the test proves nothing.
    EXPECT_GT(pressed, 60);
    const auto shown = std::count_if(menuSeen.begin(), menuSeen.end(),
                                     [&](const auto& seen) { return seen.second != untouched; });
    EXPECT_GT(shown * 4, std::ptrdiff_t(menuSeen.size()) * 3);
}

TEST(KeyMap, XOpensTheMaskProcessorWhateverTheModifiers) {
    ScriptedPlatform platform;
    Editor editor(platform);
    for (ShiftState shift : {0u, unsigned(kShift), unsigned(kCtrl), unsigned(kAlt)})
        editor.FormKeyDown('X', shift);
    EXPECT_EQ(platform.maskProcessorOpenings, 4);
    EXPECT_EQ(editor.caption(), kEditorCaption);
}

// Every item's hint and shortcuts are its command's rows, and pressing the
// key as the hint reads finds that very row.
TEST(KeyMap, MenuHintsAreTheKeysThatRunTheItemsCommands) {
    ScriptedPlatform platform;
    Editor editor(platform);
    editor.state().selectionActive = true;  // Ctrl+C copies a selection
    for (const MenuItem& item : editor.menu()) {
        if (item.kind != MenuItem::Kind::Command) continue;
        SCOPED_TRACE(item.name);
        std::string hint, shortcut;
        for (const KeyRow& row : KeyDownRows()) {
            if (row.shows == kNotShown || CommandOf(row) != item.record) continue;
            if (row.shows == kHint) {
                EXPECT_EQ(hint, "") << "two hints";
                hint = KeyHintText(row);
                EXPECT_EQ(FindKeyRow(KeyDownRows(), editor, {row.keys[0], row.modifiers.held}),
                          &row);
            } else {
                shortcut += (shortcut.empty() ? "" : "; ") + KeyShortcutText(row);
            }
        }
        EXPECT_EQ(item.keyHint, hint);
        EXPECT_EQ(item.shortcut, shortcut);
        EXPECT_EQ(item.DisplayCaption(), hint.empty() ? item.caption : item.caption + "\t" + hint);
    }
    // A row shown on the menu names an item of it.
    for (const KeyRow& row : KeyDownRows())
        EXPECT_TRUE(row.shows == kNotShown || IsMenuItem(editor.menu(), row.command))
            << row.command;
    // The Edit and Draw menus show the keys a user looks for there.
    EXPECT_EQ(MenuItemNamed(editor.menu(), "mnuEditCopy").DisplayCaption(), "Copy\tCtrl + C");
    EXPECT_EQ(MenuItemNamed(editor.menu(), "mnuEditPaste").DisplayCaption(), "&Paste\tV");
    EXPECT_EQ(MenuItemNamed(editor.menu(), "mnuDrawReplaceColors").DisplayCaption(),
              "Replace Colors\tShift + R");
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
    EXPECT_EQ(KeyShortcutText({{'Z'}, {kCtrl | kShift}, nullptr}), "Ctrl+Shift+Z");
}

namespace {

using KeyCombo = std::pair<int, ShiftState>;

// The keys a cell of the help's key list names: "Q, Shift + Q", "Shift + 0
// to 3", "Ctrl + Y or Ctrl + Shift + Z", "Shift + (keypad) + / -". A key
// written alone takes the modifiers of the one before it ("Alt + F, E").
std::set<KeyCombo> KeysOfHelpCell(std::string cell) {
    const std::pair<const char*, const char*> names[] = {
        {"(keypad) + / -", "KP+ / KP-"},
        {"+ / - (keypad)", "KP+ / KP-"},
        {"+ / - (main keyboard, also =)", "MAIN+ / MAIN- / ="},
    };
    for (const auto& [from, to] : names)
        if (const std::size_t at = cell.find(from); at != std::string::npos)
            cell.replace(at, std::string(from).size(), to);
    std::set<KeyCombo> keys;
    ShiftState modifiers = 0;
    const std::regex alternatives(", | or | / ");
    for (std::sregex_token_iterator it(cell.begin(), cell.end(), alternatives, -1), end; it != end;
         ++it) {
        std::vector<std::string> words;
        const std::string text = *it;
        const std::regex plus(" \\+ ");
        for (std::sregex_token_iterator w(text.begin(), text.end(), plus, -1); w != end; ++w)
            words.push_back(*w);
        if (words.size() > 1) modifiers = 0;
        std::vector<int> pressed;
        for (const std::string& word : words) {
            if (word == "Shift")
                modifiers |= kShift;
            else if (word == "Ctrl")
                modifiers |= kCtrl;
            else if (word == "Alt")
                modifiers |= kAlt;
            else if (word == "mouse wheel")
                return keys;  // not a key
            else if (word == "Arrow keys" || word == "arrow keys")
                pressed.insert(pressed.end(), {kKeyLeft, kKeyRight, kKeyUp, kKeyDown});
            else if (word.size() == 6 && word.substr(1, 4) == " to ")
                for (char c = word[0]; c <= word[5]; ++c) pressed.push_back(c);
            else if (word.size() == 1 && word != "=")
                pressed.push_back(word[0]);
            else if (word.size() > 1 && word[0] == 'F' && std::isdigit(word[1]))
                pressed.push_back(kKeyF1 + std::stoi(word.substr(1)) - 1);
            else {
                const std::pair<const char*, int> named[] = {
                    {"Space", kKeySpace},      {"Home", kKeyHome},    {"End", kKeyEnd},
                    {"Esc", kKeyEscape},       {"KP+", kKeypadPlus},  {"KP-", kKeypadMinus},
                    {"MAIN+", kKeyPlusEquals}, {"=", kKeyPlusEquals}, {"MAIN-", kKeyMinus},
                };
                const auto found = std::find_if(std::begin(named), std::end(named),
                                                [&](const auto& n) { return word == n.first; });
                EXPECT_NE(found, std::end(named)) << "a key the test cannot read: " << word;
                if (found != std::end(named)) pressed.push_back(found->second);
            }
        }
        for (int key : pressed) keys.insert({key, modifiers});
    }
    return keys;
}

}  // namespace

// The F1 page's key list and the key table name the same keys: every key a
// row answers is on the page, and every key on the page has a row (or opens
// a menu).
TEST(KeyMap, TheKeyboardHelpListsExactlyTheKeysOfTheTable) {
    std::ifstream help(std::string(PIXOLAT_SOURCE_DIR) + "/data/varnospixolat.hlp");
    std::string line;
    while (std::getline(help, line) && !line.starts_with("@topic IDH_01002 2501")) {
    }
    while (std::getline(help, line) && line != "Key | Action") {
    }
    std::set<KeyCombo> documented;
    while (std::getline(help, line) && !line.empty()) {
        SCOPED_TRACE(line);
        for (const KeyCombo& combo : KeysOfHelpCell(line.substr(0, line.find(" | "))))
            documented.insert(combo);
    }
    ASSERT_GT(documented.size(), 50u);

    ScriptedPlatform platform;
    Editor editor(platform);
    const auto answers = [](const KeyRow& row) {
        const CommandRecord* record = CommandOf(row);
        return record && record != FindCommand("UnhandledKey");
    };
    for (const KeyRow& row : KeyDownRows()) {
        if (!answers(row) || row.keys[0] == kEveryOtherKey) continue;
        for (int key : row.keys) {
            if (key == 0) continue;
            EXPECT_TRUE(documented.count({key, row.modifiers.held}))
                << "not in the help: " << KeyHintText({{key}, row.modifiers}) << " (" << row.command
                << ")";
        }
    }
    for (const auto& [key, shift] : documented) {
        const bool hasRow = std::any_of(
            KeyDownRows().begin(), KeyDownRows().end(),
            [&, key = key, shift = shift](const KeyRow& row) {
                const bool names =
                    std::find(row.keys.begin(), row.keys.end(), key) != row.keys.end();
                const bool matches = (shift & row.modifiers.held) == row.modifiers.held &&
                                     (shift & row.modifiers.without) == 0;
                return names && matches && answers(row);
            });
        EXPECT_TRUE(hasRow || IsMenuAccessKey(editor.menu(), {key, shift}))
            << "the help names a key nothing answers: " << KeyHintText({{key}, {shift}});
    }
}
