#include "edit/menu.h"

#include "edit/editor.h"
#include "edit/source_files.h"

namespace pixolat {

namespace {

using Command = std::function<void(Editor&)>;

Command Run(void (Editor::*handler)()) {
    return [handler](Editor& editor) { (editor.*handler)(); };
}

MenuItem Menu(const char* name, const char* caption, int help) {
    MenuItem item;
    item.kind = MenuItem::Kind::Menu;
    item.name = name;
    item.caption = caption;
    item.helpContext = help;
    return item;
}

MenuItem Separator(const char* name, bool visible = true) {
    MenuItem item;
    item.kind = MenuItem::Kind::Separator;
    item.name = name;
    item.visible = visible;
    return item;
}

// keyHint is only shown (the key map handles the key); shortcut is served by the menu.
MenuItem Item(const char* name, const char* caption, const char* keyHint, const char* shortcut,
              int help, Command command) {
    MenuItem item;
    item.name = name;
    item.caption = caption;
    item.keyHint = keyHint;
    item.shortcut = shortcut;
    item.helpContext = help;
    item.command = std::move(command);
    return item;
}

// Recent-file items stay hidden until a file enters the list.
MenuItem RecentFile(int n) {
    const std::string name = "mnuFileMRU" + std::to_string(n);
    MenuItem item = Item(name.c_str(), "", "", "", 0, [n](Editor& e) { e.OpenRecentFile(n); });
    item.visible = false;
    return item;
}

}  // namespace

std::vector<MenuItem> BuildMainMenu() {
    MenuItem importP4S = Item("mnuFileImportP4S", "Import .P4S", "", "", 2106, nullptr);
    importP4S.hint = "Not implemented";
    importP4S.visible = false;
    MenuItem palette = Item("mnuViewColorPaletteAndPreview", "Color Palette and Preview", "", "",
                            2309, Run(&Editor::mnuViewColorPaletteAndPreviewClick));
    palette.checkable = true;
    palette.checked = true;

    return {
        Menu("mnuFile", "&File", 2100),
        Item("mnuFileLoad", "&Load (as source)", "L", "", 2101, Run(&Editor::mnuFileLoadClick)),
        Item("mnuFileSave", "&Save (as source)", "S", "", 2102, Run(&Editor::mnuFileSaveClick)),
        Item("mnuFileOpenSource", "Open Source File...", "", "", 2107, mnuFileOpenSourceClick),
        Item("mnuFileSaveSource", "Save Source File...", "", "", 2108, mnuFileSaveSourceClick),
        Item("mnuFileRecover", "Recover Last Session", "", "", 2109, mnuFileRecoverClick),
        Separator("mnuFile1"),
        Item("mnuFileImportPRG", "Import .PRG", "", "Ctrl+L", 2103,
             Run(&Editor::mnuFileImportPRGClick)),
        Item("mnuFileExportPRG", "Export .PRG", "", "Ctrl+S", 2104,
             Run(&Editor::mnuFileExportPRGClick)),
        Separator("mnuFile2"),
        Item("mnuFileImportBMP", "Import .BMP", "", "Ctrl+O", 2105,
             Run(&Editor::mnuFileImportBMPClick)),
        importP4S,
        Separator("mnuFile3"),
        RecentFile(1),
        RecentFile(2),
        RecentFile(3),
        RecentFile(4),
        Separator("mnuFile4", false),
        Item("mnuFileExit", "E&xit", "", "", 2106,
             [](Editor& e) { e.platform().CloseMainWindow(); }),

        Menu("mnuEdit", "&Edit", 2200),
        Item("mnuEditUndo", "&Undo", "", "Ctrl+Z", 2206, Run(&Editor::Undo)),
        Item("mnuEditRedo", "&Redo", "", "Ctrl+Y; Ctrl+Shift+Z", 2207, Run(&Editor::Redo)),

        Menu("mnuView", "&View", 2300),
        Item("mnuViewToggleGrid", "Toggle &Grid", "G", "", 2304,
             Run(&Editor::mnuViewToggleGridClick)),
        Item("mnuViewZoomToggle", "Toggle &Zoom", "Z", "", 2305,
             Run(&Editor::mnuViewZoomToggleClick)),
        Item("mnuViewZoomIn", "Zoom In", "+", "", 2306, Run(&Editor::mnuViewZoomInClick)),
        Item("mnuViewZoomOut", "Zoom Out", "-", "", 2307, Run(&Editor::mnuViewZoomOutClick)),
        Separator("mnuView1"),
        palette,
    };
}

}  // namespace pixolat
