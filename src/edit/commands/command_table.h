#pragma once
// Every command as one record: its id (a menu item's component name, or the
// name of a command only keys reach), caption, what it runs, when it is
// enabled, checked and shown, the name of the undo step it makes and its help
// context. The menu's rows and the key table's rows name commands by id; the
// window asks the records for the menu's state whenever it shows it. Adding a
// command is one function, one record and the rows that reach it; a command
// with a parameter (Draw Pixel #0..#3, the recent files) is one record for
// all its items.
#include <span>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace pixolat {

class Editor;

struct KeyPress {
    int key = 0;
    ShiftState shift = 0;
};

// A command of the menu or of the key table (edit/commands/).
using Command = void (*)(Editor&);
// A command that needs the key itself: which digit, whether Ctrl steps by a cell.
using KeyCommand = void (*)(Editor&, KeyPress);
// One command serving several items: Draw Pixel #0..#3, the recent files.
using ParameterCommand = void (*)(Editor&, int parameter);
using EditorQuery = bool (*)(const Editor&);
using ParameterQuery = bool (*)(const Editor&, int parameter);
using CaptionQuery = std::string (*)(const Editor&, int parameter);

struct CommandRecord {
    const char* id = "";
    const char* caption = "";  // "&" marks the access key
    Command run = nullptr;     // nullptr: runWith, or nothing at all
    int helpContext = 0;
    // The step a run makes is "Undo <undoName>"; nullptr: the caption
    // without "&" and "...".
    const char* undoName = nullptr;
    EditorQuery enabled = nullptr;  // nullptr: always
    EditorQuery checked = nullptr;  // nullptr: no check mark
    EditorQuery visible = nullptr;  // nullptr: always
    ParameterCommand runWith = nullptr;
    int parameter = 0;
    CaptionQuery captionOf = nullptr;  // a caption that follows the editor
    const char* hint = "";             // the status tip
    // What a key row runs when it differs from the menu's command, and takes
    // the key: what it does belongs to the key's gesture (a value key held
    // while the cursor moves is one step), where a plain command is a step
    // of its own.
    KeyCommand runKey = nullptr;
    // A family stands for one item per parameter from `parameter` to
    // `lastParameter`: "{}" in its id and caption is the item's parameter,
    // and each item's help context is `helpStep` above the one before.
    int lastParameter = 0;
    int helpStep = 0;
    ParameterQuery visibleWith = nullptr;  // nullptr: `visible`
};

// Every item's record, a family's items in its place ("mnuDrawPixel0" ...).
std::span<const CommandRecord> CommandRecords();
// The record with this id, or nullptr.
const CommandRecord* FindCommand(std::string_view id);
// The items of the family with this id ("mnuDrawPixel{}"); empty if none.
std::span<const CommandRecord> FamilyItems(std::string_view familyId);

void RunCommand(const CommandRecord& record, Editor& editor);
// As a key runs the record: its key command, or else its command.
void RunKeyCommand(const CommandRecord& record, Editor& editor, KeyPress press);
std::string CaptionOf(const CommandRecord& record, const Editor& editor);
bool IsVisible(const CommandRecord& record, const Editor& editor);
std::string UndoNameOf(const CommandRecord& record);

}  // namespace pixolat
