#include "edit/key_map.h"

#include <algorithm>
#include <cctype>

#include "edit/commands/draw_commands.h"
#include "edit/commands/edit_commands.h"
#include "edit/commands/file_commands.h"
#include "edit/commands/help_commands.h"
#include "edit/commands/key_commands.h"
#include "edit/commands/tool_commands.h"
#include "edit/commands/view_commands.h"
#include "edit/editor.h"

namespace pixolat {

namespace {

// Modifier conditions of the key table beyond the common ones.
constexpr Modifiers kAltHeld{kAlt};
constexpr Modifiers kCtrlAndAlt{kCtrl | kAlt};
constexpr Modifiers kCtrlWithoutAlt{kCtrl, kAlt};
constexpr Modifiers kShiftWithoutCtrl{kShift, kCtrl};
// A row that only stops the search.
constexpr Command kNothing = nullptr;

// Key presses, in the order they are searched. The rows marked kShortcut are
// the menu's shortcuts: the window's menu serves them before a key press
// reaches this table, and their rows run the same commands (and keep Ctrl+Z
// from the zoom while Undo is greyed). Alt with the access letter of a top
// menu opens that menu and never gets here (see IsMenuAccessKey).
// clang-format off
const KeyRow kKeyDownRows[] = {
    // keys                    modifiers           condition           action                          menu hint
    {{'A'},                    kCtrlHeld,          nullptr,            EditSelectAllClick,             "EditSelectAll", kShortcut},
    {{'A'},                    kOtherwise,         nullptr,            ShowUnhandledKey,               nullptr},
    {{'0', kKeySpace},         kAltHeld,           nullptr,            SetValueColorKey,               nullptr},
    {{'0', kKeySpace},         kShiftHeld,         nullptr,            ChoosePixelValue,               nullptr},
    {{'0', kKeySpace},         kOtherwise,         nullptr,            DrawPixelValue,                 "mnuDrawPixel0"},
    {{'1', '2', '3'},          kAltHeld,           nullptr,            SetValueColorKey,               nullptr},
    {{'1', '2', '3'},          kShiftHeld,         nullptr,            ChoosePixelValue,               nullptr},
    {{'1'},                    kOtherwise,         nullptr,            DrawPixelValue,                 "mnuDrawPixel1"},
    {{'2'},                    kOtherwise,         nullptr,            DrawPixelValue,                 "mnuDrawPixel2"},
    {{'3'},                    kOtherwise,         nullptr,            DrawPixelValue,                 "mnuDrawPixel3"},
    {{kKeyLeft},               kAltHeld,           nullptr,            PaletteLeft,                    nullptr},
    {{kKeyLeft},               kOtherwise,         MoveKeyHeld,        MoveAreaLeft,                   nullptr},
    {{kKeyLeft},               kOtherwise,         CursorCanMoveLeft,  MoveCursorLeft,                 nullptr},
    {{kKeyRight},              kAltHeld,           nullptr,            PaletteRight,                   nullptr},
    {{kKeyRight},              kOtherwise,         MoveKeyHeld,        MoveAreaRight,                  nullptr},
    {{kKeyRight},              kOtherwise,         CursorCanMoveRight, MoveCursorRight,                nullptr},
    {{kKeyUp},                 kAltHeld,           nullptr,            PaletteUp,                      nullptr},
    {{kKeyUp},                 kOtherwise,         MoveKeyHeld,        MoveAreaUp,                     nullptr},
    {{kKeyUp},                 kOtherwise,         CursorCanMoveUp,    MoveCursorUp,                   nullptr},
    {{kKeyDown},               kAltHeld,           nullptr,            PaletteDown,                    nullptr},
    {{kKeyDown},               kOtherwise,         MoveKeyHeld,        MoveAreaDown,                   nullptr},
    {{kKeyDown},               kOtherwise,         CursorCanMoveDown,  MoveCursorDown,                 nullptr},
    {{kKeyHome},               kAny,               CursorCanMoveLeft,  MoveCursorToLeftEdge,           nullptr},
    {{kKeyHome},               kAny,               CursorCanMoveUp,    MoveCursorToTop,                nullptr},
    {{kKeyEnd},                kAny,               CursorCanMoveRight, MoveCursorToRightEdge,          nullptr},
    {{kKeyEnd},                kAny,               CursorCanMoveDown,  MoveCursorToBottom,             nullptr},
    {{'C'},                    kCtrlAndAlt,        nullptr,            CopyView,                       nullptr},
    {{'C'},                    kCtrlWithoutAlt,    nullptr,            CopySelection,                  nullptr},
    {{'C'},                    kShiftWithoutCtrl,  nullptr,            mnuViewColorPaletteAndPreviewClick, nullptr},
    {{'C'},                    kOtherwise,         nullptr,            mnuDrawSetColorClick,           "mnuDrawSetColor"},
    {{'D'},                    kCtrlHeld,          nullptr,            mnuEditDeselectClick,           "mnuEditDeselect", kShortcut},
    {{'D'},                    kAny,               nullptr,            mnuDrawToggleDrawingModeClick,  "mnuDrawToggleDrawingMode"},
    {{'F'},                    kAltHeld,           nullptr,            kNothing,                       nullptr},
    {{'F'},                    kOtherwise,         nullptr,            mnuDrawFillClick,               "mnuDrawFill"},
    {{'G'},                    kAny,               nullptr,            mnuViewToggleGridClick,         "mnuViewToggleGrid"},
    {{'H'},                    kShiftHeld,         nullptr,            mnuDrawFlipHorizontallyClick,   "mnuDrawFlipHorizontally"},
    {{'H'},                    kOtherwise,         nullptr,            mnuDrawHiresClick,              "mnuDrawHires"},
    {{'I'},                    kAny,               nullptr,            Invert,                         nullptr},
    {{'L'},                    kCtrlHeld,          nullptr,            mnuFileImportPRGClick,          "mnuFileImportPRG", kShortcut},
    {{'L'},                    kOtherwise,         nullptr,            mnuFileLoadClick,               "mnuFileLoad"},
    {{'M'},                    kAny,               nullptr,            HoldMoveKey,                    nullptr},
    {{'O'},                    kCtrlHeld,          nullptr,            mnuFileImportBMPClick,          "mnuFileImportBMP", kShortcut},
    {{'P'},                    kAny,               nullptr,            mnuViewImagePropertiesClick,    "mnuViewImageProperties"},
    {{'R'},                    kShiftHeld,         nullptr,            mnuDrawReplaceColorsClick,      nullptr},
    {{'R'},                    kOtherwise,         nullptr,            mnuDrawRemapColorsClick,        "mnuDrawRemapColors"},
    {{'S'},                    kCtrlHeld,          nullptr,            mnuFileExportPRGClick,          "mnuFileExportPRG", kShortcut},
    {{'S'},                    kOtherwise,         nullptr,            mnuFileSaveClick,               "mnuFileSave"},
    {{'V'},                    kShiftHeld,         nullptr,            mnuDrawFlipVerticallyClick,     "mnuDrawFlipVertically"},
    {{'V'},                    kAltHeld,           nullptr,            kNothing,                       nullptr},
    {{'V'},                    kOtherwise,         nullptr,            mnuEditPasteClick,              nullptr},
    {{'X'},                    kAny,               nullptr,            OpenMaskProcessor,              nullptr},
    {{'Y'},                    kCtrlHeld,          nullptr,            mnuEditRedoClick,               "mnuEditRedo", kShortcut},
    {{'Y'},                    kOtherwise,         nullptr,            ShowUnhandledKey,               nullptr},
    {{'Z'},                    {kCtrl | kShift},   nullptr,            mnuEditRedoClick,               "mnuEditRedo", kShortcut},
    {{'Z'},                    kCtrlHeld,          nullptr,            mnuEditUndoClick,               "mnuEditUndo", kShortcut},
    {{'Z'},                    kOtherwise,         nullptr,            mnuViewZoomToggleClick,         "mnuViewZoomToggle"},
    {{kKeypadPlus},            kShiftHeld,         nullptr,            mnuViewImageNextClick,          "mnuViewImageNext"},
    {{kKeypadPlus},            kOtherwise,         nullptr,            mnuViewZoomInClick,             "mnuViewZoomIn"},
    {{kKeypadMinus},           kShiftHeld,         nullptr,            mnuViewImagePrevClick,          "mnuViewImagePrev"},
    {{kKeypadMinus},           kOtherwise,         nullptr,            mnuViewZoomOutClick,            "mnuViewZoomOut"},
    {{kKeyF1},                 kAny,               nullptr,            mnuHelpKeybClick,               nullptr},
    {{kKeyF12},                kAny,               nullptr,            mnuFileExitClick,               nullptr},
    // The tools, on letters that had no row, and keys the table left unhandled.
    {{'N'},                    kAny,               nullptr,            mnuToolsFreehandClick,          "mnuToolsFreehand"},
    {{'W'},                    kAny,               nullptr,            mnuToolsLineClick,              "mnuToolsLine"},
    {{'Q'},                    kShiftHeld,         nullptr,            mnuToolsFilledRectangleClick,   "mnuToolsFilledRectangle"},
    {{'Q'},                    kOtherwise,         nullptr,            mnuToolsRectangleClick,         "mnuToolsRectangle"},
    {{'E'},                    kShiftHeld,         nullptr,            mnuToolsFilledEllipseClick,     "mnuToolsFilledEllipse"},
    {{'E'},                    kOtherwise,         nullptr,            mnuToolsEllipseClick,           "mnuToolsEllipse"},
    {{'B'},                    kShiftHeld,         nullptr,            mnuToolsFloodFillClick,         "mnuToolsFloodFill"},
    {{'B'},                    kOtherwise,         nullptr,            mnuToolsBrushClick,             "mnuToolsBrush"},
    {{'O'},                    kAny,               nullptr,            mnuToolsPickClick,              "mnuToolsPick"},
    {{kKeyEscape},             kAny,               ShapeBeingDragged,  CancelShapeKey,                 nullptr},
    {{kKeyEscape},             kAny,               nullptr,            ShowUnhandledKey,               nullptr},
    // The main keyboard's + (or =) and - zoom as the keypad's do.
    {{kKeyPlusEquals},         kAny,               nullptr,            mnuViewZoomInClick,             nullptr},
    {{kKeyMinus},              kAny,               nullptr,            mnuViewZoomOutClick,            nullptr},
    // A modifier key alone is part of a key still to come.
    {{kKeyShift, kKeyCtrl, kKeyAlt}, kAny,         nullptr,            kNothing,                       nullptr},
    {{kEveryOtherKey},         kAny,               nullptr,            ShowUnhandledKey,               nullptr},
};

// Key releases: the value keys and M stop drawing and moving.
const KeyRow kKeyUpRows[] = {
    {{'0', kKeySpace},         kAny,               nullptr,            ReleaseValueKey,                nullptr},
    {{'1', '2', '3'},          kAny,               nullptr,            ReleaseValueKey,                nullptr},
    {{'M'},                    kAny,               nullptr,            ReleaseMoveKey,                 nullptr},
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

void RunKeyRow(const KeyRow& row, Editor& editor, KeyPress press) {
    if (const Command* command = std::get_if<Command>(&row.action)) {
        if (*command) (*command)(editor);
    } else if (const KeyCommand keyCommand = std::get<KeyCommand>(row.action)) {
        keyCommand(editor, press);
    }
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
        if (!row.menuHint) continue;
        for (MenuItem& item : menu) {
            if (item.name != row.menuHint) continue;
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
