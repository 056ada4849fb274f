#include "edit/editor.h"
#include "edit/menu.h"

namespace pixolat {

namespace {

MenuItem Command(const char* name, const char* caption, const char* keyHint, int help,
                 void (Editor::*handler)()) {
    MenuItem item;
    item.name = name;
    item.caption = caption;
    item.keyHint = keyHint;
    item.helpContext = help;
    item.command = [handler](Editor& editor) { (editor.*handler)(); };
    return item;
}

}  // namespace

void AppendViewMenu(std::vector<MenuItem>& menu) {
    MenuItem view;
    view.kind = MenuItem::Kind::Menu;
    view.name = "mnuView";
    view.caption = "&View";
    view.helpContext = 2300;
    menu.push_back(view);
    menu.push_back(
        Command("mnuViewToggleGrid", "Toggle &Grid", "G", 2304, &Editor::mnuViewToggleGridClick));
    menu.push_back(
        Command("mnuViewZoomToggle", "Toggle &Zoom", "Z", 2305, &Editor::mnuViewZoomToggleClick));
    menu.push_back(Command("mnuViewZoomIn", "Zoom In", "+", 2306, &Editor::mnuViewZoomInClick));
    menu.push_back(Command("mnuViewZoomOut", "Zoom Out", "-", 2307, &Editor::mnuViewZoomOutClick));
    MenuItem separator;
    separator.kind = MenuItem::Kind::Separator;
    separator.name = "mnuView1";
    menu.push_back(separator);
    MenuItem palette = Command("mnuViewColorPaletteAndPreview", "Color Palette and Preview", "",
                               2309, &Editor::mnuViewColorPaletteAndPreviewClick);
    palette.checkable = true;
    palette.checked = true;
    menu.push_back(palette);
}

}  // namespace pixolat
