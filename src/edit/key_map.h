#pragma once
// The keyboard as data: every key the editor answers is a row of a table,
// and the menu's key hints are read from the same rows, so a menu can never
// show a key that does something else.
//
// A row reads like a line of the key table: key(s), modifiers, an extra
// condition, and the id of the command record that runs. The rows of a key are searched in order
// and the first whose modifiers and condition hold runs; a key that has rows but none holding does
// nothing.
#include <array>
#include <span>
#include <string>
#include <vector>

#include "edit/menu.h"
#include "platform/platform.h"

namespace pixolat {

// Virtual-key codes (the same on every keyboard layout). Digits and letters
// are their characters: '0'..'9', 'A'..'Z'.
inline constexpr int kKeyShift = 16;
inline constexpr int kKeyCtrl = 17;
inline constexpr int kKeyAlt = 18;
inline constexpr int kKeyEscape = 27;
inline constexpr int kKeySpace = 32;
inline constexpr int kKeyEnd = 35;
inline constexpr int kKeyHome = 36;
inline constexpr int kKeyLeft = 37;
inline constexpr int kKeyUp = 38;
inline constexpr int kKeyRight = 39;
inline constexpr int kKeyDown = 40;
inline constexpr int kKeypadPlus = 107;
inline constexpr int kKeypadMinus = 109;
inline constexpr int kKeyF1 = 112;
// The main keyboard's =/+ and -/_ keys.
inline constexpr int kKeyPlusEquals = 187;
inline constexpr int kKeyMinus = 189;
inline constexpr int kKeyF12 = 123;
// In a row's key list: every key that no other row of the table names.
inline constexpr int kEveryOtherKey = -1;

// Modifiers a row asks for: all of `held` down and none of `without`.
// Modifiers in neither set may be up or down.
struct Modifiers {
    ShiftState held = 0;
    ShiftState without = 0;
};

inline constexpr Modifiers kAny{};
// Reads as the table's "otherwise": the rows above have taken their
// modifiers, so the row takes whatever is left.
inline constexpr Modifiers kOtherwise{};
inline constexpr Modifiers kShiftHeld{kShift};
inline constexpr Modifiers kCtrlHeld{kCtrl};

// A row's extra condition, such as "the cursor can move left"; nullptr holds always.
using KeyCondition = bool (*)(const Editor&);

// How a row's key shows on the menu item of its command: not at all, as the
// hint after the caption (this table answers the key), or as the item's
// shortcut (the window's menu answers the key before this table sees it; the
// row runs the same command, so the core answers the key as the window does).
enum class MenuKey { None, Hint, Shortcut };
inline constexpr MenuKey kNotShown = MenuKey::None;
inline constexpr MenuKey kHint = MenuKey::Hint;
inline constexpr MenuKey kShortcut = MenuKey::Shortcut;

struct KeyRow {
    std::array<int, 3> keys{};  // unused places are 0
    Modifiers modifiers;
    KeyCondition condition = nullptr;
    // The id of a command record; nullptr for rows that only stop the search.
    const char* command = nullptr;
    MenuKey shows = kNotShown;
};

// The rows of key presses (auto-repeated presses included) and of releases.
std::span<const KeyRow> KeyDownRows();
std::span<const KeyRow> KeyUpRows();

// The row that answers the key, or nullptr when none holds.
const KeyRow* FindKeyRow(std::span<const KeyRow> rows, const Editor& editor, KeyPress press);
// The row's command record, or nullptr for a row that only stops the search.
const CommandRecord* CommandOf(const KeyRow& row);
void RunKeyRow(const KeyRow& row, Editor& editor, KeyPress press);

// Alt with the access letter of a top menu ("&Draw": Alt+D): the menu bar
// opens that menu, and the key table never sees the key. With Shift or Ctrl
// also held the key goes to the key table.
bool IsMenuAccessKey(const std::vector<MenuItem>& menu, KeyPress press);

// The key as a menu shows it: "L", "+", "Shift + H", "Shift +".
std::string KeyHintText(const KeyRow& row);
// The key as a shortcut: "Ctrl+L", "Ctrl+Shift+Z".
std::string KeyShortcutText(const KeyRow& row);
// Puts the hint or shortcut of every key-down row shown on a menu item on the
// item of the row's command; several shortcuts of one item are split by "; ".
void AddKeyHints(std::vector<MenuItem>& menu);

}  // namespace pixolat
