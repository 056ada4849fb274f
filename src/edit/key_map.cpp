#include "edit/key_map.h"

#include <algorithm>

#include "edit/commands/edit_commands.h"
#include "edit/commands/file_commands.h"
#include "edit/commands/key_commands.h"
#include "edit/commands/view_commands.h"
#include "edit/editor.h"

namespace pixolat {

namespace {

// Key presses. Ctrl+L, Ctrl+S, Ctrl+Z, Ctrl+Y and Ctrl+Shift+Z are menu
// shortcuts, served before a key press reaches this table; their rows run
// the same commands (and keep Ctrl+Z from the zoom while Undo is greyed).
// clang-format off
const KeyRow kKeyDownRows[] = {
    // keys            modifiers    condition  action                  menu hint
    {{'G'},            kAny,        nullptr,   mnuViewToggleGridClick, "mnuViewToggleGrid"},
    {{'L'},            kCtrlHeld,   nullptr,   mnuFileImportPRGClick,  nullptr},
    {{'L'},            kOtherwise,  nullptr,   mnuFileLoadClick,       "mnuFileLoad"},
    {{'S'},            kCtrlHeld,   nullptr,   mnuFileExportPRGClick,  nullptr},
    {{'S'},            kOtherwise,  nullptr,   mnuFileSaveClick,       "mnuFileSave"},
    {{'X'},            kAny,        nullptr,   OpenMaskProcessor,      nullptr},
    {{'Y'},            kCtrlHeld,   nullptr,   mnuEditRedoClick,       nullptr},
    {{'Z'},            {kCtrl | kShift}, nullptr, mnuEditRedoClick,    nullptr},
    {{'Z'},            kCtrlHeld,   nullptr,   mnuEditUndoClick,       nullptr},
    {{'Z'},            kOtherwise,  nullptr,   mnuViewZoomToggleClick, "mnuViewZoomToggle"},
    {{kKeypadPlus},    kOtherwise,  nullptr,   mnuViewZoomInClick,     "mnuViewZoomIn"},
    {{kKeypadMinus},   kOtherwise,  nullptr,   mnuViewZoomOutClick,    "mnuViewZoomOut"},
};
// clang-format on

// Key releases: no key acts on its release.
const std::array<KeyRow, 0> kKeyUpRows{};

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

void RunKeyRow(const KeyRow& row, Editor& editor, KeyPress press) {
    if (const Command* command = std::get_if<Command>(&row.action)) {
        if (*command) (*command)(editor);
    } else if (const KeyCommand keyCommand = std::get<KeyCommand>(row.action)) {
        keyCommand(editor, press);
    }
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
        if (!row.menuHint) continue;
        for (MenuItem& item : menu)
            if (item.name == row.menuHint) item.keyHint = KeyHintText(row);
    }
}

}  // namespace pixolat
