#pragma once
// Files into and out of the current image: .PRG import and export, picture
// import, the recent files and dropped files.
#include <string>
#include <vector>

#include "formats/prg_layouts.h"

namespace pixolat {

class Editor;

// Recognises the file's layout and decodes it into the current image.
void ImportPrgFile(Editor& editor, const std::string& path);
// Writes the current image in the layout (Bitmap: the 10050-byte file loading
// at $1800), then lists the path among the recent files. What the layout
// leaves out of the image is said in the status bar.
void ExportPrgFile(Editor& editor, const std::string& path, PrgLayout layout = PrgLayout::Bitmap);
// Copies a picture's pixels into the current image, asking first whether to
// enlarge the image when the picture is larger.
void ImportPictureFile(Editor& editor, const std::string& path);
// Import .BMP as a user meets it: a picture of more colors than the image
// has pixel values asks once whether to convert it (Import Picture) or to
// read bits of red as ImportPictureFile does.
void ImportPictureOrConvert(Editor& editor, const std::string& path);
// The Mask Processor's result into the current image as Import .BMP reads a
// picture, as an undo step of its own called "Open Result".
void ImportMaskResult(Editor& editor, const std::string& path);
// Reads a true-color picture whole and, when the user confirms the Import
// Picture dialog, puts its conversion into the current image: size, pixel
// width, color map kind, colors and pixels, as one step of the history.
void ImportConvertedPicture(Editor& editor, const std::string& path);
// Puts a new path at the top of the four recent files (a listed path stays
// where it is).
void AddRecentFile(Editor& editor, const std::string& path);
// Recent file n's menu caption: "(n) name".
std::string RecentFileCaption(const Editor& editor, int n);
bool HasRecentFiles(const Editor& editor);
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
