#include "edit/commands/help_commands.h"

#include "edit/editor.h"

namespace pixolat {

void mnuHelpKeybClick(Editor& editor) {
    editor.platform().ShowHelpTopic(editor.ui().helpFile, kKeyboardHelpTopic);
}

void mnuHelpAboutClick(Editor& editor) {
    editor.platform().ShowInformation(
        std::string(kEditorCaption) +
        "\r\rDraws hires and multicolor bitmaps, DFLI pictures and character sets for the "
        "Commodore Plus/4, and exchanges them as assembler source text, .PRG files and PC "
        "pictures.\r\rPress F1 for the keyboard commands.");
}

void ShowMenuItemHelp(Editor& editor, const std::string& itemName) {
    const std::vector<MenuItem>& menu = editor.menu();
    int context = 0;
    int menuContext = 0;
    for (const MenuItem& item : menu) {
        if (item.kind == MenuItem::Kind::Menu) menuContext = item.helpContext;
        if (item.name != itemName) continue;
        context = item.helpContext != 0 ? item.helpContext : menuContext;
        break;
    }
    if (context != 0) editor.platform().ShowHelpContext(editor.ui().helpFile, context);
}

}  // namespace pixolat
