#pragma once
// Files into and out of the current image: .PRG import and export, picture
// import, the recent files and dropped files.
#include <string>
#include <vector>

namespace pixolat {

class Editor;

// Recognises the file's layout and decodes it into the current image.
void ImportPrgFile(Editor& editor, const std::string& path);
// Writes the current image as a 10050-byte file loading at $1800, then lists
// the path among the recent files.
void ExportPrgFile(Editor& editor, const std::string& path);
// Copies a picture's pixels into the current image, asking first whether to
// enlarge the image when the picture is larger.
void ImportPictureFile(Editor& editor, const std::string& path);
// Puts a new path at the top of the four recent files (a listed path stays
// where it is) and brings the recent-file menu items up to date.
void AddRecentFile(Editor& editor, const std::string& path);
// Imports recent file n (1..4).
void OpenRecentFile(Editor& editor, int n);
// Opens the first .prg file of a drop, or else its last path, by its content.
void AcceptDroppedFiles(Editor& editor, const std::vector<std::string>& paths);
// Opens a file given by name alone (dropped, or named on the command line) the
// way its content asks: a .prg or .p4i file the import recognises as a .PRG,
// source text as Open Source File does, a picture as Import .BMP does, and
// anything else as a .PRG (whose import says when it knows no such layout).
void OpenFileByContent(Editor& editor, const std::string& path);

}  // namespace pixolat
