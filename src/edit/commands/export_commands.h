#pragma once
// The source text's assembler (File > Source Syntax) and File > Export
// Parts...: choices kept in the settings.
namespace pixolat {

class Editor;

// Reads the remembered syntax and part addresses; a missing or unknown value
// keeps the default.
void ReadExportSettings(Editor& editor);
// Makes syntax number n (SourceSyntax) the one source text is written in.
void ChooseSourceSyntax(Editor& editor, int n);
// Asks for the kind of files and the load addresses (remembered), then for
// a base name, and writes every part of the current image and the .PRG of
// all parts.
void mnuFileExportPartsClick(Editor& editor);

}  // namespace pixolat
