#pragma once
// pixolat-convert: the editor's file conversions for makefiles. Reads a .PRG
// file or a picture into the same store the editor uses, with the same import
// rules, and writes a .PRG file or a picture in the editor's colors.
#include <iosfwd>
#include <string>
#include <vector>

namespace pixolat {

// Runs the converter on its arguments (without the program name). Returns
// the exit status: 0 done, 1 a file could not be read, recognised or
// written (or memory ran out, or the picture codec module could not be
// opened for a picture), 2 the arguments were wrong. Every failure is one
// line on err; nothing it raises escapes.
int RunConverter(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace pixolat
