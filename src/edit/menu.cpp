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
    AppendViewMenu(menu);
    return menu;
}

}  // namespace pixolat
