#pragma once
// The frame around the editor: the start-up sequence, the per-user settings
// read at start and written at close, and where the help file is.
#include <string>

namespace pixolat {

class Editor;

// Settings names. Besides the window's values, the grid, the zoom, the
// palette's visibility and the recent files, the store keeps the folder the
// file dialogs last used.
inline constexpr const char* kDialogFolderSetting = "DialogFolder";

// Runs once when the editor window is created: help file, colors, default
// image and state, stored settings, drawing mode, "Ready.".
void StartEditor(Editor& editor);

// Reads the stored settings. A missing or non-integer value ends the reading
// there, silently; what was read before stays.
void ReadSettings(Editor& editor);

// Writes the settings when the window closes; a failing store ends the
// writing there, silently.
void SaveSettings(Editor& editor);

// "varnospixolat.hlp" in the program's folder (just the name when the
// program's path names no folder).
std::string HelpFilePath(const std::string& programPath);

}  // namespace pixolat
