#include "edit/menu.h"

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
    return menu;
}

}  // namespace pixolat
