#include "edit/commands/command_table.h"

#include <algorithm>
#include <deque>
#include <vector>

#include "edit/commands/draw_commands.h"
#include "edit/commands/edit_commands.h"
#include "edit/commands/export_commands.h"
#include "edit/commands/file_commands.h"
#include "edit/commands/help_commands.h"
#include "edit/commands/key_commands.h"
#include "edit/commands/tool_commands.h"
#include "edit/commands/view_commands.h"
#include "edit/editor.h"
#include "edit/image_files.h"
#include "edit/recovery.h"
#include "edit/tools.h"

namespace pixolat {

namespace {

std::string UndoCaption(const Editor& editor, int) {
    const std::string& name = editor.undo().history().undoName();
    return name.empty() ? "&Undo" : "&Undo " + name;
}
std::string RedoCaption(const Editor& editor, int) {
    const std::string& name = editor.undo().history().redoName();
    return name.empty() ? "&Redo" : "&Redo " + name;
}
bool CanUndo(const Editor& editor) {
    return editor.undo().history().CanUndo();
}
bool CanRedo(const Editor& editor) {
    return editor.undo().history().CanRedo();
}
bool PaletteShown(const Editor& editor) {
    return editor.view().paletteVisible;
}
bool HasSessions(const Editor& editor) {
    return !editor.recovery().sessions().empty();
}
template <SourceSyntax syntax>
bool IsSyntax(const Editor& editor) {
    return editor.ui().sourceSyntax == syntax;
}

bool HasSession(const Editor& editor, int n) {
    return editor.recovery().sessions().size() >= std::size_t(n);
}
std::string SessionItemCaption(const Editor& editor, int n) {
    return editor.recovery().SessionCaptionOf(std::size_t(n - 1));
}
template <Tool tool>
bool ToolIs(const Editor& editor) {
    return editor.tools().tool == tool;
}
bool Never(const Editor&) {
    return false;
}
bool HasRecentFile(const Editor& editor, int n) {
    return !editor.ui().recentFiles[std::size_t(n - 1)].empty();
}

}  // namespace

// clang-format off
const CommandRecord kCommandRecords[] = {
    // File
    {"mnuFileLoad", "&Load (as source)", mnuFileLoadClick, 2101, "Load"},
    {"mnuFileSave", "&Save (as source)", mnuFileSaveClick, 2102},
    {"mnuFileOpenSource", "Open Source File...", mnuFileOpenSourceClick, 2110},
    {"mnuFileSaveSource", "Save Source File...", mnuFileSaveSourceClick, 2111},
    {.id = "mnuFileRecover", .caption = "Rec&over Last Session", .helpContext = 2112,
     .enabled = HasSessions},
    {.id = "mnuFileRecover{}", .helpContext = 2112, .undoName = "Recover Session",
     .runWith = RecoverSession, .parameter = 1, .captionOf = SessionItemCaption,
     .lastParameter = 10, .visibleWith = HasSession},
    // The source text's assembler and the memory parts.
    {.id = "mnuFileSourceSyntax", .caption = "Source S&yntax", .helpContext = 2114},
    {.id = "mnuFileSyntaxDb", .caption = "&DB (the editor's own)", .helpContext = 2116,
     .checked = IsSyntax<SourceSyntax::Db>, .runWith = ChooseSourceSyntax, .parameter = 0},
    {.id = "mnuFileSyntax64tass", .caption = "&64tass", .helpContext = 2117,
     .checked = IsSyntax<SourceSyntax::Tass64>, .runWith = ChooseSourceSyntax, .parameter = 1},
    {.id = "mnuFileSyntaxAcme", .caption = "&ACME", .helpContext = 2118,
     .checked = IsSyntax<SourceSyntax::Acme>, .runWith = ChooseSourceSyntax, .parameter = 2},
    {.id = "mnuFileSyntaxCa65", .caption = "&ca65", .helpContext = 2119,
     .checked = IsSyntax<SourceSyntax::Ca65>, .runWith = ChooseSourceSyntax, .parameter = 3},
    {.id = "mnuFileSyntaxDasm", .caption = "DA&SM", .helpContext = 2120,
     .checked = IsSyntax<SourceSyntax::Dasm>, .runWith = ChooseSourceSyntax, .parameter = 4},
    {.id = "mnuFileSyntaxXa", .caption = "&xa", .helpContext = 2121,
     .checked = IsSyntax<SourceSyntax::Xa>, .runWith = ChooseSourceSyntax, .parameter = 5},
    {"mnuFileExportParts", "Export Pa&rts...", mnuFileExportPartsClick, 2115},
    {"mnuFileImportPRG", "Import .PRG", mnuFileImportPRGClick, 2103},
    {"mnuFileExportPRG", "Export .PRG", mnuFileExportPRGClick, 2104},
    {"mnuFileExportRunnablePRG", "Export Runnable .PRG...", mnuFileExportRunnablePRGClick, 2107},
    {"mnuFileExportPicture", "Export Picture...", mnuFileExportPictureClick, 2108},
    // The layouts that keep DFLI pictures and character sets whole.
    {"mnuFileExportDfliPRG", "Export DFLI .PRG...", mnuFileExportDfliPRGClick, 2122},
    {"mnuFileExportCharsetPRG", "Export Charset .PRG...", mnuFileExportCharsetPRGClick, 2123},
    {"mnuFileImportBMP", "Import .BMP", mnuFileImportBMPClick, 2105},
    {"mnuFileImportPicture", "Import Picture...", mnuFileImportPictureClick, 2113},
    {.id = "mnuFileImportP4S", .caption = "Import .P4S", .helpContext = 2106, .visible = Never,
     .hint = "Not implemented"},
    {.id = "mnuFileMRU{}", .runWith = OpenRecentFile, .parameter = 1,
     .captionOf = RecentFileCaption, .lastParameter = 4, .visibleWith = HasRecentFile},
    {"mnuFileExit", "E&xit", mnuFileExitClick, 2106},
    // Edit
    {.id = "mnuEditUndo", .caption = "&Undo", .run = mnuEditUndoClick, .helpContext = 2206,
     .enabled = CanUndo, .captionOf = UndoCaption},
    {.id = "mnuEditRedo", .caption = "&Redo", .run = mnuEditRedoClick, .helpContext = 2207,
     .enabled = CanRedo, .captionOf = RedoCaption},
    {"mnuEditCopy", "Copy", mnuEditCopyClick, 2201},
    {"mnuEditPaste", "&Paste", mnuEditPasteClick, 2202},
    {"EditSelectAll", "&Select All", EditSelectAllClick, 2204},
    {"mnuEditDeselect", "Deselect", mnuEditDeselectClick, 2205},
    // View
    {"mnuViewImageNext", "&Next Image", mnuViewImageNextClick, 2301},
    {"mnuViewImagePrev", "&Prev. Image", mnuViewImagePrevClick, 2302},
    {"mnuViewToggleGrid", "Toggle &Grid", mnuViewToggleGridClick, 2304},
    {"mnuViewZoomToggle", "Toggle &Zoom", mnuViewZoomToggleClick, 2305},
    {"mnuViewZoomIn", "Zoom In", mnuViewZoomInClick, 2306},
    {"mnuViewZoomOut", "Zoom Out", mnuViewZoomOutClick, 2307},
    {.id = "mnuViewColorPaletteAndPreview", .caption = "Color Palette and Preview",
     .run = mnuViewColorPaletteAndPreviewClick, .helpContext = 2309, .checked = PaletteShown},
    {"mnuViewImageProperties", "Image Properties", mnuViewImagePropertiesClick, 2311},
    // Draw
    {.id = "mnuDrawPixel{}", .caption = "Draw Pixel #{}", .helpContext = 2401, .undoName = "Draw",
     .runWith = mnuDrawPixelClick, .parameter = 0, .runKey = DrawPixelValue, .lastParameter = 3,
     .helpStep = 1},
    {"mnuDrawFill", "Fill Image", mnuDrawFillClick, 2405, "Fill"},
    {"mnuDrawReplaceColors", "Replace Colors", mnuDrawReplaceColorsClick, 0},
    {"mnuDrawRemapColors", "&Remap Colors", mnuDrawRemapColorsClick, 0},
    {"mnuDrawFlipHorizontally", "Flip Horizontally", mnuDrawFlipHorizontallyClick, 2407},
    {"mnuDrawFlipVertically", "Flip Vertically", mnuDrawFlipVerticallyClick, 2408},
    {"mnuDrawToggleDrawingMode", "Toggle Drawing Mode", mnuDrawToggleDrawingModeClick, 2410},
    {"mnuDrawHires", "Toggle Hires/Multi", mnuDrawHiresClick, 2411},
    {.id = "mnuDrawSetColor", .caption = "Set &Color", .run = mnuDrawSetColorClick,
     .helpContext = 2412, .hint = "Under cursor or for selection"},
    // Tools
    {.id = "mnuToolsFreehand", .caption = "&Freehand", .helpContext = 2601,
     .checked = ToolIs<Tool::Freehand>, .runWith = SelectToolCommand, .parameter = int(Tool::Freehand)},
    {.id = "mnuToolsLine", .caption = "&Line", .helpContext = 2602,
     .checked = ToolIs<Tool::Line>, .runWith = SelectToolCommand, .parameter = int(Tool::Line)},
    {.id = "mnuToolsRectangle", .caption = "&Rectangle", .helpContext = 2603,
     .checked = ToolIs<Tool::Rectangle>, .runWith = SelectToolCommand, .parameter = int(Tool::Rectangle)},
    {.id = "mnuToolsFilledRectangle", .caption = "Filled R&ectangle", .helpContext = 2604,
     .checked = ToolIs<Tool::FilledRectangle>, .runWith = SelectToolCommand, .parameter = int(Tool::FilledRectangle)},
    {.id = "mnuToolsEllipse", .caption = "E&llipse", .helpContext = 2605,
     .checked = ToolIs<Tool::Ellipse>, .runWith = SelectToolCommand, .parameter = int(Tool::Ellipse)},
    {.id = "mnuToolsFilledEllipse", .caption = "Filled Elli&pse", .helpContext = 2606,
     .checked = ToolIs<Tool::FilledEllipse>, .runWith = SelectToolCommand, .parameter = int(Tool::FilledEllipse)},
    {.id = "mnuToolsFloodFill", .caption = "Flood F&ill", .helpContext = 2607,
     .checked = ToolIs<Tool::FloodFill>, .runWith = SelectToolCommand, .parameter = int(Tool::FloodFill)},
    {.id = "mnuToolsPick", .caption = "Pic&k", .helpContext = 2608,
     .checked = ToolIs<Tool::Pick>, .runWith = SelectToolCommand, .parameter = int(Tool::Pick)},
    {.id = "mnuToolsBrush", .caption = "&Brush", .helpContext = 2609,
     .checked = ToolIs<Tool::Brush>, .runWith = SelectToolCommand, .parameter = int(Tool::Brush)},
    // Help
    {"mnuHelpKeyb", "Keyboard Commands", mnuHelpKeybClick, 2501},
    {"mnuHelpAbout", "&About", mnuHelpAboutClick, 2502},
    // Commands only keys reach. Those that make no step of their own name
    // none: a cursor move drawn under a held value key stays in its "Draw".
    {"Invert", "Invert", Invert},
    {"MoveAreaLeft", "Move Area", MoveAreaLeft},
    {"MoveAreaRight", "Move Area", MoveAreaRight},
    {"MoveAreaUp", "Move Area", MoveAreaUp},
    {"MoveAreaDown", "Move Area", MoveAreaDown},
    {.id = "SetValueColor", .caption = "Set Value Color", .undoName = "Set Color", .runKey = SetValueColorKey},
    {.id = "ChoosePixelValue", .caption = "Choose Pixel Value", .undoName = "", .runKey = ChoosePixelValue},
    {.id = "ReleaseValueKey", .caption = "Release Value Key", .undoName = "", .runKey = ReleaseValueKey},
    {.id = "PaletteLeft", .caption = "Palette Left", .run = PaletteLeft, .undoName = ""},
    {.id = "PaletteRight", .caption = "Palette Right", .run = PaletteRight, .undoName = ""},
    {.id = "PaletteUp", .caption = "Palette Up", .run = PaletteUp, .undoName = ""},
    {.id = "PaletteDown", .caption = "Palette Down", .run = PaletteDown, .undoName = ""},
    {.id = "MoveCursorLeft", .caption = "Cursor Left", .undoName = "", .runKey = MoveCursorLeft},
    {.id = "MoveCursorRight", .caption = "Cursor Right", .undoName = "", .runKey = MoveCursorRight},
    {.id = "MoveCursorUp", .caption = "Cursor Up", .undoName = "", .runKey = MoveCursorUp},
    {.id = "MoveCursorDown", .caption = "Cursor Down", .undoName = "", .runKey = MoveCursorDown},
    {.id = "MoveCursorToLeftEdge", .caption = "Cursor to Left Edge", .undoName = "", .runKey = MoveCursorToLeftEdge},
    {.id = "MoveCursorToTop", .caption = "Cursor to Top", .undoName = "", .runKey = MoveCursorToTop},
    {.id = "MoveCursorToRightEdge", .caption = "Cursor to Right Edge", .undoName = "", .runKey = MoveCursorToRightEdge},
    {.id = "MoveCursorToBottom", .caption = "Cursor to Bottom", .undoName = "", .runKey = MoveCursorToBottom},
    {.id = "HoldMoveKey", .caption = "Hold Move Key", .run = HoldMoveKey, .undoName = ""},
    {.id = "ReleaseMoveKey", .caption = "Release Move Key", .run = ReleaseMoveKey, .undoName = ""},
    {.id = "CopyView", .caption = "Copy View", .run = CopyView, .undoName = ""},
    {.id = "OpenMaskProcessor", .caption = "Mask Processor", .run = OpenMaskProcessor, .undoName = ""},
    {.id = "CancelShape", .caption = "Cancel Shape", .run = CancelShapeKey, .undoName = ""},
    {.id = "UnhandledKey", .caption = "Unhandled Key", .undoName = "", .runKey = ShowUnhandledKey},
};
// clang-format on

namespace {

bool IsFamily(const CommandRecord& record) {
    return std::string_view(record.id).find("{}") != std::string_view::npos;
}

std::string WithParameter(std::string_view text, int parameter) {
    std::string result(text);
    const std::size_t at = result.find("{}");
    if (at != std::string::npos) result.replace(at, 2, std::to_string(parameter));
    return result;
}

// The records as the menu and the keys see them: a family's items made once.
struct ItemTable {
    std::deque<std::string> texts;  // the items' ids and captions, which do not move
    std::vector<CommandRecord> records;
    struct Family {
        std::string_view id;
        std::size_t first, count;
    };
    std::vector<Family> families;
};

const ItemTable& Items() {
    static const ItemTable table = [] {
        ItemTable t;
        for (const CommandRecord& record : kCommandRecords) {
            if (!IsFamily(record)) {
                t.records.push_back(record);
                continue;
            }
            t.families.push_back({record.id, t.records.size(),
                                  std::size_t(record.lastParameter - record.parameter + 1)});
            for (int n = record.parameter; n <= record.lastParameter; ++n) {
                CommandRecord item = record;
                item.id = t.texts.emplace_back(WithParameter(record.id, n)).c_str();
                item.caption = t.texts.emplace_back(WithParameter(record.caption, n)).c_str();
                item.parameter = n;
                item.lastParameter = n;
                item.helpContext = record.helpContext + record.helpStep * (n - record.parameter);
                t.records.push_back(item);
            }
        }
        return t;
    }();
    return table;
}

}  // namespace

std::span<const CommandRecord> CommandRecords() {
    return Items().records;
}

const CommandRecord* FindCommand(std::string_view id) {
    for (const CommandRecord& record : Items().records)
        if (id == record.id) return &record;
    return nullptr;
}

std::span<const CommandRecord> FamilyItems(std::string_view familyId) {
    const ItemTable& items = Items();
    for (const ItemTable::Family& family : items.families)
        if (family.id == familyId)
            return std::span(items.records).subspan(family.first, family.count);
    return {};
}

void RunCommand(const CommandRecord& record, Editor& editor) {
    if (record.run)
        record.run(editor);
    else if (record.runWith)
        record.runWith(editor, record.parameter);
}

void RunKeyCommand(const CommandRecord& record, Editor& editor, KeyPress press) {
    if (record.runKey)
        record.runKey(editor, press);
    else
        RunCommand(record, editor);
}

std::string CaptionOf(const CommandRecord& record, const Editor& editor) {
    return record.captionOf ? record.captionOf(editor, record.parameter) : record.caption;
}

bool IsVisible(const CommandRecord& record, const Editor& editor) {
    if (record.visibleWith) return record.visibleWith(editor, record.parameter);
    return !record.visible || record.visible(editor);
}

std::string UndoNameOf(const CommandRecord& record) {
    if (record.undoName) return record.undoName;
    std::string name;
    for (const char* c = record.caption; *c; ++c)
        if (*c != '&') name += *c;
    if (name.ends_with("...")) name.resize(name.size() - 3);
    return name;
}

}  // namespace pixolat
