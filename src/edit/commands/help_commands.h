#pragma once
// Help menu commands and the help asked for on a highlighted menu item.
#include <string>

namespace pixolat {

class Editor;

// The topic of the keyboard commands.
inline constexpr const char* kKeyboardHelpTopic = "IDH_01002";

// Help > Keyboard Commands, and the F1 key.
void mnuHelpKeybClick(Editor& editor);
// Help > About.
void mnuHelpAboutClick(Editor& editor);
// F1 while a menu item is highlighted: the item's topic, or its menu's when
// the item has none of its own. Unknown names show nothing.
void ShowMenuItemHelp(Editor& editor, const std::string& itemName);

}  // namespace pixolat
