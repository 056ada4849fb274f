#include "edit/start_editor.h"

#include <array>
#include <exception>

#include "document/colors.h"
#include "document/pixels.h"
#include "edit/commands/draw_commands.h"
#include "edit/commands/export_commands.h"
#include "edit/editor.h"
#include "edit/image_files.h"

namespace pixolat {

namespace {

constexpr const char* kHelpFileName = "varnospixolat.hlp";
constexpr std::array<const char*, 4> kRecentFileSettings = {"MRU1", "MRU2", "MRU3", "MRU4"};

// The window bounds that are stored; each is applied on its own, and what was
// read before a failing value is applied too.
void ReadWindowBounds(Platform& platform) {
    WindowBounds bounds = platform.GetWindowBounds();
    bool read = false;
    const auto take = [&](const char* name, int& field) {
        if (!platform.SettingExists(name)) return;
        field = platform.ReadSettingInt(name);
        read = true;
    };
    try {
        take("WindowLeft", bounds.left);
        take("WindowTop", bounds.top);
        take("WindowWidth", bounds.width);
        take("WindowHeight", bounds.height);
    } catch (...) {
        if (read) platform.SetWindowBounds(bounds);
        throw;
    }
    if (read) platform.SetWindowBounds(bounds);
}

// Only a maximized window is restored as such: the writer never stores the
// minimized state, and a window that starts minimized (or in a state no
// version wrote) would look as if the program had not started.
WindowState StoredWindowState(int32_t value) {
    return value == int32_t(WindowState::Maximized) ? WindowState::Maximized : WindowState::Normal;
}

// The low byte of the stored value, as a signed byte; anything outside the
// five grids becomes pixel lines.
GridSetting StoredGrid(int32_t value) {
    const int grid = int8_t(uint8_t(value & 0xFF));
    return grid < 0 || grid > int(GridSetting::NoGrid) ? GridSetting::PixelLines
                                                       : GridSetting(grid);
}

void ReadStoredValues(Editor& editor) {
    Platform& platform = editor.platform();
    ReadWindowBounds(platform);
    if (platform.SettingExists("WindowState"))
        platform.SetWindowState(StoredWindowState(platform.ReadSettingInt("WindowState")));
    editor.view().gridSetting = StoredGrid(platform.ReadSettingInt("Grid"));
    editor.view().zoom = platform.ReadSettingInt("Zoom");
    const bool paletteShown = platform.ReadSettingInt("ColorPalette") != 0;
    editor.view().paletteVisible = paletteShown;
    for (std::size_t i = 0; i < kRecentFileSettings.size(); ++i)
        editor.ui().recentFiles[i] = platform.ReadSettingText(kRecentFileSettings[i]);
    AddRecentFile(editor, "");
}

}  // namespace

std::string HelpFilePath(const std::string& programPath) {
    // "/" is the folder separator on every system but Windows.
    const std::size_t cut = programPath.find_last_of("\\/");
    if (cut == std::string::npos) return kHelpFileName;
    return programPath.substr(0, cut + 1) + kHelpFileName;
}

void ReadSettings(Editor& editor) {
    try {
        ReadStoredValues(editor);
    } catch (const std::exception&) {
        // A missing or unreadable value ends the reading; the editor starts anyway.
    }
    // The dialogs' folder is not part of that sequence: a text reads as empty
    // when missing, so it is restored even from a store without a grid.
    try {
        Platform& platform = editor.platform();
        platform.SetDialogFolder(platform.ReadSettingText(kDialogFolderSetting));
    } catch (const std::exception&) {
    }
    ReadExportSettings(editor);
}

void StartEditor(Editor& editor) {
    EditorState& state = editor.state();
    editor.ui().helpFile = HelpFilePath(editor.platform().ProgramPath());
    BuildRgbTable(state.rgbTable);
    SetUpDefaultImage(editor.store());
    state.drawColor1 = 0x31;
    state.drawColor2 = 0x51;
    editor.view().gridSetting = GridSetting::CornerDots;
    editor.view().zoom = -1;
    state.cursorX = state.cursorY = 0;
    state.currentPixelValue = 0;
    state.selectionActive = false;
    state.selectionStartPending = true;
    ReadSettings(editor);
    if (editor.view().zoom <= 0 || editor.view().zoom > 64) editor.view().zoom = 10;
    // Toggling from "Pixel only" starts in "Pixel & Color" and shows it.
    state.drawingMode = DrawingMode::PixelOnly;
    mnuDrawToggleDrawingModeClick(editor);
    editor.ShowStatus("Ready.");
}

void SaveSettings(Editor& editor) {
    Platform& platform = editor.platform();
    try {
        const WindowState windowState = platform.GetWindowState();
        platform.WriteSettingInt("WindowState",
                                 windowState == WindowState::Minimized ? 0 : int32_t(windowState));
        if (windowState == WindowState::Normal) {
            const WindowBounds bounds = platform.GetWindowBounds();
            platform.WriteSettingInt("WindowLeft", bounds.left);
            platform.WriteSettingInt("WindowTop", bounds.top);
            platform.WriteSettingInt("WindowWidth", bounds.width);
            platform.WriteSettingInt("WindowHeight", bounds.height);
        }
        platform.WriteSettingInt("Grid", int32_t(editor.view().gridSetting));
        platform.WriteSettingInt("Zoom", editor.view().zoom);
        platform.WriteSettingInt("ColorPalette", editor.view().paletteVisible ? 1 : 0);
        for (std::size_t i = 0; i < kRecentFileSettings.size(); ++i)
            platform.WriteSettingText(kRecentFileSettings[i], editor.ui().recentFiles[i]);
        platform.WriteSettingText(kDialogFolderSetting, platform.DialogFolder());
    } catch (const std::exception&) {
        // An unwritable store keeps what it had; closing goes on.
    }
}

}  // namespace pixolat
