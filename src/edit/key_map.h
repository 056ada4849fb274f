#pragma once
// The keyboard as data: every key the editor answers is a row of a table,
// and the menu's key hints are read from the same rows, so a menu can never
// show a key that does something else.
//
// A row reads like a line of the key table: key(s), modifiers, an extra
// condition, and what runs. The rows of a key are searched in order and the
// first whose modifiers and condition hold runs; a key that has rows but none
// holding does nothing.
#include <array>
#include <span>
#include <string>
#include <variant>
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

struct KeyPress {
    int key = 0;
    ShiftState shift = 0;
};

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
// A command that needs the key itself: which digit, whether Ctrl steps by a cell.
using KeyCommand = void (*)(Editor&, KeyPress);
// What a row runs: a command (the menu's, or one only keys reach) or a key
// command. A null command does nothing, for rows that only stop the search.
using KeyAction = std::variant<Command, KeyCommand>;

// How a row's key shows on its menu item: as the hint after the caption
// (this table answers the key), or as the item's shortcut (the window's menu
// answers the key before this table sees it; the row runs the same command,
// so the core answers the key as the window does).
enum class MenuKey { Hint, Shortcut };
inline constexpr MenuKey kHint = MenuKey::Hint;
inline constexpr MenuKey kShortcut = MenuKey::Shortcut;

struct KeyRow {
    std::array<int, 3> keys{};  // unused places are 0
    Modifiers modifiers;
    KeyCondition condition = nullptr;
    KeyAction action;
    // The menu item that shows this row's key, or nullptr.
    const char* menuHint = nullptr;
    MenuKey shows = kHint;
};

// The rows of key presses (auto-repeated presses included) and of releases.
std::span<const KeyRow> KeyDownRows();
std::span<const KeyRow> KeyUpRows();

// The row that answers the key, or nullptr when none holds.
const KeyRow* FindKeyRow(std::span<const KeyRow> rows, const Editor& editor, KeyPress press);
void RunKeyRow(const KeyRow& row, Editor& editor, KeyPress press);

// Alt with the access letter of a top menu ("&Draw": Alt+D): the menu bar
// opens that menu, and the key table never sees the key. With Shift or Ctrl
// also held the key goes to the key table.
bool IsMenuAccessKey(const std::vector<MenuItem>& menu, KeyPress press);

// The key as a menu shows it: "L", "+", "Shift + H", "Shift +".
std::string KeyHintText(const KeyRow& row);
// The key as a shortcut: "Ctrl+L", "Ctrl+Shift+Z".
std::string KeyShortcutText(const KeyRow& row);
// Puts the hint or shortcut of every key-down row that names a menu item on
// that item; several shortcuts of one item are split by "; ".
void AddKeyHints(std::vector<MenuItem>& menu);

}  // namespace pixolat
