#include "edit/key_map.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

#include "edit/commands/edit_commands.h"
#include "edit/commands/key_commands.h"
#include "edit/commands/tool_commands.h"

namespace pixolat {

namespace {

// Modifier conditions of the key table beyond the common ones.
constexpr Modifiers kAltHeld{kAlt};
constexpr Modifiers kCtrlAndAlt{kCtrl | kAlt};
constexpr Modifiers kCtrlWithoutAlt{kCtrl, kAlt};
constexpr Modifiers kShiftWithoutCtrl{kShift, kCtrl};

// Key presses, in the order they are searched. The rows marked kShortcut are
// the menu's shortcuts: the window's menu serves them before a key press
// reaches this table, and their rows run the same commands (and keep Ctrl+Z
// from the zoom while Undo is greyed). Alt with the access letter of a top
// menu opens that menu and never gets here (see IsMenuAccessKey).
// clang-format off
const KeyRow kKeyDownRows[] = {
    // keys                    modifiers           condition           command                         on its menu item
    {{'A'},                    kCtrlHeld,          nullptr,            "EditSelectAll",                 kShortcut},
    {{'A'},                    kOtherwise,         nullptr,            "UnhandledKey"},
    {{'0', kKeySpace},         kAltHeld,           nullptr,            "SetValueColor"},
    {{'0', kKeySpace},         kShiftHeld,         nullptr,            "ChoosePixelValue"},
    {{'0', kKeySpace},         kOtherwise,         nullptr,            "mnuDrawPixel0",                 kHint},
    {{'1', '2', '3'},          kAltHeld,           nullptr,            "SetValueColor"},
    {{'1', '2', '3'},          kShiftHeld,         nullptr,            "ChoosePixelValue"},
    {{'1'},                    kOtherwise,         nullptr,            "mnuDrawPixel1",                 kHint},
    {{'2'},                    kOtherwise,         nullptr,            "mnuDrawPixel2",                 kHint},
    {{'3'},                    kOtherwise,         nullptr,            "mnuDrawPixel3",                 kHint},
    {{kKeyLeft},               kAltHeld,           nullptr,            "PaletteLeft"},
    {{kKeyLeft},               kOtherwise,         MoveKeyHeld,        "MoveAreaLeft"},
    {{kKeyLeft},               kOtherwise,         CursorCanMoveLeft,  "MoveCursorLeft"},
    {{kKeyRight},              kAltHeld,           nullptr,            "PaletteRight"},
    {{kKeyRight},              kOtherwise,         MoveKeyHeld,        "MoveAreaRight"},
    {{kKeyRight},              kOtherwise,         CursorCanMoveRight, "MoveCursorRight"},
    {{kKeyUp},                 kAltHeld,           nullptr,            "PaletteUp"},
    {{kKeyUp},                 kOtherwise,         MoveKeyHeld,        "MoveAreaUp"},
    {{kKeyUp},                 kOtherwise,         CursorCanMoveUp,    "MoveCursorUp"},
    {{kKeyDown},               kAltHeld,           nullptr,            "PaletteDown"},
    {{kKeyDown},               kOtherwise,         MoveKeyHeld,        "MoveAreaDown"},
    {{kKeyDown},               kOtherwise,         CursorCanMoveDown,  "MoveCursorDown"},
    {{kKeyHome},               kAny,               CursorCanMoveLeft,  "MoveCursorToLeftEdge"},
    {{kKeyHome},               kAny,               CursorCanMoveUp,    "MoveCursorToTop"},
    {{kKeyEnd},                kAny,               CursorCanMoveRight, "MoveCursorToRightEdge"},
    {{kKeyEnd},                kAny,               CursorCanMoveDown,  "MoveCursorToBottom"},
    {{'C'},                    kCtrlAndAlt,        nullptr,            "CopyView"},
    {{'C'},                    kCtrlWithoutAlt,    SelectionActive,    "mnuEditCopy",                   kHint},
    {{'C'},                    kCtrlWithoutAlt,    nullptr,            nullptr},
    {{'C'},                    kShiftWithoutCtrl,  nullptr,            "mnuViewColorPaletteAndPreview"},
    {{'C'},                    kOtherwise,         nullptr,            "mnuDrawSetColor",               kHint},
    {{'D'},                    kCtrlHeld,          nullptr,            "mnuEditDeselect",               kShortcut},
    {{'D'},                    kAny,               nullptr,            "mnuDrawToggleDrawingMode",      kHint},
    {{'F'},                    kAltHeld,           nullptr,            nullptr},
    {{'F'},                    kOtherwise,         nullptr,            "mnuDrawFill",                   kHint},
    {{'G'},                    kAny,               nullptr,            "mnuViewToggleGrid",             kHint},
    {{'H'},                    kShiftHeld,         nullptr,            "mnuDrawFlipHorizontally",       kHint},
    {{'H'},                    kOtherwise,         nullptr,            "mnuDrawHires",                  kHint},
    {{'I'},                    kAny,               nullptr,            "Invert"},
    {{'L'},                    kCtrlHeld,          nullptr,            "mnuFileImportPRG",              kShortcut},
    {{'L'},                    kOtherwise,         nullptr,            "mnuFileLoad",                   kHint},
    {{'M'},                    kAny,               nullptr,            "HoldMoveKey"},
    {{'O'},                    {kCtrl | kShift},   nullptr,            "mnuFileImportPicture",          kShortcut},
    {{'O'},                    kCtrlHeld,          nullptr,            "mnuFileImportBMP",              kShortcut},
    {{'P'},                    kAny,               nullptr,            "mnuViewImageProperties",        kHint},
    {{'R'},                    kShiftHeld,         nullptr,            "mnuDrawReplaceColors",          kHint},
    {{'R'},                    kOtherwise,         nullptr,            "mnuDrawRemapColors",            kHint},
    {{'S'},                    kCtrlHeld,          nullptr,            "mnuFileExportPRG",              kShortcut},
    {{'S'},                    kOtherwise,         nullptr,            "mnuFileSave",                   kHint},
    {{'V'},                    kShiftHeld,         nullptr,            "mnuDrawFlipVertically",         kHint},
    {{'V'},                    kAltHeld,           nullptr,            nullptr},
    {{'V'},                    kOtherwise,         nullptr,            "mnuEditPaste",                  kHint},
    {{'X'},                    kAny,               nullptr,            "OpenMaskProcessor"},
    {{'Y'},                    kCtrlHeld,          nullptr,            "mnuEditRedo",                   kShortcut},
    {{'Y'},                    kOtherwise,         nullptr,            "UnhandledKey"},
    {{'Z'},                    {kCtrl | kShift},   nullptr,            "mnuEditRedo",                   kShortcut},
    {{'Z'},                    kCtrlHeld,          nullptr,            "mnuEditUndo",                   kShortcut},
    {{'Z'},                    kOtherwise,         nullptr,            "mnuViewZoomToggle",             kHint},
    {{kKeypadPlus},            kShiftHeld,         nullptr,            "mnuViewImageNext",              kHint},
    {{kKeypadPlus},            kOtherwise,         nullptr,            "mnuViewZoomIn",                 kHint},
    {{kKeypadMinus},           kShiftHeld,         nullptr,            "mnuViewImagePrev",              kHint},
    {{kKeypadMinus},           kOtherwise,         nullptr,            "mnuViewZoomOut",                kHint},
    {{kKeyF1},                 kAny,               nullptr,            "mnuHelpKeyb"},
    {{kKeyF12},                kAny,               nullptr,            "mnuFileExit"},
    // The tools, on letters that had no row, and keys the table left unhandled.
    {{'N'},                    kAny,               nullptr,            "mnuToolsFreehand",              kHint},
    {{'W'},                    kAny,               nullptr,            "mnuToolsLine",                  kHint},
    {{'Q'},                    kShiftHeld,         nullptr,            "mnuToolsFilledRectangle",       kHint},
    {{'Q'},                    kOtherwise,         nullptr,            "mnuToolsRectangle",             kHint},
    {{'E'},                    kShiftHeld,         nullptr,            "mnuToolsFilledEllipse",         kHint},
    {{'E'},                    kOtherwise,         nullptr,            "mnuToolsEllipse",               kHint},
    {{'B'},                    kShiftHeld,         nullptr,            "mnuToolsFloodFill",             kHint},
    {{'B'},                    kOtherwise,         nullptr,            "mnuToolsBrush",                 kHint},
    {{'O'},                    kAny,               nullptr,            "mnuToolsPick",                  kHint},
    {{kKeyEscape},             kAny,               ShapeBeingDragged,  "CancelShape"},
    {{kKeyEscape},             kAny,               nullptr,            "UnhandledKey"},
    // The main keyboard's + (or =) and - zoom as the keypad's do.
    {{kKeyPlusEquals},         kAny,               nullptr,            "mnuViewZoomIn"},
    {{kKeyMinus},              kAny,               nullptr,            "mnuViewZoomOut"},
    {{kEveryOtherKey},         kAny,               nullptr,            "UnhandledKey"},
};

// Key releases: the value keys and M stop drawing and moving.
const KeyRow kKeyUpRows[] = {
    {{'0', kKeySpace},         kAny,               nullptr,            "ReleaseValueKey"},
    {{'1', '2', '3'},          kAny,               nullptr,            "ReleaseValueKey"},
    {{'M'},                    kAny,               nullptr,            "ReleaseMoveKey"},
};
// clang-format on

bool Names(const KeyRow& row, int key) {
    return key != 0 && std::find(row.keys.begin(), row.keys.end(), key) != row.keys.end();
}

bool NamedByAnyRow(std::span<const KeyRow> rows, int key) {
    return std::any_of(rows.begin(), rows.end(), [key](const KeyRow& r) { return Names(r, key); });
}

bool Matches(const Modifiers& m, ShiftState shift) {
    const ShiftState mods = shift & (kShift | kAlt | kCtrl);
    return (mods & m.held) == m.held && (mods & m.without) == 0;
}

// The name a menu shows for a key.
std::string KeyName(int key) {
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return std::string(1, char(key));
    switch (key) {
        case kKeypadPlus:
            return "+";
        case kKeypadMinus:
            return "-";
        case kKeySpace:
            return "Space";
        case kKeyHome:
            return "Home";
        case kKeyEnd:
            return "End";
        default:
            break;
    }
    if (key >= kKeyF1 && key <= kKeyF12) return "F" + std::to_string(key - kKeyF1 + 1);
    return std::to_string(key);
}

}  // namespace

std::span<const KeyRow> KeyDownRows() {
    return kKeyDownRows;
}

std::span<const KeyRow> KeyUpRows() {
    return kKeyUpRows;
}

const KeyRow* FindKeyRow(std::span<const KeyRow> rows, const Editor& editor, KeyPress press) {
    const bool named = NamedByAnyRow(rows, press.key);
    for (const KeyRow& row : rows) {
        const bool keyMatches = Names(row, press.key) || (!named && Names(row, kEveryOtherKey));
        if (keyMatches && Matches(row.modifiers, press.shift) &&
            (!row.condition || row.condition(editor)))
            return &row;
    }
    return nullptr;
}

const CommandRecord* CommandOf(const KeyRow& row) {
    if (!row.command) return nullptr;
    const CommandRecord* record = FindCommand(row.command);
    if (!record) throw std::logic_error(std::string("no command record ") + row.command);
    return record;
}

void RunKeyRow(const KeyRow& row, Editor& editor, KeyPress press) {
    if (const CommandRecord* record = CommandOf(row)) RunKeyCommand(*record, editor, press);
}

bool IsMenuAccessKey(const std::vector<MenuItem>& menu, KeyPress press) {
    // AltGr is Ctrl + Alt on Windows and types characters; it opens no menu.
    // Nor does Shift + Alt + the letter: the menu bar answers Alt alone.
    if ((press.shift & (kShift | kAlt | kCtrl)) != kAlt) return false;
    for (const MenuItem& item : menu) {
        if (item.kind != MenuItem::Kind::Menu || !item.visible) continue;
        const std::size_t amp = item.caption.find('&');
        if (amp == std::string::npos || amp + 1 >= item.caption.size()) continue;
        const char letter = item.caption[amp + 1];
        if (std::toupper(static_cast<unsigned char>(letter)) == press.key) return true;
    }
    return false;
}

std::string KeyShortcutText(const KeyRow& row) {
    std::string text;
    if (row.modifiers.held & kCtrl) text += "Ctrl+";
    if (row.modifiers.held & kShift) text += "Shift+";
    if (row.modifiers.held & kAlt) text += "Alt+";
    return text + KeyName(row.keys[0]);
}

std::string KeyHintText(const KeyRow& row) {
    const std::string key = KeyName(row.keys[0]);
    // "Shift +" rather than "Shift + +".
    const std::string join = key == "+" || key == "-" ? " " : " + ";
    std::string text;
    if (row.modifiers.held & kCtrl) text += "Ctrl" + join;
    if (row.modifiers.held & kAlt) text += "Alt" + join;
    if (row.modifiers.held & kShift) text += "Shift" + join;
    return text + key;
}

void AddKeyHints(std::vector<MenuItem>& menu) {
    for (const KeyRow& row : kKeyDownRows) {
        if (row.shows == kNotShown) continue;
        for (MenuItem& item : menu) {
            if (item.name != row.command) continue;
            if (row.shows == kHint) {
                item.keyHint = KeyHintText(row);
            } else {
                if (!item.shortcut.empty()) item.shortcut += "; ";
                item.shortcut += KeyShortcutText(row);
            }
        }
    }
}

}  // namespace pixolat
