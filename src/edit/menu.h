#pragma once
// The main menu as data: the window builds its menus from this list and runs
// an item's command through the editor; captions, check marks and visibility
// are mirrored from here after every event.
#include <string>
#include <vector>

namespace pixolat {

class Editor;

// A command of the menu or of the key map (edit/commands/).
using Command = void (*)(Editor&);

struct MenuItem {
    enum class Kind { Menu, Command, Separator };
    Kind kind = Kind::Command;
    std::string name;      // component name, for example "mnuFileImportPRG"
    std::string caption;   // "&" marks the access key
    std::string keyHint;   // shown after a tab; taken from the key map, which handles the key
    std::string shortcut;  // served by the menu itself, for example "Ctrl+L"; several split by "; "
    int helpContext = 0;
    bool checkable = false;
    bool checked = false;
    bool visible = true;
    bool enabled = true;  // greyed when false
    std::string hint;     // status tip
    Command command = nullptr;
    // An item with a submenu lists the items whose parent names it.
    bool submenu = false;
    std::string parent;

    // The caption as shown: the key hint follows a tab.
    std::string DisplayCaption() const {
        return keyHint.empty() ? caption : caption + "\t" + keyHint;
    }
};

// What an undo step made by the item's command is called: the caption without
// "&" and "...", or a shorter name ("Fill" for "Fill Image").
std::string StepName(const MenuItem& item);

// The main menu in menu order: each Menu item is followed by its entries.
std::vector<MenuItem> BuildMainMenu();

}  // namespace pixolat
