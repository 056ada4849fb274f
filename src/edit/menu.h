#pragma once
// The main menu as data: rows that name command records (edit/commands/
// command_table.h). The window builds its menus from this list and runs an
// item's command through the editor; captions, check marks, visibility and
// whether an item is enabled are asked of the records whenever the menu is read.
#include <string>
#include <vector>

#include "edit/commands/command_table.h"

namespace pixolat {

class Editor;

struct MenuItem {
    enum class Kind { Menu, Command, Separator };
    Kind kind = Kind::Command;
    std::string name;     // component name, for example "mnuFileImportPRG"
    std::string caption;  // "&" marks the access key
    std::string keyHint;  // shown after a tab; taken from the key map, which handles the key
    // Served by the menu itself, for example "Ctrl+L"; several split by "; ".
    // Taken from the key map's rows marked as the menu's shortcuts.
    std::string shortcut;
    int helpContext = 0;
    bool checkable = false;
    bool checked = false;
    bool visible = true;
    bool enabled = true;  // greyed when false
    std::string hint;     // status tip
    // A command item's record; a separator's own visibility query.
    const CommandRecord* record = nullptr;
    EditorQuery separatorVisible = nullptr;
    // An item with a submenu lists the items whose parent names it.
    bool submenu = false;
    std::string parent;
    // A row of the menu's list that stands for a command family's items.
    bool family = false;

    // The caption as shown: the key hint follows a tab.
    std::string DisplayCaption() const {
        return keyHint.empty() ? caption : caption + "\t" + keyHint;
    }
};

// The main menu in menu order: each Menu item is followed by its entries.
std::vector<MenuItem> BuildMainMenu();

// Sets the items' caption, check mark, visibility and enabled state from
// their records.
void RefreshMenu(std::vector<MenuItem>& menu, const Editor& editor);

}  // namespace pixolat
