#include "edit/menu.h"

#include "edit/commands/draw_commands.h"
#include "edit/commands/edit_commands.h"
#include "edit/commands/file_commands.h"
#include "edit/commands/help_commands.h"
#include "edit/commands/tool_commands.h"
#include "edit/commands/view_commands.h"

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

MenuItem Separator(const char* name, bool visible = true) {
    MenuItem item;
    item.kind = MenuItem::Kind::Separator;
    item.name = name;
    item.visible = visible;
    return item;
}

// The shortcut is served by the menu itself; key hints come from the key map.
MenuItem Item(const char* name, const char* caption, const char* shortcut, int help,
              Command command) {
    MenuItem item;
    item.name = name;
    item.caption = caption;
    item.shortcut = shortcut;
    item.helpContext = help;
    item.command = command;
    return item;
}

MenuItem Hidden(MenuItem item) {
    item.visible = false;
    return item;
}

MenuItem Checked(MenuItem item) {
    item.checkable = true;
    item.checked = true;
    return item;
}

MenuItem Unchecked(MenuItem item) {
    item.checkable = true;
    return item;
}

MenuItem WithHint(MenuItem item, const char* hint) {
    item.hint = hint;
    return item;
}

}  // namespace

std::vector<MenuItem> BuildMainMenu() {
    // Recent-file items stay hidden until a file enters the list; Import .P4S
    // is never shown and does nothing.
    // clang-format off
    return {
        Menu("mnuFile", "&File", 2100),
        Item("mnuFileLoad",       "&Load (as source)", "",       2101, mnuFileLoadClick),
        Item("mnuFileSave",       "&Save (as source)", "",       2102, mnuFileSaveClick),
        Item("mnuFileOpenSource", "Open Source File...", "",     2110, mnuFileOpenSourceClick),
        Item("mnuFileSaveSource", "Save Source File...", "",     2111, mnuFileSaveSourceClick),
        Item("mnuFileRecover",    "Recover Last Session", "",    2112, mnuFileRecoverClick),
        Separator("mnuFile1"),
        Item("mnuFileImportPRG",  "Import .PRG",       "Ctrl+L", 2103, mnuFileImportPRGClick),
        Item("mnuFileExportPRG",  "Export .PRG",       "Ctrl+S", 2104, mnuFileExportPRGClick),
        Item("mnuFileExportRunnablePRG", "Export Runnable .PRG...", "", 2107,
             mnuFileExportRunnablePRGClick),
        Item("mnuFileExportPicture", "Export Picture...", "",   2108, mnuFileExportPictureClick),
        Separator("mnuFile2"),
        Item("mnuFileImportBMP",  "Import .BMP",       "Ctrl+O", 2105, mnuFileImportBMPClick),
        Hidden(WithHint(Item("mnuFileImportP4S", "Import .P4S", "", 2106, nullptr),
                        "Not implemented")),
        Separator("mnuFile3"),
        Hidden(Item("mnuFileMRU1", "", "", 0, mnuFileMRU1Click)),
        Hidden(Item("mnuFileMRU2", "", "", 0, mnuFileMRU2Click)),
        Hidden(Item("mnuFileMRU3", "", "", 0, mnuFileMRU3Click)),
        Hidden(Item("mnuFileMRU4", "", "", 0, mnuFileMRU4Click)),
        Separator("mnuFile4", false),
        Item("mnuFileExit",       "E&xit",             "",       2106, mnuFileExitClick),

        Menu("mnuEdit", "&Edit", 2200),
        Item("mnuEditUndo",       "&Undo",             "Ctrl+Z", 2206, mnuEditUndoClick),
        Item("mnuEditRedo",       "&Redo",             "Ctrl+Y; Ctrl+Shift+Z", 2207,
             mnuEditRedoClick),
        Separator("mnuEditUndoSeparator"),
        Item("mnuEditCopy",       "Copy",              "",       2201, mnuEditCopyClick),
        Item("mnuEditPaste",      "&Paste",            "",       2202, mnuEditPasteClick),
        Separator("mnuEdit0"),
        Item("EditSelectAll",     "&Select All",       "Ctrl+A", 2204, EditSelectAllClick),
        Item("mnuEditDeselect",   "Deselect",          "Ctrl+D", 2205, mnuEditDeselectClick),

        Menu("mnuView", "&View", 2300),
        Item("mnuViewImageNext",  "&Next Image",       "",       2301, mnuViewImageNextClick),
        Item("mnuViewImagePrev",  "&Prev. Image",      "",       2302, mnuViewImagePrevClick),
        Separator("mnuView0"),
        Item("mnuViewToggleGrid", "Toggle &Grid",      "",       2304, mnuViewToggleGridClick),
        Item("mnuViewZoomToggle", "Toggle &Zoom",      "",       2305, mnuViewZoomToggleClick),
        Item("mnuViewZoomIn",     "Zoom In",           "",       2306, mnuViewZoomInClick),
        Item("mnuViewZoomOut",    "Zoom Out",          "",       2307, mnuViewZoomOutClick),
        Separator("mnuView1"),
        Checked(Item("mnuViewColorPaletteAndPreview", "Color Palette and Preview", "", 2309,
                     mnuViewColorPaletteAndPreviewClick)),
        Separator("mnuView2"),
        Item("mnuViewImageProperties", "Image Properties", "", 2311, mnuViewImagePropertiesClick),

        Menu("mnuDraw", "&Draw", 2406),
        Item("mnuDrawPixel0",            "Draw Pixel #0",       "", 2401, mnuDrawPixel0Click),
        Item("mnuDrawPixel1",            "Draw Pixel #1",       "", 2402, mnuDrawPixel1Click),
        Item("mnuDrawPixel2",            "Draw Pixel #2",       "", 2403, mnuDrawPixel2Click),
        Item("mnuDrawPixel3",            "Draw Pixel #3",       "", 2404, mnuDrawPixel3Click),
        Separator("mnuDraw0"),
        Item("mnuDrawFill",              "Fill Image",          "", 2405, mnuDrawFillClick),
        Item("mnuDrawReplaceColors",     "Replace Colors",      "", 0,    mnuDrawReplaceColorsClick),
        Item("mnuDrawRemapColors",       "&Remap Colors",       "", 0,    mnuDrawRemapColorsClick),
        Item("mnuDrawFlipHorizontally",  "Flip Horizontally",   "", 2407, mnuDrawFlipHorizontallyClick),
        Item("mnuDrawFlipVertically",    "Flip Vertically",     "", 2408, mnuDrawFlipVerticallyClick),
        Separator("mnuDraw1"),
        Item("mnuDrawToggleDrawingMode", "Toggle Drawing Mode", "", 2410, mnuDrawToggleDrawingModeClick),
        Item("mnuDrawHires",             "Toggle Hires/Multi",  "", 2411, mnuDrawHiresClick),
        WithHint(Item("mnuDrawSetColor", "Set &Color",          "", 2412, mnuDrawSetColorClick),
                 "Under cursor or for selection"),

        Menu("mnuTools", "&Tools", 2600),
        Checked(Item("mnuToolsFreehand",      "&Freehand",         "", 2601, mnuToolsFreehandClick)),
        Unchecked(Item("mnuToolsLine",        "&Line",             "", 2602, mnuToolsLineClick)),
        Unchecked(Item("mnuToolsRectangle",   "&Rectangle",        "", 2603, mnuToolsRectangleClick)),
        Unchecked(Item("mnuToolsFilledRectangle", "Filled R&ectangle", "", 2604,
                       mnuToolsFilledRectangleClick)),
        Unchecked(Item("mnuToolsEllipse",     "E&llipse",          "", 2605, mnuToolsEllipseClick)),
        Unchecked(Item("mnuToolsFilledEllipse", "Filled Elli&pse", "", 2606,
                       mnuToolsFilledEllipseClick)),
        Unchecked(Item("mnuToolsFloodFill",   "Flood F&ill",       "", 2607, mnuToolsFloodFillClick)),
        Unchecked(Item("mnuToolsPick",        "Pic&k",             "", 2608, mnuToolsPickClick)),
        Unchecked(Item("mnuToolsBrush",       "&Brush",            "", 2609, mnuToolsBrushClick)),

        Menu("mnuHelp", "&Help", 2500),
        Item("mnuHelpKeyb",       "Keyboard Commands", "",       2501, mnuHelpKeybClick),
        Item("mnuHelpAbout",      "&About",            "",       2502, mnuHelpAboutClick),
    };
    // clang-format on
}

}  // namespace pixolat
