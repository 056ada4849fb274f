#include "edit/menu.h"

#include <stdexcept>

#include "edit/image_files.h"

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

MenuItem Separator(const char* name, EditorQuery visible = nullptr) {
    MenuItem item;
    item.kind = MenuItem::Kind::Separator;
    item.name = name;
    item.separatorVisible = visible;
    return item;
}

// The item of a command record; key hints and shortcuts come from the key map.
MenuItem Item(const char* id) {
    const CommandRecord* record = FindCommand(id);
    if (!record) throw std::logic_error(std::string("no command record ") + id);
    MenuItem item;
    item.name = id;
    item.caption = record->caption;
    item.helpContext = record->helpContext;
    item.checkable = record->checked != nullptr;
    item.hint = record->hint;
    item.record = record;
    return item;
}

// Stands for every item of a command family, in parameter order.
MenuItem Family(const char* id) {
    if (FamilyItems(id).empty()) throw std::logic_error(std::string("no command family ") + id);
    MenuItem item;
    item.name = id;
    item.family = true;
    return item;
}

MenuItem Submenu(MenuItem item) {
    item.submenu = true;
    return item;
}

MenuItem InSubmenu(MenuItem item, const char* parent) {
    item.parent = parent;
    return item;
}

// The menu's rows in order.
std::vector<MenuItem> MenuRows() {
    return {
        Menu("mnuFile", "&File", 2100),
        Item("mnuFileLoad"),
        Item("mnuFileSave"),
        Item("mnuFileOpenSource"),
        Item("mnuFileSaveSource"),
        // The source text's assembler.
        Submenu(Item("mnuFileSourceSyntax")),
        InSubmenu(Item("mnuFileSyntaxDb"), "mnuFileSourceSyntax"),
        InSubmenu(Item("mnuFileSyntax64tass"), "mnuFileSourceSyntax"),
        InSubmenu(Item("mnuFileSyntaxAcme"), "mnuFileSourceSyntax"),
        InSubmenu(Item("mnuFileSyntaxCa65"), "mnuFileSourceSyntax"),
        InSubmenu(Item("mnuFileSyntaxDasm"), "mnuFileSourceSyntax"),
        InSubmenu(Item("mnuFileSyntaxXa"), "mnuFileSourceSyntax"),
        Submenu(Item("mnuFileRecover")),
        InSubmenu(Family("mnuFileRecover{}"), "mnuFileRecover"),
        Separator("mnuFile1"),
        Item("mnuFileImportPRG"),
        Item("mnuFileExportPRG"),
        Item("mnuFileExportRunnablePRG"),
        // The layouts that keep DFLI pictures and character sets whole.
        Item("mnuFileExportDfliPRG"),
        Item("mnuFileExportCharsetPRG"),
        Item("mnuFileExportParts"),
        Item("mnuFileExportPicture"),
        Separator("mnuFile2"),
        Item("mnuFileImportBMP"),
        Item("mnuFileImportPicture"),
        Item("mnuFileImportP4S"),
        Separator("mnuFile3"),
        Family("mnuFileMRU{}"),
        Separator("mnuFile4", HasRecentFiles),
        Item("mnuFileExit"),

        Menu("mnuEdit", "&Edit", 2200),
        Item("mnuEditUndo"),
        Item("mnuEditRedo"),
        Separator("mnuEditUndoSeparator"),
        Item("mnuEditCopy"),
        Item("mnuEditPaste"),
        Separator("mnuEdit0"),
        Item("EditSelectAll"),
        Item("mnuEditDeselect"),

        Menu("mnuView", "&View", 2300),
        Item("mnuViewImageNext"),
        Item("mnuViewImagePrev"),
        Separator("mnuView0"),
        Item("mnuViewToggleGrid"),
        Item("mnuViewZoomToggle"),
        Item("mnuViewZoomIn"),
        Item("mnuViewZoomOut"),
        Separator("mnuView1"),
        Item("mnuViewColorPaletteAndPreview"),
        Separator("mnuView2"),
        Item("mnuViewImageProperties"),

        Menu("mnuDraw", "&Draw", 2406),
        Family("mnuDrawPixel{}"),
        Separator("mnuDraw0"),
        Item("mnuDrawFill"),
        Item("mnuDrawReplaceColors"),
        Item("mnuDrawRemapColors"),
        Item("mnuDrawFlipHorizontally"),
        Item("mnuDrawFlipVertically"),
        Separator("mnuDraw1"),
        Item("mnuDrawToggleDrawingMode"),
        Item("mnuDrawHires"),
        Item("mnuDrawSetColor"),

        Menu("mnuTools", "&Tools", 2600),
        Item("mnuToolsFreehand"),
        Item("mnuToolsLine"),
        Item("mnuToolsRectangle"),
        Item("mnuToolsFilledRectangle"),
        Item("mnuToolsEllipse"),
        Item("mnuToolsFilledEllipse"),
        Item("mnuToolsFloodFill"),
        Item("mnuToolsPick"),
        Item("mnuToolsBrush"),

        Menu("mnuHelp", "&Help", 2500),
        Item("mnuHelpKeyb"),
        Item("mnuHelpAbout"),
    };
}

}  // namespace

std::vector<MenuItem> BuildMainMenu() {
    std::vector<MenuItem> menu;
    for (const MenuItem& row : MenuRows()) {
        if (!row.family) {
            menu.push_back(row);
            continue;
        }
        for (const CommandRecord& record : FamilyItems(row.name))
            menu.push_back(InSubmenu(Item(record.id), row.parent.c_str()));
    }
    return menu;
}

void RefreshMenu(std::vector<MenuItem>& menu, const Editor& editor) {
    for (MenuItem& item : menu) {
        if (item.kind == MenuItem::Kind::Separator && item.separatorVisible)
            item.visible = item.separatorVisible(editor);
        const CommandRecord* record = item.record;
        if (!record) continue;
        item.caption = CaptionOf(*record, editor);
        item.enabled = !record->enabled || record->enabled(editor);
        item.checked = record->checked && record->checked(editor);
        item.visible = IsVisible(*record, editor);
    }
}

}  // namespace pixolat
