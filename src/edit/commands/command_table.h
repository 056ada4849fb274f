#pragma once
// Every command of the menu as one record: its id (the menu item's component
// name), caption, what it runs, when it is enabled, checked and shown, the
// name of the undo step it makes and its help context. The menu's rows and
// the key table name commands; the window asks the records for the menu's
// state whenever it shows it. Adding a command is one function and one record.
#include <span>
#include <string>
#include <string_view>

namespace pixolat {

class Editor;

// A command of the menu or of the key table (edit/commands/).
using Command = void (*)(Editor&);
// One command serving several items: Draw Pixel #0..#3, the recent files.
using ParameterCommand = void (*)(Editor&, int parameter);
using EditorQuery = bool (*)(const Editor&);
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
    // The top menu ("mnuDraw") whose end the item goes to when no menu row
    // places it; nullptr: only where a menu row names it.
    const char* menu = nullptr;
};

std::span<const CommandRecord> CommandRecords();
// The record with this id, or nullptr.
const CommandRecord* FindCommand(std::string_view id);
// The record whose plain command is `run`, or nullptr.
const CommandRecord* FindCommand(Command run);

void RunCommand(const CommandRecord& record, Editor& editor);
std::string CaptionOf(const CommandRecord& record, const Editor& editor);
std::string UndoNameOf(const CommandRecord& record);

}  // namespace pixolat
