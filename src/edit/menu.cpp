#include "edit/menu.h"

#include <algorithm>
#include <iterator>

#include "edit/editor.h"

namespace pixolat {

namespace {

MenuItem Menu(const char* name, const char* caption, int help) {
    MenuItem item;
    item.kind = MenuItem::Kind::Menu;
    item.name = name;
    item.caption = caption;
    item.helpContext = help;
    return item;
}

MenuItem Separator(const char* name) {
    MenuItem item;
    item.kind = MenuItem::Kind::Separator;
    item.name = name;
    return item;
}

}  // namespace

namespace {

MenuItem Command(const char* name, const char* caption, const char* shortcut, int help,
                 std::function<void(Editor&)> command) {
    MenuItem item;
    item.name = name;
    item.caption = caption;
    item.shortcut = shortcut;
    item.helpContext = help;
    item.command = std::move(command);
    return item;
}

// The .PRG and picture imports, the export and the recent files, which sit
// just above the File menu's last separator.
std::vector<MenuItem> FileTransferItems() {
    std::vector<MenuItem> items;
    items.push_back(Command("mnuFileImportPRG", "Import .PRG", "Ctrl+L", 2103,
                            [](Editor& e) { e.mnuFileImportPRGClick(); }));
    items.push_back(Command("mnuFileExportPRG", "Export .PRG", "Ctrl+S", 2104,
                            [](Editor& e) { e.mnuFileExportPRGClick(); }));
    items.push_back(Separator("mnuFile2"));
    items.push_back(Command("mnuFileImportBMP", "Import .BMP", "Ctrl+O", 2105,
                            [](Editor& e) { e.mnuFileImportBMPClick(); }));
    items.push_back(Command("mnuFileImportP4S", "Import .P4S", "", 2106, nullptr));
    items.back().hint = "Not implemented";
    items.back().visible = false;
    items.push_back(Separator("mnuFile3"));
    for (int n = 1; n <= 4; ++n) {
        const std::string name = "mnuFileMRU" + std::to_string(n);
        items.push_back(Command(name.c_str(), "", "", 0, [n](Editor& e) { e.OpenRecentFile(n); }));
        items.back().visible = false;
    }
    return items;
}

void InsertBefore(std::vector<MenuItem>& menu, const std::string& name,
                  std::vector<MenuItem> items) {
    auto at = std::find_if(menu.begin(), menu.end(),
                           [&](const MenuItem& item) { return item.name == name; });
    menu.insert(at, std::make_move_iterator(items.begin()), std::make_move_iterator(items.end()));
}

}  // namespace

std::vector<MenuItem> BuildMainMenu() {
    std::vector<MenuItem> menu;
    menu.push_back(Menu("mnuFile", "&File", 2100));
    {
        MenuItem load;
        load.name = "mnuFileLoad";
        load.caption = "&Load (as source)";
        load.keyHint = "L";
        load.helpContext = 2101;
        load.command = [](Editor& editor) { editor.mnuFileLoadClick(); };
        menu.push_back(load);
        MenuItem save;
        save.name = "mnuFileSave";
        save.caption = "&Save (as source)";
        save.keyHint = "S";
        save.helpContext = 2102;
        save.command = [](Editor& editor) { editor.mnuFileSaveClick(); };
        menu.push_back(save);
        menu.push_back(Separator("mnuFile1"));
    }
    menu.push_back(Separator("mnuFile4"));
    menu.back().visible = false;
    {
        MenuItem exit;
        exit.name = "mnuFileExit";
        exit.caption = "E&xit";
        exit.helpContext = 2106;
        exit.command = [](Editor& editor) { editor.platform().CloseMainWindow(); };
        menu.push_back(exit);
    }
    InsertBefore(menu, "mnuFile4", FileTransferItems());
    AppendViewMenu(menu);
    return menu;
}

}  // namespace pixolat
